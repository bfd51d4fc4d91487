// Patterns as a user types them: what is refused and why, and how names
// split into fields.
#include <core/Patterns.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// The values as "track=05|artist=X"; "no match" when the name does not fit.
std::string Read(const char* pattern, const char* key) {
  NamePattern parsed;
  EXPECT_EQ(ParseNamePattern(pattern, PatternUse::kReadName, parsed), "") << pattern;
  const auto values = TagsFromName(parsed, key);
  std::string out = values ? "" : "no match";
  for (const auto& [field, value] : values.value_or(FieldValues())) {
    std::string name = PlaceholderOf(field).GetString();
    name.back() = '=';
    if (!out.empty()) out += '|';
    out.append(name, 1).append(value.GetString());
  }
  return out;
}

}  // namespace

TEST(PatternsTest, BadPatternsAreRefusedNamingTheProblem) {
  struct Case {
    const char* text;
    PatternUse use;
    const char* problem;  // part of the message; empty when accepted
  };
  const Case cases[] = {
      {"", PatternUse::kReadName, "is empty"},
      {"%dummy% - %dummy%", PatternUse::kReadName, "no placeholder of a field"},
      {"%artst% - %title%", PatternUse::kReadName, "Unknown placeholder %artst%"},
      {"%title% - %artist", PatternUse::kReadName, "not closed"},
      {"%artist:2%", PatternUse::kMakeName, "only %track% and %disc% take a width"},
      {"%track:0% %title%", PatternUse::kMakeName, "from 1 to 9"},
      {"%artist% - %title% (%artist%)", PatternUse::kReadName, "%artist% appears twice"},
      {"%dummy% %title%", PatternUse::kMakeName, "%dummy%"},
      {"%artist%/%title%", PatternUse::kMakeName, "cannot hold '/'"},
      {"%artist% - %title% (%artist%)", PatternUse::kMakeName, ""},
      {"%AlbumArtist%/%Track:2% 100%% %TITLE%.MP3", PatternUse::kReadName, ""},
  };
  for (const Case& c : cases) {
    NamePattern pattern;
    const CString error = ParseNamePattern(c.text, c.use, pattern);
    EXPECT_NE(std::string(error).find(c.problem), std::string::npos) << c.text << ": " << error.GetString();
    EXPECT_EQ(error.IsEmpty(), std::string(c.problem).empty()) << c.text << ": " << error.GetString();
    EXPECT_EQ(pattern.pieces.empty(), !error.IsEmpty()) << c.text;
  }
}

TEST(PatternsTest, EveryEditableFieldHasAPlaceholder) {
  const std::vector<Field> fields(kEditableFields.begin(), kEditableFields.end());
  for (Field field : fields) {
    NamePattern pattern;
    ASSERT_EQ(ParseNamePattern(PlaceholderOf(field), PatternUse::kMakeName, pattern), "") << field;
    EXPECT_EQ(pattern.pieces.at(0).field, field);
  }
  EXPECT_EQ(PlaceholderNames().size(), fields.size() + 1);  // and %dummy%
}

TEST(PatternsTest, NamesSplitIntoFields) {
  const std::string dashes(240, '-');
  struct Case {
    const char* pattern;
    std::string key;
    const char* values;
  };
  const Case cases[] = {
      {"%track% - %artist% - %title%", "05 - Aurora Lane - Open Road", "track=05|artist=Aurora Lane|title=Open Road"},
      // The separator repeats inside a value: the last placeholder takes the rest.
      {"%track% - %artist% - %title%", "05 - Aurora Lane - Open Road - Live",
       "track=05|artist=Aurora Lane|title=Open Road - Live"},
      {"%artist% - %title% - %dummy%", "A - B - C - D", "artist=A|title=B"},
      // Spaces around values go, values must not be empty.
      {"%artist%-%title%", "Aurora Lane - Open Road", "artist=Aurora Lane|title=Open Road"},
      {"%artist% - %title%", "Aurora Lane - ", "no match"},
      {"%artist% - %title%", "No separator here", "no match"},
      // A track is a number, as long a one as there is.
      {"%track%%title%", "05Intro", "track=05|title=Intro"},
      {"%track% %title%", "Intro Song", "no match"},
      {"%title% (%dummy%)", "Open Road (Live)", "title=Open Road"},
      {"%artist% – %title%", "Sigur Rós – Hoppípolla", "artist=Sigur Rós|title=Hoppípolla"},
      {"%artist%%dummy%", "é", "no match"},  // two values need two characters, not two bytes
      // Folders: only as many as the pattern names.
      {"%track% %title%", "CD1/01 Intro", "track=01|title=Intro"},
      {"%album%/%track% %title%", "Box/CD1/01 Intro", "album=CD1|track=01|title=Intro"},
      {"%album%/%title%", "Intro", "no match"},
      // A name that cannot match is given up quickly, not after every split.
      {"%artist%-%album%-%title%-%year%-%genre%-%comment%-%composer%-%band%x", dashes, "no match"},
  };
  for (const Case& c : cases) EXPECT_EQ(Read(c.pattern, c.key.c_str()), c.values) << c.pattern << " on " << c.key;
}
