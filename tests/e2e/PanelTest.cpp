// The tag panel and the selection as a user meets them: a field's "-" gives
// way to what is typed, Update on another row says which row the boxes hold,
// a file name that is not UTF-8 is edited like any other, and the selected
// rows stay selected across a save, a reload and an undo of the save.
#include "MainWindowDriver.h"

#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>

#include <initializer_list>

namespace {

using test::MutagenRow;

class PanelTest : public test::MainWindowDriver {
 protected:
  QAction* MenuItem(const char* text) {
    for (QAction* menu : m_dlg.GetWidget()->findChild<QMenuBar*>()->actions())
      for (QAction* item : menu->menu()->actions())
        if (item->text() == text) return item;
    return nullptr;
  }
  std::vector<std::string> SelectedKeys() {
    std::vector<std::string> keys;
    for (int row = 0; row < Rows(); ++row)
      if (m_dlg.m_list.GetItemState(row, LVIS_SELECTED)) keys.push_back(Cell(row, 0));
    return keys;
  }
  void SelectKeys(std::initializer_list<const char*> keys) {
    View()->clearSelection();
    for (const char* key : keys) m_dlg.m_list.SetItemState(RowOf(key), LVIS_SELECTED, LVIS_SELECTED);
  }
  // Clicks at the end of the line edit's text and types there, as a user
  // adds to what a box shows; the keys go where the focus is (a combo box
  // takes them itself).
  static void TypeAtEnd(QLineEdit* edit, const char* text) {
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(edit->width() - 4, edit->height() / 2));
    edit->end(false);
    QWidget* keys = qobject_cast<QComboBox*>(edit->parentWidget()) ? edit->parentWidget() : edit;
    QTest::keyClicks(keys, QString::fromUtf8(text));
  }

  test::TempDir m_dir;
};

TEST_F(PanelTest, TypingIntoABoxThatShowsAMissingFieldReplacesTheMarker) {
  const CString file = m_dir.CopyFixture("untagged.mp3", "a.mp3");
  OpenFolder(m_dir.Path());
  ASSERT_EQ(Rows(), 1);
  DoubleClickRow(0);
  QApplication::setActiveWindow(m_dlg.GetWidget());
  auto* year = qobject_cast<QLineEdit*>(Item(IDC_EDIT_YEAR));
  auto* genre = qobject_cast<QComboBox*>(Item(IDC_EDIT_GENRE));
  ASSERT_EQ(year->text(), "-");
  ASSERT_EQ(genre->currentText(), "-");
  TypeAtEnd(year, "1999");
  TypeAtEnd(genre->lineEdit(), "Synthpop");
  EXPECT_EQ(year->text(), "1999");
  EXPECT_EQ(genre->currentText(), "Synthpop");
  // Typing into a box that holds a value adds to it, as anywhere else.
  Type(IDC_EDIT_TITLE, "Song");
  TypeAtEnd(qobject_cast<QLineEdit*>(Item(IDC_EDIT_TITLE)), "-1");
  EXPECT_EQ(Box(IDC_EDIT_TITLE), "Song-1");
  Click(IDC_UPDATE_ROW);
  Click(IDC_SAVE_ALL);
  const auto row = MutagenRow(file);
  EXPECT_EQ(row.at(6), "1999");
  EXPECT_EQ(row.at(7), "Synthpop");
  EXPECT_EQ(row.at(4), "Song-1");
  EXPECT_EQ(row.at(2), "-") << "a box left at the marker stays empty";
}

// Update on another row is refused with a word (LoadEditSaveTest); with the
// boxes following the selection, no typing is lost on the way to another row.
TEST_F(PanelTest, TheBoxesCanFollowTheSelectionAndTakeTheirTypingAlong) {
  m_dir.CopyFixture("cbr_v23_latin1.mp3", "a.mp3");
  m_dir.CopyFixture("cbr_v23_latin1.mp3", "b.mp3");
  OpenFolder(m_dir.Path());
  const std::string artist = Cell(RowOf("a"), 2);
  DoubleClickRow(RowOf("a"));
  SelectRow(RowOf("b"));
  Type(IDC_EDIT_ARTIST, "New");
  Click(IDC_UPDATE_ROW);
  ASSERT_EQ(Cell(RowOf("a"), 2), artist);
  EXPECT_EQ(Box(IDC_EDIT_ARTIST), "New") << "the typing stays in the box";

  // Following the selection, the typing goes into the row it was typed for.
  QAction* follow = MenuItem("Boxes follow the selection");
  ASSERT_NE(follow, nullptr);
  EXPECT_FALSE(follow->isChecked());
  follow->trigger();
  EXPECT_TRUE(follow->isChecked());
  EXPECT_EQ(Cell(RowOf("a"), 2), "New");
  EXPECT_EQ(Box(IDC_EDIT_FILENAME), "b");
  EXPECT_EQ(Box(IDC_EDIT_ARTIST), artist);
  SelectRow(RowOf("a"));
  EXPECT_EQ(Box(IDC_EDIT_ARTIST), "New");
}

// Save all writes what is typed in the boxes though Update was not pressed;
// Exit has nothing left to ask.
TEST_F(PanelTest, SaveAllWritesTheTypingNotYetUpdated) {
  test::TempDir dir;
  const CString file = dir.CopyFixture("cbr_v23_latin1.mp3", "a.mp3");
  OpenFolder(dir.Path());
  ASSERT_EQ(Rows(), 1);
  DoubleClickRow(0);
  Type(IDC_EDIT_ARTIST, "Typed Then Saved");
  QApplication::setActiveWindow(m_dlg.GetWidget());
  QTest::keyClick(m_dlg.GetWidget(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(MutagenRow(file).at(2), "Typed Then Saved");
  EXPECT_FALSE(m_dlg.IsDataChanged());
  Click(IDOK);
  EXPECT_EQ(m_dlg.GetEndResult(), IDOK);
}

TEST_F(PanelTest, ARowWhoseFileNameIsNotUtf8IsUpdatedAndSaved) {
  const CString file = m_dir.File("caf\xe9.mp3");
  test::WriteFile(file, test::ReadFile(test::FixturePath("cbr_v23_latin1.mp3")));
  OpenFolder(m_dir.Path());
  ASSERT_EQ(Rows(), 1);
  DoubleClickRow(0);
  Type(IDC_EDIT_ARTIST, "Édith");
  Click(IDC_UPDATE_ROW);
  EXPECT_EQ(Status(), "Data updated successfully.");
  EXPECT_EQ(Cell(0, 2), "Édith");
  Click(IDC_SAVE_ALL);
  EXPECT_EQ(MutagenRow(file).at(2), "Édith");
}

TEST_F(PanelTest, TheSelectionStaysAcrossSaveReloadAndUndoAndTheDialogsSayWhenTheyTakeEveryRow) {
  for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) m_dir.CopyFixture("cbr_v23_latin1.mp3", name);
  OpenFolder(m_dir.Path());
  const std::string artist = Cell(RowOf("b"), 2);
  SelectKeys({"b", "c"});
  QTest::keyClick(View(), Qt::Key_F2);
  Type(IDC_EDIT_ARTIST, "Both");
  Click(IDC_UPDATE_ROW);
  const std::vector<std::string> chosen = {"b", "c"};
  ASSERT_EQ(SelectedKeys(), chosen);
  Click(IDC_SAVE_ALL);
  ASSERT_EQ(MutagenRow(m_dir.File("b.mp3")).at(2), "Both");
  EXPECT_EQ(SelectedKeys(), chosen) << "after Save all";
  Click(IDC_RELOAD);
  EXPECT_EQ(SelectedKeys(), chosen) << "after Reload";
  AnswerMessageBox(IDYES);
  MenuItem("Undo last save")->trigger();
  ASSERT_EQ(MutagenRow(m_dir.File("b.mp3")).at(2), artist);
  EXPECT_EQ(SelectedKeys(), chosen) << "after Undo last save";

  View()->clearSelection();
  for (int command : {ID_TAGS_FROM_NAMES, ID_FORMAT_FIELDS, ID_NAMES_FROM_TAGS}) {
    std::string title;
    test::DriveModal(test::ModalKind::Dialog, [&title](QWidget* w) {
      title = w->windowTitle().toStdString();
      qobject_cast<QDialog*>(w)->reject();
    });
    static_cast<CWnd&>(m_dlg).OnCommand(command, BN_CLICKED);
    EXPECT_NE(title.find(" \u2014 all 3 rows, as none is selected"), std::string::npos) << title;
  }
}

}  // namespace
