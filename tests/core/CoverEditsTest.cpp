// The Cover column's text, the name an extracted cover is offered under, and
// the cover several rows have in common.
#include <core/CoverEdits.h>

#include <gtest/gtest.h>

#include <string>

TEST(CoverEditsTest, SummaryAndFileNameSayWhatTheyCan) {
  EXPECT_EQ(CoverSummary("", "image/gif", 0, 0, 100), "image/gif, 1 KB");
  EXPECT_EQ(CoverSummary("PNG", "", 0, 48, 3 << 19), "PNG, 1.5 MB");
  EXPECT_EQ(CoverFileName("AC/DC", "Back in Black", "x", "jpg"), "AC-DC - Back in Black.jpg");
  EXPECT_EQ(CoverFileName("-", "", "CD1/01 Intro", "jpg"), "01 Intro.jpg");
  EXPECT_EQ(CoverFileName("...", "-", "..", "jpg"), "cover.jpg");
}

TEST(CoverEditsTest, RowsAgreeingInTextAreComparedByTheirPicturesUpToTheLimit) {
  const PendingCoverPtr red = MakePendingCover("red", "PNG", 2, 2);
  const std::vector<CRowCover> rows = {{red, "-"}, {nullptr, red->strSummary}, {nullptr, red->strSummary}};
  const auto find = [&](const char* onDisk, std::size_t limit, int* reads) {
    return FindCommonCover(rows, [=](std::size_t) { return ++*reads, std::string(onDisk); }, limit);
  };
  int reads = 0;
  CCommonCover common = find("red", 10, &reads);
  EXPECT_EQ(common.kind, CCommonCover::kSame);
  EXPECT_EQ(common.image->data(), red->strImage.data());  // shared, not copied
  EXPECT_EQ(common.nCompared, 3u);
  EXPECT_EQ(reads, 2);
  reads = 0;
  EXPECT_EQ(find("red", 2, &reads).nCompared, 2u);
  EXPECT_EQ(reads, 1);
  for (const char* other : {"blue", ""}) EXPECT_EQ(find(other, 10, &reads).kind, CCommonCover::kDifferent) << other;
  const std::vector<CRowCover> none = {{nullptr, "-"}, {MakeCoverRemoval(), red->strSummary}};
  EXPECT_EQ(FindCommonCover(none, {}, 10).kind, CCommonCover::kNoCover);
}
