#pragma once
// A whole file mapped read-only into memory, so the tag checks and id3lib's
// parse read it without a system call per field.
#include <cstddef>
#include <cstdint>

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
  // Where the mapped file lies and when it was last modified, as it was
  // opened (the same file as the bytes, whatever its name points to later).
  std::uint64_t Device() const { return m_nDevice; }
  std::uint64_t Inode() const { return m_nInode; }
  long long MtimeNs() const { return m_nMtimeNs; }

 private:
  bool m_bOpen = false;
  const unsigned char* m_pData = nullptr;
  std::size_t m_nSize = 0;
  std::uint64_t m_nDevice = 0;
  std::uint64_t m_nInode = 0;
  long long m_nMtimeNs = 0;
};
