#include <core/WholeFileRecord.h>

#include <base/DurableFile.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

constexpr char kMagic[] = "QTW1";
constexpr std::size_t kHead = 4 + 8;

}  // namespace

std::vector<unsigned char> MakeWholeFileRecord(const std::string& before, const std::string& after) {
  std::string record(kMagic, 4);
  for (int k = 0; k < 8; ++k) record += static_cast<char>((static_cast<std::uint64_t>(after.size()) >> (8 * k)) & 0xFF);
  record += after;
  record += before;
  return {record.begin(), record.end()};
}

bool IsWholeFileRecord(const std::string& record) { return record.compare(0, 4, kMagic) == 0; }

CRestoreResult RestoreWholeFile(const CString& path, const std::string& record, CString& reason) {
  std::uint64_t newSize = 0;
  for (int k = 0; k < 8 && record.size() >= kHead; ++k)
    newSize |= static_cast<std::uint64_t>(static_cast<unsigned char>(record[4 + k])) << (8 * k);
  if (!IsWholeFileRecord(record) || record.size() < kHead || newSize > record.size() - kHead) {
    reason = "Its record in the journal is damaged";
    return CRestoreResult::Refused;
  }
  const std::string_view written(record.data() + kHead, newSize);
  const std::string_view old(record.data() + kHead + newSize, record.size() - kHead - newSize);
  std::ifstream in(path.GetString(), std::ios::binary);
  std::ostringstream now;
  now << in.rdbuf();  // an empty file reads as nothing
  if (!in || in.bad()) {
    reason = CString("It cannot be read: ") + std::strerror(errno);
    return CRestoreResult::Refused;
  }
  const std::string bytes = now.str();
  if (bytes == old) return CRestoreResult::AlreadyRestored;
  if (bytes != written) {
    reason = "It was changed since the save";
    return CRestoreResult::Refused;
  }
  if (!base::WriteFileDurably(path.Str(), std::string(old))) {
    reason = CString("It could not be written: ") + std::strerror(errno);
    return CRestoreResult::Failed;
  }
  return CRestoreResult::Restored;
}
