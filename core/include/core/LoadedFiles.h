#pragma once
// CLoadedFiles: what each file of the loaded folder was when the window last
// read or wrote it, so that a save writes only onto the very file it read,
// never over what another program (or another window) wrote since.
#include <base/String.h>
#include <tags/MyMP3Tags.h>

#include <string>
#include <unordered_map>

class CFolderBounds;

// The reason a save gives for a file that is no longer the one it read.
constexpr const char* kChangedOnDisk = "changed on disk since it was loaded \u2014 Reload to see it.";

class CLoadedFiles {
 public:
  void Clear() { m_files.clear(); }
  // The file at path is now as identity says, as read or as written by us.
  void Note(const CString& path, const CFileIdentity& identity) { m_files[path.Str()] = identity; }
  // The file was renamed by us.
  void Move(const CString& from, const CString& to);
  // Empty when the file at path, as now, is the one noted: where it lies
  // (device and inode), its size, its modification time and its tag bytes
  // all as they were; else why it may not be written (kChangedOnDisk), as an
  // undo of a save refuses a file touched since. A file never noted is not
  // one the table read.
  CString WhyNotTheOneRead(const CString& path, const CFileIdentity& now) const;

 private:
  std::unordered_map<std::string, CFileIdentity> m_files;
};

// Empty when the file's real path (links resolved) lies inside the folder;
// else why a save must not write it.
CString WhyOutsideFolder(const CFolderBounds& folder, const CString& path);
