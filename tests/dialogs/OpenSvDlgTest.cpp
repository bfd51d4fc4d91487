#include <dialogs/OpenSvDlg.h>

#include "support/ModalAnswers.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(OpenSvDlgTest, ChosenFileIsSplitIntoItsParts) {
  test::TempDir dir;
  const CString song = dir.File("song.live.mp3");
  test::WriteFile(song, "ID3");
  COpenSvDlg dlg;
  dlg.AddFilter("MP3 files", "mp3");
  dlg.AddFilter_AllFiles();
  dlg.AddFilter_End();
  test::FileDialogSeen seen;
  test::AnswerFileDialog(song, &seen);
  ASSERT_TRUE(dlg.Open(nullptr));
  EXPECT_EQ(seen.filters, (QStringList{"MP3 files (*.mp3)", "All Files (*.*)"}));
  EXPECT_EQ(dlg.GetFullPath(), song);
  EXPECT_EQ(dlg.GetFileFolderPath(), dir.Path());
  EXPECT_EQ(dlg.GetFileName(), "song.live");
  EXPECT_EQ(dlg.GetFileNameWext(), "song.live.mp3");
  EXPECT_EQ(dlg.GetExt(), "mp3");

  // Cancelling keeps the last confirmed file; the list serves again.
  test::AnswerFileDialog("", &seen);
  EXPECT_FALSE(dlg.SaveAs(nullptr));
  EXPECT_EQ(seen.filters, (QStringList{"MP3 files (*.mp3)", "All Files (*.*)"}));
  EXPECT_EQ(dlg.GetFullPath(), song);
  EXPECT_EQ(dlg.GetFileName(), "song.live");
}

TEST(OpenSvDlgTest, AnUnendedFilterListIsDiscarded) {
  test::TempDir dir;
  const CString readme = dir.File("README");
  test::WriteFile(readme, "x");
  COpenSvDlg dlg;
  dlg.AddFilter("MP3 files", "mp3");
  dlg.AddFilter_End();
  dlg.AddFilter_AllFiles("Everything");  // reopens the list
  test::FileDialogSeen seen;
  test::AnswerFileDialog(readme, &seen);
  ASSERT_TRUE(dlg.Open(nullptr));
  EXPECT_FALSE(seen.filters.contains("MP3 files (*.mp3)"));
  EXPECT_FALSE(seen.filters.contains("Everything (*.*)"));
  // A name without extension: no bare dot, and the folder stays whole.
  EXPECT_EQ(dlg.GetFileNameWext(), "README");
  EXPECT_EQ(dlg.GetExt(), "");
  EXPECT_EQ(dlg.GetFileFolderPath(), dir.Path());

  // The discarded list starts afresh; both all-files forms read alike.
  dlg.AddFilter_AllFiles();
  dlg.AddFilter_AllFiles("All Files");
  dlg.AddFilter_End();
  test::AnswerFileDialog("", &seen);
  dlg.Open(nullptr);
  EXPECT_EQ(seen.filters, (QStringList{"All Files (*.*)", "All Files (*.*)"}));
}

TEST(OpenSvDlgTest, SaveAsStartsWithTheNameAndAddsTheDefaultExtension) {
  test::TempDir dir;
  COpenSvDlg dlg;
  test::FileDialogSeen seen;
  test::AnswerFileDialog(dir.File("report"), &seen);
  ASSERT_TRUE(dlg.SaveAs("html", dir.File("first"), nullptr));
  EXPECT_EQ(seen.defaultSuffix, "html");
  ASSERT_EQ(seen.selected.size(), 1);
  EXPECT_TRUE(seen.selected[0].endsWith("first.html"));
  EXPECT_EQ(dlg.GetFileNameWext(), "report.html");
  EXPECT_EQ(dlg.GetFullPath(), dir.File("report.html"));
}
