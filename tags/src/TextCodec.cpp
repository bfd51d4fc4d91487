#include "TextCodec.h"

#include <cstring>
#include <vector>

namespace textcodec {
namespace {

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

unsigned short Swap(unsigned short u) { return static_cast<unsigned short>((u >> 8) | (u << 8)); }

// Decodes UTF-8 leniently: a byte that starts no valid sequence stands for
// itself as Latin-1, so text from any source survives.
std::vector<char32_t> Decode(const std::string& s) {
  std::vector<char32_t> out;
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    int len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    char32_t c = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    bool ok = len > 0 && i + len <= s.size();
    for (int k = 1; ok && k < len; ++k) {
      const unsigned char t = static_cast<unsigned char>(s[i + k]);
      ok = (t & 0xC0) == 0x80;
      c = (c << 6) | (t & 0x3F);
    }
    if (!ok || c > 0x10FFFF) {
      out.push_back(b);
      ++i;
    } else {
      out.push_back(c);
      i += len;
    }
  }
  return out;
}

}  // namespace

CString Latin1ToUtf8(const char* text) {
  std::string out;
  for (const char* p = text; p && *p; ++p) AppendUtf8(out, static_cast<unsigned char>(*p));
  return CString(std::move(out));
}

CString SwappedUtf16ToUtf8(const unsigned short* units, std::size_t count) {
  std::string out;
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
    AppendUtf8(out, c);
  }
  return CString(std::move(out));
}

bool Utf8ToLatin1(const CString& value, std::string* out) {
  std::string latin;
  for (char32_t c : Decode(value.Str())) {
    if (c > 0xFF || c == 0) return false;
    latin += static_cast<char>(c);
  }
  *out = std::move(latin);
  return true;
}

std::u16string Utf8ToSwappedUtf16(const CString& value) {
  std::u16string out;
  for (char32_t c : Decode(value.Str())) {
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
    while (n > 0 && (static_cast<unsigned char>(text.GetAt(n)) & 0xC0) == 0x80) --n;
  std::memcpy(buffer, text.GetString(), static_cast<std::size_t>(n));
  buffer[n] = '\0';
}

}  // namespace textcodec
