// The window's spreadsheet round trip, track numbering and playlists, on
// real files: Export then Import of an unchanged folder changes nothing; an
// edited sheet changes only its cells, through the preview, as one step of
// the history; tracks are numbered per folder in the table's order; a
// playlist names the selected files relative to itself.
#include "MainWindowDriver.h"

#include <QApplication>
#include <QAbstractButton>
#include <QDir>

#include <algorithm>

namespace {

class SheetsTest : public test::MainWindowDriver {
 protected:
  void Put(const char* fixture, const char* name) {
    QDir(m_dir.Path().GetString()).mkpath(QFileInfo(m_dir.File(name).GetString()).path());
    m_dir.CopyFixture(fixture, name);
  }
  // Runs the preview dialog of command over the rows, sets inputs, applies
  // it with Enter and gives the preview's message line.
  std::string Apply(int command, const std::function<void(CWnd*)>& inputs = nullptr) {
    std::string message;
    test::DriveModal(test::ModalKind::Dialog, [&](QWidget* w) {
      QApplication::setActiveWindow(w);
      CWnd* dialog = CWnd::FromWidget(w);
      if (inputs) inputs(dialog);
      message = dialog->GetDlgItem(IDC_PREVIEW_MESSAGE)->GetWindowText().Str();
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    Command(command);
    return message;
  }
  void Command(int command) { static_cast<CWnd&>(m_dlg).OnCommand(command, BN_CLICKED); }
  std::map<std::string, std::string> Files() { return test::FilesIn(m_dir.Path()); }

  test::TempDir m_dir;
  test::TempDir m_out;
};

TEST_F(SheetsTest, ExportImportRoundTripChangesOnlyTheEditedCellsInOneStep) {
  Put("cbr_v23_latin1.mp3", "a.mp3");
  Put("cbr_v23_utf16.mp3", "b.mp3");
  Put("untagged.mp3", "c.mp3");
  OpenFolder(m_dir.Path());
  ASSERT_EQ(Rows(), 3);
  const auto before = Files();
  const CString sheet = m_out.File("tags.csv");
  test::AnswerFileDialog(sheet);
  Command(ID_EXPORT);
  const std::string csv = test::ReadFile(sheet);
  ASSERT_EQ(csv.rfind("key,artist,album,title,track,year,", 0), 0u) << csv;

  // Unchanged: the preview finds nothing to change, and nothing does.
  test::AnswerFileDialog(sheet);
  Apply(ID_IMPORT);
  EXPECT_EQ(Status(), "Import: 0 rows changed.");
  EXPECT_FALSE(m_dlg.IsDataChanged());

  // One artist edited, a row for a file that is not there: only that cell changes.
  std::string edited = csv;
  const std::size_t row = edited.find("\r\nb,");
  ASSERT_NE(row, std::string::npos);
  const std::size_t artist = row + 4, end = edited.find(',', artist);
  edited.replace(artist, end - artist, "\"Smith, Jo\"");
  const auto header = csv.substr(0, csv.find("\r\n"));
  edited += "gone,x" + std::string(std::count(header.begin(), header.end(), ',') - 1, ',') + "\r\n";
  test::WriteFile(sheet, edited);
  test::AnswerFileDialog(sheet);
  std::string source;
  EXPECT_EQ(Apply(ID_IMPORT, [&](CWnd* dialog) { source = dialog->GetDlgItem(IDC_IMPORT_SOURCE)->GetWindowText().Str(); }),
            "Of 3 rows, 1 changes.");
  EXPECT_EQ(source, "From " + sheet.Str() + ": 4 files in the sheet. Left out:\nline 5: no file \"gone.mp3\" is listed");
  EXPECT_EQ(Status(), "Import: 1 row changed.");
  EXPECT_EQ(Cell(RowOf("b"), ColumnOf(kArtist)), "Smith, Jo");
  Command(ID_EDIT_UNDO);
  EXPECT_FALSE(m_dlg.IsDataChanged());
  Command(ID_EDIT_REDO);
  Click(IDC_SAVE_ALL);
  EXPECT_EQ(test::MutagenRow(m_dir.File("b.mp3"))[2], "Smith, Jo");
  auto after = Files();
  EXPECT_TRUE(after["b.mp3"] != before.at("b.mp3"));
  after["b.mp3"] = before.at("b.mp3");
  EXPECT_TRUE(after == before) << "only b.mp3 is written";

  // A sheet with a wrong header is refused before any row is read.
  test::WriteFile(sheet, "key,artst\r\nb,x\r\n");
  test::AnswerFileDialog(sheet);
  Command(ID_IMPORT);
  EXPECT_EQ(Status(), sheet.Str() + ": line 1, column 2: no field is called \"artst\"; nothing was imported.");
}

TEST_F(SheetsTest, TracksAreNumberedPerFolderInTableOrderAndPlaylistsNameTheSelectedRows) {
  for (const char* name : {"CD1/b.mp3", "CD1/a.mp3", "CD2/x.mp3", "CD2/y.mp3", "CD2/z.mp3"})
    Put("cbr_v23_latin1.mp3", name);
  OpenFolder(m_dir.Path(), 1);
  ASSERT_EQ(Rows(), 5);
  const std::string message = Apply(ID_NUMBER_TRACKS, [](CWnd* dialog) {
    dialog->GetDlgItem(IDC_NUMBER_START)->SetWindowText("3");
    QTest::mouseClick(qobject_cast<QAbstractButton*>(dialog->GetDlgItem(IDC_NUMBER_TOTAL)->GetWidget()), Qt::LeftButton);
  });
  std::vector<std::string> tracks;
  for (int row = 0; row < Rows(); ++row) tracks.push_back(Cell(row, 0) + "=" + Cell(row, ColumnOf(kTrack)));
  EXPECT_EQ(tracks, (std::vector<std::string>{"CD1/a=3/4", "CD1/b=4/4", "CD2/x=3/5", "CD2/y=4/5", "CD2/z=5/5"}));
  Command(ID_EDIT_UNDO);
  EXPECT_FALSE(m_dlg.IsDataChanged());

  m_dlg.m_list.SelectItems({RowOf("CD2/z"), RowOf("CD1/b")});
  const CString playlist = m_dir.File("CD2/mix.m3u8");
  test::AnswerFileDialog(playlist);
  Command(ID_MAKE_PLAYLIST);
  const std::string text = test::ReadFile(playlist);
  EXPECT_EQ(text.rfind("#EXTM3U\n#EXTINF:", 0), 0u) << text;
  EXPECT_NE(text.find("\n../CD1/b.mp3\n"), std::string::npos) << text;
  EXPECT_LT(text.find("../CD1/b.mp3"), text.find("\nz.mp3\n")) << "in the table's order";
}

}  // namespace
