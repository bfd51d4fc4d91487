#pragma once
// Files written so that neither a crash nor a full disk leaves one half
// written: the new bytes go to a new file beside the one they replace, which
// is flushed to the disk, then renamed over it (the one moment the file
// changes from old to new), and the folder is flushed so that the new name
// survives a crash too. Every failure is reported with errno set; the file
// replaced is then as it was and no new file is left.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include <sys/stat.h>
#include <sys/types.h>

namespace base {

// A descriptor closed when it goes out of scope.
class CFd {
 public:
  explicit CFd(int fd = -1) : m_fd(fd) {}
  ~CFd() { Reset(); }
  CFd(CFd&& other) noexcept : m_fd(other.Release()) {}
  CFd& operator=(CFd&& other) noexcept;
  CFd(const CFd&) = delete;
  CFd& operator=(const CFd&) = delete;
  int Get() const { return m_fd; }
  void Reset(int fd = -1);
  int Release() { return std::exchange(m_fd, -1); }

 private:
  int m_fd;
};

// Writes every byte or fails with errno set: a short write is retried and
// one that writes nothing counts as a full disk. At a negative offset the
// bytes go at the descriptor's position.
bool WriteAll(int fd, const void* data, std::size_t size, off_t offset = -1);
// Reads size bytes at offset; a file that ends first fails with EIO.
bool ReadAll(int fd, void* data, std::size_t size, off_t offset);
// Copies size bytes from offset of in to the position of out, in the kernel
// where the file system allows it; a file that ends first fails with EIO.
bool CopyRange(int in, off_t offset, int out, std::size_t size);

// fsync. With whileWaiting it runs on a thread of its own, and whileWaiting
// is called every few milliseconds until it is done.
bool FlushFile(int fd, const std::function<void()>& whileWaiting = {});
// Flushes a folder, so that the names last made or changed in it are on the
// disk; false (errno set) when it cannot be opened or flushed.
bool FlushFolder(const std::string& folder, const std::function<void()>& whileWaiting = {});
// The folder a path names a file in: "." for a bare name, "/" for a file at
// the root.
std::string FolderOfFile(const std::string& path);

// Gives out what the file at original (as read) carries beside its bytes,
// so that it can replace it: its mode, its owner where this user may (root,
// or a group of one's own), and its extended attributes (a user's
// attributes, an access control list). The mode comes after the owner, as
// changing the owner may clear set-id bits. A file system that gives every
// file the mode of the mount (FAT on a music player) refuses to change it:
// no failure when the new file has that mode all the same. An attribute this
// user may not set (another's, the system's) or the file system does not
// take is passed over; false (errno set) when one could not be written for
// want of room or by a failing disk.
bool KeepWhatItReplaces(int out, const std::string& original, const struct stat& read);

// A new file beside the one it is to replace, removed again unless it is
// put in its place.
class CNewFile {
 public:
  CNewFile() = default;
  ~CNewFile() { Drop(); }
  CNewFile(CNewFile&& other) noexcept
      : m_fd(std::move(other.m_fd)), m_strPath(std::exchange(other.m_strPath, {})),
        m_bPlaced(std::exchange(other.m_bPlaced, false)) {}
  CNewFile& operator=(CNewFile&& other) noexcept;
  CNewFile(const CNewFile&) = delete;
  CNewFile& operator=(const CNewFile&) = delete;

  // Makes an empty file named prefix and six random characters in folder,
  // with mode (less the umask).
  bool Create(const std::string& folder, const std::string& prefix, mode_t mode = 0600);
  // Takes a file already made (fd open for writing, named path) as this one.
  void Adopt(int fd, std::string path);

  bool IsOpen() const { return m_fd.Get() >= 0; }
  int Fd() const { return m_fd.Get(); }
  const std::string& Path() const { return m_strPath; }

  bool Write(std::string_view bytes, off_t offset = -1) { return WriteAll(Fd(), bytes.data(), bytes.size(), offset); }
  bool Flush(const std::function<void()>& whileWaiting = {}) { return FlushFile(Fd(), whileWaiting); }
  // Renames the file (written and flushed) over target, or with noReplace
  // to target only when no file has that name (EEXIST when one has). The
  // folder is not flushed: several renames in one folder share one flush.
  // On failure the file stays, for another try or Drop.
  bool MoveTo(const std::string& target, bool noReplace = false);
  // Removes the file unless it was moved in place.
  void Drop();

 private:
  CFd m_fd;
  std::string m_strPath;
  bool m_bPlaced = false;
};

// Makes bytes the whole of the file at path as described above: a file that
// was there keeps its mode (and owner where allowed); a new one has the mode
// 0666 less the umask. False with errno set when anything failed.
bool WriteFileDurably(const std::string& path, std::string_view bytes);

}  // namespace base
