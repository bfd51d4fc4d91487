// Several rows edited and saved together, and the genre box, on real files
// read back by mutagen: a genre nobody changed keeps its stored form, a
// changed one is written as its name with the ID3v1 byte of that name.
// Names made from tags are given on save, never over another file, and an
// undo of the save gives the old names back.
#include "MainWindowDriver.h"

#include <QApplication>
#include <QComboBox>

#include <sys/stat.h>

namespace {

using test::MutagenFrames;
using test::MutagenRow;

// The genre byte of the file's ID3v1 tag, as mutagen's ID3v1 reader gives it ("17").
std::string Id3v1Genre(const CString& path) {
  return test::RunCommand("/usr/bin/python3 -c \"import sys, mutagen.id3 as m; "
                          "print(m.ParseID3v1(open(sys.argv[1], 'rb').read()[-128:])['TCON'].text[0], end='')\" '" +
                          path.Str() + "'");
}

class ManyRowsSaveTest : public test::MainWindowDriver {
 protected:
  // Runs the pattern dialog of command over every row and applies pattern with Enter.
  void ApplyPattern(int command, const char* pattern) {
    test::DriveModal(test::ModalKind::Dialog, [pattern](QWidget* w) {
      QApplication::setActiveWindow(w);
      CWnd::FromWidget(w)->GetDlgItem(IDC_PATTERN)->SetWindowText(pattern);
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    View()->clearSelection();
    static_cast<CWnd&>(m_dlg).OnCommand(command, BN_CLICKED);
  }
  static ino_t InodeOf(const CString& path) {
    struct stat info {};
    return ::stat(path, &info) == 0 ? info.st_ino : 0;
  }

  test::TempDir m_dir;
};

TEST_F(ManyRowsSaveTest, NamesFromTagsAreGivenOnSaveNeverOverAFileAndUndoneWithTheSave) {
  for (const char* name : {"01 - Ann - One.mp3", "02 - Bob - Two.mp3", "03 - Cid - Three.mp3", "Odd.mp3"})
    m_dir.CopyFixture("cbr_v23_latin1.mp3", name);
  OpenFolder(m_dir.Path());
  ASSERT_EQ(Rows(), 4);
  auto before = test::FilesIn(m_dir.Path());
  ApplyPattern(ID_TAGS_FROM_NAMES, "%track% - %artist% - %title%");
  ApplyPattern(ID_NAMES_FROM_TAGS, "%title% (%artist%)");
  ASSERT_GE(RowOf("Two (Bob)"), 0) << Status();
  // A file that takes a new name after the plan was made: the save must not replace it.
  const CString taken = m_dir.File("Two (Bob).mp3");
  test::WriteFile(taken, "not ours");
  before["Two (Bob).mp3"] = "not ours";
  const ino_t takenInode = InodeOf(taken);

  Click(IDC_SAVE_ALL);
  EXPECT_EQ(Status(), "1 of 4 files were not saved; they are marked in red. First: 02 - Bob - Two.mp3: its tags were "
                      "saved, but it was not renamed to \"Two (Bob).mp3\": a file of that name exists already.");
  EXPECT_EQ(MarkedKeys(), std::vector<std::string>{"Two (Bob)"});  // its new name still waits
  SelectRow(RowOf("Two (Bob)"));  // the row says what became of it
  EXPECT_EQ(Status(), "02 - Bob - Two.mp3: its tags were saved, but it was not renamed to \"Two (Bob).mp3\": a file "
                      "of that name exists already.");
  EXPECT_EQ(test::ReadFile(taken), "not ours");
  EXPECT_EQ(InodeOf(taken), takenInode);
  EXPECT_EQ(MutagenRow(m_dir.File("One (Ann).mp3"))[4], "One");
  EXPECT_EQ(MutagenRow(m_dir.File("02 - Bob - Two.mp3"))[4], "Two");
  EXPECT_EQ(MutagenRow(m_dir.File("Three (Cid).mp3"))[2], "Cid");
  EXPECT_FALSE(test::FilesIn(m_dir.Path()).count("01 - Ann - One.mp3"));
  // As if the save had stopped between writing a file's tags and renaming it.
  ASSERT_EQ(::rename(m_dir.File("Three (Cid).mp3"), m_dir.File("03 - Cid - Three.mp3")), 0);

  AnswerMessageBox(IDYES);
  static_cast<CWnd&>(m_dlg).OnCommand(ID_UNDO_LAST_SAVE, BN_CLICKED);
  EXPECT_EQ(Status(), "Last save undone: 4 files restored");
  EXPECT_EQ(test::FilesIn(m_dir.Path()), before);
  EXPECT_EQ(InodeOf(taken), takenInode);
  EXPECT_GE(RowOf("01 - Ann - One"), 0);
}

TEST_F(ManyRowsSaveTest, SelectedRowsAreEditedAndSavedTogetherAndTheGenreOnlyWhenChanged) {
  // Both hold "(17)" in ID3v2 and 17 in ID3v1.
  for (const char* name : {"a.mp3", "b.mp3"}) m_dir.CopyFixture("cbr_v23_utf16_v1.mp3", name);
  OpenFolder(m_dir.Path());
  ASSERT_EQ(Rows(), 2);
  View()->clearSelection();
  for (const char* key : {"a", "b"}) m_dlg.m_list.SetItemState(RowOf(key), LVIS_SELECTED, LVIS_SELECTED);
  QTest::keyClick(View(), Qt::Key_F2);
  EXPECT_EQ(m_dlg.GetDlgItemText(IDC_EDIT_GENRE), "Rock");
  Type(IDC_EDIT_ALBUM, "One Album");
  Click(IDC_UPDATE_ROW);
  ChooseInRowMenu(RowOf("a"), 3);  // Save: every selected row
  for (const char* name : {"a.mp3", "b.mp3"}) {
    const CString path = m_dir.File(name);
    EXPECT_EQ(MutagenRow(path)[3], "One Album") << name;
    EXPECT_NE(MutagenFrames(path).find("text=['(17)']"), std::string::npos) << MutagenFrames(path);
    EXPECT_EQ(Id3v1Genre(path), "17") << name;
  }

  DoubleClickRow(RowOf("a"));
  qobject_cast<QComboBox*>(Item(IDC_EDIT_GENRE))->setEditText("Metal");
  Click(IDC_UPDATE_ROW);
  Click(IDC_SAVE_ALL);
  EXPECT_EQ(MutagenRow(m_dir.File("a.mp3"))[7], "Metal");
  EXPECT_EQ(Id3v1Genre(m_dir.File("a.mp3")), "9");
  EXPECT_EQ(Id3v1Genre(m_dir.File("b.mp3")), "17");
}

}  // namespace
