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

}  // namespace
