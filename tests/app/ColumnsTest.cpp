// The table's columns: shown or hidden from the header's menu, dragged to
// another order, kept for the next window, and File name fitted to the names.
#include "ListFixture.h"

#include "support/ModalAnswers.h"

#include <core/Fields.h>
#include <platform/Settings.h>

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QTreeView>

#include <cstdlib>
#include <numeric>

using test::ListDlg;
using test::ListFixture;

namespace {

TEST(ColumnLayoutTest, KeptTextRoundTripsAndDamagedTextIsRefused) {
  const std::vector<CString> titles = {"File name", "Size kb", "Artist"};
  const ColumnLayout layout{{0, 2, 1}, {0, 55, 140}, {true, false, true}};
  const std::string kept = FormatColumnLayout(layout, titles);
  EXPECT_EQ(kept, "1\t0\tFile name\n1\t140\tArtist\n0\t55\tSize kb");
  EXPECT_TRUE(ParseColumnLayout(kept, titles) == layout);
  const std::string tail = "\n0\t55\tSize kb";
  for (const std::string& damaged :
       {std::string(), std::string("File name"), std::string("1\t0\tFile name\n1\t140\tArtist"),  // a column fewer
        kept + "\n1\t50\tDisc", "1\t0\tFile name\n1\t140\tArtiste" + tail, "1\t0\tFile name\n1\t140\tSize kb" + tail,
        "1\t0\tFile name\n1\t-1\tArtist" + tail, "1\t0\tFile name\n1\t\tArtist" + tail,
        "1\t0\tFile name\n1\t1e3\tArtist" + tail, "1\t0\tFile name\n1\t99999\tArtist" + tail,
        "1\t0\tFile name\n2\t140\tArtist" + tail, "0\t0\tFile name\n1\t140\tArtist" + tail,
        "1\t140\tArtist\n1\t0\tFile name" + tail, kept + "\n"})
    EXPECT_FALSE(ParseColumnLayout(damaged, titles)) << damaged;
}

class ColumnsTest : public ListFixture {
 protected:
  void SetUp() override {
    if (const char* config = std::getenv("XDG_CONFIG_HOME")) m_strOldConfig = config;
    ::setenv("XDG_CONFIG_HOME", m_config.Path(), 1);
    ListFixture::SetUp();
    List({{.key = "Beta", .artist = "Cid"}, {.key = "Alpha", .artist = "Bob"}, {.key = "Gamma", .artist = "Ann"}});
  }
  void TearDown() override { ::setenv("XDG_CONFIG_HOME", m_strOldConfig.c_str(), 1); }

  static QHeaderView* Header(CListCtrl& list) { return static_cast<QTreeView*>(list.GetWidget())->header(); }
  static QPoint On(CListCtrl& list, int col) {
    return {Header(list)->sectionViewportPosition(col) + 5, Header(list)->height() / 2};
  }
  // Right-clicks the header over col and chooses the menu's item at index.
  void ChooseInHeaderMenu(int col, int index) {
    test::ChooseInMenu(index, &m_seen);
    const QPoint at = On(m_dlg.m_list, col);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, Header(m_dlg.m_list)->viewport()->mapToGlobal(at));
    QApplication::sendEvent(Header(m_dlg.m_list)->viewport(), &event);
  }
  static std::vector<int> Order(CListCtrl& list) {
    std::vector<int> order(static_cast<std::size_t>(Header(list)->count()));
    list.GetColumnOrderArray(order.data(), static_cast<int>(order.size()));
    return order;
  }
  std::vector<int> Unmoved() {
    std::vector<int> order(static_cast<std::size_t>(m_dlg.m_pTable->GetNumOfCol()));
    std::iota(order.begin(), order.end(), 0);
    return order;
  }

  test::TempDir m_config;
  std::string m_strOldConfig;
  test::MenuSeen m_seen;
};

TEST_F(ColumnsTest, TheHeaderMenuHidesAnyColumnButFileNameAndSortsGoByTheColumnsOwnCells) {
  CListCtrl& list = m_dlg.m_list;
  const int artist = ColumnOf(kArtist), count = m_dlg.m_pTable->GetNumOfCol();
  ChooseInHeaderMenu(artist, artist);
  EXPECT_EQ(m_seen.texts.mid(0, 4).join('|'), "File name|Size kb|Artist|Album");
  EXPECT_EQ(m_seen.texts.size(), count + 2);
  EXPECT_EQ(m_seen.texts.back(), "Reset columns");
  EXPECT_FALSE(list.IsColumnShown(artist));
  EXPECT_EQ(m_dlg.m_pTable->GetValStr(0, artist), "Cid");
  ChooseInHeaderMenu(0, 0);  // File name, the row's key, cannot be chosen
  EXPECT_TRUE(list.IsColumnShown(0));
  ChooseInHeaderMenu(0, artist);
  EXPECT_TRUE(list.IsColumnShown(artist));

  // Artist dragged to the right end and Size kb hidden: a click on Artist's
  // header sorts by the artists.
  std::vector<int> order = Unmoved();
  std::rotate(order.begin() + artist, order.begin() + artist + 1, order.end());
  ASSERT_TRUE(list.SetColumnOrderArray(count, order.data()));
  ChooseInHeaderMenu(0, ColumnOf(kSizeKb));
  QTest::mouseClick(Header(list)->viewport(), Qt::LeftButton, {}, On(list, artist));
  EXPECT_EQ(Keys(), (std::vector<std::string>{"Gamma", "Alpha", "Beta"}));
  EXPECT_EQ(Order(list), order);

  ChooseInHeaderMenu(0, count + 1);
  EXPECT_EQ(Order(list), Unmoved());
  EXPECT_TRUE(list.IsColumnShown(ColumnOf(kSizeKb)));
}

TEST_F(ColumnsTest, TheArrangementIsKeptForTheNextWindowAndADamagedOneGivesTheDefaults) {
  const int artist = ColumnOf(kArtist), size = ColumnOf(kSizeKb);
  ChooseInHeaderMenu(0, size);
  std::vector<int> order = Unmoved();
  std::swap(order[2], order[4]);
  m_dlg.m_list.SetColumnOrderArray(static_cast<int>(order.size()), order.data());
  m_dlg.m_list.SetColumnWidth(artist, 170);
  m_dlg.OnExit();
  {
    ListDlg next;
    ASSERT_TRUE(next.Create());
    EXPECT_EQ(Order(next.m_list), order);
    EXPECT_FALSE(next.m_list.IsColumnShown(size));
    EXPECT_EQ(next.m_list.GetColumnWidth(artist), 170);
  }
  const std::string kept = platform::ReadSetting("Table/Columns").Str();
  for (const std::string& damaged : {kept.substr(0, kept.rfind('\n')), kept + "\n1\t80\tMood"}) {
    platform::WriteSetting("Table/Columns", CString(damaged));
    ListDlg next;
    ASSERT_TRUE(next.Create());
    EXPECT_EQ(Order(next.m_list), Unmoved());
    EXPECT_TRUE(next.m_list.IsColumnShown(size));
    EXPECT_EQ(next.m_list.GetColumnWidth(artist), 100);
  }
}

TEST_F(ColumnsTest, FileNameFitsTheNamesUpToAThirdOfTheWindowUnlessTheUserSetItsWidth) {
  CListCtrl& list = m_dlg.m_list;
  const CString name("Beta - recorded live at the long concert in Berlin");
  List({{.key = name.Str()}});
  m_dlg.m_columns.FitNames();
  EXPECT_GT(list.GetColumnWidth(0), list.GetStringWidth(name) + 16);
  List({{.key = std::string(300, 'W')}});
  m_dlg.m_columns.FitNames();
  CRect client;
  m_dlg.GetClientRect(&client);
  EXPECT_EQ(list.GetColumnWidth(0), client.Width() / 3);

  list.SetColumnWidth(0, 150);  // as the user drags its edge
  m_dlg.m_columns.FitNames();
  EXPECT_EQ(list.GetColumnWidth(0), 150);
  m_dlg.m_columns.Keep();
  ListDlg next;
  ASSERT_TRUE(next.Create());
  next.m_columns.FitNames();
  EXPECT_EQ(next.m_list.GetColumnWidth(0), 150);
}

}  // namespace
