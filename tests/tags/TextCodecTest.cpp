// The conversions between UTF-8 and the encodings frames hold, at their edges.
#include "TextCodec.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(TextCodec, CopyCutNeverWritesPastTheBufferNorSplitsACharacter) {
  char buffer[8];
  std::memset(buffer, 'x', sizeof buffer);
  textcodec::CopyCut("(17)", buffer, 8);
  EXPECT_STREQ(buffer, "(17)");
  // 52 bytes is what the genre lookup passes; a longer text is cut.
  char genre[53];
  genre[52] = '#';
  textcodec::CopyCut(CString('a', 80), genre, 52);
  EXPECT_EQ(std::strlen(genre), 51u);
  EXPECT_EQ(genre[52], '#');
  // "ééééé" is 10 bytes; 7 bytes of room hold three whole characters.
  textcodec::CopyCut("ééééé", buffer, 8);
  EXPECT_STREQ(buffer, "ééé");
}

TEST(TextCodec, Latin1FitsOnlyWhenEveryCharacterDoes) {
  std::string latin;
  EXPECT_TRUE(textcodec::Utf8ToLatin1("Björk", &latin));
  EXPECT_EQ(latin, "Bj\xF6rk");
  EXPECT_FALSE(textcodec::Utf8ToLatin1("Björk ♫", &latin));
  EXPECT_EQ(textcodec::Latin1ToUtf8("Bj\xF6rk"), "Björk");
}

TEST(TextCodec, Utf16RoundTripsWithSurrogatesAndStopsAtZero) {
  const CString text = "A ö ♫ 𝄞";
  const std::u16string units = textcodec::Utf8ToSwappedUtf16(text);
  EXPECT_EQ(units[0], u'\x4100') << "code units are byte-swapped for id3lib";
  const auto* raw = reinterpret_cast<const unsigned short*>(units.c_str());
  EXPECT_EQ(textcodec::SwappedUtf16ToUtf8(raw, units.size()), text);
  EXPECT_EQ(textcodec::SwappedUtf16ToUtf8(raw, 3), "A ö");
  EXPECT_EQ(textcodec::SwappedUtf16ToUtf8(raw, units.size() + 1), text) << "stops at the terminating zero";
}

// A byte that is not UTF-8 goes into a frame as its Latin-1 character, in
// either encoding: an overlong form or an encoded surrogate is no character.
// Half a surrogate pair read from a frame is U+FFFD, never bytes that are not UTF-8.
TEST(TextCodec, BytesThatAreNotUtf8AreTheirLatin1Characters) {
  struct Case {
    const char* value;
    const char* latin1;
    std::u16string utf16;
  };
  const Case cases[] = {
      {"Caf\xE9", "Caf\xE9", u"Caf\u00E9"},
      {"\xC0\xAF", "\xC0\xAF", u"\u00C0\u00AF"},
      {"\xED\xA0\x80", "\xED\xA0\x80", u"\u00ED\u00A0\u0080"},
      {"\xE2\x99", "\xE2\x99", u"\u00E2\u0099"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    std::string latin;
    EXPECT_TRUE(textcodec::Utf8ToLatin1(c.value, &latin));
    EXPECT_EQ(latin, c.latin1);
    std::u16string swapped = textcodec::Utf8ToSwappedUtf16(c.value);
    for (char16_t& unit : swapped) unit = static_cast<char16_t>((unit >> 8) | (unit << 8));
    EXPECT_EQ(swapped, c.utf16);
  }
  const unsigned short lone[] = {0x4100, 0x00D8, 0x4200, 0x80DC};  // A, high half, B, low half (swapped)
  EXPECT_EQ(textcodec::SwappedUtf16ToUtf8(lone, 4), "A\xEF\xBF\xBD" "B\xEF\xBF\xBD");
}

}  // namespace
