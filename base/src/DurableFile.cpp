#include <base/DurableFile.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <future>
#include <random>
#include <vector>

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace base {

namespace {

constexpr std::size_t kCopyChunk = std::size_t{1} << 20;

std::string RandomPart() {
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
  std::string part(6, 'X');
  for (char& ch : part) ch = kLetters[pick(generator)];
  return part;
}

}  // namespace

CFd& CFd::operator=(CFd&& other) noexcept {
  if (this != &other) Reset(other.Release());
  return *this;
}

void CFd::Reset(int fd) {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = fd;
}

bool WriteAll(int fd, const void* data, std::size_t size, off_t offset) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  while (size > 0) {
    const ssize_t n = offset < 0 ? ::write(fd, bytes, size) : ::pwrite(fd, bytes, size, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    bytes += n;
    size -= static_cast<std::size_t>(n);
    if (offset >= 0) offset += n;
  }
  return true;
}

bool ReadAll(int fd, void* data, std::size_t size, off_t offset) {
  auto* bytes = static_cast<unsigned char*>(data);
  while (size > 0) {
    const ssize_t n = ::pread(fd, bytes, size, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    bytes += n;
    size -= static_cast<std::size_t>(n);
    offset += n;
  }
  return true;
}

bool CopyRange(int in, off_t offset, int out, std::size_t size) {
  bool kernelCopy = true;
  std::vector<unsigned char> buffer;
  while (size > 0) {
    if (kernelCopy) {
      off_t from = offset;
      const ssize_t n = ::copy_file_range(in, &from, out, nullptr, std::min<std::size_t>(size, 1 << 30), 0);
      if (n > 0) {
        offset = from;
        size -= static_cast<std::size_t>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno != EXDEV && errno != ENOSYS && errno != EOPNOTSUPP && errno != EINVAL) return false;
      if (n == 0) {  // the file ended early: it changed under us
        errno = EIO;
        return false;
      }
      kernelCopy = false;
      buffer.resize(kCopyChunk);
    }
    const std::size_t chunk = std::min(size, buffer.size());
    if (!ReadAll(in, buffer.data(), chunk, offset) || !WriteAll(out, buffer.data(), chunk)) return false;
    offset += static_cast<off_t>(chunk);
    size -= chunk;
  }
  return true;
}

bool FlushFile(int fd, const std::function<void()>& whileWaiting) {
  if (!whileWaiting) return ::fsync(fd) == 0;
  auto flushed = std::async(std::launch::async, [fd] { return ::fsync(fd) == 0 ? 0 : errno; });
  while (flushed.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready) whileWaiting();
  errno = flushed.get();
  return errno == 0;
}

bool FlushFolder(const std::string& folder, const std::function<void()>& whileWaiting) {
  CFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.Get() < 0) return false;
  const bool flushed = FlushFile(dir.Get(), whileWaiting);
  const int err = errno;
  dir.Reset();
  errno = err;
  return flushed;
}

std::string FolderOfFile(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

namespace {

bool KeepOwnerAndMode(int out, const struct stat& original) {
  if (original.st_uid != ::geteuid() || original.st_gid != ::getegid())
    if (::fchown(out, original.st_uid, original.st_gid) != 0) (void)::fchown(out, static_cast<uid_t>(-1), original.st_gid);
  const mode_t mode = original.st_mode & 07777;
  struct stat made {};
  if (::fchmod(out, mode) == 0) return true;
  const int err = errno;
  if (::fstat(out, &made) == 0 && (made.st_mode & 07777) == mode) return true;
  errno = err;
  return false;
}

bool KeepAttributes(const std::string& original, int out) {
  // Sized, then read; a list that grew in between is read again once.
  std::vector<char> names;
  for (int attempt = 0; attempt < 2; ++attempt) {
    const ssize_t size = ::listxattr(original.c_str(), nullptr, 0);
    if (size <= 0) return true;  // none, or none this file system keeps
    names.resize(static_cast<std::size_t>(size));
    const ssize_t read = ::listxattr(original.c_str(), names.data(), names.size());
    names.resize(read > 0 ? static_cast<std::size_t>(read) : 0);
    if (read >= 0 || errno != ERANGE) break;
  }
  std::vector<char> value;
  for (std::size_t at = 0; at < names.size(); at += std::strlen(names.data() + at) + 1) {
    const char* name = names.data() + at;
    const ssize_t size = ::getxattr(original.c_str(), name, nullptr, 0);
    if (size < 0) continue;  // gone meanwhile
    value.resize(static_cast<std::size_t>(size));
    const ssize_t read = ::getxattr(original.c_str(), name, value.data(), value.size());
    if (read < 0) continue;
    if (::fsetxattr(out, name, value.data(), static_cast<std::size_t>(read), 0) != 0 && errno != EPERM &&
        errno != EACCES && errno != ENOTSUP)
      return false;
  }
  return true;
}

}  // namespace

bool KeepWhatItReplaces(int out, const std::string& original, const struct stat& read) {
  return KeepOwnerAndMode(out, read) && KeepAttributes(original, out);
}

CNewFile& CNewFile::operator=(CNewFile&& other) noexcept {
  if (this != &other) {
    Drop();
    m_fd = std::move(other.m_fd);
    m_strPath = std::move(other.m_strPath);
    m_bPlaced = std::exchange(other.m_bPlaced, false);
  }
  return *this;
}

bool CNewFile::Create(const std::string& folder, const std::string& prefix, mode_t mode) {
  Drop();
  for (int tries = 0; tries < 100; ++tries) {
    std::string path = folder;
    if (path.empty() || path.back() != '/') path += '/';
    path += prefix;
    path += RandomPart();
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0) {
      Adopt(fd, std::move(path));
      return true;
    }
    if (errno != EEXIST) return false;
  }
  errno = EEXIST;
  return false;
}

void CNewFile::Adopt(int fd, std::string path) {
  Drop();
  m_fd.Reset(fd);
  m_strPath = std::move(path);
  m_bPlaced = false;
}

bool CNewFile::MoveTo(const std::string& target, bool noReplace) {
  const int moved = noReplace ? ::renameat2(AT_FDCWD, m_strPath.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE)
                              : ::rename(m_strPath.c_str(), target.c_str());
  if (moved != 0) return false;
  m_bPlaced = true;
  return true;
}

void CNewFile::Drop() {
  const int err = errno;
  m_fd.Reset();
  if (!m_strPath.empty() && !m_bPlaced) ::unlink(m_strPath.c_str());
  m_strPath.clear();
  m_bPlaced = false;
  errno = err;
}

bool WriteFileDurably(const std::string& path, std::string_view bytes) {
  const std::string folder = FolderOfFile(path);
  struct stat old {};
  const bool replaces = ::stat(path.c_str(), &old) == 0;
  CNewFile file;
  // A short name, so that every name the folder can hold can be written.
  if (!file.Create(folder, ".quillory-", replaces ? 0600 : 0666)) return false;
  if (replaces && !KeepWhatItReplaces(file.Fd(), path, old)) return false;
  if (!file.Write(bytes) || !file.Flush() || !file.MoveTo(path)) return false;
  FlushFolder(folder);
  return true;
}

}  // namespace base
