#include <base/Path.h>
#include <base/String.h>

#include <gtest/gtest.h>

TEST(CStringTest, SlicesClampLikeTheFramework) {
  const CString s("Song.mp3");
  EXPECT_EQ(s.GetLength(), 8);
  EXPECT_EQ(s.Left(4), "Song");
  EXPECT_EQ(s.Left(99), "Song.mp3");
  EXPECT_EQ(s.Left(-1), "");
  EXPECT_EQ(s.Mid(4), ".mp3");
  EXPECT_EQ(s.Mid(4, 2), ".m");
  EXPECT_EQ(s.Mid(20), "");
  EXPECT_EQ(s.Right(4), ".mp3");
  EXPECT_EQ(s.Right(20), "Song.mp3");
  EXPECT_EQ(s.GetLength() - 4, s.Left(s.GetLength() - 4).GetLength());
}

TEST(CStringTest, Finds) {
  CString s("a.b.mp3");
  EXPECT_EQ(s.Find('.'), 1);
  EXPECT_EQ(s.Find(".mp3"), 3);
  EXPECT_EQ(s.Find("x"), -1);
  EXPECT_EQ(s.ReverseFind('.'), 3);
}

TEST(CStringTest, CaseFollowsUnicode) {
  EXPECT_EQ(CString("äbc.mp3").CompareNoCase("ÄBC.MP3"), 0);
  EXPECT_EQ(CString("ΣΟΦΊΑ Ж").CompareNoCase("σοφία ж"), 0);
  EXPECT_LT(CString("a").CompareNoCase("B"), 0);
  EXPECT_GT(CString("ab").CompareNoCase("A"), 0);
  EXPECT_NE(CString("caf\xE9").CompareNoCase("CAF\xC9"), 0) << "bytes that are not UTF-8 compare as themselves";
  EXPECT_EQ(CString("abc").CompareNoCase("ABC"), 0);
  EXPECT_NE(CString("abc"), CString("ABC"));
}

TEST(CStringTest, FormatTakesStringsAsTheyAre) {
  const CString folder("/music");
  const CString name("x.mp3");
  CString path;
  path.Format("%s%c%s", folder, '/', name);
  EXPECT_EQ(path, "/music/x.mp3");
  EXPECT_EQ(CString::Formatted("%.2f mb", 3.0), "3.00 mb");
  EXPECT_EQ(CString::Formatted("%d", -7), "-7");
  CString percent;
  percent.Format("%s", "100%");
  EXPECT_EQ(percent, "100%");
  CString longText;
  longText.Format("%s", std::string(5000, 'x').c_str());
  EXPECT_EQ(longText.GetLength(), 5000);
}

TEST(CStringTest, RepeatsAndEmpties) {
  EXPECT_EQ(CString('-', 3), "---");
  EXPECT_TRUE(CString().IsEmpty());
  EXPECT_EQ(CString(nullptr), "");
}

TEST(PathTest, JoinsAndSplitsWithSlashes) {
  using namespace base;
  EXPECT_EQ(JoinPath("/music", "a.mp3"), "/music/a.mp3");
  EXPECT_EQ(JoinPath("/music/", "a.mp3"), "/music/a.mp3");
  EXPECT_EQ(JoinPath("", "a.mp3"), "a.mp3");
  EXPECT_EQ(FileNameOf("/music/a.b.MP3"), "a.b.MP3");
  EXPECT_EQ(FolderOf("/music/a.b.MP3"), "/music");
  EXPECT_EQ(ExtensionOf("/music/a.b.MP3"), ".MP3");
  EXPECT_EQ(ExtensionOf("/mu.sic/readme"), "");
  EXPECT_TRUE(DirectoryExists("/"));
  EXPECT_FALSE(FileExists("/"));
  EXPECT_EQ(FileSizeOf("/no/such/file"), -1);
  EXPECT_FALSE(RemoveFile("/no/such/file"));
  EXPECT_FALSE(RemoveFile("/tmp"));  // never a folder
}
