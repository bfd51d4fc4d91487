// File names from tags: one row's name, and the plan over rows that refuses
// what would collide.
#include <core/Renaming.h>

#include <gtest/gtest.h>

#include <string>

namespace {

RowFields Row(const char* key, const char* artist, const char* title, const char* track = "1") {
  RowFields row;
  row[kFileName] = key;
  row[kArtist] = artist;
  row[kTitle] = title;
  row[kTrack] = track;
  return row;
}

NamePattern MakePattern(const char* text) {
  NamePattern pattern;
  EXPECT_EQ(ParseNamePattern(text, PatternUse::kMakeName, pattern), "") << text;
  return pattern;
}

}  // namespace

TEST(RenamingTest, OneRowsNameIsFilledAndMadeSafe) {
  const std::string longTitle = std::string(299, 'x') + "é" + std::string(10, 'y');
  struct Case {
    const char* pattern;
    RowFields row;
    std::string name;     // expected when accepted
    const char* refusal;  // part of the reason; empty when accepted
  };
  const Case cases[] = {
      {"%track:2% - %artist% - %title%", Row("k", "Aurora Lane", "Open Road", "5/12"), "05 - Aurora Lane - Open Road", ""},
      {"%track:3% %title%", Row("k", "A", "T", "12"), "012 T", ""},
      {"%track:2% %title%", Row("k", "A", "T", "123"), "123 T", ""},
      {"%track% %title%", Row("k", "A", "T", "A1"), "A1 T", ""},  // no width: kept as it is
      {"%track:2% %title%", Row("k", "A", "T", "A1"), "", "The track \"A1\" is not a number"},
      {"%artist% - %title%", Row("k", "", "T"), "", "%artist% is empty"},
      {"%artist% - %title%", Row("k", "A", " - "), "", "%title% is empty"},
      {"%artist% - %title%", Row("k", "AC/DC", "Live\tin\nParis"), "AC-DC - Live in Paris", ""},
      {"%title%", Row("k", "A", " ...Hidden. "), "Hidden", ""},
      {"%title%.", Row("k", "A", ". . ."), "", "empty name"},
      // Cut to NAME_MAX with ".mp3", before the character that does not fit.
      {"%title%", Row("k", "A", longTitle.c_str()), std::string(251, 'x'), ""},
      {"%title%", Row("k", "A", (std::string(250, 'x') + "é").c_str()), std::string(250, 'x'), ""},
  };
  for (const Case& c : cases) {
    const NameFromTags made = MakeNameFromTags(MakePattern(c.pattern), c.row);
    EXPECT_EQ(std::string(made.strName), c.name) << c.pattern;
    EXPECT_NE(std::string(made.strRefusal).find(c.refusal), std::string::npos) << made.strRefusal.GetString();
    EXPECT_EQ(made.strRefusal.IsEmpty(), std::string(c.refusal).empty()) << c.pattern;
  }
}

TEST(RenamingTest, ThePlanRefusesRowsThatWouldCollide) {
  struct Case {
    RowFields row;
    const char* newKey;
    const char* refusal;  // empty when renamed or kept
  };
  const Case cases[] = {
      {Row("one", "Same", "Name"), "Same - Name", "would also be named"},  // two rows want one name
      {Row("two", "Same", "Name"), "Same - Name", "would also be named"},
      {Row("Kept - Song", "Kept", "Song"), "Kept - Song", ""},             // neither renamed nor refused
      {Row("four", "Kept", "song"), "Kept - song", "already named"},       // that file, letter case aside
      {Row("five", "Cover", "Art"), "Cover - Art", "already named"},       // a file of no row
      {Row("seven", "", "No artist"), "", "%artist% is empty"},
      {Row("CD1/eight", "Disc", "One"), "CD1/Disc - One", ""},             // stays in its folder
      {Row("moving", "Takes", "Old name"), "Takes - Old name", "already named"},  // even one that moves away
      {Row("Takes - Old name", "Moves", "Away"), "Moves - Away", ""},
      {Row("shout - x", "SHOUT", "X"), "SHOUT - X", ""},                   // its own name in other letters
      // Another format's file keeps its extension, and only its own name collides.
      {Row("nine.flac", "Cover", "Art"), "Cover - Art.flac", ""},
      {Row("ten.FLAC", "Flac", "Taken"), "Flac - Taken.FLAC", "already named \"Flac - Taken.FLAC\""},
      {Row("eleven.m4a", "Kept", "Song"), "Kept - Song.m4a", ""},
  };
  const std::vector<CString> present = {"one.mp3",    "two.mp3",         "Kept - Song.mp3", "four.mp3",
                                        "five.mp3",   "Cover - Art.MP3", "seven.mp3",       "CD1/eight.mp3",
                                        "moving.mp3", "Takes - Old name.mp3", "shout - x.mp3", "CD1",
                                        "nine.flac",  "ten.FLAC",        "flac - taken.flac", "eleven.m4a"};
  std::vector<RowFields> rows;
  for (const Case& c : cases) rows.push_back(c.row);
  const std::vector<RenameStep> plan = PlanRenames(MakePattern("%artist% - %title%"), rows, present);
  ASSERT_EQ(plan.size(), rows.size());
  for (std::size_t k = 0; k < plan.size(); ++k) {
    const Case& c = cases[k];
    EXPECT_EQ(plan[k].strOldKey, c.row[kFileName]);
    EXPECT_EQ(std::string(plan[k].strNewKey), c.newKey) << k;
    EXPECT_NE(std::string(plan[k].strRefusal).find(c.refusal), std::string::npos) << k;
    EXPECT_EQ(plan[k].IsRename(), std::string(c.refusal).empty() && c.row[kFileName] != c.newKey) << k;
  }
}
