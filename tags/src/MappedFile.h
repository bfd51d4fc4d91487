#pragma once
// A whole file mapped read-only into memory, so the tag checks and id3lib's
// parse read it without a system call per field.
//
// Another program may shorten the file while it is mapped (a copy over it
// truncates it first); reading a page past the new end would end the
// process with SIGBUS. Such a fault in a live map is caught: the rest of the
// map reads as zeros from then on and the map is marked torn, so the read
// finishes and IsIntact() then says the bytes cannot be trusted.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>

// Why a file whose map was not intact after its read is not written.
inline constexpr const char* kChangedWhileRead =
    "The file was being changed by another program while it was read; Reload to read it again";

class CMappedFile {
 public:
  // followLink false: a symbolic link at path is not opened.
  explicit CMappedFile(const char* path, bool followLink = true);
  ~CMappedFile();
  CMappedFile(const CMappedFile&) = delete;
  CMappedFile& operator=(const CMappedFile&) = delete;

  // False when the file could not be opened or is not a regular file.
  bool IsOpen() const { return m_bOpen; }
  const unsigned char* Data() const { return m_pData; }
  std::size_t Size() const { return m_nSize; }

  // True when every byte read so far is the file's as it was when opened:
  // no page of the map was lost, the file still has its size and
  // modification time, and the path still names it. False for a file that
  // is not open.
  bool IsIntact() const;
  // Where the mapped file lies and when it was last modified, as it was
  // opened (the same file as the bytes, whatever its name points to later).
  std::uint64_t Device() const { return static_cast<std::uint64_t>(m_dev); }
  std::uint64_t Inode() const { return static_cast<std::uint64_t>(m_ino); }
  long long MtimeNs() const { return static_cast<long long>(m_mtime.tv_sec) * 1000000000LL + m_mtime.tv_nsec; }

 private:
  bool m_bOpen = false;
  const unsigned char* m_pData = nullptr;
  std::size_t m_nSize = 0;
  int m_nSlot = -1;          // the map's place among the guarded maps; -1 when read into m_copy
  dev_t m_dev = 0;
  ino_t m_ino = 0;
  timespec m_mtime{};
  std::unique_ptr<unsigned char[]> m_copy;  // the file's bytes when no map could be guarded
  bool m_bCopyShort = false;          // the file ended before m_copy was filled
  std::string m_strPath;
  bool m_bFollowLink = true;
};
