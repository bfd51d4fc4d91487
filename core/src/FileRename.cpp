#include <core/FileRename.h>

#include <base/Path.h>

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

bool RenameWithoutReplacing(const CString& from, const CString& to, CString& error) {
  if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) != 0) {
    const int code = errno;
    if (code == EEXIST)
      error = "a file of that name exists already";
    else if (code == EINVAL || code == ENOSYS)
      error = "the file system cannot rename without the risk of replacing another file";
    else
      error = std::strerror(code);
    return false;
  }
  // The new name reaches the disk with the folder that holds it.
  const int dir = open(base::FolderOf(to), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}
