// The list's right-click menu through the real popup, and the commands beside
// it: Play, Delete, the column sort and the panel toggle.
#include "ListFixture.h"
#include "ShellRecorder.h"

#include "support/ModalAnswers.h"

#include <platform/MessageBox.h>
#include <base/Path.h>
#include <platform/WinApp.h>

#include <QAccessible>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>

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
                                       "Format fields…", "File names from tags…", "Add cover…", "Extract cover…", "Remove cover"}));
  EXPECT_EQ(m_dlg.m_nHotItem, 1);
  EXPECT_EQ(m_dlg.m_nHotSubItem, 2);
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

TEST_F(ContextMenuTest, AGoneHotCellOpensTheMenuAtTheMouse) {
  // The mouse was last over a row that has since been deleted.
  m_dlg.m_nHotItem = 7;
  m_dlg.m_nHotSubItem = 3;
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
  EXPECT_EQ(m_dlg.m_nHotItem, -1);
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
  clickHeader(0);  // the last sorted column is remembered across windows
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
