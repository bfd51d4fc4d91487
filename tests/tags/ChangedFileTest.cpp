// Files another program rewrites while they are read: a copy over a file
// truncates it under our map, which must end neither the read nor the
// process, and nothing may be written from what such a read saw.
#include "MappedFile.h"
#include "TagsTestSupport.h"

#include <tags/MyMP3Tags.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

void Truncate(const CString& path, off_t size) { ASSERT_EQ(::truncate(path, size), 0); }

// Sets the file's modification time a second on, as a write a second later would.
void TouchLater(const CString& path) {
  struct stat st {};
  ASSERT_EQ(::stat(path, &st), 0);
  const timespec times[2] = {st.st_atim, {st.st_mtim.tv_sec + 1, st.st_mtim.tv_nsec}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path, times, 0), 0);
}

// A map read in full after another program changed its file: the read
// ends, bytes the file no longer has read as zeros, and the map says
// whether what was read is the file as it was opened.
TEST(TagsChangedFile, AMapSurvivesItsFileChangingAndSaysSo) {
  const std::string bytes = test::BigJpeg(256 * 1024);
  struct Case {
    const char* name;
    std::function<void(const CString& path, const TempDir& dir)> change;
    bool intact;
  };
  const Case cases[] = {
      {"left alone", [](const CString&, const TempDir&) {}, true},
      {"read by others", [](const CString& path, const TempDir&) { (void)ReadFile(path); }, true},
      {"truncated to nothing", [](const CString& path, const TempDir&) { Truncate(path, 0); }, false},
      {"cut within a page", [](const CString& path, const TempDir&) { Truncate(path, 5000); }, false},
      {"copied over by a smaller file",
       [](const CString& path, const TempDir&) { WriteFile(path, std::string(70000, 'x')); }, false},
      {"grown", [](const CString& path, const TempDir&) {
         std::FILE* f = std::fopen(path, "ab");
         std::fputs("more", f);
         std::fclose(f);
       }, false},
      {"rewritten in place, same size",
       [](const CString& path, const TempDir&) {
         const int fd = ::open(path, O_WRONLY);
         ASSERT_EQ(::pwrite(fd, "ID3", 3, 0), 3);
         ::close(fd);
         TouchLater(path);
       }, false},
      {"replaced by another file",
       [&bytes](const CString& path, const TempDir& dir) {
         WriteFile(dir.File("new.mp3"), bytes);
         ASSERT_EQ(std::rename(dir.File("new.mp3"), path), 0);
       }, false},
      {"removed", [](const CString& path, const TempDir&) { std::remove(path); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TempDir dir;
    const CString path = dir.File("song.mp3");
    WriteFile(path, bytes);
    const CMappedFile map(path);
    ASSERT_TRUE(map.IsOpen());
    ASSERT_EQ(map.Size(), bytes.size());
    c.change(path, dir);
    std::size_t differ = 0;
    for (std::size_t i = 0; i < map.Size(); ++i) differ += map.Data()[i] != static_cast<unsigned char>(bytes[i]);
    EXPECT_EQ(map.IsIntact(), c.intact);
    if (c.intact) {
      EXPECT_EQ(differ, 0u);
    }
    // Past a shortened file's end the map holds zeros, never stray bytes.
    struct stat now {};
    if (::stat(path, &now) == 0 && static_cast<std::size_t>(now.st_size) < bytes.size()) {
      for (std::size_t i = (now.st_size + 4095) / 4096 * 4096; i < map.Size(); ++i) ASSERT_EQ(map.Data()[i], 0) << i;
    }
  }
}

// A file cut by another program between the read of its tag and the
// record of what a save replaces: the save gives up with the reason, and
// the file is left as the other program made it.
TEST(TagsChangedFile, NothingIsWrittenFromAFileCutWhileItWasRead) {
  const TempDir dir;
  const CString path = dir.File("song.mp3");
  WriteFile(path, test::FileWithBigCover());
  CMyMP3Tags tags;
  tags.Link(path);
  ASSERT_EQ(tags.GetTitle(), "Big Cover");
  tags.BeginUpdate();
  tags.SetTitle("Mine");
  Truncate(path, 4096);
  const std::string cut = ReadFile(path);
  EXPECT_TRUE(tags.PrepareSaveUndo().empty());
  EXPECT_EQ(tags.GetLastWriteError(), kChangedWhileRead);
  tags.EndUpdate();
  tags.Reset();
  EXPECT_EQ(ReadFile(path), cut);
}

}  // namespace
