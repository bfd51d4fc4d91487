#include "TableFixture.h"

#include <functional>
#include <vector>

namespace {

// A header click on column col, as the list's header reports it.
void ClickHeader(CGridora& table, int col) {
  NMHEADER nm;
  nm.hdr.code = HDN_ITEMCLICKA;
  nm.iItem = col;
  LRESULT result = 0;
  table.SortData(&nm.hdr, &result);
}

// The sort state is shared by every table: a click elsewhere first makes the
// next click on col the first one on it.
void ClickFresh(CGridora& table, int col) {
  ClickHeader(table, col == 0 ? 1 : 0);
  ClickHeader(table, col);
}

TEST_F(TableTest, SearchFindsTheTopmostExactMatch) {
  m_table.Setup(&m_list);
  EXPECT_EQ(m_table.GetRowIndex(CString("abc"), 0), -1);
  CGridora unbound;
  EXPECT_EQ(unbound.GetRowIndex(CString("abc"), 0), -1);
  EXPECT_EQ(unbound.GetRowIndex(1, 0), -1);

  Fill({}, {});
  m_table.SetTitle("Name", 80, 'L');
  m_table.SetTitle("n", 40, 'R');
  m_table.SetTitle("x", 40, 'R');
  for (const char* name : {"abc ", "ABC", "abc", "abc"}) {
    m_table.AddRow(CString(name));
    m_table.AddRow(7);
    m_table.AddRow(CString(name[0] == 'A' ? "2.5000" : "2.50001"));
    m_table.EndRow();
  }
  // Rows from the top: abc, abc, ABC, "abc ".
  EXPECT_EQ(m_table.GetRowIndex(CString("abc"), 0), 0);
  EXPECT_EQ(m_table.GetRowIndex(CString("ABC"), 0), 2);
  EXPECT_EQ(m_table.GetRowIndex(CString("abc "), 0), 3);
  EXPECT_EQ(m_table.GetRowIndex(CString("ab"), 0), -1);
  EXPECT_EQ(m_table.GetRowIndex(7, 1), 0);
  EXPECT_EQ(m_table.GetRowIndex(8, 1), -1);
  EXPECT_EQ(m_table.GetRowIndex(2.5, 2), 2);
  EXPECT_EQ(m_table.GetRowIndex(2.50001, 2), 0);
}

TEST_F(TableTest, ExtremesGoToTheTopmostOfTies) {
  // Added bottom-up so that rows 0, 1, 2 hold 5, 9, 9.
  Fill({"v", "same", "real"}, {{"9", "3", "-1.5"}, {"9", "3", "x"}, {"5", "3", "2.25"}});
  EXPECT_EQ(m_table.GetMaxIntValIndex(0), 1);
  EXPECT_EQ(m_table.GetMinIntValIndex(0), 0);
  EXPECT_EQ(m_table.GetMaxIntValIndex(1), 0);
  EXPECT_EQ(m_table.GetMinIntValIndex(1), 0);
  EXPECT_EQ(m_table.GetMaxDblValIndex(2), 0);
  EXPECT_EQ(m_table.GetMinDblValIndex(2), 2);
  m_table.ClearTable();
  EXPECT_EQ(m_table.GetMaxIntValIndex(0), -1);
  EXPECT_EQ(m_table.GetMinDblValIndex(0), -1);
  EXPECT_DOUBLE_EQ(m_table.GetAvrgVal(0), 0.0);
}

TEST_F(TableTest, AverageCountsTextCellsAsZero) {
  Fill({"v"}, {{"1"}, {"2"}, {"kbit"}});
  EXPECT_DOUBLE_EQ(m_table.GetAvrgVal(0), 1.0);
  CGridora unbound;
  EXPECT_DOUBLE_EQ(unbound.GetAvrgVal(0), 0.0);
}

TEST_F(TableTest, SizesBitRatesDurationsAndNamesSortNaturally) {
  // Real-looking rows: name, size in kb, artist, bit rate, duration.
  Fill({"File name", "Size kb", "Artist", "Bit rate", "Duration"},
       {{"track10", "1023", "beatles", "192 kbit/s (VBR)", " 0:10:2.0"},
        {"Track2", "2", "ABBA", "128 kbit/s", " 0: 4:5.0"},
        {"track1", "640", "Cher", "32 kbit/s", " 1: 0:0.0"},
        {"-", "-", "-", "-", "-"}});
  ClickFresh(m_table, 1);
  EXPECT_EQ(Column(1), (std::vector<CString>{"-", "2", "640", "1023"}));
  ClickHeader(m_table, 1);
  EXPECT_EQ(Column(1), (std::vector<CString>{"1023", "640", "2", "-"}));

  ClickFresh(m_table, 3);
  EXPECT_EQ(Column(3), (std::vector<CString>{"-", "32 kbit/s", "128 kbit/s", "192 kbit/s (VBR)"}));
  ClickFresh(m_table, 4);
  EXPECT_EQ(Column(4), (std::vector<CString>{" 0: 4:5.0", " 0:10:2.0", " 1: 0:0.0", "-"}));
  ClickFresh(m_table, 2);
  EXPECT_EQ(Column(2), (std::vector<CString>{"-", "ABBA", "beatles", "Cher"}));
  ClickFresh(m_table, 0);
  EXPECT_EQ(Column(0), (std::vector<CString>{"-", "track1", "Track2", "track10"}));
  // Rows move whole.
  EXPECT_EQ(m_table.GetValStr(3, 1), "1023");
}

TEST_F(TableTest, RepeatedClicksToggleAndEqualCellsKeepTheirOrder) {
  Fill({"Name", "Genre"}, {{"d", "Rock"}, {"c", "pop"}, {"b", "rock"}, {"a", "Pop"}});
  // By name first, so that the rows start as a Pop, b rock, c pop, d Rock.
  ClickFresh(m_table, 0);
  ClickHeader(m_table, 1);
  EXPECT_EQ(Column(0), (std::vector<CString>{"a", "c", "b", "d"}));
  ClickHeader(m_table, 1);
  EXPECT_EQ(Column(0), (std::vector<CString>{"b", "d", "a", "c"}));
  ClickHeader(m_table, 1);
  EXPECT_EQ(Column(0), (std::vector<CString>{"a", "c", "b", "d"}));

  // Another column starts ascending again, in any table of the process.
  CGridora other;
  other.Setup(&m_list);
  ClickHeader(m_table, 0);
  ClickHeader(other, 0);
  EXPECT_EQ(Column(0), (std::vector<CString>{"d", "c", "b", "a"}));
  ClickHeader(m_table, 1);
  EXPECT_EQ(Column(1), (std::vector<CString>{"pop", "Pop", "Rock", "rock"}));
}

TEST_F(TableTest, RowDataAndInsertedRowsStayWithTheirRows) {
  Fill({"Name", "n"}, {{"b", "2"}, {"a", "1"}, {"c", "3"}});  // listed c, a, b
  EXPECT_EQ(m_table.GetRowData(0), 0);                       // a new row's
  for (int row = 0; row < 3; ++row) m_table.SetRowData(row, 100 + row);
  ClickFresh(m_table, 0);
  ASSERT_EQ(Column(0), (std::vector<CString>{"a", "b", "c"}));
  EXPECT_EQ(m_table.GetRowData(0), 101);
  EXPECT_EQ(m_table.GetRowData(1), 102);
  EXPECT_EQ(m_table.GetRowData(2), 100);
  // A whole row put in at an index, past the end at the end.
  EXPECT_EQ(m_table.InsertRow(1, {"x", "9"}, -1, 7), 1);
  EXPECT_EQ(m_table.InsertRow(99, {"y"}, -1, 8), 4);
  EXPECT_EQ(Column(0), (std::vector<CString>{"a", "x", "b", "c", "y"}));
  EXPECT_EQ(Column(1), (std::vector<CString>{"1", "9", "2", "3", ""}));
  ClickHeader(m_table, 0);  // descending
  EXPECT_EQ(Column(0), (std::vector<CString>{"y", "x", "c", "b", "a"}));
  EXPECT_EQ(m_table.GetRowData(0), 8);
  EXPECT_EQ(m_table.GetRowData(1), 7);
  EXPECT_EQ(m_table.GetImage(1, 0), -1);
  EXPECT_EQ(CGridora::MyCompareProc(-1, 0, 0), -1);
  EXPECT_EQ(CGridora::MyCompareProc(3, 3, 0), 0);
  EXPECT_EQ(CGridora::MyCompareProc(4, 3, 0), 1);
  CGridora unbound;
  EXPECT_EQ(unbound.InsertRow(0, {"z"}, -1, 1), -1);
  EXPECT_EQ(unbound.GetRowData(0), 0);
}

// The program sorts a fresh folder, or keeps the order across a reload, with
// SortBy; the arrow shows it, and a header click goes on from it.
TEST_F(TableTest, SortByShowsTheArrowAndTheNextClickReversesIt) {
  Fill({"Name", "Size"}, {{"b", "10"}, {"a", "9"}, {"c", "100"}});
  EXPECT_EQ(m_table.GetSortCol(), -1);
  const struct {
    const char* what;
    std::function<void()> act;
    std::vector<CString> sizes;
    int col;
    bool ascending;
  } steps[] = {
      {"by size, descending", [&] { m_table.SortBy(1, false); }, {"100", "10", "9"}, 1, false},
      {"a click on it", [&] { ClickHeader(m_table, 1); }, {"9", "10", "100"}, 1, true},
      {"by name", [&] { m_table.SortBy(0, true); }, {"9", "10", "100"}, 0, true},
      {"cleared, refilled", [&] { m_table.ClearTable(); Fill({}, {{"a", "1"}, {"z", "2"}}); }, {"2", "1"}, 0, true},
      {"a click on it", [&] { ClickHeader(m_table, 0); }, {"2", "1"}, 0, false},
  };
  for (const auto& step : steps) {
    step.act();
    EXPECT_EQ(Column(1), step.sizes) << step.what;
    EXPECT_EQ(m_table.GetSortCol(), step.col) << step.what;
    EXPECT_EQ(m_table.GetSortAscending(), step.ascending) << step.what;
    BOOL ascending = !step.ascending;
    EXPECT_EQ(m_list.GetSortIndicator(&ascending), step.col) << step.what;
    EXPECT_EQ(ascending != FALSE, step.ascending) << step.what;
  }
  m_table.ResetTable();
  EXPECT_EQ(m_table.GetSortCol(), -1);
  EXPECT_EQ(m_list.GetSortIndicator(), -1);
}

TEST_F(TableTest, SortingAnUnboundTableDoesNothing) {
  CGridora unbound;
  ClickHeader(unbound, 0);
  NMHEADER nm;
  LRESULT result = 0;
  m_table.Setup(&m_list);
  m_table.SortData(nullptr, &result);
  EXPECT_EQ(m_table.GetNumOfRow(), 0);
  (void)nm;
}

}  // namespace

TEST_F(TableTest, ARowsTextColourGoesWithItWhenSorted) {
  EXPECT_EQ(m_table.GetRowTxtClr(0), CLR_DEFAULT);  // before Setup
  Fill({"Name"}, {{"b"}, {"c"}, {"a"}});            // listed a, c, b
  m_table.SetRowTxtClr(1, RGB(204, 0, 0));          // c
  m_table.SetRowTxtClr(7, RGB(204, 0, 0));          // no such row: nothing
  ClickFresh(m_table, 0);
  ASSERT_EQ(Column(0), (std::vector<CString>{"a", "b", "c"}));
  const std::vector<COLORREF> expected = {CLR_DEFAULT, CLR_DEFAULT, RGB(204, 0, 0)};
  for (int row = 0; row < 3; ++row) EXPECT_EQ(m_table.GetRowTxtClr(row), expected[row]) << row;
  EXPECT_EQ(m_table.GetRowTxtClr(3), CLR_DEFAULT);
  m_table.SetRowTxtClr(2, CLR_DEFAULT);
  EXPECT_EQ(m_table.GetRowTxtClr(2), CLR_DEFAULT);
}
