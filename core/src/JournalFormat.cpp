#include <core/JournalFormat.h>

#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace {

constexpr char kMagic[4] = {'Q', 'L', 'J', 'N'};
constexpr std::uint32_t kVersion = 1;
constexpr std::uint32_t kGrowingVersion = 2;  // an entry written a batch at a time
constexpr std::size_t kBlockHeadSize = 8 + 4;
constexpr std::size_t kHeaderSize = 4 + 4 + 8 + 4;

std::uint32_t Crc32(const std::string& bytes) {
  return static_cast<std::uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

void PutNumber(std::string& out, std::uint64_t value, int bytes) {
  for (int k = 0; k < bytes; ++k) out += static_cast<char>((value >> (8 * k)) & 0xFF);
}
void PutBytes(std::string& out, const std::string& bytes) {
  PutNumber(out, bytes.size(), 4);
  out += bytes;
}

// Reads the payload from the entry's file a part at a time, summing its
// checksum as it goes; every read is checked against what is left, so a
// damaged length cannot read past the end or ask for more memory than the
// file holds.
class CReader {
 public:
  CReader(int fd, std::uint64_t size) : m_fd(fd), m_nLeft(size) {}
  bool Number(std::uint64_t& value, int bytes) {
    unsigned char raw[8];
    if (!Take(reinterpret_cast<char*>(raw), static_cast<std::size_t>(bytes))) return false;
    value = 0;
    for (int k = 0; k < bytes; ++k) value |= static_cast<std::uint64_t>(raw[k]) << (8 * k);
    return true;
  }
  bool Signed(long long& value) {
    std::uint64_t raw = 0;
    if (!Number(raw, 8)) return false;
    value = static_cast<long long>(raw);
    return true;
  }
  bool Bytes(std::string& bytes) {
    std::uint64_t size = 0;
    if (!Number(size, 4) || size > Left()) return false;
    bytes.resize(static_cast<std::size_t>(size));
    return Take(bytes.data(), bytes.size());
  }
  bool Text(CString& text) {
    std::string bytes;
    if (!Bytes(bytes)) return false;
    text = CString(std::move(bytes));
    return true;
  }
  bool AtEnd() const { return Left() == 0 && !m_bFailed; }
  std::uint32_t Crc() const { return m_nCrc; }

 private:
  std::uint64_t Left() const { return m_nLeft + (m_buffer.size() - m_nAt); }
  // Exactly n bytes of the payload into out.
  bool Take(char* out, std::size_t n) {
    if (n > Left()) return false;
    const std::size_t buffered = std::min(n, m_buffer.size() - m_nAt);
    std::copy_n(m_buffer.data() + m_nAt, buffered, out);
    m_nAt += buffered;
    out += buffered, n -= buffered;
    if (n >= kBuffer) return Read(out, n);  // a record: straight into its place
    if (n == 0) return true;
    m_buffer.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kBuffer, m_nLeft)));
    m_nAt = 0;
    if (!Read(m_buffer.data(), m_buffer.size())) return false;
    std::copy_n(m_buffer.data(), n, out);
    m_nAt = n;
    return true;
  }
  bool Read(char* out, std::size_t n) {
    for (std::size_t done = 0; done < n;) {
      const ssize_t got = read(m_fd, out + done, n - done);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) {
        m_bFailed = true;
        return false;
      }
      done += static_cast<std::size_t>(got);
    }
    m_nLeft -= n;
    m_nCrc = static_cast<std::uint32_t>(crc32(m_nCrc, reinterpret_cast<const Bytef*>(out), static_cast<uInt>(n)));
    return true;
  }

  static constexpr std::size_t kBuffer = 1 << 16;
  const int m_fd;
  std::uint64_t m_nLeft;  // bytes of the file not read yet
  std::string m_buffer;
  std::size_t m_nAt = 0;  // the next byte of m_buffer
  std::uint32_t m_nCrc = 0;
  bool m_bFailed = false;
};

void PutFile(std::string& out, const JournalFile& file) {
  PutBytes(out, file.strPath.Str());
  PutBytes(out, file.strOldPath.Str());
  PutNumber(out, static_cast<std::uint64_t>(file.nSize), 8);
  PutNumber(out, static_cast<std::uint64_t>(file.nMtimeNs), 8);
  PutNumber(out, static_cast<std::uint64_t>(file.nOldMtimeNs), 8);
  PutBytes(out, file.record);
}

bool ReadFile(CReader& reader, JournalFile& file) {
  return reader.Text(file.strPath) && reader.Text(file.strOldPath) && reader.Signed(file.nSize) &&
         reader.Signed(file.nMtimeNs) && reader.Signed(file.nOldMtimeNs) && reader.Bytes(file.record);
}

std::string Block(const std::string& payload) {
  std::string bytes;
  PutNumber(bytes, payload.size(), 8);
  PutNumber(bytes, Crc32(payload), 4);
  return bytes + payload;
}

// The blocks of a growing entry, from the one after its head to the end of
// the file. A last block that is not whole (a crash cut its write short) is
// dropped with the files it holds; any other damage is the entry's.
bool ReadBlocks(int fd, std::uint64_t left, JournalEntry& entry) {
  bool front = true;
  while (left > 0) {
    std::uint64_t size = 0, crc = 0;
    CReader head(fd, std::min<std::uint64_t>(left, kBlockHeadSize));
    if (left < kBlockHeadSize || !head.Number(size, 8) || !head.Number(crc, 4) || size > left - kBlockHeadSize)
      return !front;
    left -= kBlockHeadSize + size;
    CReader reader(fd, size);
    std::vector<JournalFile> files;
    bool whole = false;
    if (front) {
      whole = reader.Text(entry.strFolder) && reader.Signed(entry.nTime);
    } else {
      std::uint64_t count = 0;
      whole = reader.Number(count, 4);
      for (std::uint64_t k = 0; whole && k < count; ++k) whole = ReadFile(reader, files.emplace_back());
    }
    if (!(whole && reader.AtEnd() && reader.Crc() == crc)) return !front && left == 0;
    for (JournalFile& file : files) entry.files.push_back(std::move(file));
    front = false;
  }
  return !front;
}

}  // namespace

std::string GrowingEntryStart(const JournalEntry& front) {
  std::string payload;
  PutBytes(payload, front.strFolder.Str());
  PutNumber(payload, static_cast<std::uint64_t>(front.nTime), 8);
  std::string bytes(kMagic, sizeof kMagic);
  PutNumber(bytes, kGrowingVersion, 4);
  return bytes + Block(payload);
}

std::string GrowingEntryBlock(std::span<const JournalFile> files) {
  std::string payload;
  PutNumber(payload, files.size(), 4);
  for (const JournalFile& file : files) PutFile(payload, file);
  return Block(payload);
}

CEntryBytes::CEntryBytes(const JournalEntry& front) {
  PutBytes(m_strStart, front.strFolder.Str());
  PutNumber(m_strStart, static_cast<std::uint64_t>(front.nTime), 8);
}

std::string CEntryBytes::File(const JournalFile& file) {
  std::string bytes;
  PutFile(bytes, file);
  ++m_nFiles;
  m_nFilesSize += bytes.size();
  m_nFilesCrc = static_cast<std::uint32_t>(
      crc32(m_nFilesCrc, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
  return bytes;
}

std::size_t CEntryBytes::FrontSize() const { return kHeaderSize + m_strStart.size() + 4; }

std::string CEntryBytes::Front() const {
  std::string start = m_strStart;
  PutNumber(start, m_nFiles, 4);
  const std::uint64_t payloadSize = start.size() + m_nFilesSize;
  // The checksum of the payload, from those of its two parts.
  const auto crc = static_cast<std::uint32_t>(crc32_combine(Crc32(start), m_nFilesCrc, static_cast<z_off_t>(m_nFilesSize)));
  std::string bytes(kMagic, sizeof kMagic);
  PutNumber(bytes, kVersion, 4);
  PutNumber(bytes, payloadSize, 8);
  PutNumber(bytes, crc, 4);
  return bytes + start;
}

bool ReadEntry(int fd, std::uint64_t fileSize, JournalEntry& entry, CString& why) {
  why = "is damaged";
  CReader front(fd, std::min<std::uint64_t>(fileSize, kHeaderSize));
  std::uint64_t magic = 0, version = 0, size = 0, crc = 0;
  std::uint64_t expected = 0;
  for (int k = 3; k >= 0; --k) expected = expected << 8 | static_cast<unsigned char>(kMagic[k]);
  if (fileSize < kHeaderSize || !front.Number(magic, 4) || magic != expected) {
    why = "is not a journal entry";
    return false;
  }
  front.Number(version, 4);
  front.Number(size, 8);
  front.Number(crc, 4);
  if (version > kGrowingVersion) {
    why = "was written by a newer version of Quillory";
    return false;
  }
  entry.files.clear();
  if (version == kGrowingVersion)
    return lseek(fd, sizeof kMagic + 4, SEEK_SET) >= 0 && ReadBlocks(fd, fileSize - sizeof kMagic - 4, entry);
  if (version == 0 || size != fileSize - kHeaderSize) return false;

  CReader reader(fd, size);
  std::uint64_t count = 0;
  if (!reader.Text(entry.strFolder) || !reader.Signed(entry.nTime) || !reader.Number(count, 4)) return false;
  for (std::uint64_t k = 0; k < count; ++k)
    if (!ReadFile(reader, entry.files.emplace_back())) return false;
  return reader.AtEnd() && reader.Crc() == crc;
}
