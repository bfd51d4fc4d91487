// The command history and the unsaved state through the real window: every
// command undone and redone gives the exact table back, wherever a sort has
// moved its rows; cells that differ from their files are marked and counted;
// Enter and F2 put typing where it belongs; the menu bar is found by name.
#include "ListFixture.h"

#include "support/ModalAnswers.h"

#include <platform/MessageBox.h>

#include <QAccessible>
#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTreeView>

#include <algorithm>
#include <functional>
#include <utility>

using test::ListFixture;

namespace {

// A row as the user sees it: its cells, its colour, its emphasised cells.
struct RowView {
  std::vector<std::string> cells;
  COLORREF color;
  std::vector<int> emphasised;
  bool operator==(const RowView&) const = default;
  bool operator<(const RowView& o) const { return cells < o.cells; }
};

std::vector<RowView> Sorted(std::vector<RowView> rows) {
  std::sort(rows.begin(), rows.end());
  return rows;
}

class HistoryTest : public ListFixture {
 protected:
  void SetUp() override {
    ListFixture::SetUp();
    QApplication::setActiveWindow(m_dlg.GetWidget());  // for the focus and the menus' shortcuts
    List({{.key = "a", .artist = "Ann"}, {.key = "b", .artist = "Bob", .album = "B1"}, {.key = "c", .artist = "Cid"}});
  }
  std::vector<RowView> Table() {
    std::vector<RowView> rows;
    for (int row = 0; row < m_dlg.m_list.GetItemCount(); ++row) {
      RowView& view = rows.emplace_back(RowView{{}, m_dlg.m_list.GetItemTextColor(row), {}});
      for (int col = 0; col < 24; ++col) {
        view.cells.push_back(m_dlg.m_list.GetItemText(row, col).Str());
        if (m_dlg.m_list.GetItemEmphasis(row, col)) view.emphasised.push_back(col);
      }
    }
    return rows;
  }
  // A key pressed on the window, as a shortcut of the menu bar is.
  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
    QApplication::setActiveWindow(m_dlg.GetWidget());  // as after a popup menu closes
    QTest::keyClick(m_dlg.GetWidget(), static_cast<Qt::Key>(key), modifiers);
  }
  void KeyOnList(int row, Qt::Key key) {
    Select(row);
    QTest::keyClick(View(), key);
  }
  std::string Unsaved() { return dynamic_cast<CStatusBarCtrl*>(m_dlg.GetDlgItem(517))->GetText(2).Str(); }
  QAction* MenuItem(const QString& text) {
    for (QAction* menu : m_dlg.GetWidget()->findChild<QMenuBar*>()->actions())
      for (QAction* item : menu->menu()->actions())
        if (item->text() == text) return item;
    return nullptr;
  }
  void SortBy(int col) {
    QHeaderView* header = static_cast<QTreeView*>(View())->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(col) + 5, 5));
  }
};

TEST_F(HistoryTest, EveryCommandUndoneAndRedoneGivesTheExactTable) {
  const std::string longText(300, 'x');  // kept in the steps past one byte of length
  const struct {
    const char* name;  // as the status bar names it
    std::function<void()> act;
  } commands[] = {
      {"Update (b)",
       [&] {
         KeyOnList(1, Qt::Key_F2);
         Type(IDC_EDIT_ARTIST, "New ♫");
         Type(IDC_EDIT_TITLE, longText.c_str());
         QTest::keyClick(Widget(IDC_EDIT_ARTIST), Qt::Key_Return);
       }},
      {"Update list (3 rows)",
       [this] {
         m_dlg.CheckDlgButton(IDC_RULE_TRACK, BST_CHECKED);
         Type(IDC_EDIT_ALBUM, "Road Trip");
         Click(IDC_UPDATE_LIST);
       }},
      {"Delete (b)", [this] { Select(1), Click(IDC_DELETE_ROW); }},
      {"Delete (a)", [this] { Select(0), test::ChooseInMenu(1), RightClick(0, 2); }},
      {"Delete (c)", [this] { KeyOnList(2, Qt::Key_Delete); }},
  };
  // Row b is edited and marked red first, so that its marks must come back too.
  KeyOnList(1, Qt::Key_Return);
  Type(IDC_EDIT_COMMENT, "edited");
  Click(IDC_UPDATE_ROW);
  m_dlg.m_pTable->SetRowTxtClr(1, RGB(204, 0, 0));
  for (const auto& command : commands) {
    SCOPED_TRACE(command.name);
    const std::vector<RowView> before = Table();
    command.act();
    const std::vector<RowView> after = Table();
    ASSERT_NE(after, before);
    Key(Qt::Key_Z);
    EXPECT_EQ(StatusText(), std::string("Undone: ") + command.name);
    EXPECT_EQ(Table(), before);
    Key(Qt::Key_Y);
    EXPECT_EQ(StatusText(), std::string("Redone: ") + command.name);
    EXPECT_EQ(Table(), after);
    // The rows move; the steps find them all the same.
    SortBy(2);
    Key(Qt::Key_Z);
    EXPECT_EQ(Sorted(Table()), Sorted(before));
    Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Sorted(Table()), Sorted(after));
    SortBy(0);
    Key(Qt::Key_Z);
    ASSERT_EQ(Table(), before);
  }
}

TEST_F(HistoryTest, UnsavedCellsAreExactlyTheOnesThatDifferFromTheirFiles) {
  EXPECT_FALSE(MenuItem("Undo")->isEnabled());
  // Every row is given b's values: a and c change, and only their changed cells are marked.
  m_dlg.CheckDlgButton(IDC_RULE_ARTIST, BST_CHECKED);
  for (auto [id, text] : {std::pair{IDC_EDIT_ARTIST, "Bob"}, {IDC_EDIT_ALBUM, "B1"}, {IDC_EDIT_TITLE, "-"},
                          {IDC_EDIT_TRACK, "1"}, {IDC_EDIT_ORIGARTIST, "Orig Bob"}})
    Type(id, text);
  Click(IDC_UPDATE_LIST);
  EXPECT_EQ(Unsaved(), "2 files with unsaved edits");
  const std::vector<int> changed = {2, 3, 19};  // artist, album, original artist
  EXPECT_EQ(Table()[0].emphasised, changed);
  EXPECT_EQ(Table()[1].emphasised, std::vector<int>{});
  EXPECT_EQ(Table()[2].emphasised, changed);
  // Writing back what the file holds leaves no edit; writing what a row has is no step.
  KeyOnList(0, Qt::Key_Return);
  for (auto [id, text] : {std::pair{IDC_EDIT_ARTIST, "Ann"}, {IDC_EDIT_ALBUM, "-"}, {IDC_EDIT_ORIGARTIST, "Orig Ann"}})
    Type(id, text);
  Click(IDC_UPDATE_ROW);
  EXPECT_EQ(Unsaved(), "1 file with unsaved edits");
  EXPECT_EQ(Table()[0].emphasised, std::vector<int>{});
  KeyOnList(1, Qt::Key_F2);
  Click(IDC_UPDATE_ROW);
  EXPECT_EQ(StatusText(), "Data updated successfully.");
  Key(Qt::Key_Z);
  EXPECT_EQ(StatusText(), "Undone: Update (a)");
  Key(Qt::Key_Z);
  EXPECT_EQ(StatusText(), "Undone: Update list (2 rows)");
  EXPECT_EQ(Unsaved(), "");
  EXPECT_FALSE(MenuItem("Undo")->isEnabled());
  // A new step forgets what could have been redone.
  EXPECT_TRUE(MenuItem("Redo")->isEnabled());
  KeyOnList(2, Qt::Key_Delete);
  EXPECT_FALSE(MenuItem("Redo")->isEnabled());
  Key(Qt::Key_Z);
  // Nothing differs and nothing is typed: Exit closes at once.
  for (int id : {IDC_EDIT_ARTIST, IDC_EDIT_ALBUM, IDC_EDIT_TITLE, IDC_EDIT_TRACK, IDC_EDIT_ORIGARTIST}) Type(id, "");
  Click(IDOK);
  EXPECT_EQ(m_dlg.GetEndResult(), IDOK);
}

TEST_F(HistoryTest, EnterAndF2PutTypingWhereItBelongsAndNeverEndTheWindow) {
  // Enter in a box while Update is greyed does nothing, and loses nothing.
  Type(IDC_EDIT_YEAR, "1999");
  QTest::keyClick(Widget(IDC_EDIT_YEAR), Qt::Key_Return);
  EXPECT_EQ(m_dlg.GetDlgItemText(IDC_EDIT_YEAR), "1999");
  // Enter and F2 on a row fill the boxes as a double-click does, the focus in the first.
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_F2}) {
    KeyOnList(2, key);
    EXPECT_EQ(m_dlg.GetDlgItemText(IDC_EDIT_FILENAME), "c");
    EXPECT_EQ(QApplication::focusWidget(), Widget(IDC_EDIT_ARTIST));
  }
  QTest::keyClicks(Widget(IDC_EDIT_ARTIST), " Jr");
  QTest::keyClick(Widget(IDC_EDIT_ARTIST), Qt::Key_Enter);
  EXPECT_EQ(m_dlg.m_list.GetItemText(2, 2), "Cid Jr");
  EXPECT_EQ(QApplication::focusWidget(), View());  // back to the row
  EXPECT_EQ(m_dlg.GetEndResult(), -1);
}

// Loading rows into the boxes (F2 here; Enter, double-click and the row
// menu take the same way) keeps typing not yet in the table: loading its own
// rows again leaves it there, other rows replace it only when the user agrees.
TEST_F(HistoryTest, LoadingOtherRowsIntoTheBoxesAsksBeforeTheTypingGoes) {
  const auto load = [this](int row) {
    View()->clearSelection();
    Select(row);
    QTest::keyClick(View(), Qt::Key_F2);
  };
  load(0);
  Type(IDC_EDIT_ARTIST, "Typed");
  load(0);
  EXPECT_EQ(m_dlg.GetDlgItemText(IDC_EDIT_ARTIST), "Typed");
  test::ModalQuestion asked;
  test::AnswerMessageBox(IDNO, &asked);
  load(1);
  EXPECT_EQ((asked.caption + "|" + asked.text).Str(), "Data not saved|Do you want to edit other rows?");
  EXPECT_EQ(m_dlg.GetDlgItemText(IDC_EDIT_FILENAME), "a");
  EXPECT_EQ(m_dlg.GetDlgItemText(IDC_EDIT_ARTIST), "Typed");
  test::AnswerMessageBox(IDYES);
  load(1);
  EXPECT_EQ(m_dlg.GetDlgItemText(IDC_EDIT_FILENAME), "b");
  EXPECT_EQ(m_dlg.GetDlgItemText(IDC_EDIT_ARTIST), "Bob");
  EXPECT_EQ(m_dlg.m_list.GetItemText(0, 2), "Ann");
}

TEST_F(HistoryTest, TheMenuBarIsFoundByNameWithItsShortcuts) {
  QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(m_dlg.GetWidget()->findChild<QMenuBar*>());
  ASSERT_NE(bar, nullptr);
  QStringList menus;
  for (int i = 0; i < bar->childCount(); ++i) menus << bar->child(i)->text(QAccessible::Name);
  EXPECT_EQ(menus, (QStringList{"File", "Edit", "Help"}));
  // Each item with its shortcuts, "-" for a greyed one.
  const QStringList expected = {"Open Folder…=Ctrl+O", "Reload=F5",     "Save all=Ctrl+S", "-Undo last save=Ctrl+Alt+Z",
                                "HTML report=",        "Exit=",         "-Undo=Ctrl+Z",    "-Redo=Ctrl+Y;Ctrl+Shift+Z",
                                "Tags from file names…=", "Format fields…=", "-Add cover…=", "-Extract cover…=",
                                "-Remove cover=", "User guide=F1", "About="};
  for (const QString& item : expected) {
    const QString text = item.section('=', 0, 0).remove(QRegularExpression("^-"));
    QAction* action = MenuItem(text);
    ASSERT_NE(action, nullptr) << text.toStdString();
    QStringList keys;
    for (const QKeySequence& key : action->shortcuts()) keys << key.toString();
    EXPECT_EQ((action->isEnabled() ? "" : "-") + text + "=" + keys.join(';'), item);
  }
  // An item runs its command: Save all with nothing to save says so.
  MenuItem("Save all")->trigger();
  EXPECT_EQ(StatusText(), "No updated data to be saved.");
}

}  // namespace
