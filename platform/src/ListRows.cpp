#include "ListRows.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace platform {

namespace {

using Byte = unsigned char;

std::uint32_t SizeAt(const Byte* p) {
  std::uint32_t size = 0;
  std::memcpy(&size, p, sizeof size);
  return size;
}

// Reads a cell's length at p and moves p past it.
std::size_t ReadLength(const Byte*& p) {
  std::size_t length = 0;
  for (int shift = 0;; shift += 7) {
    const Byte b = *p++;
    length |= static_cast<std::size_t>(b & 0x7F) << shift;
    if (!(b & 0x80)) return length;
  }
}

Byte* WriteLength(Byte* p, std::size_t length) {
  for (; length >= 0x80; length >>= 7) *p++ = static_cast<Byte>(length | 0x80);
  *p++ = static_cast<Byte>(length);
  return p;
}

std::size_t LengthBytes(std::size_t length) {
  std::size_t bytes = 1;
  for (; length >= 0x80; length >>= 7) ++bytes;
  return bytes;
}

}  // namespace

CellTexts::~CellTexts() { std::free(m_p); }

const Byte* CellTexts::Begin() const { return m_p ? m_p + sizeof(std::uint32_t) : nullptr; }

const Byte* CellTexts::End() const { return m_p ? Begin() + SizeAt(m_p) : nullptr; }

const Byte* CellTexts::Find(int col, int* missing) const {
  const Byte* p = Begin();
  const Byte* end = End();
  for (; col > 0 && p != end; --col) p += ReadLength(p);
  if (missing) *missing = col;
  return p;
}

std::string_view CellTexts::Get(int col) const {
  int missing = 0;
  const Byte* p = Find(col, &missing);
  if (col < 0 || missing > 0 || p == End()) return {};
  const std::size_t length = ReadLength(p);
  return {reinterpret_cast<const char*>(p), length};
}

void CellTexts::Set(int col, std::string_view text) {
  if (col < 0) return;
  int missing = 0;
  const Byte* from = Find(col, &missing);
  const Byte* to = from;
  if (to != End()) to += ReadLength(to);
  if (text.empty() && to == End() && from == to) return;  // past the end: empty already
  Splice(from, to, missing, text);
}

void CellTexts::InsertCell(int col) {
  int missing = 0;
  const Byte* at = Find(col, &missing);
  if (col >= 0 && missing == 0 && at != End()) Splice(at, at, 0, {});
}

void CellTexts::RemoveCell(int col) {
  int missing = 0;
  const Byte* from = Find(col, &missing);
  if (col < 0 || missing > 0 || from == End()) return;
  const Byte* to = from;
  to += ReadLength(to);
  // Done in place: the block keeps its room, the size says what is used.
  const std::size_t head = static_cast<std::size_t>(from - Begin());
  const std::size_t tail = static_cast<std::size_t>(End() - to);
  std::memmove(m_p + sizeof(std::uint32_t) + head, to, tail);
  const auto size = static_cast<std::uint32_t>(head + tail);
  std::memcpy(m_p, &size, sizeof size);
}

void CellTexts::Splice(const Byte* from, const Byte* to, int emptyCells, std::string_view text) {
  const Byte* begin = Begin();
  const auto head = static_cast<std::size_t>(from - begin);
  const auto tail = static_cast<std::size_t>(End() - to);
  const std::size_t size = head + static_cast<std::size_t>(emptyCells) + LengthBytes(text.size()) + text.size() + tail;
  auto* block = static_cast<Byte*>(std::malloc(sizeof(std::uint32_t) + size));
  if (!block) throw std::bad_alloc();
  const auto size32 = static_cast<std::uint32_t>(size);
  std::memcpy(block, &size32, sizeof size32);
  Byte* out = block + sizeof size32;
  if (head) std::memcpy(out, begin, head);
  out += head;
  std::memset(out, 0, static_cast<std::size_t>(emptyCells));
  out += emptyCells;
  out = WriteLength(out, text.size());
  if (!text.empty()) std::memcpy(out, text.data(), text.size());
  out += text.size();
  if (tail) std::memcpy(out, to, tail);
  // text may lie in the old block; it is freed only now.
  std::free(m_p);
  m_p = block;
}

}  // namespace platform
