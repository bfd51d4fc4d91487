// Edits of many rows as pure functions: the texts rows share, formats of
// fields (and what they refuse), and the patterns kept between runs.
#include <core/RowEdits.h>

#include <gtest/gtest.h>

#include <string>

namespace {

using Texts = std::vector<std::pair<const char*, const char*>>;  // artist and title by row

// Rows of artist and title texts; counts what is read.
class Rows : public CRowTexts {
 public:
  explicit Rows(Texts rows) : m_rows(std::move(rows)) {}
  int Count() const override { return static_cast<int>(m_rows.size()); }
  CString KeyOf(int row) const override { return CString::Formatted("row %d", row); }
  CString TextOf(int row, Field field) const override {
    ++m_nReads;
    const auto& [artist, title] = m_rows[static_cast<std::size_t>(row)];
    return field == kArtist ? artist : title;
  }
  mutable int m_nReads = 0;

 private:
  Texts m_rows;
};

// The edit as "title=TEXT|artist=TEXT", in the order the format gives them;
// a refused one as its problem.
std::string Shown(const CRowEdit& edit) {
  if (!edit.strProblem.IsEmpty()) return edit.strProblem.GetString();
  std::string out;
  for (const auto& [field, text] : edit.values) {
    if (!out.empty()) out += '|';
    out.append(field == kArtist ? "artist=" : "title=").append(text.GetString());
  }
  return out;
}

}  // namespace

TEST(RowEditsTest, CommonTextsAreReadUpToTheFirstDifference) {
  const Rows rows(Texts{{"Ann", "One"}, {"Ann", "Two"}, {"Ann", "Three"}, {"Ann", "Four"}});
  const auto common = CommonTexts(rows, {kArtist, kTitle});
  ASSERT_EQ(common.size(), 2u);
  EXPECT_EQ(common[0], CString("Ann"));
  EXPECT_FALSE(common[1].has_value());
  EXPECT_EQ(rows.m_nReads, 4 + 2);  // the title stops at the second row
  EXPECT_EQ(CommonTexts(Rows(Texts{{"", "x"}}), {kArtist})[0], CString(""));  // one row: its own texts, empty ones too
}

TEST(RowEditsTest, FormatsReplaceThenChangeTheCaseAndRefuseWhatTheyCannotDo) {
  struct Case {
    std::vector<Field> fields;
    std::optional<TextCase> textCase;
    const char* find;
    const char* with;
    bool bRegex;
    const char* artist;
    const char* title;
    const char* expected;  // the row's edit, or the start of the refusal
  };
  const std::string endless = std::string(30000, 'a') + "b";
  const Case cases[] = {
      {{kArtist, kTitle}, TextCase::kUpper, "", "", false, "ann", "open road", "artist=ANN|title=OPEN ROAD"},
      // An expression beyond its limits on one text refuses the row's edit, naming the field.
      {{kArtist, kTitle}, std::nullopt, "(a+)+$", "x", true, "aa", endless.c_str(),
       "The regular expression \"(a+)+$\" is refused: it tries too many ways to match a text of 30001 characters "
       "(the title of \"row 0\")."},
      // The text is found as the user sees it, then the case changes.
      {{kTitle}, TextCase::kLower, "Road", "Street", false, "Ann", "Open Road", "title=open street"},
      {{kArtist, kTitle}, std::nullopt, "(\\w+) (\\w+)", "$2, $1", true, "Ann Lee", "Open Road",
       "artist=Lee, Ann|title=Road, Open"},
      // A field that holds nothing stays so; a text the format leaves as it is is no change.
      {{kArtist, kTitle}, TextCase::kTitle, "-", "x", false, "-", "Open Road", ""},
      {{kTitle}, std::nullopt, "", "", false, "a", "b", "Choose a case, or a text to replace"},
      {{kTitle}, std::nullopt, "", "new", false, "a", "b", "Nothing to find"},  // CTextReplace's refusals
  };
  for (const Case& c : cases) {
    CFieldsFormat format;
    CString error;
    const bool prepared = format.Prepare(c.fields, c.textCase, c.find, c.with, c.bRegex, error);
    const Rows rows(Texts{{c.artist, c.title}});
    const std::string outcome = prepared ? Shown(format.FormatOf(rows, 0)) : error.GetString();
    EXPECT_EQ(outcome.substr(0, std::string(c.expected).size()), c.expected) << c.find;
    EXPECT_EQ(prepared, error.IsEmpty()) << c.find;
  }
}

TEST(RowEditsTest, TheLastTenPatternsAreKeptMostRecentFirst) {
  std::vector<CString> recent;
  for (int k = 0; k < 12; ++k) recent = RememberPattern(recent, CString::Formatted("%%title%% %d", k));
  recent = RememberPattern(recent, "%title% 5");  // used again: first, and once
  recent = RememberPattern(recent, "  ");         // blank: not kept
  ASSERT_EQ(recent.size(), 10u);
  EXPECT_EQ(recent[0], "%title% 5");
  EXPECT_EQ(recent[1], "%title% 11");
  EXPECT_EQ(recent[9], "%title% 2");
  EXPECT_EQ(std::count(recent.begin(), recent.end(), CString("%title% 5")), 1);
}
