// A folder opened with the folders below it: rows keyed by their path below
// it, what the walk skips, the remembered check box, and the commands that
// reach a row's file.
#include "MainWindowDriver.h"

#include <base/FolderWalk.h>

#include "support/OpenerStandIn.h"

#include <QDir>
#include <QFile>

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using test::MutagenRow;

class SubfoldersTest : public test::MainWindowDriver {
 protected:
  QDir Dir() const { return QDir(QString::fromUtf8(m_dir.Path().GetString())); }
  CString Put(const char* fixture, const char* path) {
    Dir().mkpath(QFileInfo(Dir().filePath(path)).path());
    return m_dir.CopyFixture(fixture, path);
  }
  std::vector<std::string> Keys(test::TestDlg& dlg) {
    std::vector<std::string> keys;
    for (int row = 0; row < dlg.m_list.GetItemCount(); ++row) keys.push_back(dlg.m_list.GetItemText(row, 0).Str());
    std::sort(keys.begin(), keys.end());
    return keys;
  }

  test::TempDir m_dir;
};

TEST_F(SubfoldersTest, ATreeLoadsKeyedBelowTheFolderAndSkipsLinksBackVanishedAndUnreadable) {
  Put("cbr_v23_latin1.mp3", "top.mp3");
  Put("untagged.mp3", "CD1/01 Intro.mp3");
  Put("Upper.MP3", "CD1/Deep/x.MP3");
  Put("two_comments.mp3", "CD2/02 Song.mp3");
  QFile::link(Dir().path(), Dir().filePath("CD2/Loop"));             // back to the top: a loop
  QFile::link(Dir().filePath("CD1"), Dir().filePath("Again"));       // to a folder read already
  QFile::link(Dir().filePath("nowhere.mp3"), Dir().filePath("CD2/gone.mp3"));  // a file gone
  // Root reads every folder, whatever its mode.
  const bool locked = ::geteuid() != 0 && Dir().mkdir("CD3") && ::chmod(m_dir.File("CD3"), 0) == 0;
  const std::vector<std::string> keys = {"CD1/01 Intro", "CD1/Deep/x", "CD2/02 Song", "top"};
  const std::string skipped = std::string("; skipped 2 links to folders read already") +
                              (locked ? ", 1 unreadable folder" : "") + ", 1 file that vanished";

  // Both ways of asking for the tree: the browser's box, and quillory -r.
  for (const bool commandLine : {false, true}) {
    test::TestDlg started;
    test::TestDlg& dlg = commandLine ? started : m_dlg;
    if (commandLine) {
      dlg.SetStartFolder(m_dir.Path(), true);
      ASSERT_TRUE(dlg.Create());
    } else {
      OpenFolder(m_dir.Path(), 1);
    }
    EXPECT_EQ(Keys(dlg), keys);
    EXPECT_EQ(dynamic_cast<CStatusBarCtrl*>(dlg.GetDlgItem(517))->GetText(1).Str(), "4 files have been loaded" + skipped);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_TOTAL_FILES), "4");
  }
  for (int row = 0; row < Rows(); ++row)
    EXPECT_EQ(m_dlg.RowFilePath(row), m_dir.File((Cell(row, 0) + (Cell(row, 0) == "CD1/Deep/x" ? ".MP3" : ".mp3")).c_str()));

  // The box is remembered: the next browser starts ticked; cleared, the
  // folder loads alone, and the one after starts cleared.
  bool ticked = false;
  OpenFolder(m_dir.Path(), 0, &ticked);
  EXPECT_TRUE(ticked);
  EXPECT_EQ(Keys(m_dlg), std::vector<std::string>{"top"});
  OpenFolder(m_dir.Path(), -1, &ticked);
  EXPECT_FALSE(ticked);
  if (locked) ::chmod(m_dir.File("CD3"), 0755);
}

// A link out of the folder is never followed, however much it would bring
// in (one to "/" brought the whole disk): it is named in the status. Links
// inside behave as before; a link to a file outside is listed, but a save
// must not take it for one of the folder's files.
TEST_F(SubfoldersTest, LinksOutOfTheFolderAreNamedAndNotFollowed) {
  // The temporary folder stands for the disk, "Music" for the chosen folder.
  Put("cbr_v23_latin1.mp3", "Music/top.mp3");
  Put("untagged.mp3", "Music/CD1/01.mp3");
  Put("cbr_v23_latin1.mp3", "Elsewhere/far.mp3");
  Put("cbr_v23_latin1.mp3", "Music2/sibling.mp3");  // its path starts as the folder's does
  const CString music = m_dir.File("Music");
  const QDir folder(QString::fromUtf8(music.GetString()));
  QFile::link(Dir().path(), folder.filePath("Everything"));  // to the top of the disk, as to "/"
  QFile::link(Dir().filePath("Elsewhere"), folder.filePath("Far"));
  QFile::link(Dir().filePath("Music2"), folder.filePath("Sibling"));
  QFile::link(folder.path(), folder.filePath("CD1/Loop"));
  QFile::link(folder.filePath("CD1"), folder.filePath("Again"));
  QFile::link(Dir().filePath("Elsewhere/far.mp3"), folder.filePath("far link.mp3"));

  OpenFolder(music, 1);
  EXPECT_EQ(Keys(m_dlg), (std::vector<std::string>{"CD1/01", "far link", "top"}));
  EXPECT_EQ(Status(), "3 files have been loaded; skipped 2 links to folders read already, "
                      "3 links that lead out of the folder (first: Everything)");
  OpenFolder(m_dir.File("Music/CD1"), 1);
  EXPECT_EQ(Status(), "1 files have been loaded; skipped 1 link that leads out of the folder (Loop)");

  const CFolderBounds bounds(music);
  for (const char* inside : {"top.mp3", "CD1/01.mp3", "Again/01.mp3", "CD1", ""})
    EXPECT_TRUE(bounds.Holds(folder.filePath(inside).toUtf8().constData())) << inside;
  for (const char* outside : {"far link.mp3", "Far/far.mp3", "Sibling/sibling.mp3", "Everything", "missing.mp3"})
    EXPECT_FALSE(bounds.Holds(folder.filePath(outside).toUtf8().constData())) << outside;
}

TEST_F(SubfoldersTest, SavingMarksDeleteAndTheReportWorkOnRowsInSubfolders) {
  const CString one = Put("cbr_v23_latin1.mp3", "CD1/a.mp3");
  const CString two = Put("untagged.mp3", "CD2/a.mp3");  // the same name in another folder
  const CString refused = Put("v22_crm.mp3", "CD2/b.mp3");  // a tag the library refuses to rewrite
  OpenFolder(m_dir.Path(), 1);
  ASSERT_EQ(Rows(), 3);
  SetRule(IDC_RULE_FIRST, true);
  Type(IDC_EDIT_ARTIST, "Deep");
  Click(IDC_UPDATE_LIST);
  Click(IDC_SAVE_ALL);
  EXPECT_EQ(Status().rfind("1 of 3 files were not saved; they are marked in red. First: CD2/b.mp3: ", 0), 0u)
      << Status();
  EXPECT_EQ(MarkedKeys(), std::vector<std::string>{"CD2/b"});
  EXPECT_EQ(MutagenRow(one).at(2), "Deep");
  EXPECT_EQ(MutagenRow(two).at(2), "Deep");
  EXPECT_NE(MutagenRow(refused).at(2), "Deep");

  const test::OpenerStandIn opener;
  m_dlg.WriteReport();
  const std::string page = test::ReadFile(m_dir.File("report.html"));
  for (const char* text : {">Folder<", ">CD1<", ">CD2<", "href=\"CD1/a.mp3\"", "href=\"CD2/b.mp3\"", ">a.mp3<"})
    EXPECT_NE(page.find(text), std::string::npos) << text;

  SelectRow(RowOf("CD1/a"));
  Click(IDC_DELETE_ROW);
  EXPECT_EQ(Total(IDC_TOTAL_FILES), "2");
  EXPECT_TRUE(base::FileExists(one));
}

}  // namespace
