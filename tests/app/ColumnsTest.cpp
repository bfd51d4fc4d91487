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

namespace {

TEST(ColumnLayoutTest, KeptTextRoundTripsAndDamagedTextIsRefused) {
  const std::vector<CString> titles = {"File name", "Size kb", "Artist"};
  const ColumnLayout layout{{0, 2, 1}, {0, 55, 140}, {true, false, true}};
  const std::string kept = FormatColumnLayout(layout, titles), tail = "\n0\t55\tSize kb";
  EXPECT_EQ(kept, "1\t0\tFile name\n1\t140\tArtist" + tail);
  EXPECT_TRUE(ParseColumnLayout(kept, titles) == layout);
  for (const std::string& damaged :
       {std::string(), std::string("File name"), std::string("1\t0\tFile name\n1\t140\tArtist"),  // a column fewer
        kept + "\n1\t50\tDisc", "1\t0\tFile name\n1\t140\tArtiste" + tail, "1\t0\tFile name\n1\t140\tSize kb" + tail,
        "1\t0\tFile name\n1\t-1\tArtist" + tail, "1\t0\tFile name\n1\t\tArtist" + tail,
        "1\t0\tFile name\n1\t1e3\tArtist" + tail, "1\t0\tFile name\n1\t99999\tArtist" + tail,
        "1\t0\tFile name\n2\t140\tArtist" + tail, "0\t0\tFile name\n1\t140\tArtist" + tail,
        "1\t140\tArtist\n1\t0\tFile name" + tail, kept + "\n"})
    EXPECT_FALSE(ParseColumnLayout(damaged, titles)) << damaged;
}

class ColumnsTest : public test::ListFixture {
 protected:
  void SetUp() override {
    if (const char* config = std::getenv("XDG_CONFIG_HOME")) m_strOldConfig = config;
    ::setenv("XDG_CONFIG_HOME", m_config.Path(), 1);
    ListFixture::SetUp();
    List({{.key = "Beta", .artist = "Cid"}, {.key = "Alpha", .artist = "Bob"}, {.key = "Gamma", .artist = "Ann"}});
  }
  void TearDown() override { ::setenv("XDG_CONFIG_HOME", m_strOldConfig.c_str(), 1); }

  QHeaderView* Header() { return static_cast<QTreeView*>(View())->header(); }
  QPoint On(int col) { return {Header()->sectionViewportPosition(col) + 5, Header()->height() / 2}; }
  // Right-clicks the header and chooses the menu's item at index.
  void ChooseInHeaderMenu(int index) {
    test::ChooseInMenu(index, &m_seen);
    QContextMenuEvent event(QContextMenuEvent::Mouse, On(0), Header()->viewport()->mapToGlobal(On(0)));
    QApplication::sendEvent(Header()->viewport(), &event);
  }
  static std::vector<int> Order(CListCtrl& list, bool unmoved = false) {
    std::vector<int> order(static_cast<std::size_t>(list.GetHeaderCtrl()->GetItemCount()));
    if (unmoved) std::iota(order.begin(), order.end(), 0);
    else list.GetColumnOrderArray(order.data(), static_cast<int>(order.size()));
    return order;
  }

  test::TempDir m_config;
  std::string m_strOldConfig;
  test::MenuSeen m_seen;
  const int m_nArtist = ColumnOf(kArtist), m_nSize = ColumnOf(kSizeKb);
};

TEST_F(ColumnsTest, TheHeaderMenuHidesAnyColumnButFileNameAndSortsGoByTheColumnsOwnCells) {
  CListCtrl& list = m_dlg.m_list;
  const int count = m_dlg.m_pTable->GetNumOfCol();
  ChooseInHeaderMenu(m_nArtist);
  EXPECT_EQ(m_seen.texts.mid(0, 4).join('|'), "File name|Size kb|Artist|Album");
  EXPECT_EQ(m_seen.texts.size(), count + 2);
  EXPECT_FALSE(list.IsColumnShown(m_nArtist));
  EXPECT_EQ(m_dlg.m_pTable->GetValStr(0, m_nArtist), "Cid");
  ChooseInHeaderMenu(0);  // File name, the row's key, cannot be chosen
  EXPECT_TRUE(list.IsColumnShown(0));

  // Artist shown again at the right end and Size kb hidden: a click on
  // Artist's title sorts by the artists.
  ChooseInHeaderMenu(m_nArtist);
  std::vector<int> order = Order(list, true);
  std::rotate(order.begin() + m_nArtist, order.begin() + m_nArtist + 1, order.end());
  ASSERT_TRUE(list.SetColumnOrderArray(count, order.data()));
  ChooseInHeaderMenu(m_nSize);
  QTest::mouseClick(Header()->viewport(), Qt::LeftButton, {}, On(m_nArtist));
  EXPECT_EQ(Keys(), (std::vector<std::string>{"Gamma", "Alpha", "Beta"}));

  EXPECT_EQ(m_seen.texts.back(), "Reset columns");
  ChooseInHeaderMenu(count + 1);
  EXPECT_EQ(Order(list), Order(list, true));
  EXPECT_TRUE(list.IsColumnShown(m_nSize) && list.IsColumnShown(m_nArtist));
}

TEST_F(ColumnsTest, TheArrangementIsKeptForTheNextWindowButNotWhenDamaged) {
  m_dlg.m_list.SetColumnWidth(m_nSize, 90);
  ChooseInHeaderMenu(m_nSize);
  std::vector<int> order = Order(m_dlg.m_list, true);
  std::swap(order[2], order[4]);
  m_dlg.m_list.SetColumnOrderArray(static_cast<int>(order.size()), order.data());
  m_dlg.m_list.SetColumnWidth(m_nArtist, 170);
  m_dlg.OnExit();
  for (const bool damaged : {false, true}) {
    if (damaged) platform::WriteSetting("Table/Columns", platform::ReadSetting("Table/Columns") + "\n1\t80\tMood");
    ListDlg next;
    ASSERT_TRUE(next.Create());
    EXPECT_EQ(Order(next.m_list), damaged ? Order(next.m_list, true) : order);
    EXPECT_EQ(next.m_list.IsColumnShown(m_nSize), damaged);
    EXPECT_EQ(next.m_list.GetColumnWidth(m_nArtist), damaged ? 100 : 170);
    next.m_list.ShowColumn(m_nSize, TRUE);
    EXPECT_EQ(next.m_list.GetColumnWidth(m_nSize), damaged ? 50 : 90);
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
  m_dlg.m_columns.Keep();
  ListDlg next;
  ASSERT_TRUE(next.Create());
  next.m_columns.FitNames();
  EXPECT_EQ(next.m_list.GetColumnWidth(0), 150);
}

}  // namespace
