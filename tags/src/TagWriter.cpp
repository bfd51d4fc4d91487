#include "TagWriter.h"

#include "Id3Bytes.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

constexpr std::size_t kHeaderSize = 10;
constexpr std::size_t kV1Size = 128;
constexpr std::size_t kMaxTagBody = std::size_t{1} << 28;  // what a size field of 28 bits holds
constexpr char kTempMark[] = ".quillory-";
constexpr std::size_t kTempRandom = 6;  // mkstemp's XXXXXX
// A name in a folder may have at most NAME_MAX bytes; a temporary keeps this
// much of the original's name so that the marks still fit.
constexpr std::size_t kTempNameKept = 200;
// Metadata and rounding a new file may need beyond its bytes.
constexpr unsigned long long kSpaceMargin = 64 * 1024;

// A descriptor closed when it goes out of scope.
class CFd {
 public:
  explicit CFd(int fd = -1) : m_fd(fd) {}
  ~CFd() {
    if (m_fd >= 0) ::close(m_fd);
  }
  CFd(const CFd&) = delete;
  CFd& operator=(const CFd&) = delete;
  int Get() const { return m_fd; }
  void Reset(int fd) {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = fd;
  }

 private:
  int m_fd;
};

// What went wrong, as the user reads it after "... was not saved: ".
// bFolder: the failing call created or renamed a file in the folder.
CString Reason(int err, bool bFolder) {
  switch (err) {
    case ENOSPC:
    case EDQUOT: return "The disk is full";
    case EFBIG: return "The file would grow larger than the system allows";
    case EROFS: return "The disk is read-only";
    case EACCES:
    case EPERM: return bFolder ? "The folder is read-only" : "The file is read-only";
    case ENOENT: return "The file no longer exists or is empty";
    default: return CString::Formatted("The file could not be written (%s)", std::strerror(err));
  }
}

// Stops the whole write with its reason; errno holds the cause.
bool Fail(CString* error, bool bFolder = false) {
  *error = Reason(errno, bFolder);
  return false;
}

bool FailWith(CString* error, const char* reason) {
  *error = reason;
  return false;
}

// Writes every byte or fails with errno set: a short write is retried and
// one that writes nothing counts as a full disk. At a negative offset the
// bytes go at the descriptor's position.
bool WriteAll(int fd, const unsigned char* data, std::size_t size, off_t offset = -1) {
  while (size > 0) {
    const ssize_t n = offset < 0 ? ::write(fd, data, size) : ::pwrite(fd, data, size, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
    if (offset >= 0) offset += n;
  }
  return true;
}

bool ReadAll(int fd, unsigned char* data, std::size_t size, off_t offset) {
  while (size > 0) {
    const ssize_t n = ::pread(fd, data, size, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
    offset += n;
  }
  return true;
}

// Copies size bytes from offset of in to the position of out, in the kernel
// where the file system allows it.
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
      buffer.resize(1 << 20);
    }
    const std::size_t chunk = std::min(size, buffer.size());
    if (!ReadAll(in, buffer.data(), chunk, offset) || !WriteAll(out, buffer.data(), chunk)) return false;
    offset += static_cast<off_t>(chunk);
    size -= chunk;
  }
  return true;
}

// The tag region as it goes to disk: header with its size set, frames,
// zeros up to regionSize, or the footer right after the frames.
std::vector<unsigned char> BuildRegion(const CTagWrite& request, std::size_t regionSize) {
  std::vector<unsigned char> region(regionSize, 0);
  std::copy(request.strNewTag.begin(), request.strNewTag.end(), region.begin());
  const std::size_t body = regionSize - kHeaderSize - (request.bFooter ? kHeaderSize : 0);
  PutSyncsafe(region.data() + 6, body);
  if (request.bFooter) {
    unsigned char* footer = region.data() + regionSize - kHeaderSize;
    std::copy(region.begin(), region.begin() + kHeaderSize, footer);
    std::memcpy(footer, "3DI", 3);
  }
  return region;
}

// The region a new file gives the tag: room to spare, so that the next edits
// of the file fit in place. A tag with a footer may not be padded.
std::size_t RegionForNewFile(const CTagWrite& request) {
  const std::size_t tag = request.strNewTag.size();
  if (tag == 0) return 0;
  if (request.bFooter) return tag + kHeaderSize;
  const std::size_t unit = 2048;
  const std::size_t wanted = (tag + std::max<std::size_t>(unit, tag / 4) + unit - 1) / unit * unit;
  return wanted - kHeaderSize < kMaxTagBody ? wanted : tag;
}

// True when the file still starts with the ID3v2 region the engine read.
bool StartsWithOldRegion(const unsigned char* header, std::size_t oldTagEnd) {
  if (std::memcmp(header, "ID3", 3) != 0) return false;
  std::size_t end = kHeaderSize + Syncsafe(header + 6);
  if (header[3] == 4 && (header[5] & 0x10)) end += kHeaderSize;
  return end == oldTagEnd;
}

CString FolderOf(const CString& path) {
  const int slash = path.ReverseFind('/');
  return slash < 0 ? CString(".") : slash == 0 ? CString("/") : path.Left(slash);
}

CString NameOf(const CString& path) { return path.Mid(path.ReverseFind('/') + 1); }

// A write past the size limit (ulimit -f) must fail with EFBIG rather than
// end the program.
void IgnoreFileSizeSignal() {
  static const bool once = [] {
    struct sigaction old {};
    if (::sigaction(SIGXFSZ, nullptr, &old) == 0 && old.sa_handler == SIG_DFL) ::signal(SIGXFSZ, SIG_IGN);
    return true;
  }();
  (void)once;
}

// The file being written, as found when the write starts.
struct COriginal {
  int fd = -1;
  struct stat st {};
  std::vector<unsigned char> oldRegion;  // the ID3v2 region as it is now
  unsigned char oldV1[kV1Size] = {};
};

// Opens the file and checks that it still has the layout the engine saw.
bool OpenOriginal(const CTagWrite& request, CFd* fd, COriginal* file, CString* error) {
  fd->Reset(::open(request.strPath, O_RDWR | O_CLOEXEC));
  if (fd->Get() < 0) return errno == EISDIR ? FailWith(error, "The file is a folder") : Fail(error);
  file->fd = fd->Get();
  if (::fstat(file->fd, &file->st) != 0) return Fail(error);
  if (!S_ISREG(file->st.st_mode) || file->st.st_size == 0)
    return FailWith(error, "The file no longer exists or is empty");
  const std::size_t size = static_cast<std::size_t>(file->st.st_size);
  const char* changed = "The file was changed by another program since it was read";
  if (size < request.nOldTagEnd + (request.bV1 ? kV1Size : 0)) return FailWith(error, changed);
  file->oldRegion.resize(request.nOldTagEnd);
  if (!ReadAll(file->fd, file->oldRegion.data(), file->oldRegion.size(), 0)) return Fail(error);
  if (request.nOldTagEnd > 0 && (request.nOldTagEnd < kHeaderSize ||
                                 !StartsWithOldRegion(file->oldRegion.data(), request.nOldTagEnd)))
    return FailWith(error, changed);
  if (request.bV1) {
    if (!ReadAll(file->fd, file->oldV1, kV1Size, file->st.st_size - static_cast<off_t>(kV1Size))) return Fail(error);
    if (std::memcmp(file->oldV1, "TAG", 3) != 0) return FailWith(error, changed);
  }
  return true;
}

// One pwrite over the old region, then fdatasync; on failure the old bytes
// are put back.
bool WriteInPlace(const CTagWrite& request, const COriginal& file, CString* error) {
  const std::vector<unsigned char> region = BuildRegion(request, request.nOldTagEnd);
  if (WriteAll(file.fd, region.data(), region.size(), 0) && ::fdatasync(file.fd) == 0) return true;
  const int err = errno;
  if (WriteAll(file.fd, file.oldRegion.data(), file.oldRegion.size(), 0)) ::fdatasync(file.fd);
  errno = err;
  return Fail(error);
}

bool EnoughSpaceFor(const CString& folder, unsigned long long bytes) {
  struct statvfs vfs {};
  if (::statvfs(folder, &vfs) != 0) return true;  // unknown: the writes will tell
  // Blocks kept back for some user are not counted: whether this user may
  // take them depends on how the disk was set up.
  return static_cast<unsigned long long>(vfs.f_bavail) * vfs.f_frsize >= bytes + kSpaceMargin;
}

// Fills the new file: tag, audio and trailing tags, ID3v1; then the
// original's owner and mode, and flushes it.
bool FillNewFile(const CTagWrite& request, const COriginal& file, int out, CString* error) {
  const std::size_t size = static_cast<std::size_t>(file.st.st_size);
  const std::size_t region = RegionForNewFile(request);
  if (region > 0) {
    const std::vector<unsigned char> tag = BuildRegion(request, region);
    if (!WriteAll(out, tag.data(), tag.size())) return Fail(error);
  }
  const std::size_t rest = size - request.nOldTagEnd - (request.bV1 ? kV1Size : 0);
  if (!CopyRange(file.fd, static_cast<off_t>(request.nOldTagEnd), out, rest)) return Fail(error);
  if (request.bV1 && !WriteAll(out, request.v1.data(), kV1Size)) return Fail(error);
  // The owner only where allowed (root, or a group of one's own); the mode
  // after it, as changing the owner may clear set-id bits.
  if (file.st.st_uid != ::geteuid() || file.st.st_gid != ::getegid())
    if (::fchown(out, file.st.st_uid, file.st.st_gid) != 0) (void)::fchown(out, static_cast<uid_t>(-1), file.st.st_gid);
  // Some file systems (FAT on a music player) give every file the mode of
  // the mount and refuse fchmod; the new file then has the original's mode.
  const mode_t mode = file.st.st_mode & 07777;
  struct stat made {};
  if (::fchmod(out, mode) != 0 && (::fstat(out, &made) != 0 || (made.st_mode & 07777) != mode)) return Fail(error);
  if (::fsync(out) != 0) return Fail(error);
  return true;
}

// The name a new file replaces: a symbolic link's target, not the link.
CString TargetOf(const CString& path) {
  char resolved[PATH_MAX];
  return ::realpath(path, resolved) ? CString(resolved) : path;
}

// A new file beside the original, renamed over it.
bool ReplaceFile(const CTagWrite& request, const COriginal& file, CString* error, long* newSizeOut) {
  const CString target = TargetOf(request.strPath);
  const CString folder = FolderOf(target);
  const std::size_t newSize = RegionForNewFile(request) + static_cast<std::size_t>(file.st.st_size) -
                              request.nOldTagEnd;
  if (!EnoughSpaceFor(folder, newSize)) return FailWith(error, "The disk is full");

  const std::string name = NameOf(target).Str();
  std::string temp = (folder + "/").Str() + "." + name.substr(0, kTempNameKept) + kTempMark + "XXXXXX";
  const CFd out(::mkostemp(temp.data(), O_CLOEXEC));
  if (out.Get() < 0) return Fail(error, true);
  bool done = FillNewFile(request, file, out.Get(), error);
  // Renamed only over the file that was read, not over one another program
  // put there meanwhile.
  struct stat now {};
  if (done && (::stat(target, &now) != 0 || now.st_ino != file.st.st_ino || now.st_dev != file.st.st_dev))
    done = FailWith(error, "The file was changed by another program since it was read");
  if (done && ::rename(temp.c_str(), target) != 0) done = Fail(error, true);
  if (!done) {
    ::unlink(temp.c_str());
    return false;
  }
  // The rename has happened and cannot be undone; a folder that cannot be
  // flushed (some file systems refuse) leaves the new file in place all the same.
  const CFd dir(::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.Get() >= 0) ::fsync(dir.Get());
  *newSizeOut = static_cast<long>(newSize);
  return true;
}

}  // namespace

bool WriteTagSafely(const CTagWrite& request, CString* error, long* newSize) {
  long ignored = 0;
  if (!newSize) newSize = &ignored;
  IgnoreFileSizeSignal();
  error->Empty();
  const std::string& newTag = request.strNewTag;
  if (!newTag.empty() && (newTag.size() < kHeaderSize || newTag.compare(0, 3, "ID3") != 0))
    return FailWith(error, "The new tag could not be made");
  if (newTag.size() >= kMaxTagBody) return FailWith(error, "The tag would be larger than an ID3v2 tag may be");
  CFd fd;
  COriginal file;
  if (!OpenOriginal(request, &fd, &file, error)) return false;
  *newSize = static_cast<long>(file.st.st_size);
  const bool v1Changes = request.bV1 && std::memcmp(file.oldV1, request.v1.data(), kV1Size) != 0;
  if (request.strNewTag.empty() && request.nOldTagEnd == 0 && !v1Changes) return true;
  // In place only when one write changes the file from old to new: a tag
  // that fits, and an ID3v1 block that stays. Two writes (the tag and the
  // ID3v1 block at the end) could be cut apart by a crash, so a change to
  // both goes through a new file, whose rename is that one moment.
  const std::size_t tag = request.strNewTag.size() + (request.bFooter ? kHeaderSize : 0);
  const bool fits = tag > 0 && (request.bFooter ? tag == request.nOldTagEnd : tag <= request.nOldTagEnd);
  if (fits && !v1Changes) return WriteInPlace(request, file, error);
  return ReplaceFile(request, file, error, newSize);
}

bool IsWriterTemporary(const CString& fileName) {
  const std::string name = NameOf(fileName).Str();
  const std::size_t mark = name.rfind(kTempMark);
  return name.size() > 1 && name[0] == '.' && mark != std::string::npos && mark > 1 &&
         name.size() == mark + std::strlen(kTempMark) + kTempRandom;
}
