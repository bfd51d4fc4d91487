// The Cover column's text, the name an extracted cover is offered under, and
// the cover several rows have in common.
#include "CoverEdits.h"

#include <gtest/gtest.h>

#include <string>

TEST(CoverEditsTest, SummaryAndFileNameSayWhatTheyCan) {
  EXPECT_EQ(CoverSummary("JPEG", "image/jpeg", 600, 600, 49152), "600\u00d7600 JPEG, 48 KB");
  EXPECT_EQ(CoverSummary("PNG", "image/png", 16, 16, 100), "16\u00d716 PNG, 1 KB");
  EXPECT_EQ(CoverSummary("", "image/gif", 0, 0, 1536), "image/gif, 2 KB");
  EXPECT_EQ(CoverSummary("JPEG", "", 0, 48, 3 * 1024 * 1024 / 2), "JPEG, 1.5 MB");

  struct Case {
    const char *artist, *album, *key, *expected;
  };
  const Case cases[] = {
      {"Nina Simone", "Pastel Blues", "01 Be My Husband", "Nina Simone - Pastel Blues.jpg"},
      {"AC/DC", "-", "x", "AC-DC.jpg"},
      {" ", "Björk – Homogenic", "x", "Björk – Homogenic.jpg"},
      {"-", "", "CD1/01 Intro", "01 Intro.jpg"},
      {"...", "-", "..", "cover.jpg"},
  };
  for (const Case& c : cases) EXPECT_EQ(CoverFileName(c.artist, c.album, c.key, "jpg"), c.expected) << c.expected;
}

TEST(CoverEditsTest, CommonCoverComparesTextsFirstThenPicturesUpToTheLimit) {
  const PendingCoverPtr red = MakePendingCover("red", "PNG", 2, 2), removal = MakeCoverRemoval();
  const CString redText = red->strSummary;
  // Files: "red" for a row whose cell says so, a different picture of the same facts for "other".
  struct Case {
    std::vector<CRowCover> rows;
    CCommonCover::Kind kind;
    std::size_t compared;
    int reads;
  };
  const Case cases[] = {
      {{}, CCommonCover::kNoRows, 0, 0},
      {{{nullptr, "-"}, {removal, redText}}, CCommonCover::kNoCover, 0, 0},
      {{{nullptr, redText}, {red, "-"}, {nullptr, redText}}, CCommonCover::kSame, 3, 2},
      {{{nullptr, redText}, {nullptr, "other"}}, CCommonCover::kDifferent, 0, 0},
      {{{nullptr, redText}, {nullptr, redText + " "}}, CCommonCover::kDifferent, 0, 0},
      {{{red, "-"}, {nullptr, redText}, {nullptr, redText}}, CCommonCover::kSame, 2, 1},  // the limit
  };
  for (std::size_t k = 0; k < std::size(cases); ++k) {
    int reads = 0;
    const CCommonCover common = FindCommonCover(
        cases[k].rows, [&](std::size_t) { return ++reads, std::string("red"); }, k + 1 == std::size(cases) ? 2 : 10);
    EXPECT_EQ(common.kind, cases[k].kind) << k;
    EXPECT_EQ(common.nCompared, cases[k].compared) << k;
    EXPECT_EQ(reads, cases[k].reads) << k;
    EXPECT_EQ(common.image ? *common.image : "(none)", common.kind == CCommonCover::kSame ? "red" : "(none)") << k;
  }
  // Same facts, other bytes; and a file whose picture cannot be read.
  for (const char* read : {"blue", ""}) {
    const std::vector<CRowCover> rows = {{red, "-"}, {nullptr, redText}};
    EXPECT_EQ(FindCommonCover(rows, [&](std::size_t) { return std::string(read); }, 10).kind,
              CCommonCover::kDifferent) << read;
  }
  // A pending picture is shared with the rows, not copied.
  EXPECT_EQ(FindCommonCover({{red, "-"}}, {}, 10).image->data(), red->strImage.data());
}
