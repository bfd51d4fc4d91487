// The walk that lists a folder's MP3 files.
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
                           "\xC3\x89t\xC3\xA9/d.mp3", "sub2/e.mp3"})
    dir.Put(name, "ID3");
  const CMusicListing listing = ListMusicFiles(dir.Path().c_str(), true);
  const std::vector<CString> expected = {"A.mp3", "b.mp3", "x.MP3", "\xC3\x84.mp3", "\xC3\xA4.mp3",
                                         "Sub/c.mp3", "sub2/e.mp3", "\xC3\x89t\xC3\xA9/d.mp3"};
  EXPECT_EQ(listing.names, expected);
  EXPECT_EQ(ListMusicFiles(dir.Path().c_str(), false).names.size(), 5u);
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
