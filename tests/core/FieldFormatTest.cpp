// Case conversion and replacing, on text of several scripts.
#include <core/FieldFormat.h>

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
      // A sigma that ends a word is the final one; a word's first letter takes its title case.
      {"οδυσσευσ ΟΔΥΣΣΕΥΣ, σ", TextCase::kLower, "οδυσσευς οδυσσευς, σ"},
      {"ΟΔΥΣΣΕΥΣ οδυσσευς", TextCase::kTitle, "Οδυσσευς Οδυσσευς"},
      {"οδυσσευς", TextCase::kUpper, "ΟΔΥΣΣΕΥΣ"},
      {"ǆungla ǳ", TextCase::kTitle, "ǅungla ǲ"},
      {"ǆungla", TextCase::kFirstLetter, "ǅungla"},
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
      {"\\u00e9|\\x41", true, "éA", "<é><A>"},  // ECMAScript's escapes
      {"x*", true, "ab", "<>a<>b<>"},            // empty matches, as ECMAScript finds them
      {"b$", true, "ab\n", "ab\n"},              // "$" is the end of the text only
      {"(a|b)*", true, longText, "<" + longText + "><>"},  // long text: no recursion to overflow
      {"(a)\\1", true, "aab", "<aa>b"},
      {"a", true, "\xe9 a\xff", "\xe9 <a>\xff"},  // bytes that are not UTF-8 are kept, and do not stop the search
      {"", false, "a", "a", "Nothing to find"},
      {"(unclosed", true, "(unclosed", "(unclosed", "\"(unclosed\" is not valid"},
  };
  for (const Case& c : cases) {
    CTextReplace replace;
    CString error, problem;
    EXPECT_EQ(replace.Prepare(c.find, "<$&>", c.bRegex, error), std::string(c.problem).empty()) << c.find;
    EXPECT_NE(std::string(error).find(c.problem), std::string::npos) << error.GetString();
    EXPECT_EQ(std::string(replace.Apply(c.text.c_str(), problem)), c.expected) << c.find;
    EXPECT_TRUE(problem.IsEmpty()) << problem.GetString();
  }
}

TEST(FieldFormatTest, TheReplacementNamesGroupsAsECMAScriptDoes) {
  CTextReplace replace;
  CString error, problem;
  ASSERT_TRUE(replace.Prepare("(\\w+) (x)?(\\w+)", "[$3 $1|$2|$$|$`|$'|$9|$x|$]", true, error)) << error.GetString();
  EXPECT_EQ(replace.Apply("-ann lee-", problem), "-[lee ann||$|-|-||$x|$]-");
}

// An expression that tries every way of cutting its text is refused for
// that text, within its limits, rather than left to run for minutes.
TEST(FieldFormatTest, AnExpressionBeyondTheLimitsIsRefusedWithTheReason) {
  std::string blocks;
  for (int k = 0; k < 2000; ++k) blocks += std::string(17, 'a') + "-";
  struct Case {
    const char* find;
    std::string text;
  };
  const Case cases[] = {
      {"(a+)+$", std::string(30000, 'a') + "b"},  // from one place, beyond the steps allowed
      {"(a+)+b", blocks + "b"},                   // within them from each place, beyond the time
  };
  for (const Case& c : cases) {
    CTextReplace replace;
    CString error, problem;
    ASSERT_TRUE(replace.Prepare(c.find, "x", true, error));
    EXPECT_EQ(replace.Apply(c.text.c_str(), problem), c.text.c_str()) << c.find;
    EXPECT_EQ(problem.Str().rfind(CString::Formatted("The regular expression \"%s\" is refused: it ", c.find).Str(), 0), 0u)
        << problem.GetString();
    EXPECT_NE(problem.Str().find(CString::Formatted("a text of %zu characters", c.text.size()).Str()), std::string::npos)
        << problem.GetString();
  }
}
