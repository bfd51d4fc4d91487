#include <base/Utf8.h>

namespace utf8 {

namespace {

constexpr wchar_t kRawByteBase = 0xDC00;

}  // namespace

wchar_t Next(std::string_view text, std::size_t& pos) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char lead = bytes[pos];
  if (lead < 0x80) {
    ++pos;
    return static_cast<wchar_t>(lead);
  }
  int length = 0;
  char32_t ch = 0;
  char32_t least = 0;  // the smallest character that needs this many bytes
  if ((lead & 0xE0) == 0xC0) {
    length = 2, ch = lead & 0x1F, least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, ch = lead & 0x0F, least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, ch = lead & 0x07, least = 0x10000;
  }
  bool valid = length > 0 && pos + length <= text.size();
  for (int k = 1; valid && k < length; ++k) {
    valid = IsContinuation(bytes[pos + k]);
    ch = (ch << 6) | (bytes[pos + k] & 0x3F);
  }
  // Overlong forms, surrogates and values past Unicode are not characters.
  valid = valid && ch >= least && ch <= 0x10FFFF && !(ch >= 0xD800 && ch <= 0xDFFF);
  if (!valid) {
    ++pos;
    return static_cast<wchar_t>(kRawByteBase + lead);
  }
  pos += static_cast<std::size_t>(length);
  return static_cast<wchar_t>(ch);
}

std::wstring Decode(const std::string& text) {
  std::wstring out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) out += Next(text, i);
  return out;
}

std::string Encode(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t wide : text) {
    const auto ch = static_cast<char32_t>(wide);
    if (IsRawByte(wide)) {
      out += static_cast<char>(ch - kRawByteBase);
    } else if ((ch >= 0xD800 && ch <= 0xDFFF) || ch > 0x10FFFF) {
      out += "\xEF\xBF\xBD";  // U+FFFD
    } else if (ch < 0x80) {
      out += static_cast<char>(ch);
    } else if (ch < 0x800) {
      out += static_cast<char>(0xC0 | (ch >> 6));
      out += static_cast<char>(0x80 | (ch & 0x3F));
    } else if (ch < 0x10000) {
      out += static_cast<char>(0xE0 | (ch >> 12));
      out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (ch & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (ch >> 18));
      out += static_cast<char>(0x80 | ((ch >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (ch & 0x3F));
    }
  }
  return out;
}

std::string CutAtBoundary(const std::string& text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  std::size_t end = maxBytes;
  while (end > 0 && IsContinuation(static_cast<unsigned char>(text[end]))) --end;
  return text.substr(0, end);
}

}  // namespace utf8
