#include <shell/Shellcmd.h>

#include <platform/MessageBox.h>

#include "support/OpenerStandIn.h"
#include "support/ModalAnswers.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>

namespace {

const char* const kNotFound = "The specified file was not found.";
const char* const kNoAssoc =
    "There is no application associated with the given file name extension. This error will also be returned if "
    "you attempt to print a file that is not printable.";

}  // namespace

TEST(ShellcmdTest, RunSucceedsAndClearsTheLastError) {
  test::OpenerStandIn opener;
  test::TempDir dir;
  const CString song = dir.File("song.mp3");
  test::WriteFile(song, "ID3");
  CShellcmd shell;
  shell.m_bShowErrors = false;
  EXPECT_FALSE(shell.Run(dir.File("gone.mp3")));
  EXPECT_EQ(shell.GetLastErr(), kNotFound);
  EXPECT_TRUE(shell.Run(song));
  EXPECT_EQ(shell.GetLastErr(), "");
  EXPECT_TRUE(shell.OpenFolder(dir.Path()));
  EXPECT_TRUE(shell.exploreFolder(dir.Path()));
  EXPECT_EQ(opener.Calls(), std::string(song) + "\n" + dir.Path().Str() + "\n" + dir.Path().Str() + "\n");
}

TEST(ShellcmdTest, EachFailureHasItsMessage) {
  test::OpenerStandIn opener(3);
  test::TempDir dir;
  const CString song = dir.File("song.mp3");
  test::WriteFile(song, "ID3");
  CShellcmd shell;
  shell.m_bShowErrors = false;
  EXPECT_FALSE(shell.Run(dir.File("a/b.mp3")));
  EXPECT_EQ(shell.GetLastErr(), "The specified path was not found.");
  EXPECT_FALSE(shell.Run(song));  // the opener found no program
  EXPECT_EQ(shell.GetLastErr(), kNoAssoc);
  EXPECT_FALSE(shell.Print(song));
  EXPECT_EQ(shell.GetLastErr(), kNoAssoc);
  EXPECT_FALSE(shell.Find(dir.Path()));
  EXPECT_FALSE(shell.Prop(song));
  EXPECT_EQ(shell.GetLastErr(), kNoAssoc);
}

TEST(ShellcmdTest, AFailureIsShownInAMessageBox) {
  test::OpenerStandIn opener;
  QApplication::setApplicationName("Quillory");
  CShellcmd shell;
  test::ModalQuestion asked;
  test::AnswerMessageBox(IDOK, &asked);
  EXPECT_FALSE(shell.Run("/no/such/folder/song.mp3"));
  EXPECT_EQ(asked.caption, "Quillory");
  // The box names what could not be opened; GetLastErr keeps the message alone.
  EXPECT_EQ(asked.text, "The specified path was not found.\n\n/no/such/folder/song.mp3");
  EXPECT_EQ(shell.GetLastErr(), "The specified path was not found.");
  EXPECT_EQ(opener.Calls(), "");
}

TEST(ShellcmdTest, FilterListGrowsPairByPair) {
  CShellcmd shell;
  shell.FileExt_add("MP3 files", "mp3");
  shell.FileExt_add("Reports", "html");
  shell.FileExt_Allfiles();
  EXPECT_EQ(shell.m_strFilter, "MP3 files (*.mp3)|*.mp3|Reports (*.html)|*.html|All Files (*.*)|*.*|");
  shell.FileExt_reset();
  EXPECT_EQ(shell.m_strFilter, "");
}

TEST(ShellcmdTest, FileDialogGivesNameFolderAndExtension) {
  test::TempDir dir;
  const CString song = dir.File("my song.mp3");
  test::WriteFile(song, "ID3");
  CShellcmd shell;
  shell.FileExt_add("MP3 files", "mp3");
  shell.FileExt_Allfiles();

  test::FileDialogSeen seen;
  test::AnswerFileDialog(song, &seen);
  ASSERT_TRUE(shell.OpenFile(nullptr));
  EXPECT_EQ(seen.filters, (QStringList{"MP3 files (*.mp3)", "All Files (*.*)"}));
  EXPECT_EQ(shell.m_strFileName, "my song.mp3");
  EXPECT_EQ(shell.m_strExt, "mp3");
  EXPECT_EQ(shell.m_strFolder, dir.Path());

  // A cancelled dialog leaves nothing of the earlier choice.
  test::AnswerFileDialog("");
  EXPECT_FALSE(shell.SaveAs(nullptr));
  EXPECT_EQ(shell.m_strFileName, "");
  EXPECT_EQ(shell.m_strFolder, "");
  EXPECT_EQ(shell.m_strExt, "");

  // A file straight in the root folder keeps the root as its folder.
  test::AnswerFileDialog("/new.txt");
  ASSERT_TRUE(shell.SaveAs(nullptr));
  EXPECT_EQ(shell.m_strFolder, "/");
  EXPECT_EQ(shell.m_strFileName, "new.txt");
}
