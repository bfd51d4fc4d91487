// The walk that lists a folder's music files, and the keys of their rows.
#include "BaseTestDir.h"

#include <base/FolderWalk.h>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// Files of a folder before those of its subfolders, each folder in name
// order with letter case folded (also beyond ASCII), and names that differ
// only in case by their bytes.
TEST(FolderWalkTest, ListsFilesInFoldedNameOrderBeforeSubfolders) {
  const CBaseTestDir dir;
  for (const char* name : {"b.mp3", "A.mp3", "\xC3\xA4.mp3", "\xC3\x84.mp3", "x.MP3", "notes.txt", "Sub/c.mp3",
                           "\xC3\x89t\xC3\xA9/d.mp3", "sub2/e.mp3", "b.flac", "f.OPUS", "g.m4a", "cover.jpg",
                           "h.ogg", ".mp3", "mp3"})
    dir.Put(name, "ID3");
  const CMusicListing listing = ListMusicFiles(dir.Path().c_str(), true);
  const std::vector<CString> expected = {"A.mp3", "b.flac", "b.mp3", "f.OPUS", "g.m4a", "h.ogg", "x.MP3",
                                         "\xC3\x84.mp3", "\xC3\xA4.mp3", "Sub/c.mp3", "sub2/e.mp3",
                                         "\xC3\x89t\xC3\xA9/d.mp3"};
  EXPECT_EQ(listing.names, expected);
  EXPECT_EQ(ListMusicFiles(dir.Path().c_str(), false).names.size(), 9u);
}

// An MP3 file's key leaves its extension out, another format's keeps it, so
// "a.mp3" and "a.flac" are two rows; a key gives back the file's name, and a
// new key keeps the file's extension.
TEST(FolderWalkTest, KeysAndFileNamesOfEveryFormat) {
  struct Case {
    const char* name;
    const char* key;
    const char* newKey;   // given the file of name
    const char* renamed;  // the file's name for that key
  } cases[] = {
      {"CD1/a.mp3", "CD1/a", "CD1/b", "CD1/b.mp3"},
      {"a.MP3", "a", "b", "b.MP3"},
      {"a.flac", "a.flac", "b", "b.flac"},
      {"a.flac", "a.flac", "b.flac", "b.flac"},
      {"a.OGG", "a.OGG", "b.ogg", "b.ogg"},
      {"a.m4a", "a.m4a", "b.mp3", "b.mp3.m4a"},
      {"a.flac.mp3", "a.flac", "b.flac", "b.flac.mp3"},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(IsMusicFileName(c.name)) << c.name;
    EXPECT_EQ(RowKeyOf(c.name), c.key) << c.name;
    EXPECT_EQ(FileNameOfKey(c.newKey, c.name), c.renamed) << c.name;
  }
  EXPECT_EQ(FileNameOfKey("CD1/a"), "CD1/a.mp3");
  EXPECT_EQ(FileNameOfKey("CD1/a.Opus"), "CD1/a.Opus");
  for (const char* name : {"a.wav", ".flac", "a/.mp3", "mp3", "a.mp3/"}) EXPECT_FALSE(IsMusicFileName(name)) << name;
}

// The walk asks whether to go on every few dozen entries, also in one huge
// folder of entries that are no files (a disk's /proc or /dev), so Escape
// is heeded within moments.
TEST(FolderWalkTest, AsksWhetherToGoOnEveryFewDozenEntries) {
  const CBaseTestDir dir;
  for (int i = 0; i < 3000; ++i)
    ASSERT_EQ(::symlink("nowhere", dir.File("gone " + std::to_string(i) + ".mp3").c_str()), 0);
  int asks = 0;
  const CMusicListing listing = ListMusicFiles(dir.Path().c_str(), true, [&asks] { return ++asks < 2; });
  EXPECT_TRUE(listing.bStopped);
  EXPECT_LE(listing.nVanished, 100);
}

}  // namespace
