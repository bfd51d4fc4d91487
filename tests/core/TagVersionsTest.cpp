// What a row's ID3v1 tag would not hold of its new texts, said before the save.
#include <core/TagVersions.h>

#include <gtest/gtest.h>

namespace {

TEST(TagVersionsTest, TheLossOfAnId3v1TagIsNamedOnlyForFilesThatHaveOne) {
  struct Case {
    const char* tags;
    Field field;
    const char* text;
    bool lost;
  } cases[] = {
      {"ID3v2.3 + ID3v1", kArtist, "Caf\xC3\xA9", false},                // Latin-1 fits
      {"ID3v2.3 + ID3v1", kArtist, "Bj\xC3\xB6rk \xE2\x99\xAB", true},   // a note does not
      {"ID3v1", kTitle, "123456789012345678901234567890", false},          // 30 characters
      {"ID3v1", kTitle, "1234567890123456789012345678901", true},          // 31
      {"ID3v2.4 + ID3v1", kYear, "2001-05-03", true},
      {"ID3v2.4 + ID3v1", kComposer, "\xE6\x97\xA5\xE6\x9C\xAC", false},  // no ID3v1 field
      {"ID3v2.4", kArtist, "\xE6\x97\xA5\xE6\x9C\xAC", false},            // no ID3v1 tag
      {"FLAC, Vorbis comment", kArtist, "\xE6\x97\xA5", false},
  };
  for (const Case& c : cases) {
    CPackedCells cells;
    cells.Set(ColumnOf(c.field), c.text);
    const std::vector<Field> losses = V1LossesOf(c.tags, cells);
    EXPECT_EQ(losses == std::vector<Field>{c.field}, c.lost) << c.tags << " " << c.text;
    EXPECT_EQ(losses.empty(), !c.lost) << c.tags << " " << c.text;
  }
  EXPECT_EQ(V1LossText({kArtist, kTitle}),
            "; the file's ID3v1 tag cannot hold the new Artist, Title (its ID3v2 tag gets them whole)");
  EXPECT_EQ(V1LossText({}), "");
}

}  // namespace
