// Case conversion and replacing, on text of several scripts.
#include "FieldFormat.h"

#include <gtest/gtest.h>

#include <string>

TEST(FieldFormatTest, CaseConvertsLettersOfEveryScript) {
  struct Case {
    const char* text;
    TextCase textCase;
    const char* expected;
  };
  const Case cases[] = {
      {"élan vital", TextCase::kTitle, "Élan Vital"},
      {"ÉLAN VITAL", TextCase::kLower, "élan vital"},
      {"élan vital", TextCase::kUpper, "ÉLAN VITAL"},
      {"élan VITAL", TextCase::kFirstLetter, "Élan vital"},
      {"  (élan) vital", TextCase::kFirstLetter, "  (Élan) vital"},
      {"don't STOP me now", TextCase::kTitle, "Don't Stop Me Now"},
      {"1st rock-n-roll (live) o’clock", TextCase::kTitle, "1st Rock-N-Roll (Live) O’clock"},
      {"привет мир ωμέγα", TextCase::kTitle, "Привет Мир Ωμέγα"},
      {"čeština straße", TextCase::kUpper, "ČEŠTINA STRAßE"},  // ß has no one-letter capital
      {"日本語 abc", TextCase::kUpper, "日本語 ABC"},
      {"bad \xff byte", TextCase::kUpper, "BAD \xff BYTE"},
      {"", TextCase::kTitle, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ChangeCase(c.text, c.textCase), c.expected) << c.text;
}

TEST(FieldFormatTest, ReplaceFindsTextOrMatches) {
  const std::string longText(100000, 'a');
  struct Case {
    const char* find;
    const char* with;
    bool bRegex;
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {"feat.", "ft.", false, "A feat. B feat. C", "A ft. B ft. C"},
      {".", "", false, "a.b.c", "abc"},  // plain text: the dot is a dot
      {"x", "y", false, "none here", "none here"},
      {"\\s+", " ", true, "a  b \t c", "a b c"},
      {"^(\\w+) - (\\w+)$", "$2 - $1", true, "Title - Artist", "Artist - Title"},
      {" \\(.*?\\)", "", true, "Song (live) (2001)", "Song"},
      {"[[:upper:]]", "_", true, "Élan É", "_lan _"},
      {"\\w+", "<$&>", true, "élan vital", "<élan> <vital>"},
      {"(a|b)*", "x", true, longText, "xx"},  // long text: no recursion to overflow
  };
  for (const Case& c : cases) {
    CTextReplace replace;
    CString error;
    ASSERT_TRUE(replace.Prepare(c.find, c.with, c.bRegex, error)) << c.find << ": " << error.GetString();
    EXPECT_EQ(std::string(replace.Apply(c.text.c_str())), c.expected) << c.find;
  }
}

TEST(FieldFormatTest, BadFindIsRefusedAndReplacesNothing) {
  struct Case {
    const char* find;
    bool bRegex;
    const char* problem;
  };
  const Case cases[] = {
      {"", false, "Nothing to find"},
      {"", true, "Nothing to find"},
      {"(unclosed", true, "\"(unclosed\" is not valid"},
      {"[a-", true, "is not valid"},
      {"(a)\\1", true, "is not valid"},
  };
  for (const Case& c : cases) {
    CTextReplace replace;
    CString error;
    EXPECT_FALSE(replace.Prepare(c.find, "x", c.bRegex, error)) << c.find;
    EXPECT_NE(std::string(error).find(c.problem), std::string::npos) << error.GetString();
    EXPECT_EQ(replace.Apply("(unclosed a"), "(unclosed a");
  }
}
