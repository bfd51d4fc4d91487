#include <base/RowStore.h>

#include <gtest/gtest.h>

namespace {

TEST(RowRunsTest, RowsBecomeJoinedRunsInOrder) {
  struct Case {
    std::vector<int> rows;
    base::RowRuns runs;
  } cases[] = {
      {{}, {}},
      {{4}, {{4, 4}}},
      {{5, 3, 4, 4}, {{3, 5}}},
      {{9, 0, 2, 1, 7}, {{0, 2}, {7, 7}, {9, 9}}},
  };
  for (const Case& c : cases) EXPECT_EQ(base::RunsOfRows(c.rows), c.runs);
  EXPECT_EQ(base::JoinRuns({{6, 8}, {0, 2}, {3, 4}, {1, 1}, {7, 12}}), (base::RowRuns{{0, 4}, {6, 12}}));
}

TEST(RowRunsTest, CountsFindsAndHoldsRows) {
  const base::RowRuns runs{{2, 4}, {8, 8}};
  EXPECT_EQ(base::RowsIn(runs), 4);
  struct Case {
    int row;
    bool held;
    int next;
  } cases[] = {{-1, false, 2}, {0, false, 2}, {3, true, 3}, {5, false, 8}, {8, true, 8}, {9, false, -1}};
  for (const Case& c : cases) {
    EXPECT_EQ(base::RunsHold(runs, c.row), c.held) << c.row;
    EXPECT_EQ(base::FirstRowFrom(runs, c.row), c.next) << c.row;
  }
}

TEST(RowRunsTest, RanksShareTiesAndLeaveNoGaps) {
  const std::vector<int> values{30, 10, 30, 20, 10};
  const auto compare = [&](std::size_t a, std::size_t b) { return values[a] - values[b]; };
  EXPECT_EQ(base::RanksOf(values.size(), compare), (std::vector<int>{2, 0, 2, 1, 0}));
  EXPECT_TRUE(base::RanksOf(0, compare).empty());
}

}  // namespace
