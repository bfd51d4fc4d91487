// The command history and the unsaved state through the real window: every
// command undone and redone gives the exact table back, wherever a sort has
// moved its rows; cells that differ from their files are marked and counted;
// Enter and F2 put typing where it belongs; the menu bar is found by name.
#include "Fields.h"
#include "ListFixture.h"

#include "support/ModalAnswers.h"

#include <platform/MessageBox.h>
#include <platform/WinApp.h>

#include <QAccessible>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTreeView>

#include <algorithm>
#include <functional>
#include <tuple>

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

class HistoryTest : public ListFixture {
 public:
  using ListFixture::m_dlg;
  using ListFixture::RightClick;
  using ListFixture::Select;
  using ListFixture::View;

  void SetUp() override {
    ListFixture::SetUp();
    QApplication::setActiveWindow(m_dlg.GetWidget());  // for the focus and the menus' shortcuts
    List({{.key = "a", .artist = "Ann"}, {.key = "b", .artist = "Bob", .album = "B1"}, {.key = "c", .artist = "Cid"}});
  }

  std::vector<RowView> Table() {
    std::vector<RowView> rows;
    for (int row = 0; row < m_dlg.m_list.GetItemCount(); ++row) {
      RowView view{{}, m_dlg.m_list.GetItemTextColor(row), {}};
      for (int col = 0; col < 24; ++col) {
        view.cells.push_back(m_dlg.m_list.GetItemText(row, col).Str());
        if (m_dlg.m_list.GetItemEmphasis(row, col)) view.emphasised.push_back(col);
      }
      rows.push_back(view);
    }
    return rows;
  }
  static std::vector<RowView> Sorted(std::vector<RowView> rows) {
    std::sort(rows.begin(), rows.end());
    return rows;
  }
  QWidget* Widget(int id) { return m_dlg.GetDlgItem(id)->GetWidget(); }
  void Click(int id) { QTest::mouseClick(qobject_cast<QPushButton*>(Widget(id)), Qt::LeftButton); }
  void Type(int id, const char* text) { qobject_cast<QLineEdit*>(Widget(id))->setText(QString::fromUtf8(text)); }
  // A key pressed on the window, the way a shortcut reaches the menu bar.
  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
    QApplication::setActiveWindow(m_dlg.GetWidget());  // as after a popup menu closes
    QTest::keyClick(m_dlg.GetWidget(), static_cast<Qt::Key>(key), modifiers);
  }
  std::string Unsaved() { return dynamic_cast<CStatusBarCtrl*>(m_dlg.GetDlgItem(517))->GetText(2).Str(); }
  QAction* MenuItem(const char* text) {
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
  const struct {
    const char* name;  // what the status bar names
    std::function<void(HistoryTest&)> act;
  } commands[] = {
      {"Update (b)",
       [](HistoryTest& t) {
         t.Select(1);
         QTest::keyClick(t.View(), Qt::Key_F2);
         t.Type(IDC_EDIT_ARTIST, "New ♫");
         t.Type(IDC_EDIT_TITLE, "");
         QTest::keyClick(t.Widget(IDC_EDIT_ARTIST), Qt::Key_Return);
       }},
      {"Update list (3 rows)",
       [](HistoryTest& t) {
         t.m_dlg.CheckDlgButton(IDC_RULE_TRACK, BST_CHECKED);
         t.Type(IDC_EDIT_ALBUM, "Road Trip");
         t.Click(IDC_UPDATE_LIST);
       }},
      {"Delete (b)", [](HistoryTest& t) { t.Select(1), t.Click(IDC_DELETE_ROW); }},
      {"Delete (a)",
       [](HistoryTest& t) {
         t.Select(0);
         test::ChooseInMenu(1);
         t.RightClick(0, 2);
       }},
      {"Delete (c)", [](HistoryTest& t) { t.Select(2), QTest::keyClick(t.View(), Qt::Key_Delete); }},
  };
  // Row b is edited and marked red first, so that its marks must come back too.
  Select(1);
  m_dlg.SetDlgItemText(IDC_EDIT_FILENAME, "b");
  Type(IDC_EDIT_COMMENT, "edited");
  Click(IDC_UPDATE_ROW);
  m_dlg.m_pTable->SetRowTxtClr(1, RGB(204, 0, 0));
  for (const auto& command : commands) {
    SCOPED_TRACE(command.name);
    const std::vector<RowView> before = Table();
    command.act(*this);
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
  const int artist = 2, album = 3, origArtist = 19;
  EXPECT_EQ(Unsaved(), "");
  EXPECT_FALSE(MenuItem("Undo")->isEnabled());
  // Every row is given b's values: a and c change, and only their changed cells are marked.
  m_dlg.CheckDlgButton(IDC_RULE_ARTIST, BST_CHECKED);
  for (auto [id, text] : {std::pair{IDC_EDIT_ARTIST, "Bob"}, {IDC_EDIT_ALBUM, "B1"}, {IDC_EDIT_TITLE, "-"},
                          {IDC_EDIT_TRACK, "1"}, {IDC_EDIT_ORIGARTIST, "Orig Bob"}})
    Type(id, text);
  Click(IDC_UPDATE_LIST);
  EXPECT_EQ(Unsaved(), "2 files with unsaved edits");
  EXPECT_TRUE(MenuItem("Undo")->isEnabled());
  const std::vector<int> changed = {artist, album, origArtist};
  EXPECT_EQ(Table()[0].emphasised, changed);
  EXPECT_EQ(Table()[1].emphasised, std::vector<int>{});
  EXPECT_EQ(Table()[2].emphasised, changed);
  // Writing back what the file holds leaves no edit.
  Select(0);
  QTest::keyClick(View(), Qt::Key_Return);
  for (auto [id, text] : {std::pair{IDC_EDIT_ARTIST, "Ann"}, {IDC_EDIT_ALBUM, "-"}, {IDC_EDIT_ORIGARTIST, "Orig Ann"}})
    Type(id, text);
  Click(IDC_UPDATE_ROW);
  EXPECT_EQ(Unsaved(), "1 file with unsaved edits");
  EXPECT_EQ(Table()[0].emphasised, std::vector<int>{});
  // Writing the values a row has is no step of the history.
  Select(1);
  QTest::keyClick(View(), Qt::Key_F2);
  Click(IDC_UPDATE_ROW);
  EXPECT_EQ(StatusText(), "Data updated successfully.");
  Key(Qt::Key_Z);
  EXPECT_EQ(StatusText(), "Undone: Update (a)");
  Key(Qt::Key_Z);
  EXPECT_EQ(StatusText(), "Undone: Update list (2 rows)");
  EXPECT_EQ(Unsaved(), "");
  EXPECT_FALSE(MenuItem("Undo")->isEnabled());
  EXPECT_TRUE(MenuItem("Redo")->isEnabled());
  // Nothing differs and nothing is typed: Exit closes at once.
  for (Field field : kEditableFields) Type(SpecOf(field).edit.nId, "");
  Click(IDOK);
  EXPECT_EQ(m_dlg.GetEndResult(), IDOK);
}

TEST_F(HistoryTest, EnterAndF2PutTypingWhereItBelongsAndNeverEndTheWindow) {
  // Enter in a box while Update is greyed: nothing happens, nothing is lost.
  Type(IDC_EDIT_ALBUM, "Typed");
  QTest::keyClick(Widget(IDC_EDIT_ALBUM), Qt::Key_Return);
  EXPECT_EQ(m_dlg.GetEndResult(), -1);
  EXPECT_EQ(m_dlg.GetDlgItemText(IDC_EDIT_ALBUM), "Typed");
  // Enter and F2 on a row fill the boxes as a double-click does, the focus in the first.
  for (int key : {Qt::Key_Return, Qt::Key_F2}) {
    Select(2);
    View()->setFocus();
    QTest::keyClick(View(), static_cast<Qt::Key>(key));
    EXPECT_EQ(m_dlg.GetDlgItemText(IDC_EDIT_FILENAME), "c");
    EXPECT_EQ(m_dlg.GetDlgItemText(IDC_EDIT_ALBUM), "-");
    EXPECT_EQ(QApplication::focusWidget(), Widget(IDC_EDIT_ARTIST));
  }
  // Enter in a box updates the row and goes back to the list.
  QTest::keyClicks(Widget(IDC_EDIT_ARTIST), " Jr");
  QTest::keyClick(Widget(IDC_EDIT_ARTIST), Qt::Key_Enter);
  EXPECT_EQ(m_dlg.m_list.GetItemText(2, 2), "Cid Jr");
  EXPECT_EQ(StatusText(), "Data updated successfully.");
  EXPECT_EQ(QApplication::focusWidget(), View());
  EXPECT_EQ(m_dlg.GetEndResult(), -1);
  // Typing not yet in the table counts for the question, and No keeps it.
  Key(Qt::Key_Z);
  Type(IDC_EDIT_YEAR, "1999");
  test::ModalQuestion asked;
  test::AnswerMessageBox(IDNO, &asked);
  QTest::keyClick(m_dlg.GetWidget(), Qt::Key_Escape);
  EXPECT_EQ(asked.text, "Do you want to exit?");
  EXPECT_EQ(m_dlg.GetDlgItemText(IDC_EDIT_YEAR), "1999");
  EXPECT_EQ(m_dlg.GetEndResult(), -1);
}

TEST_F(HistoryTest, TheMenuBarIsFoundByNameWithItsShortcuts) {
  auto* bar = m_dlg.GetWidget()->findChild<QMenuBar*>();
  ASSERT_NE(bar, nullptr);
  QAccessibleInterface* access = QAccessible::queryAccessibleInterface(bar);
  ASSERT_NE(access, nullptr);
  QStringList menus;
  for (int i = 0; i < access->childCount(); ++i) menus << access->child(i)->text(QAccessible::Name);
  EXPECT_EQ(menus, (QStringList{"File", "Edit", "Help"}));
  const struct {
    const char* text;
    QList<QKeySequence> keys;
    bool enabled;
  } items[] = {
      {"Open Folder…", {QKeySequence("Ctrl+O")}, true}, {"Reload", {QKeySequence("F5")}, true},
      {"Save all", {QKeySequence("Ctrl+S")}, true},     {"Undo last save", {}, false},
      {"HTML report", {}, true},                        {"Exit", {}, true},
      {"Undo", {QKeySequence("Ctrl+Z")}, false},
      {"Redo", {QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")}, false},
      {"User guide", {QKeySequence("F1")}, true},       {"About", {}, true},
  };
  for (const auto& item : items) {
    QAction* action = MenuItem(item.text);
    ASSERT_NE(action, nullptr) << item.text;
    EXPECT_EQ(action->shortcuts(), item.keys) << item.text;
    EXPECT_EQ(action->isEnabled(), item.enabled) << item.text;
  }
  // Choosing an item runs its command: Save all with nothing to save says so.
  MenuItem("Save all")->trigger();
  EXPECT_EQ(StatusText(), "No updated data to be saved.");
  Key(Qt::Key_S);
  EXPECT_EQ(StatusText(), "No updated data to be saved.");
}

}  // namespace
