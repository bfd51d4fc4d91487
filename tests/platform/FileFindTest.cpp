#include <platform/FileFind.h>

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>

#include <vector>

namespace {

std::vector<std::string> Find(const CString& pattern, std::vector<std::string>* folders = nullptr) {
  std::vector<std::string> names;
  CFileFind finder;
  BOOL more = finder.FindFile(pattern);
  while (more) {
    more = finder.FindNextFile();
    names.push_back(finder.GetFileName().Str());
    if (folders && finder.IsDirectory()) folders->push_back(finder.GetFileName().Str());
  }
  return names;
}

}  // namespace

TEST(FileFindTest, MatchesTheExtensionInAnyCaseInAStableOrder) {
  test::TempDir dir;
  for (const char* name : {"b.mp3", "A.MP3", "c.Mp3", "song.mp3.bak", "readme", "x[1].mp3", ".hidden.mp3"})
    test::WriteFile(dir.File(name), "x");
  QDir(QString::fromUtf8(dir.Path().GetString())).mkdir("folder.mp3");
  std::vector<std::string> folders;
  EXPECT_EQ(Find(dir.File("*.mp3"), &folders),
            (std::vector<std::string>{".hidden.mp3", "A.MP3", "b.mp3", "c.Mp3", "folder.mp3", "x[1].mp3"}));
  EXPECT_EQ(folders, std::vector<std::string>{"folder.mp3"});

  CFileFind finder;
  ASSERT_TRUE(finder.FindFile(dir.File("?.mp3")));
  EXPECT_FALSE(finder.FindNextFile() == FALSE);
  EXPECT_EQ(finder.GetFileName(), "A.MP3");
  EXPECT_EQ(finder.GetFilePath(), dir.File("A.MP3"));
  // A literal name finds that file whatever its case; brackets are not wildcards.
  EXPECT_EQ(Find(dir.File("a.mp3")), std::vector<std::string>{"A.MP3"});
  EXPECT_EQ(Find(dir.File("x[1].mp3")), std::vector<std::string>{"x[1].mp3"});
}

TEST(FileFindTest, NothingFoundInAMissingFolderOrForAnEmptyPattern) {
  test::TempDir dir;
  CFileFind finder;
  EXPECT_FALSE(finder.FindFile(dir.File("missing/*.mp3")));
  EXPECT_FALSE(finder.FindFile(""));
  EXPECT_FALSE(finder.FindFile(dir.File("*.mp3")));
  EXPECT_FALSE(finder.FindNextFile());
  EXPECT_EQ(finder.GetFileName(), "");
}
