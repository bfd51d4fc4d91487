#include "DiskCost.h"

#include "Floor.h"
#include "Measure.h"

#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace bench {

namespace {

// Bytes of the ID3v2 tag at the start of the file: header, body and footer.
std::size_t TagRegion(int fd) {
  unsigned char header[10];
  if (::pread(fd, header, sizeof header, 0) != static_cast<ssize_t>(sizeof header)) return 0;
  if (header[0] != 'I' || header[1] != 'D' || header[2] != '3') return 128;
  const std::size_t body = (header[6] & 0x7Fu) << 21 | (header[7] & 0x7Fu) << 14 | (header[8] & 0x7Fu) << 7 |
                           (header[9] & 0x7Fu);
  return 10 + body + ((header[5] & 0x10) ? 10 : 0);
}

// Seconds to write every file's tag region back, flushing each when asked.
double WriteBack(const std::vector<std::string>& files, bool flush) {
  std::vector<unsigned char> bytes;
  double total = 0;
  for (const std::string& file : files) {
    const int fd = ::open(file.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) continue;
    bytes.resize(TagRegion(fd));
    const ssize_t got = ::pread(fd, bytes.data(), bytes.size(), 0);
    // Only the write (and flush) is timed, as a save has the bytes in memory.
    const double start = Now();
    if (got > 0 && ::pwrite(fd, bytes.data(), static_cast<std::size_t>(got), 0) == got && flush) ::fdatasync(fd);
    total += Now() - start;
    ::close(fd);
  }
  return total;
}

}  // namespace

FlushTimes TimeTagFlush(const std::string& folder) {
  const std::vector<std::string> files = Mp3Files(folder);
  FlushTimes times;
  times.nFiles = static_cast<int>(files.size());
  // Whatever the save left unflushed goes first, so neither pass pays for it.
  for (const std::string& file : files) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    ::fdatasync(fd);
    ::close(fd);
  }
  times.dWrite = WriteBack(files, false);
  times.dFlush = WriteBack(files, true);
  return times;
}

}  // namespace bench
