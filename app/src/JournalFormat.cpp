#include "JournalFormat.h"

#include <zlib.h>

#include <cstdint>

namespace {

constexpr char kMagic[4] = {'Q', 'L', 'J', 'N'};
constexpr std::uint32_t kVersion = 1;
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

// Reads the payload; every read is checked against what is left, so a
// damaged length cannot read past the end or ask for a huge allocation.
class CReader {
 public:
  explicit CReader(const std::string& bytes) : m_bytes(bytes) {}
  bool Number(std::uint64_t& value, int bytes) {
    if (!Has(static_cast<std::size_t>(bytes))) return false;
    value = 0;
    for (int k = 0; k < bytes; ++k)
      value |= static_cast<std::uint64_t>(static_cast<unsigned char>(m_bytes[m_at + k])) << (8 * k);
    m_at += static_cast<std::size_t>(bytes);
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
    if (!Number(size, 4) || !Has(size)) return false;
    bytes = m_bytes.substr(m_at, size);
    m_at += size;
    return true;
  }
  bool Text(CString& text) {
    std::string bytes;
    if (!Bytes(bytes)) return false;
    text = CString(std::move(bytes));
    return true;
  }
  bool AtEnd() const { return m_at == m_bytes.size(); }

 private:
  bool Has(std::uint64_t size) const { return size <= m_bytes.size() - m_at; }
  const std::string& m_bytes;
  std::size_t m_at = 0;
};

}  // namespace

CEntryBytes::CEntryBytes(const JournalEntry& front) {
  PutBytes(m_strStart, front.strFolder.Str());
  PutNumber(m_strStart, static_cast<std::uint64_t>(front.nTime), 8);
}

std::string CEntryBytes::File(const JournalFile& file) {
  std::string bytes;
  PutBytes(bytes, file.strPath.Str());
  PutBytes(bytes, file.strOldPath.Str());
  PutNumber(bytes, static_cast<std::uint64_t>(file.nSize), 8);
  PutNumber(bytes, static_cast<std::uint64_t>(file.nMtimeNs), 8);
  PutNumber(bytes, static_cast<std::uint64_t>(file.nOldMtimeNs), 8);
  PutBytes(bytes, file.record);
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

bool ParseEntry(const std::string& bytes, JournalEntry& entry, CString& why) {
  why = "is damaged";
  if (bytes.size() < kHeaderSize || bytes.compare(0, 4, kMagic, 4) != 0) {
    why = "is not a journal entry";
    return false;
  }
  const std::string headerBytes = bytes.substr(4, kHeaderSize - 4);
  CReader header(headerBytes);
  std::uint64_t version = 0, size = 0, crc = 0;
  header.Number(version, 4);
  header.Number(size, 8);
  header.Number(crc, 4);
  if (version > kVersion) {
    why = "was written by a newer version of Quillory";
    return false;
  }
  const std::string payload = bytes.substr(kHeaderSize);
  if (version == 0 || size != payload.size() || crc != Crc32(payload)) return false;

  CReader reader(payload);
  std::uint64_t count = 0;
  if (!reader.Text(entry.strFolder) || !reader.Signed(entry.nTime) || !reader.Number(count, 4)) return false;
  entry.files.clear();
  for (std::uint64_t k = 0; k < count; ++k) {
    JournalFile file;
    if (!reader.Text(file.strPath) || !reader.Text(file.strOldPath) || !reader.Signed(file.nSize) ||
        !reader.Signed(file.nMtimeNs) || !reader.Signed(file.nOldMtimeNs) || !reader.Bytes(file.record))
      return false;
    entry.files.push_back(std::move(file));
  }
  return reader.AtEnd();
}
