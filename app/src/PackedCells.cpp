#include "PackedCells.h"

namespace {

// A length takes seven bits a byte, the high bit set when more follow.
std::size_t ReadLength(const std::string& bytes, std::size_t& at) {
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

std::size_t CPackedCells::OffsetOf(int col) const {
  std::size_t at = 0;
  for (int c = 0; c < col; ++c) {
    if (!Has(c)) continue;
    const std::size_t length = ReadLength(m_bytes, at);
    at += length;
  }
  return at;
}

CString CPackedCells::Get(int col) const {
  if (!Has(col)) return CString();
  std::size_t at = OffsetOf(col);
  const std::size_t length = ReadLength(m_bytes, at);
  return CString(m_bytes.substr(at, length));
}

void CPackedCells::Set(int col, const CString& text) {
  if (col < 0 || col >= kMaxColumns) return;
  Remove(col);
  m_bytes.insert(OffsetOf(col), EncodedLength(text.Str().size()) + text.Str());
  m_nMask |= 1u << col;
}

void CPackedCells::Remove(int col) {
  if (!Has(col)) return;
  const std::size_t from = OffsetOf(col);
  std::size_t to = from;
  const std::size_t length = ReadLength(m_bytes, to);
  to += length;
  m_bytes.erase(from, to - from);
  m_nMask &= ~(1u << col);
  if (m_nMask == 0) std::string().swap(m_bytes);  // an emptied block gives its room back
}
