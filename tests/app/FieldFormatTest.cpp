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
      {"élan vital", TextCase::kUpper, "ÉLAN VITAL"},
      {"élan VITAL", TextCase::kFirstLetter, "Élan vital"},
      {"  (élan) vital", TextCase::kFirstLetter, "  (Élan) vital"},
      {"don't STOP me now", TextCase::kTitle, "Don't Stop Me Now"},
      {"1st rock-n-roll (live) o’clock", TextCase::kTitle, "1st Rock-N-Roll (Live) O’clock"},
      {"привет мир ωμέγα", TextCase::kTitle, "Привет Мир Ωμέγα"},
      {"čeština straße", TextCase::kUpper, "ČEŠTINA STRAßE"},  // ß has no one-letter capital
      {"bad \xff byte", TextCase::kUpper, "BAD \xff BYTE"},
  };
  for (const Case& c : cases) EXPECT_EQ(ChangeCase(c.text, c.textCase), c.expected) << c.text;
}

TEST(FieldFormatTest, ReplaceFindsTextOrMatchesAndRefusesWhatItCannotFind) {
  const std::string longText(100000, 'a');
  struct Case {
    const char* find;
    bool bRegex;
    std::string text;
    std::string expected;  // replaced by "<$&>" (plain text: "<$&>" itself)
    const char* problem = "";
  };
  const Case cases[] = {
      {"feat.", false, "A feat. B feat.", "A <$&> B <$&>"},
      {"\\s+", true, "a  b \t c", "a<  >b< \t >c"},
      {" \\(.*?\\)", true, "Song (live) (2001)", "Song< (live)>< (2001)>"},
      {"\\w+", true, "élan vital", "<élan> <vital>"},
      {"(a|b)*", true, longText, "<" + longText + "><>"},  // long text: no recursion to overflow
      {"", false, "a", "a", "Nothing to find"},
      {"(unclosed", true, "(unclosed", "(unclosed", "\"(unclosed\" is not valid"},
      {"(a)\\1", true, "aa", "aa", "is not valid"},  // back-references would need backtracking
  };
  for (const Case& c : cases) {
    CTextReplace replace;
    CString error;
    EXPECT_EQ(replace.Prepare(c.find, "<$&>", c.bRegex, error), std::string(c.problem).empty()) << c.find;
    EXPECT_NE(std::string(error).find(c.problem), std::string::npos) << error.GetString();
    EXPECT_EQ(std::string(replace.Apply(c.text.c_str())), c.expected) << c.find;
  }
}
