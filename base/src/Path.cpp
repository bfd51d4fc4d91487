#include <base/Path.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace base {

CString JoinPath(const CString& folder, const CString& name) {
  if (folder.IsEmpty()) return name;
  if (folder.GetAt(folder.GetLength() - 1) == kPathSeparator) return folder + name;
  return folder + kPathSeparator + name;
}

CString FileNameOf(const CString& path) {
  const int slash = path.ReverseFind(kPathSeparator);
  return slash < 0 ? path : path.Mid(slash + 1);
}

CString FolderOf(const CString& path) {
  const int slash = path.ReverseFind(kPathSeparator);
  return slash < 0 ? CString() : path.Left(slash);
}

CString ExtensionOf(const CString& path) {
  const CString name = FileNameOf(path);
  const int dot = name.ReverseFind('.');
  return dot < 0 ? CString() : name.Mid(dot);
}

bool FileExists(const CString& path) {
  struct stat st {};
  return ::stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

bool RemoveFile(const CString& path) { return FileExists(path) && ::unlink(path) == 0; }

bool DirectoryExists(const CString& path) {
  struct stat st {};
  return ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

PathProblem ProblemOpening(const CString& path) {
  struct stat st {};
  if (path.IsEmpty()) return PathProblem::NoFile;
  if (::stat(path, &st) == 0) {
    const int mode = S_ISDIR(st.st_mode) ? (R_OK | X_OK) : R_OK;
    return ::access(path, mode) == 0 ? PathProblem::None : PathProblem::NoAccess;
  }
  if (errno == EACCES) return PathProblem::NoAccess;
  if (errno == ENOTDIR || errno == ENAMETOOLONG) return PathProblem::NoFolder;
  const int slash = path.ReverseFind(kPathSeparator);
  if (slash < 0) return PathProblem::NoFile;
  return DirectoryExists(slash == 0 ? CString("/") : path.Left(slash)) ? PathProblem::NoFile : PathProblem::NoFolder;
}

long long FileSizeOf(const CString& path) {
  struct stat st {};
  if (::stat(path, &st) != 0) return -1;
  return static_cast<long long>(st.st_size);
}

}  // namespace base
