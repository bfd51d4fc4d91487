#include "MappedFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

CMappedFile::CMappedFile(const char* path, bool followLink) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW));
  if (fd < 0) return;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    m_bOpen = true;
    m_nSize = static_cast<std::size_t>(st.st_size);
    m_nDevice = static_cast<std::uint64_t>(st.st_dev);
    m_nInode = static_cast<std::uint64_t>(st.st_ino);
    m_nMtimeNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    if (m_nSize > 0) {
      void* p = ::mmap(nullptr, m_nSize, PROT_READ, MAP_PRIVATE, fd, 0);
      if (p == MAP_FAILED) {
        m_bOpen = false;
        m_nSize = 0;
      } else {
        m_pData = static_cast<const unsigned char*>(p);
      }
    }
  }
  ::close(fd);
}

CMappedFile::~CMappedFile() {
  if (m_pData) ::munmap(const_cast<unsigned char*>(m_pData), m_nSize);
}
