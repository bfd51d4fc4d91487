#pragma once
// A whole file mapped read-only into memory, so the tag checks and id3lib's
// parse read it without a system call per field.
#include <cstddef>

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

 private:
  bool m_bOpen = false;
  const unsigned char* m_pData = nullptr;
  std::size_t m_nSize = 0;
};
