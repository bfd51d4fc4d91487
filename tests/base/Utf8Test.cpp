// The one reading of UTF-8: what is a character, and what becomes of a
// byte that is not part of one.
#include <base/Utf8.h>

#include <gtest/gtest.h>

namespace {

std::wstring Marks(const std::string& bytes) {
  std::wstring out;
  for (unsigned char b : bytes) out += static_cast<wchar_t>(0xDC00 + b);
  return out;
}

TEST(Utf8Test, EveryInvalidByteIsMarkedAndWrittenBackAsItWas) {
  struct Case {
    const char* what;
    std::string bytes;
    std::wstring chars;
  };
  const Case cases[] = {
      {"ASCII and characters of two, three and four bytes", "a\xC3\xA4\xE2\x99\xAB\xF0\x9D\x84\x9E",
       L"a\u00E4\u266B\U0001D11E"},
      {"a Latin-1 byte", "caf\xE9", L"caf" + Marks("\xE9")},
      {"a lone continuation byte", "\x80x", Marks("\x80") + L"x"},
      {"bytes that begin nothing", "\xF8\xFE\xFF", Marks("\xF8\xFE\xFF")},
      {"an overlong '/'", "\xC0\xAF", Marks("\xC0\xAF")},
      {"an overlong NUL", "\xC0\x80", Marks("\xC0\x80")},
      {"an overlong three-byte form", "\xE0\x80\xAF", Marks("\xE0\x80\xAF")},
      {"an overlong four-byte form", "\xF0\x80\x80\xAF", Marks("\xF0\x80\x80\xAF")},
      {"an encoded high surrogate", "\xED\xA0\x80", Marks("\xED\xA0\x80")},
      {"an encoded low surrogate", "\xED\xBF\xBF", Marks("\xED\xBF\xBF")},
      {"past U+10FFFF", "\xF4\x90\x80\x80", Marks("\xF4\x90\x80\x80")},
      {"the last character", "\xF4\x8F\xBF\xBF", L"\U0010FFFF"},
      {"cut short at the end", "ab\xE2\x99", L"ab" + Marks("\xE2\x99")},
      {"cut short before a character", "\xE2\x99" "a\xC3\xA4", Marks("\xE2\x99") + L"a\u00E4"},
      {"cut short by the next lead byte", "\xC3\xC3\xA4", Marks("\xC3") + L"\u00E4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::wstring decoded = utf8::Decode(c.bytes);
    EXPECT_EQ(decoded, c.chars);
    EXPECT_EQ(utf8::Encode(decoded), c.bytes);
  }
}

TEST(Utf8Test, AMarkedByteStandsForItsLatin1Character) {
  const std::wstring decoded = utf8::Decode("\xE9\xC0");
  EXPECT_EQ(utf8::CharacterOf(decoded[0]), L'\u00E9');
  EXPECT_EQ(utf8::CharacterOf(decoded[1]), L'\u00C0');
  EXPECT_EQ(utf8::CharacterOf(L'\u00E9'), L'\u00E9');
  // A surrogate that marks no byte, or no character at all, is written as U+FFFD.
  EXPECT_EQ(utf8::Encode(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
  EXPECT_EQ(utf8::Encode(std::wstring(1, static_cast<wchar_t>(0xDC7F))), "\xEF\xBF\xBD");
  EXPECT_EQ(utf8::Encode(std::wstring(1, static_cast<wchar_t>(0x110000))), "\xEF\xBF\xBD");
}

}  // namespace
