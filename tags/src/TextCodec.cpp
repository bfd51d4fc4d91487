#include "TextCodec.h"

#include <base/Utf8.h>

#include <cstring>

namespace textcodec {
namespace {

unsigned short Swap(unsigned short u) { return static_cast<unsigned short>((u >> 8) | (u << 8)); }

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c < 0xE000; }

// The characters of a value as they go into a frame: a byte that is not
// UTF-8 is its Latin-1 character (see utf8::Decode).
std::wstring Characters(const CString& value) {
  std::wstring text = utf8::Decode(value.Str());
  for (wchar_t& ch : text) ch = utf8::CharacterOf(ch);
  return text;
}

}  // namespace

CString Latin1ToUtf8(const char* text) {
  std::wstring wide;
  for (const char* p = text; p && *p; ++p) wide += static_cast<wchar_t>(static_cast<unsigned char>(*p));
  return CString(utf8::Encode(wide));
}

CString SwappedUtf16ToUtf8(const unsigned short* units, std::size_t count) {
  std::wstring wide;
  const unsigned short* end = units ? units + count : units;
  for (const unsigned short* p = units; p != end && *p; ++p) {
    char32_t c = Swap(*p);
    if (c >= 0xD800 && c < 0xDC00 && p + 1 != end) {
      const char32_t low = Swap(p[1]);
      if (low >= 0xDC00 && low < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++p;
      }
    }
    if (c == 0xFEFF) continue;  // a byte-order mark is no part of the text
    // Half a surrogate pair is no character: it reads as U+FFFD.
    wide += static_cast<wchar_t>(IsSurrogate(c) ? 0xFFFD : c);
  }
  return CString(utf8::Encode(wide));
}

bool Utf8ToLatin1(const CString& value, std::string* out) {
  std::string latin;
  for (const wchar_t c : Characters(value)) {
    if (c > 0xFF || c == 0) return false;
    latin += static_cast<char>(c);
  }
  *out = std::move(latin);
  return true;
}

std::u16string Utf8ToSwappedUtf16(const CString& value) {
  std::u16string out;
  for (const wchar_t wide : Characters(value)) {
    auto c = static_cast<char32_t>(wide);
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(Swap(static_cast<unsigned short>(0xD800 + (c >> 10))));
      out += static_cast<char16_t>(Swap(static_cast<unsigned short>(0xDC00 + (c & 0x3FF))));
    } else {
      out += static_cast<char16_t>(Swap(static_cast<unsigned short>(c)));
    }
  }
  return out;
}

void CopyCut(const CString& text, char* buffer, int size) {
  if (size <= 0) return;
  int n = text.GetLength() < size - 1 ? text.GetLength() : size - 1;
  // Step back over continuation bytes so no character is split.
  if (n < text.GetLength())
    while (n > 0 && utf8::IsContinuation(static_cast<unsigned char>(text.GetAt(n)))) --n;
  std::memcpy(buffer, text.GetString(), static_cast<std::size_t>(n));
  buffer[n] = '\0';
}

}  // namespace textcodec
