#include "TableFixture.h"

#include <platform/ImageList.h>
#include <platform/Resources.h>

#include <QAbstractItemView>

#include <clocale>

namespace {

TEST_F(TableTest, BeforeSetupNothingHappensAndCountsAreMinusOne) {
  EXPECT_EQ(m_table.GetNumOfRow(), -1);
  EXPECT_EQ(m_table.GetNumOfCol(), -1);
  EXPECT_EQ(m_table.GetSelectedRow(), -1);
  EXPECT_FALSE(m_table.ClearTable());
  EXPECT_FALSE(m_table.ResetTable());
  m_table.SetTitle("Name", 80, 'L');
  m_table.AddRow(CString("x"));
  m_table.SetBackClr(RGB(1, 1, 1));
  CImageList images;
  m_table.CreateImages(&images, 16, 16, 0, 1);
  EXPECT_FALSE(images.IsCreated());
  EXPECT_EQ(m_list.GetItemCount(), 0);
  EXPECT_EQ(m_list.GetHeaderCtrl()->GetItemCount(), 0);
  EXPECT_NE(m_list.GetBkColor(), RGB(1, 1, 1));

  m_table.Setup(&m_list);
  EXPECT_EQ(m_list.GetExtendedStyle(), LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  EXPECT_EQ(m_table.GetNumOfRow(), 0);
  EXPECT_EQ(m_table.GetNumOfCol(), 0);
}

TEST_F(TableTest, RowsAreBuiltCellByCellAtTheTop) {
  Fill({"A", "B", "C", "D", "E"}, {{"A", "a1"}, {"B", "b1", "b2", "b3", "b4"}, {"C"}});
  EXPECT_EQ(m_table.GetNumOfRow(), 3);
  EXPECT_EQ(Column(0), (std::vector<CString>{"C", "B", "A"}));
  EXPECT_EQ(m_table.GetValStr(2, 1), "a1");
  // A short row keeps empty cells.
  for (int col = 2; col < 5; ++col) EXPECT_EQ(m_table.GetValStr(2, col), "");
  EXPECT_EQ(m_table.GetValStr(1, 4), "b4");

  // A second cell before EndRow goes into column 1 of the newest row.
  m_table.AddRow(CString("D"));
  m_table.AddRow(CString("d1"));
  EXPECT_EQ(m_table.GetValStr(0, 0), "D");
  EXPECT_EQ(m_table.GetValStr(0, 1), "d1");
  EXPECT_EQ(m_table.GetValStr(1, 1), "");
  EXPECT_EQ(m_table.GetNumOfRow(), 4);
}

TEST_F(TableTest, AlignmentCarriesOverForUnknownLetters) {
  m_table.Setup(&m_list);
  m_table.SetTitle("First", 50, '?');
  m_table.SetTitle("Size", 60, 'R');
  m_table.SetTitle("Kb", 60, 'x');
  m_table.SetTitle("Name", 70, 'L');
  const int expected[] = {LVCFMT_CENTER, LVCFMT_RIGHT, LVCFMT_RIGHT, LVCFMT_LEFT};
  for (int col = 0; col < 4; ++col) {
    LVCOLUMN column;
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    ASSERT_TRUE(m_list.GetColumn(col, &column));
    EXPECT_EQ(column.fmt, expected[col]) << col;
  }
  EXPECT_EQ(m_list.GetColumnWidth(1), 60);
  EXPECT_EQ(m_table.GetNumOfCol(), 4);
}

TEST_F(TableTest, NumbersAreFormattedWithTheirPrecision) {
  Fill({"a", "b", "c", "d", "e", "f", "g"}, {});
  m_table.AddRow(3.14159);
  m_table.AddRow(1.0, 12);
  m_table.AddRow(2.0, -1);
  m_table.AddRow(2.5, 0);
  m_table.AddRow(0.123456789, 9);
  m_table.AddRow(-42);
  m_table.AddRow(7.0, 1);
  m_table.EndRow();
  const std::vector<CString> expected = {"3.1416", "1.0000", "2.0000", "2", "0.123456789", "-42", "7.0"};
  for (int col = 0; col < 7; ++col) EXPECT_EQ(m_table.GetValStr(0, col), expected[col]) << col;

  m_table.UpdateRow(0, 1, 12);
  m_table.UpdateRow(0, 2, 0.5);
  m_table.UpdateRow(0, 3, 0.25, 1);
  m_table.UpdateRow(0, 0, CString("text"));
  EXPECT_EQ(m_table.GetValStr(0, 1), "12");
  EXPECT_EQ(m_table.GetValStr(0, 2), "0.5000");
  EXPECT_EQ(m_table.GetValStr(0, 3), "0.2");  // round half to even, as printf does
  EXPECT_EQ(m_table.GetValStr(0, 0), "text");
}

TEST_F(TableTest, NumbersDoNotFollowTheDesktopLocale) {
  // A desktop with a comma as decimal point must not change what cells hold.
  const char* previous = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  if (!previous) GTEST_SKIP() << "no German locale installed";
  Fill({"a"}, {{"3.5"}});
  m_table.AddRow(1.25, 2);
  m_table.EndRow();
  EXPECT_EQ(m_table.GetValStr(0, 0), "1.25");
  EXPECT_DOUBLE_EQ(m_table.GetValDbl(1, 0), 3.5);
  std::setlocale(LC_NUMERIC, "C");
}

TEST_F(TableTest, TypedReadsReadLikeAtoiAndAtof) {
  Fill({"a", "b", "c", "d", "e", "f"}, {{"1,234", "128 kbit/s", "-", "  -7.5e1x", "99999999999", ""}});
  EXPECT_EQ(m_table.GetValInt(0, 0), 1);
  EXPECT_EQ(m_table.GetValInt(0, 1), 128);
  EXPECT_DOUBLE_EQ(m_table.GetValDbl(0, 1), 128.0);
  EXPECT_EQ(m_table.GetValInt(0, 2), 0);
  EXPECT_DOUBLE_EQ(m_table.GetValDbl(0, 2), 0.0);
  EXPECT_DOUBLE_EQ(m_table.GetValDbl(0, 3), -75.0);
  EXPECT_EQ(m_table.GetValInt(0, 3), -7);
  EXPECT_EQ(m_table.GetValInt(0, 4), 2147483647);  // clamped, not wrapped
  EXPECT_EQ(m_table.GetValInt(0, 5), 0);
}

TEST_F(TableTest, ImagesOnlyWhenTheListHoldsThem) {
  Fill({"Name"}, {});
  CImageList images;
  m_table.CreateImages(&images, 2, 2, 0, 1);
  ASSERT_TRUE(images.IsCreated());
  EXPECT_EQ(m_list.GetImageList(LVSIL_SMALL), &images);
  m_table.AddImage(7);  // a 4 x 2 bitmap: two images
  m_table.AddImage(999);  // no such resource
  ASSERT_EQ(images.GetImageCount(), 2);

  auto imageOf = [&](int row) {
    LVITEM item;
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    m_list.GetItem(&item);
    return item.iImage;
  };
  m_table.AddRow(CString("two"), 2);  // beyond the list: no image
  m_table.EndRow();
  EXPECT_EQ(imageOf(0), -1);
  m_table.AddRow(CString("one"), 1);
  m_table.EndRow();
  EXPECT_EQ(imageOf(0), 1);
  m_table.AddRow(5, 0);
  m_table.EndRow();
  EXPECT_EQ(imageOf(0), 0);
  // The image index does not stick to the next row.
  m_table.AddRow(CString("plain"));
  m_table.EndRow();
  EXPECT_EQ(imageOf(0), -1);

  m_table.UpdateImage(0, 0, 1);
  EXPECT_EQ(imageOf(0), 1);
  m_table.UpdateImage(0, 0, 2);
  EXPECT_EQ(imageOf(0), 1);

  // The first column shows the image the list holds now.
  auto* view = static_cast<QAbstractItemView*>(m_list.GetWidget());
  EXPECT_FALSE(view->model()->index(0, 0).data(Qt::DecorationRole).isNull());

  // A second CreateImages is ignored; ClearImages empties the list it keeps.
  CImageList other;
  m_table.CreateImages(&other, 16, 16, RGB(0, 0, 1), 1);
  EXPECT_FALSE(other.IsCreated());
  m_table.ClearImages();
  EXPECT_EQ(images.GetImageCount(), 0);
  EXPECT_EQ(m_list.GetImageList(LVSIL_SMALL), &images);
  EXPECT_TRUE(view->model()->index(0, 0).data(Qt::DecorationRole).isNull());
}

TEST_F(TableTest, ImageIndexFiveNeedsSixImages) {
  Fill({"Name"}, {});
  CImageList images;
  m_table.CreateImages(&images, 2, 2, 0, 1);
  auto addThree = [&] {
    m_table.AddImage(7);  // a 4 x 2 bitmap: two images
    HICON icon = images.ExtractIcon(0);
    m_table.AddIcon(icon);
    DestroyIcon(icon);  // the icon stays ours; the list keeps its picture
  };
  auto addRowWithImageFive = [&](const char* text) {
    m_table.AddRow(CString(text), 5);
    m_table.EndRow();
    LVITEM item;
    item.mask = LVIF_IMAGE;
    m_list.GetItem(&item);
    return item.iImage;
  };
  m_table.AddIcon(HICON(nullptr));
  EXPECT_EQ(images.GetImageCount(), 0);
  addThree();
  ASSERT_EQ(images.GetImageCount(), 3);
  EXPECT_EQ(addRowWithImageFive("x"), -1);
  addThree();
  ASSERT_EQ(images.GetImageCount(), 6);
  EXPECT_EQ(addRowWithImageFive("y"), 5);
}

TEST_F(TableTest, ClearKeepsColumnsResetRemovesThem) {
  Fill({"Name", "Size"}, {{"a", "1"}, {"b", "2"}});
  ASSERT_TRUE(m_table.ClearTable());
  EXPECT_EQ(m_table.GetNumOfRow(), 0);
  EXPECT_EQ(m_table.GetNumOfCol(), 2);

  m_table.AddRow(CString("c"));
  m_table.EndRow();
  ASSERT_TRUE(m_table.ResetTable());
  EXPECT_EQ(m_table.GetNumOfRow(), 0);
  EXPECT_EQ(m_table.GetNumOfCol(), 0);
  // Columns start again at index 0, rows too.
  m_table.SetTitle("Again", 40, 'R');
  LVCOLUMN column;
  column.mask = LVCF_TEXT | LVCF_FMT;
  ASSERT_TRUE(m_list.GetColumn(0, &column));
  EXPECT_EQ(column.pszText, "Again");
  EXPECT_EQ(m_table.GetNumOfCol(), 1);
  m_table.AddRow(CString("new"));
  m_table.EndRow();
  EXPECT_EQ(m_table.GetValStr(0, 0), "new");

  // A column the caller added by other means counts too.
  m_list.InsertColumn(1, "Extra", LVCFMT_LEFT, 30);
  EXPECT_EQ(m_table.GetNumOfCol(), 2);
}

TEST_F(TableTest, DeleteRowAndSelection) {
  Fill({"Name"}, {{"a"}, {"b"}, {"c"}});
  EXPECT_EQ(m_table.GetSelectedRow(), -1);
  m_list.SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  EXPECT_EQ(m_table.GetSelectedRow(), 1);
  EXPECT_EQ(m_table.GetSelectedRows(), std::vector<int>{1});
  m_table.DeleteRow(7);
  EXPECT_EQ(m_table.GetNumOfRow(), 3);
  m_table.DeleteRow(1);
  EXPECT_EQ(Column(0), (std::vector<CString>{"c", "a"}));
  EXPECT_EQ(m_table.GetSelectedRow(), -1);
  EXPECT_TRUE(m_table.GetSelectedRows().empty());
  m_table.DeleteRow(0);
  m_table.DeleteRow(0);
  m_table.DeleteRow(0);
  EXPECT_EQ(m_table.GetNumOfRow(), 0);
}

TEST_F(TableTest, ColoursReachTheControl) {
  m_table.Setup(&m_list);
  m_table.SetBackClr(RGB(10, 20, 30));
  m_table.SetTxtClr(RGB(1, 2, 3));
  m_table.SetTxtBkClr(RGB(4, 5, 6));
  m_table.SetOutlineClr(RGB(7, 8, 9));
  EXPECT_EQ(m_list.GetBkColor(), RGB(10, 20, 30));
  EXPECT_EQ(m_list.GetTextColor(), RGB(1, 2, 3));
  EXPECT_EQ(m_list.GetTextBkColor(), RGB(4, 5, 6));
  EXPECT_EQ(m_list.GetOutlineColor(), RGB(7, 8, 9));
}

}  // namespace
