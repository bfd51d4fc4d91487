// The list's context menu over a loaded folder of real files: Edit fills the
// panel from the selected row, Save writes that row alone, Delete drops a row
// and recomputes the folder totals. Files are checked with mutagen.
#include "MainWindowDriver.h"

#include <table/Gridora.h>
#include <tags/MyMP3Tags.h>

#include <QFileInfo>

#include <sstream>
#include <utility>

namespace {

using test::MutagenFrames;
using test::MutagenRow;

enum Item { kDelete = 1, kEdit = 2, kSave = 3 };

// Each edit box beside the column it shows.
constexpr std::pair<int, int> kBoxColumns[] = {
    {IDC_EDIT_ARTIST, 2},     {IDC_EDIT_ALBUM, 3},      {IDC_EDIT_TITLE, 4},      {IDC_EDIT_TRACK, 5},
    {IDC_EDIT_YEAR, 6},       {IDC_EDIT_ORIGARTIST, 19}, {IDC_EDIT_COMMENT, 15},  {IDC_EDIT_COMPOSER, 16},
    {IDC_EDIT_ENCODEDBY, 18}, {IDC_EDIT_COPYRIGHT, 17}, {IDC_EDIT_URL, 20},       {IDC_EDIT_BAND, 21},
    {IDC_EDIT_PUBLISHER, 22}, {IDC_EDIT_CONDUCTOR, 23},
};

class RowMenuTest : public test::MainWindowDriver {
 protected:
  // Loads the three files, each copied from its fixture.
  void OpenThree(std::initializer_list<const char*> fixtures) {
    for (const char* fixture : fixtures) m_dir.CopyFixture(fixture);
    OpenFolder(m_dir.Path());
    ASSERT_EQ(Rows(), 3);
  }
  // Double-clicks the row, types artist into its box and updates the row.
  void EditArtist(const char* key, const char* artist) {
    DoubleClickRow(RowOf(key));
    Type(IDC_EDIT_ARTIST, artist);
    Click(IDC_UPDATE_ROW);
    ASSERT_EQ(Cell(RowOf(key), 2), artist);
  }
  std::string Bytes(const char* key) { return test::ReadFile(m_dir.File((std::string(key) + ".mp3").c_str())); }

  test::TempDir m_dir;
};

TEST_F(RowMenuTest, EditFillsTheBoxesFromTheSelectedRowAndNothingWithoutOne) {
  OpenThree({"cbr_v23_latin1.mp3", "cbr_v23_utf16.mp3", "untagged.mp3"});
  EXPECT_FALSE(Item(IDC_UPDATE_ROW)->isEnabled());

  const int row = RowOf("cbr_v23_utf16");
  ChooseInRowMenu(row, kEdit);
  EXPECT_EQ(Box(IDC_EDIT_FILENAME), "cbr_v23_utf16");
  for (const auto& [box, column] : kBoxColumns) EXPECT_EQ(Box(box), Cell(row, column)) << "column " << column;
  EXPECT_EQ(Box(IDC_EDIT_ARTIST), MutagenRow(m_dir.File("cbr_v23_utf16.mp3")).at(2));
  EXPECT_TRUE(Item(IDC_UPDATE_ROW)->isEnabled());

  Click(IDC_CLEAR);
  ChooseWithNothingSelected(kEdit);
  EXPECT_EQ(m_dlg.m_list.GetSelectedCount(), 0u);
  for (const auto& [box, column] : kBoxColumns) EXPECT_EQ(Box(box), "") << "column " << column;
  EXPECT_EQ(Box(IDC_EDIT_FILENAME), "");
  EXPECT_FALSE(Item(IDC_UPDATE_ROW)->isEnabled());
}

TEST_F(RowMenuTest, SaveWritesTheSelectedRowAloneAndKeepsTheChangedFlag) {
  OpenThree({"cbr_v23_latin1.mp3", "cbr_v23_utf16.mp3", "untagged.mp3"});
  const CString latin = m_dir.File("cbr_v23_latin1.mp3");

  // Saving a row nobody edited writes nothing and marks nothing.
  const std::string unsavedBytes = test::ReadFile(latin);
  ChooseInRowMenu(RowOf("cbr_v23_latin1"), kSave);
  EXPECT_EQ(Status(), "No updated data to be saved.");
  EXPECT_EQ(test::ReadFile(latin), unsavedBytes);
  EXPECT_FALSE(m_dlg.IsDataChanged());

  EditArtist("cbr_v23_latin1", "Saved Alone");
  EditArtist("cbr_v23_utf16", "Still In The Table");
  const std::string utf16Bytes = Bytes("cbr_v23_utf16"), untaggedBytes = Bytes("untagged");
  ChooseInRowMenu(RowOf("cbr_v23_latin1"), kSave);
  EXPECT_EQ(Status(), "Data saved.");
  EXPECT_TRUE(Item(IDC_SAVE_ALL)->isEnabled());
  EXPECT_FALSE(m_dlg.GetDlgItem(IDC_SAVE_PROGRESS)->IsWindowVisible());

  // The file holds the row's fourteen fields; the other files are untouched.
  const int row = RowOf("cbr_v23_latin1");
  const auto written = MutagenRow(latin);
  for (const auto& [box, column] : kBoxColumns) {
    const std::string cell = Cell(row, column);
    // mutagen drops a frame with empty text on reading.
    EXPECT_EQ(written.at(column), cell.empty() ? "-" : cell) << "column " << column;
  }
  EXPECT_EQ(written.at(2), "Saved Alone");
  EXPECT_EQ(Bytes("cbr_v23_utf16"), utf16Bytes);
  EXPECT_EQ(Bytes("untagged"), untaggedBytes);
  // Not reloaded: the other row's edit is still there, still unsaved.
  EXPECT_EQ(Cell(RowOf("cbr_v23_utf16"), 2), "Still In The Table");
  EXPECT_TRUE(m_dlg.IsDataChanged());

  // Without a selected row nothing is written.
  const std::string latinBytes = Bytes("cbr_v23_latin1");
  ChooseWithNothingSelected(kSave);
  EXPECT_EQ(Status(), "");
  EXPECT_EQ(Bytes("cbr_v23_latin1"), latinBytes);
  EXPECT_EQ(Bytes("cbr_v23_utf16"), utf16Bytes);
  EXPECT_EQ(Bytes("untagged"), untaggedBytes);
  EXPECT_TRUE(m_dlg.IsDataChanged());
}

TEST_F(RowMenuTest, DeletingOneOfSeveralRowsTotalsTheRemainingFiles) {
  OpenThree({"cbr_v23_latin1.mp3", "cbr_v23_utf16.mp3", "cbr_mpeg2_mono.mp3"});
  const std::string sizeBefore = Total(IDC_TOTAL_SIZE), timeBefore = Total(IDC_TOTAL_TIME);

  ChooseInRowMenu(RowOf("cbr_v23_utf16"), kDelete);
  ASSERT_EQ(Rows(), 2);
  EXPECT_EQ(RowOf("cbr_v23_utf16"), -1);
  EXPECT_TRUE(base::FileExists(m_dir.File("cbr_v23_utf16.mp3")));

  // The totals of the two files left, from their sizes on disk and mutagen's lengths.
  long kilobytes = 0;
  int seconds = 0;
  for (const char* name : {"cbr_v23_latin1.mp3", "cbr_mpeg2_mono.mp3"}) {
    kilobytes += QFileInfo(QString::fromUtf8(m_dir.File(name).GetString())).size() / 1024;
    seconds += std::stoi(MutagenRow(m_dir.File(name)).at(10));
  }
  CMyMP3Tags tags;
  EXPECT_EQ(Total(IDC_TOTAL_FILES), "2");
  EXPECT_EQ(Total(IDC_TOTAL_SIZE), CString::Formatted("%.2f mb", kilobytes / 1024.0).Str());
  EXPECT_EQ(Total(IDC_TOTAL_TIME), tags.ConvDuration(CString::Formatted("%d", seconds)).Str());
  EXPECT_NE(Total(IDC_TOTAL_SIZE), sizeBefore);
  EXPECT_NE(Total(IDC_TOTAL_TIME), timeBefore);
}

}  // namespace
