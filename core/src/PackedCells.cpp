#include <core/PackedCells.h>

#include <cstring>
#include <string>

namespace {

// A length takes seven bits a byte, the high bit set when more follow.
std::size_t ReadLength(std::string_view bytes, std::size_t& at) {
  std::size_t length = 0;
  for (int shift = 0; at < bytes.size(); shift += 7) {
    const auto b = static_cast<unsigned char>(bytes[at++]);
    length |= static_cast<std::size_t>(b & 0x7F) << shift;
    if (!(b & 0x80)) break;
  }
  return length;
}

std::string EncodedLength(std::size_t length) {
  std::string out;
  for (; length >= 0x80; length >>= 7) out += static_cast<char>(length | 0x80);
  out += static_cast<char>(length);
  return out;
}

}  // namespace

CPackedCells& CPackedCells::operator=(const CPackedCells& other) {
  if (this == &other) return *this;
  m_nMask = other.m_nMask;
  m_nSize = other.m_nSize;
  m_pBytes.reset(m_nSize ? new char[m_nSize] : nullptr);
  if (m_nSize) std::memcpy(m_pBytes.get(), other.m_pBytes.get(), m_nSize);
  return *this;
}

std::size_t CPackedCells::OffsetOf(int col) const {
  std::size_t at = 0;
  for (int c = 0; c < col; ++c) {
    if (!Has(c)) continue;
    const std::size_t length = ReadLength(Bytes(), at);
    at += length;
  }
  return at;
}

CString CPackedCells::Get(int col) const {
  if (!Has(col)) return CString();
  std::size_t at = OffsetOf(col);
  const std::size_t length = ReadLength(Bytes(), at);
  return CString(std::string(Bytes().substr(at, length)));
}

void CPackedCells::Set(int col, const CString& text) {
  if (col < 0 || col >= kMaxColumns) return;
  Remove(col);
  const std::size_t at = OffsetOf(col);
  Splice(at, at, EncodedLength(text.Str().size()) + text.Str());
  m_nMask |= 1u << col;
}

void CPackedCells::Remove(int col) {
  if (!Has(col)) return;
  const std::size_t from = OffsetOf(col);
  std::size_t to = from;
  const std::size_t length = ReadLength(Bytes(), to);
  Splice(from, to + length, {});
  m_nMask &= ~(1u << col);
}

void CPackedCells::Splice(std::size_t from, std::size_t to, std::string_view insert) {
  const std::size_t size = m_nSize - (to - from) + insert.size();
  std::unique_ptr<char[]> bytes(size ? new char[size] : nullptr);
  if (from) std::memcpy(bytes.get(), m_pBytes.get(), from);
  if (!insert.empty()) std::memcpy(bytes.get() + from, insert.data(), insert.size());
  if (m_nSize > to) std::memcpy(bytes.get() + from + insert.size(), m_pBytes.get() + to, m_nSize - to);
  m_pBytes = std::move(bytes);
  m_nSize = static_cast<std::uint32_t>(size);
}
