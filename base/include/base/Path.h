#pragma once
// Paths on this platform: '/' separates folders, and names are UTF-8.
#include <base/String.h>

namespace base {

constexpr char kPathSeparator = '/';

// folder + separator + name; a separator already ending folder is not doubled.
CString JoinPath(const CString& folder, const CString& name);
// The last component of a path ("a/b/c.mp3" -> "c.mp3").
CString FileNameOf(const CString& path);
// Everything before the last separator ("a/b/c.mp3" -> "a/b"); empty when none.
CString FolderOf(const CString& path);
// The extension with its dot ("c.MP3" -> ".MP3"); empty when the name has none.
CString ExtensionOf(const CString& path);

bool FileExists(const CString& path);
bool DirectoryExists(const CString& path);
// Size in bytes, or -1 when the file cannot be examined.
long long FileSizeOf(const CString& path);
// Why a path cannot be handed to a program: nothing is wrong, no such file
// (an empty path too), a folder on the way is missing, or it may not be read
// (a folder: read and entered).
enum class PathProblem { None, NoFile, NoFolder, NoAccess };
PathProblem ProblemOpening(const CString& path);
// Removes a file (not a folder); false when it could not be removed.
bool RemoveFile(const CString& path);

}  // namespace base
