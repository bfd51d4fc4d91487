// The main flow over a folder of real MP3 files: open it, compare the table
// with mutagen, edit one row, apply rules, save, and check the files.
#include "MainWindowDriver.h"

#include <tags/MyMP3Tags.h>

#include <QDir>
#include <QHeaderView>
#include <QPersistentModelIndex>

#include <cstdlib>
#include <sstream>

namespace {

using test::MutagenFrames;
using test::MutagenRow;

class LoadEditSaveTest : public test::MainWindowDriver {
 protected:
  QStringList Listing() const { return QDir(QString::fromUtf8(m_dir.Path().GetString())).entryList(QDir::AllEntries | QDir::NoDotAndDotDot); }
  // The frames of a file with the lines for the given keys left out.
  static std::string FramesWithout(const std::string& frames, std::initializer_list<const char*> keys) {
    std::istringstream in(frames);
    std::string out;
    for (std::string line; std::getline(in, line);) {
      bool skip = false;
      for (const char* key : keys) skip = skip || line.rfind(std::string(key) + "=", 0) == 0;
      if (!skip) out += line + "\n";
    }
    return out;
  }

  test::TempDir m_dir;
};

TEST_F(LoadEditSaveTest, EveryColumnShowsWhatAnIndependentReaderSees) {
  const char* files[] = {"cbr_v23_latin1.mp3", "cbr_v23_utf16.mp3", "two_comments.mp3",
                         "untagged.mp3",       "vbr_mpeg2_mono.mp3", "Upper.MP3"};
  for (const char* f : files) m_dir.CopyFixture(f);
  // Not MP3 files: a folder with the extension, a backup, a name without one.
  QDir(QString::fromUtf8(m_dir.Path().GetString())).mkdir("folder.mp3");
  m_dir.CopyFixture("untagged.mp3", "untagged.mp3.bak");
  m_dir.CopyFixture("untagged.mp3", "readme");

  OpenFolder(m_dir.Path());
  ASSERT_EQ(Rows(), 6);
  EXPECT_EQ(Status(), "6 files have been loaded");
  EXPECT_FALSE(m_dlg.IsDataChanged());
  for (const char* f : files) {
    const CString name = f;
    const CString key = name.Left(name.GetLength() - 4);
    const int row = RowOf(key.GetString());
    ASSERT_GE(row, 0) << f;
    const CString path = m_dir.File(f);
    EXPECT_EQ(m_dlg.RowFilePath(row), path);
    EXPECT_EQ(Cell(row, 1), std::to_string(base::FileSizeOf(path) / 1024)) << f;
    for (const auto& [col, expected] : MutagenRow(path)) {
      if (col == 10) {  // whole seconds; readers may round a fraction differently
        EXPECT_LE(std::abs(std::atoi(Cell(row, col).c_str()) - std::stoi(expected)), 1) << f;
        continue;
      }
      // mutagen drops a frame with empty text on reading; the table shows it empty.
      if (expected == "-" && Cell(row, col).empty()) continue;
      EXPECT_EQ(Cell(row, col), expected) << f << " column " << col;
    }
  }
  EXPECT_EQ(Total(IDC_TOTAL_FILES), "6");
}

TEST_F(LoadEditSaveTest, TotalsOfThreeFilesOfOneMegabyte) {
  const std::string audio = test::ReadFile(test::FixturePath("cbr_v23_latin1.mp3"));
  for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) {
    std::string bytes = audio;
    bytes.resize(1048576, '\0');
    test::WriteFile(m_dir.File(name), bytes);
  }
  OpenFolder(m_dir.Path());
  ASSERT_EQ(Rows(), 3);
  int seconds = 0;
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(Cell(row, 1), "1024");
    seconds += std::atoi(Cell(row, 10).c_str());
  }
  EXPECT_EQ(seconds, 3) << "each file's Info frame counts one second of audio; the zeros after it are none";
  EXPECT_EQ(Total(IDC_TOTAL_FILES), "3");
  EXPECT_EQ(Total(IDC_TOTAL_SIZE), "3.00 mb");
  CMyMP3Tags tags;
  EXPECT_EQ(Total(IDC_TOTAL_TIME), tags.ConvDuration(CString::Formatted("%d", seconds)).Str());
}

TEST_F(LoadEditSaveTest, EditOneRowAndSaveAllChangesOnlyTheEditedFrames) {
  const CString latin = m_dir.CopyFixture("cbr_v23_latin1.mp3");
  const CString utf16 = m_dir.CopyFixture("cbr_v23_utf16.mp3");
  const CString untagged = m_dir.CopyFixture("untagged.mp3");
  const std::string latinBefore = MutagenFrames(latin), utf16Before = MutagenFrames(utf16);
  const std::string untaggedBytes = test::ReadFile(untagged);
  const QStringList listing = Listing();

  OpenFolder(m_dir.Path());
  const int row = RowOf("cbr_v23_latin1");
  ASSERT_GE(row, 0);
  DoubleClickRow(row);
  EXPECT_EQ(Box(IDC_EDIT_FILENAME), "cbr_v23_latin1");
  EXPECT_EQ(Box(IDC_EDIT_ARTIST), "Latin Artist");
  EXPECT_EQ(Box(IDC_EDIT_URL), "-") << "the file's one link has a description";
  EXPECT_TRUE(Item(IDC_UPDATE_ROW)->isEnabled());
  Type(IDC_EDIT_ARTIST, "Nové Jméno");
  Type(IDC_EDIT_TRACK, "seven");
  Type(IDC_EDIT_CONDUCTOR, "Ådalen ♫");
  Click(IDC_UPDATE_ROW);
  EXPECT_EQ(Status(), "Data updated successfully.");
  EXPECT_EQ(Cell(row, 2), "Nové Jméno");
  EXPECT_EQ(Cell(row, 5), "seven");
  EXPECT_EQ(Box(IDC_EDIT_ARTIST), "");
  EXPECT_FALSE(Item(IDC_UPDATE_ROW)->isEnabled());
  EXPECT_TRUE(m_dlg.IsDataChanged());

  Click(IDC_SAVE_ALL);
  EXPECT_EQ(Status(), "All files have been reloaded");
  EXPECT_FALSE(m_dlg.IsDataChanged());
  EXPECT_FALSE(m_dlg.GetDlgItem(IDC_SAVE_PROGRESS)->IsWindowVisible());
  EXPECT_TRUE(Item(IDC_OPEN_FOLDER)->isEnabled());
  const auto after = MutagenRow(latin);
  EXPECT_EQ(after.at(2), "Nové Jméno");
  EXPECT_EQ(after.at(5), "seven");
  EXPECT_EQ(after.at(23), "Ådalen ♫");
  EXPECT_EQ(FramesWithout(MutagenFrames(latin), {"TPE1", "TRCK", "TPE3"}),
            FramesWithout(latinBefore, {"TPE1", "TRCK", "TPE3"}));
  EXPECT_EQ(MutagenFrames(utf16), utf16Before);
  EXPECT_EQ(test::ReadFile(untagged), untaggedBytes);
  EXPECT_EQ(Listing(), listing);
  // The reloaded table shows what the file now holds.
  const int reloaded = RowOf("cbr_v23_latin1");
  EXPECT_EQ(Cell(reloaded, 2), "Nové Jméno");
  EXPECT_EQ(Cell(reloaded, 23), "Ådalen ♫");

  Click(IDC_SAVE_ALL);
  EXPECT_EQ(Status(), "No updated data to be saved.");
}

TEST_F(LoadEditSaveTest, UpdateRefusesWithoutBoxesAndLeavesAnotherSelectedRowAlone) {
  m_dir.CopyFixture("cbr_v23_latin1.mp3");
  m_dir.CopyFixture("Upper.MP3");
  OpenFolder(m_dir.Path());
  Item(IDC_UPDATE_ROW)->setEnabled(true);  // the load disabled it
  Click(IDC_UPDATE_ROW);
  EXPECT_EQ(Status(), "Select a file from list.");

  const int a = RowOf("cbr_v23_latin1"), b = RowOf("Upper");
  DoubleClickRow(a);
  SelectRow(b);
  Type(IDC_EDIT_ARTIST, "Elsewhere");
  Click(IDC_UPDATE_ROW);
  EXPECT_EQ(Status(), "The boxes hold \"cbr_v23_latin1\"; Update writes them into that row \u2014 double-click or "
                      "press F2 on another row to edit it");
  EXPECT_EQ(Cell(a, 2), "Latin Artist");
  EXPECT_EQ(Cell(b, 2), "Upper Artist");
  EXPECT_FALSE(m_dlg.IsDataChanged());
}

TEST_F(LoadEditSaveTest, UpdateListRuleCombinations) {
  m_dir.CopyFixture("cbr_v23_latin1.mp3", "a.mp3");
  m_dir.CopyFixture("cbr_v23_utf16.mp3", "b.mp3");
  m_dir.CopyFixture("untagged.mp3", "c.mp3");
  Click(IDC_UPDATE_LIST);
  EXPECT_EQ(Status(), "Nothing in list to be updated.");
  OpenFolder(m_dir.Path());
  ASSERT_EQ(Rows(), 3);

  // No box checked, empty boxes: the artist becomes the key; album, title,
  // track and original artist are emptied; the rest keep their values.
  Click(IDC_UPDATE_LIST);
  EXPECT_TRUE(m_dlg.IsDataChanged());
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(Cell(row, 2), Cell(row, 0));
    for (int col : {3, 4, 5, 19}) EXPECT_EQ(Cell(row, col), "") << col;
  }
  EXPECT_EQ(Cell(RowOf("a"), 6), "1999");
  EXPECT_EQ(Cell(RowOf("a"), 16), "Composer");
  EXPECT_EQ(Cell(RowOf("c"), 15), "-");

  // Same artist, and the original artist follows it.
  SetRule(IDC_RULE_FIRST, true);
  SetRule(2022, true);
  Type(IDC_EDIT_ARTIST, "Everyone");
  Click(IDC_UPDATE_LIST);
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(Cell(row, 2), "Everyone");
    EXPECT_EQ(Cell(row, 19), "Everyone");
  }
  // Without the same artist, the original artist becomes the key too.
  SetRule(IDC_RULE_FIRST, false);
  Click(IDC_UPDATE_LIST);
  for (int row = 0; row < 3; ++row) EXPECT_EQ(Cell(row, 19), Cell(row, 0));

  // Check all with empty boxes, then save: album and title from the name,
  // tracks numbered in table order, the rest emptied.
  Type(IDC_EDIT_ARTIST, "");
  Click(IDC_CHECK_ALL);
  EXPECT_EQ(Status(), "All check boxes gave been checked.");
  for (int id = IDC_RULE_FIRST; id <= IDC_RULE_LAST; ++id) EXPECT_EQ(m_dlg.IsDlgButtonChecked(id), BST_CHECKED);
  Click(IDC_UPDATE_LIST);
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(Cell(row, 3), Cell(row, 0));
    EXPECT_EQ(Cell(row, 4), Cell(row, 0));
    EXPECT_EQ(Cell(row, 5), std::to_string(row + 1));
    for (int col : {2, 6, 15, 16, 17, 18, 19, 20, 21, 22, 23}) EXPECT_EQ(Cell(row, col), "") << col;
  }
  std::map<std::string, std::string> tracks;
  for (int row = 0; row < 3; ++row) tracks[Cell(row, 0)] = Cell(row, 5);

  Click(IDC_SAVE_ALL);
  EXPECT_EQ(Status(), "All files have been reloaded");
  for (const char* key : {"a", "b", "c"}) {
    const CString path = m_dir.File((std::string(key) + ".mp3").c_str());
    const auto view = MutagenRow(path);
    EXPECT_EQ(view.at(3), key);
    EXPECT_EQ(view.at(4), key);
    EXPECT_EQ(view.at(5), tracks[key]);
    // An empty value is never stored as the "-" the table shows for a missing frame.
    EXPECT_EQ(MutagenFrames(path).find("'-'"), std::string::npos) << key;
    EXPECT_EQ(Cell(RowOf(key), 4), key);
  }
  Click(IDC_UNCHECK_ALL);
  EXPECT_EQ(Status(), "All check boxes gave been unchecked.");
  EXPECT_EQ(m_dlg.IsDlgButtonChecked(IDC_RULE_LAST), BST_UNCHECKED);
}

// An ID3v2.4 and an ID3v2.2 file are shown, edited and saved like any other:
// the v2.4 file stays v2.4 with its other frames, the v2.2 file becomes v2.3.
TEST_F(LoadEditSaveTest, Id3v24AndV22FilesAreShownAndSaved) {
  const CString v24 = m_dir.CopyFixture("v24_full.mp3");
  const CString v22 = m_dir.CopyFixture("v22_full.mp3");
  const std::string v24Before = MutagenFrames(v24);
  OpenFolder(m_dir.Path());
  const int row24 = RowOf("v24_full"), row22 = RowOf("v22_full");
  ASSERT_GE(row24, 0);
  ASSERT_GE(row22, 0);
  EXPECT_EQ(Cell(row24, 2), "Nina Simone ♫");
  EXPECT_EQ(Cell(row22, 2), "Old Ärtist");
  for (int row : {row24, row22}) {
    DoubleClickRow(row);
    Type(IDC_EDIT_CONDUCTOR, "Ådalen ♫");
    Click(IDC_UPDATE_ROW);
  }
  Click(IDC_SAVE_ALL);
  EXPECT_EQ(Status(), "All files have been reloaded");
  EXPECT_EQ(Cell(RowOf("v24_full"), 23), "Ådalen ♫");
  EXPECT_EQ(Cell(RowOf("v22_full"), 23), "Ådalen ♫");
  EXPECT_EQ(Cell(RowOf("v22_full"), 2), "Old Ärtist");
  EXPECT_EQ(FramesWithout(MutagenFrames(v24), {"TPE3"}), FramesWithout(v24Before, {"TPE3"}));
  EXPECT_EQ(test::ReadFile(v24)[3], 4);
  EXPECT_EQ(test::ReadFile(v22)[3], 3);
}

// Save all ends with a reload: whatever happened to the folder or the table
// meanwhile, the table then is what a fresh load of the folder shows, cell by
// cell, in the order the user sorted it. The edits grow some tags (the size column changes), empty a frame and
// add an ID3v2 tag to files that had none.
TEST_F(LoadEditSaveTest, AfterSaveAllTheTableIsWhatAFreshLoadShows) {
  enum Meanwhile { kNothing, kFileAdded, kRowsSorted };
  for (Meanwhile meanwhile : {kNothing, kFileAdded, kRowsSorted}) {
    SCOPED_TRACE(meanwhile);
    test::TempDir dir;
    for (const char* f : {"cbr_v23_latin1.mp3", "cbr_v23_utf16_v1.mp3", "v1_only.mp3", "untagged.mp3",
                          "vbr_mpeg2_mono.mp3", "Upper.MP3", "two_comments.mp3", "id3lib_written.mp3"})
      dir.CopyFixture(f);
    OpenFolder(dir.Path());
    ASSERT_EQ(Rows(), 8);
    const int kilobytesBefore = std::stoi(Cell(RowOf("untagged"), 1));
    SetRule(IDC_RULE_FIRST, true);
    Type(IDC_EDIT_ARTIST, "Ünïcode ♫ Artist");
    SetRule(IDC_RULE_FIRST + 6, true);
    Type(IDC_EDIT_COMMENT, std::string(3000, 'c').c_str());
    SetRule(IDC_RULE_FIRST + 7, true);
    Type(IDC_EDIT_COMPOSER, "");
    Click(IDC_UPDATE_LIST);
    if (meanwhile == kFileAdded) dir.CopyFixture("cbr_mpeg2_mono.mp3", "added.mp3");
    if (meanwhile == kRowsSorted) {
      QHeaderView* header = View()->header();
      QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                        QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    }
    SelectRow(2);
    const QPersistentModelIndex firstRow(View()->model()->index(0, 0));
    Click(IDC_SAVE_ALL);
    // The rows are kept (they show the files already) only while the folder
    // lists the files the table does; else they are read again.
    EXPECT_EQ(firstRow.isValid(), meanwhile != kFileAdded);
    EXPECT_EQ(m_dlg.m_list.GetSortIndicator(), meanwhile == kRowsSorted ? 1 : 0);
    EXPECT_EQ(Status(), "All files have been reloaded");
    EXPECT_FALSE(m_dlg.IsDataChanged());
    EXPECT_EQ(m_dlg.m_list.GetSelectedCount(), 1) << "the row selected before stays selected";

    test::TestDlg fresh;
    fresh.SetStartFolder(dir.Path());
    ASSERT_TRUE(fresh.Create());
    ASSERT_EQ(Rows(), fresh.m_list.GetItemCount());
    EXPECT_EQ(Rows(), meanwhile == kFileAdded ? 9 : 8);
    for (int row = 0; row < Rows(); ++row) {
      int freshRow = 0;
      while (freshRow < Rows() && fresh.m_list.GetItemText(freshRow, 0).Str() != Cell(row, 0)) ++freshRow;
      for (int col = 0; col < 24; ++col)
        EXPECT_EQ(Cell(row, col), fresh.m_list.GetItemText(freshRow, col).Str()) << "row " << row << " column " << col;
    }
    for (int id : {IDC_TOTAL_FILES, IDC_TOTAL_SIZE, IDC_TOTAL_TIME})
      EXPECT_EQ(Total(id), fresh.GetDlgItemText(id).Str());
    const int grown = RowOf("untagged");
    EXPECT_GT(std::stoi(Cell(grown, 1)), kilobytesBefore);
    EXPECT_EQ(Cell(grown, 2), "Ünïcode ♫ Artist");
  }
}

}  // namespace

TEST(StartFolderTest, AFolderGivenAtStartIsLoadedAsOpenFolderWould) {
  test::TempDir dir;
  dir.CopyFixture("cbr_v23_latin1.mp3");
  dir.CopyFixture("Upper.MP3");
  test::TestDlg dlg;
  dlg.SetStartFolder(dir.Path());
  ASSERT_TRUE(dlg.Create());
  EXPECT_EQ(dlg.m_list.GetItemCount(), 2);
  EXPECT_EQ(dlg.GetDlgItemText(IDC_TOTAL_FILES), "2");
  EXPECT_FALSE(dlg.IsDataChanged());
}
