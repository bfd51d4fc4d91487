// Several rows edited and saved together, and the genre box, on real files
// read back by mutagen: a genre nobody changed keeps its stored form, a
// changed one is written as its name with the ID3v1 byte of that name.
#include "MainWindowDriver.h"

#include <QComboBox>

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
  test::TempDir m_dir;
};

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
