// The list's right-click menu through the real popup, and the commands beside
// it: Play, Delete, the column sort and the panel toggle; the header's menu of
// columns, their order and widths kept for the next window.
#include "ListFixture.h"
#include "ShellRecorder.h"

#include "support/ModalAnswers.h"
#include "support/OpenerStandIn.h"

#include <platform/MessageBox.h>
#include <base/Path.h>
#include <platform/Settings.h>
#include <platform/WinApp.h>

#include <QAccessible>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>

#include <numeric>

using test::ListDlg;
using test::ListFixture;

namespace {

enum Item { kPlay, kDelete, kEdit, kSave, kReport };

class ContextMenuTest : public ListFixture {
 protected:
  void SetUp() override {
    ListFixture::SetUp();
    List({{.key = "Alpha", .artist = "Ann"}, {.key = "Beta", .artist = "Bob"}, {.key = "Gamma", .artist = "Cid"}});
  }
  // Right-clicks the selected row and chooses the item (-1: closes the menu).
  void Choose(int row, int item) {
    Select(row);
    test::ChooseInMenu(item, &m_seen);
    RightClick(row, 2);
  }

  test::MenuSeen m_seen;
  test::ShellRecorder m_shell;
};

}  // namespace

TEST_F(ContextMenuTest, MenuOpensAtTheHotCellAndClosingItRunsNothing) {
  Choose(1, -1);
  EXPECT_EQ(m_seen.texts, (QStringList{"Play", "Delete", "Edit", "Save", "html report", "Tags from file names…",
                                       "Format fields…", "File names from tags…", "All fields…", "Add cover…", "Extract cover…", "Remove cover"}));
  EXPECT_EQ(m_dlg.m_pRowMenu->m_nHotItem, 1);
  EXPECT_EQ(m_dlg.m_pRowMenu->m_nHotSubItem, 2);
  CRect cell;
  ASSERT_TRUE(m_dlg.m_list.GetSubItemRect(1, 2, LVIR_BOUNDS, cell));
  m_dlg.m_list.ClientToScreen(&cell);
  EXPECT_EQ(m_seen.geometry.topLeft(), QPoint(cell.left, cell.top));

  EXPECT_TRUE(m_shell.Opened().empty());
  EXPECT_EQ(Keys(), (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
  EXPECT_FALSE(base::FileExists(m_dir.File("report.html")));
  EXPECT_EQ(StatusText(), "");
}

TEST_F(ContextMenuTest, PlayHandsTheSelectedFileToTheShell) {
  Choose(1, kPlay);
  EXPECT_EQ(m_shell.Opened(), std::vector<std::string>{m_dir.File("Beta.mp3").Str()});
  EXPECT_EQ(StatusText(), "Now playing file:Beta");
}

TEST_F(ContextMenuTest, PlayReachesAFileWithAnUpperCaseExtension) {
  List({{.key = "Loud", .ext = ".MP3"}});
  Select(0);
  Click(IDC_PLAY);
  EXPECT_EQ(m_shell.Opened(), std::vector<std::string>{m_dir.File("Loud.MP3").Str()});
  EXPECT_EQ(StatusText(), "Now playing file:Loud");
}

TEST_F(ContextMenuTest, PlayAndDeleteWithoutASelectionSayWhatIsMissing) {
  Click(IDC_PLAY);
  EXPECT_EQ(StatusText(), "Select a file to play.");
  Click(IDC_DELETE_ROW);
  EXPECT_EQ(StatusText(), "Select a file from list.");
  EXPECT_TRUE(m_shell.Opened().empty());
  EXPECT_EQ(Keys().size(), 3u);
}

// A screen reader selects a row without moving the keyboard focus, and the
// focus may move on after a selection; the commands act on the selected row.
TEST_F(ContextMenuTest, CommandsActOnTheSelectedRowWhereverTheFocusIs) {
  QAccessibleInterface* table = QAccessible::queryAccessibleInterface(View());
  ASSERT_TRUE(table && table->tableInterface());
  const auto selectWithFocusElsewhere = [&](int selected, int focused) {
    test::ProcessEvents();  // the tree lays out its rows, which its accessible table counts
    m_dlg.m_list.SetItemState(focused, LVIS_FOCUSED, LVIS_FOCUSED);
    ASSERT_TRUE(table->tableInterface()->selectRow(selected));
    EXPECT_EQ(View()->currentIndex().row(), selected);  // selecting makes it the current row
    m_dlg.m_list.SetItemState(focused, LVIS_FOCUSED, LVIS_FOCUSED);
    ASSERT_EQ(View()->currentIndex().row(), focused);
  };
  selectWithFocusElsewhere(2, 0);
  Click(IDC_PLAY);
  EXPECT_EQ(m_shell.Opened(), std::vector<std::string>{m_dir.File("Gamma.mp3").Str()});
  Click(IDC_DELETE_ROW);
  EXPECT_EQ(Keys(), (std::vector<std::string>{"Alpha", "Beta"}));

  selectWithFocusElsewhere(1, 0);
  NMITEMACTIVATE click;
  test::ChooseInMenu(kDelete);
  m_dlg.m_list.SendNotify(NM_RCLICK, &click.hdr);
  EXPECT_EQ(Keys(), std::vector<std::string>{"Alpha"});
}

TEST_F(ContextMenuTest, DeleteRemovesTheRowButNotTheFile) {
  m_dlg.SetDlgItemText(IDC_EDIT_ARTIST, "typed");
  Choose(1, kDelete);
  EXPECT_EQ(Keys(), (std::vector<std::string>{"Alpha", "Gamma"}));
  EXPECT_TRUE(base::FileExists(m_dir.File("Beta.mp3")));
  EXPECT_EQ(m_dlg.GetDlgItemText(IDC_EDIT_ARTIST), "");
  EXPECT_EQ(m_dlg.m_pTable->GetSelectedRow(), -1);
  EXPECT_EQ(StatusText(), "1 data item has been deleted.");
}

TEST_F(ContextMenuTest, DeletingTheLastRowsLeavesNoTotals) {
  for (int id : {IDC_TOTAL_FILES, IDC_TOTAL_SIZE, IDC_TOTAL_TIME}) m_dlg.SetDlgItemText(id, "stale");
  for (int left = 3; left > 0; --left) {
    Select(0);
    Click(IDC_DELETE_ROW);
  }
  EXPECT_TRUE(Keys().empty());
  for (int id : {IDC_TOTAL_FILES, IDC_TOTAL_SIZE, IDC_TOTAL_TIME}) EXPECT_EQ(m_dlg.GetDlgItemText(id), "--");
  for (const char* name : {"Alpha.mp3", "Beta.mp3", "Gamma.mp3"}) EXPECT_TRUE(base::FileExists(m_dir.File(name)));
}

TEST_F(ContextMenuTest, ReportFromTheMenuIsWrittenAndOpened) {
  Choose(2, kReport);
  const CString page = m_dir.File("report.html");
  EXPECT_TRUE(base::FileExists(page));
  EXPECT_EQ(m_shell.Opened(), std::vector<std::string>{page.Str()});
}

// When no program can open what Play hands to the desktop, a plain message
// says so and names the file (the report and the web button share its way).
TEST_F(ContextMenuTest, NoProgramToOpenItIsSaidPlainlyNamingWhatWasToBeOpened) {
  const test::OpenerStandIn noProgram(3);
  test::ModalQuestion asked;
  // The row menu's choice is answered first, then the message it leads to.
  Select(1);
  test::ChooseInMenu(kPlay);
  test::AnswerMessageBox(IDOK, &asked);
  RightClick(1, 2);
  EXPECT_EQ(asked.caption.Str(), "Could not open");
  EXPECT_EQ(asked.text.Str(), "The file could not be opened: no program to open it was found.\n\n" +
                                  m_dir.File("Beta.mp3").Str());
}

TEST_F(ContextMenuTest, AGoneHotCellOpensTheMenuAtTheMouse) {
  // The mouse was last over a row that has since been deleted.
  m_dlg.m_pRowMenu->m_nHotItem = 7;
  m_dlg.m_pRowMenu->m_nHotSubItem = 3;
  NMITEMACTIVATE click;
  click.ptAction.x = 40;
  click.ptAction.y = 50;
  test::ChooseInMenu(-1, &m_seen);
  m_dlg.m_list.SendNotify(NM_RCLICK, &click.hdr);
  CPoint mouse(40, 50);
  m_dlg.m_list.ClientToScreen(&mouse);
  EXPECT_EQ(m_seen.geometry.topLeft(), QPoint(mouse.x, mouse.y));
  EXPECT_TRUE(m_shell.Opened().empty());
}

TEST_F(ContextMenuTest, RightClickOutsideTheRowsShowsNoMenu) {
  const int asked = test::ModalQuestionsAsked();
  QTest::mouseClick(View()->viewport(), Qt::RightButton, {}, View()->viewport()->rect().bottomRight() - QPoint(5, 5));
  test::ProcessEvents();
  EXPECT_EQ(test::ModalQuestionsAsked(), asked);
  EXPECT_EQ(m_dlg.m_pRowMenu->m_nHotItem, -1);
}

TEST_F(ContextMenuTest, HeaderClicksSortAscendingThenDescending) {
  List({{.key = "Delta", .artist = "ann 10"}, {.key = "Eps", .artist = "ann 9"}});
  auto* header = qobject_cast<QTreeView*>(View())->header();
  const auto clickHeader = [&](int col) {
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(col) + 5, header->height() / 2));
  };
  const auto artists = [&] {
    std::vector<std::string> texts;
    for (int row = 0; row < m_dlg.m_pTable->GetNumOfRow(); ++row) texts.push_back(m_dlg.m_pTable->GetValStr(row, 2).Str());
    return texts;
  };
  // The last sorted column is shared by every table of the process (a click
  // on it again turns the order round), so another column goes first.
  clickHeader(1);
  clickHeader(0);
  EXPECT_EQ(Keys(), (std::vector<std::string>{"Alpha", "Beta", "Delta", "Eps", "Gamma"}));
  clickHeader(2);
  EXPECT_EQ(artists(), (std::vector<std::string>{"Ann", "ann 9", "ann 10", "Bob", "Cid"}));
  clickHeader(2);
  EXPECT_EQ(artists(), (std::vector<std::string>{"Cid", "Bob", "ann 10", "ann 9", "Ann"}));
}

TEST_F(ContextMenuTest, PanelToggleHidesThePanelAndRestoresTheListExactly) {
  QWidget* list = m_dlg.m_list.GetWidget();
  const QRect templateRect = list->geometry();
  Click(IDC_TOGGLE_PANEL);
  EXPECT_TRUE(m_dlg.m_layout.IsPanelHidden());
  EXPECT_EQ(m_dlg.GetDlgItemText(IDC_TOGGLE_PANEL), "^");
  EXPECT_EQ(list->geometry(), QRect(templateRect.topLeft(), QSize(templateRect.width(), m_dlg.m_layout.ListExpandedHeight())));
  for (int id : {IDC_EDIT_FILENAME, IDC_EDIT_CONDUCTOR, IDC_TAGS_GROUP, IDC_RULE_FIRST, IDC_WEB_SITE, IDOK, ID_HELP})
    EXPECT_FALSE(m_dlg.GetDlgItem(id)->IsWindowVisible()) << id;
  for (int id : {IDC_OPEN_FOLDER, IDC_PLAY, IDC_DELETE_ROW, IDC_TOGGLE_PANEL, IDC_SAVE_ALL})
    EXPECT_TRUE(m_dlg.GetDlgItem(id)->IsWindowVisible()) << id;

  Click(IDC_TOGGLE_PANEL);
  EXPECT_FALSE(m_dlg.m_layout.IsPanelHidden());
  EXPECT_EQ(m_dlg.GetDlgItemText(IDC_TOGGLE_PANEL), "_");
  EXPECT_EQ(list->geometry(), templateRect);
  for (int id : {IDC_EDIT_FILENAME, IDC_EDIT_CONDUCTOR, IDC_TAGS_GROUP, IDC_WEB_SITE, IDOK, ID_HELP})
    EXPECT_TRUE(m_dlg.GetDlgItem(id)->IsWindowVisible()) << id;
  // The progress bar belongs to saving and stays hidden.
  EXPECT_FALSE(m_dlg.GetDlgItem(IDC_SAVE_PROGRESS)->IsWindowVisible());
}

TEST(ColumnLayoutTest, KeptTextRoundTripsAndDamagedTextIsRefused) {
  const std::vector<CString> titles = {"File name", "Size kb", "Artist"};
  const ColumnLayout layout{{0, 2, 1}, {0, 55, 140}, {true, false, true}};
  const std::string kept = FormatColumnLayout(layout, titles), head = "1\t0\tFile name\n", tail = "\n0\t55\tSize kb";
  EXPECT_EQ(kept, head + "1\t140\tArtist" + tail);
  EXPECT_TRUE(ParseColumnLayout(kept, titles) == layout);
  for (const std::string& damaged :
       {std::string(), head + "1\t140\tArtist", kept + "\n1\t50\tDisc", head + "1\t140\tArtiste" + tail,
        head + "1\t140\tSize kb" + tail, head + "1\t-1\tArtist" + tail, head + "1\t99999\tArtist" + tail,
        head + "2\t140\tArtist" + tail, "0\t0\tFile name\n1\t140\tArtist" + tail, "1\t140\tArtist\n" + head + tail})
    EXPECT_FALSE(ParseColumnLayout(damaged, titles)) << damaged;
}

class ColumnsTest : public ContextMenuTest {
 protected:
  // What a test keeps reaches no other window.
  void TearDown() override { platform::WriteSetting("Table/Columns", CString()); }

  QHeaderView* Header() { return static_cast<QTreeView*>(View())->header(); }
  // Right-clicks the header and chooses the menu's item at index.
  void ChooseInHeaderMenu(int index) {
    test::ChooseInMenu(index, &m_seen);
    const QPoint at(5, Header()->height() / 2);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, Header()->viewport()->mapToGlobal(at));
    QApplication::sendEvent(Header()->viewport(), &event);
  }
  static std::vector<int> Order(CListCtrl& list, bool unmoved = false) {
    std::vector<int> order(static_cast<std::size_t>(list.GetHeaderCtrl()->GetItemCount()));
    if (unmoved) std::iota(order.begin(), order.end(), 0);
    else list.GetColumnOrderArray(order.data(), static_cast<int>(order.size()));
    return order;
  }

  const int m_nArtist = ColumnOf(kArtist), m_nSize = ColumnOf(kSizeKb);
};

TEST_F(ColumnsTest, TheHeaderMenuHidesAnyColumnButFileNameAndSortsGoByTheColumnsOwnCells) {
  CListCtrl& list = m_dlg.m_list;
  const int count = m_dlg.m_pTable->GetNumOfCol();
  EXPECT_TRUE(Header()->sectionsMovable());
  ChooseInHeaderMenu(m_nArtist);
  EXPECT_EQ(m_seen.texts.mid(0, 4).join('|'), "File name|Size kb|Artist|Album");
  EXPECT_EQ(m_seen.texts.back(), "Reset columns");
  EXPECT_FALSE(list.IsColumnShown(m_nArtist));
  EXPECT_EQ(m_dlg.m_pTable->GetValStr(0, m_nArtist), "Ann");
  ChooseInHeaderMenu(0);  // File name, the row's key, cannot be chosen
  EXPECT_TRUE(list.IsColumnShown(0));

  // Artist shown again at the right end and Size kb hidden: a click on
  // Artist's title sorts by Artist.
  ChooseInHeaderMenu(m_nArtist);
  std::vector<int> order = Order(list, true);
  std::rotate(order.begin() + m_nArtist, order.begin() + m_nArtist + 1, order.end());
  ASSERT_TRUE(list.SetColumnOrderArray(count, order.data()));
  ChooseInHeaderMenu(m_nSize);
  QTest::mouseClick(Header()->viewport(), Qt::LeftButton, {},
                    QPoint(Header()->sectionViewportPosition(m_nArtist) + 5, Header()->height() / 2));
  EXPECT_EQ(m_dlg.m_pTable->GetSortCol(), m_nArtist);

  ChooseInHeaderMenu(count + 1);  // Reset columns, after a separator
  EXPECT_EQ(Order(list), Order(list, true));
  EXPECT_TRUE(list.IsColumnShown(m_nSize) && list.IsColumnShown(m_nArtist));

  // Edit > Columns… offers the same list without the mouse.
  test::ChooseInMenu(m_nArtist, &m_seen);
  static_cast<CWnd&>(m_dlg).OnCommand(ID_COLUMNS, BN_CLICKED);
  EXPECT_EQ(m_seen.texts.mid(0, 4).join('|'), "File name|Size kb|Artist|Album");
  EXPECT_FALSE(list.IsColumnShown(m_nArtist));
}

TEST_F(ColumnsTest, TheArrangementIsKeptForTheNextWindowButNotWhenDamaged) {
  m_dlg.m_list.SetColumnWidth(m_nSize, 90);
  ChooseInHeaderMenu(m_nSize);
  std::vector<int> order = Order(m_dlg.m_list, true);
  std::swap(order[2], order[4]);
  m_dlg.m_list.SetColumnOrderArray(static_cast<int>(order.size()), order.data());
  m_dlg.m_list.SetColumnWidth(m_nArtist, 170);
  m_dlg.m_list.SetColumnWidth(0, 150);  // as the user drags its edge: the names' width gives way
  m_dlg.OnExit();
  for (const bool damaged : {false, true}) {
    if (damaged) platform::WriteSetting("Table/Columns", platform::ReadSetting("Table/Columns") + "\n1\t80\tMood");
    ListDlg next;
    ASSERT_TRUE(next.Create());
    EXPECT_EQ(Order(next.m_list), damaged ? Order(next.m_list, true) : order);
    EXPECT_EQ(next.m_list.IsColumnShown(m_nSize), damaged);
    next.m_columns.FitNames();
    EXPECT_EQ(next.m_list.GetColumnWidth(m_nArtist), damaged ? 100 : 170);
    EXPECT_EQ(next.m_list.GetColumnWidth(0), damaged ? 120 : 150);
    next.m_list.ShowColumn(m_nSize, TRUE);
    EXPECT_EQ(next.m_list.GetColumnWidth(m_nSize), damaged ? 50 : 90);
  }
}

TEST_F(ColumnsTest, FileNameFitsTheNamesUpToAThirdOfTheWindow) {
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
}
