// One save of a file's fields in one write: nothing reaches the file before
// EndUpdate, a growing tag rewrites the file once and leaves room for the
// next save, and failures inside the group are kept for the caller.
#include "TagsTestSupport.h"

#include <tags/MyMP3Tags.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using test::Mutagen;

ino_t InodeOf(const CString& path) {
  struct stat st {};
  return ::stat(path, &st) == 0 ? st.st_ino : 0;
}

// The fourteen setters of a save, as the program calls them.
void SetAll(CMyMP3Tags& tags, const CString& value) {
  tags.SetArtist(value);
  tags.SetAlbum(value);
  tags.SetTitle(value);
  tags.SetTrack("5/9");
  tags.SetYear("2024");
  tags.SetOriginalArtist(value);
  tags.SetComment(value);
  tags.SetComposer(value);
  tags.SetEncodedBy(value);
  tags.SetCopyright(value);
  tags.SetURL("http://example.com/x");
  tags.SetBand(value);
  tags.SetPublisher(value);
  tags.SetConductor(value);
}

TEST(TagsUpdateGroup, FourteenSettersWriteOnceAndLeaveRoomForTheNextSave) {
  test::TempDir dir;
  const CString path = dir.CopyFixture("untagged.mp3");
  const std::string before = test::ReadFile(path);
  CMyMP3Tags tags;
  tags.Link(path);
  tags.BeginUpdate();
  SetAll(tags, "Ünïcode ♫ value long enough to make the new tag grow past the first padding, 0123456789");
  // Each setter's result is there at once, but nothing is written yet.
  EXPECT_EQ(tags.GetConductor(), "Ünïcode ♫ value long enough to make the new tag grow past the first padding, 0123456789");
  EXPECT_EQ(tags.GetTrack(), "5/9");
  EXPECT_TRUE(test::ReadFile(path) == before);
  tags.EndUpdate();
  EXPECT_EQ(tags.GetLastWriteError(), "");
  EXPECT_EQ(Mutagen(path, "TPE3"), "Ünïcode ♫ value long enough to make the new tag grow past the first padding, 0123456789");
  EXPECT_EQ(Mutagen(path, "TRCK"), "5/9");
  EXPECT_EQ(Mutagen(path, "WXXX:"), "http://example.com/x");

  // The grown tag was padded: a second save of somewhat longer values is
  // written in place, not into a new file.
  const ino_t inode = InodeOf(path);
  tags.BeginUpdate();
  SetAll(tags, "Ünïcode ♫ value long enough to make the new tag grow past the first padding, 0123456789 and more");
  tags.EndUpdate();
  EXPECT_EQ(tags.GetLastWriteError(), "");
  EXPECT_EQ(InodeOf(path), inode);
  EXPECT_EQ(Mutagen(path, "TPE1"), "Ünïcode ♫ value long enough to make the new tag grow past the first padding, 0123456789 and more");
  tags.Reset();
  tags.Link(path);
  EXPECT_EQ(tags.GetComment(), "Ünïcode ♫ value long enough to make the new tag grow past the first padding, 0123456789 and more");
}

TEST(TagsUpdateGroup, ResetAndDestructionWriteAnOpenGroup) {
  test::TempDir dir;
  const CString first = dir.CopyFixture("cbr_v23_latin1.mp3", "first.mp3");
  const CString second = dir.CopyFixture("cbr_v23_latin1.mp3", "second.mp3");
  CMyMP3Tags tags;
  tags.Link(first);
  tags.BeginUpdate();
  tags.SetArtist("Kept by Reset");
  tags.Reset();
  EXPECT_EQ(Mutagen(first, "TPE1"), "Kept by Reset");
  {
    CMyMP3Tags other;
    other.Link(second);
    other.BeginUpdate();
    other.SetArtist("Kept by the destructor");
  }
  EXPECT_EQ(Mutagen(second, "TPE1"), "Kept by the destructor");
}

TEST(TagsUpdateGroup, FailuresAreKeptUntilTheGroupEnds) {
  test::TempDir dir;
  CMyMP3Tags tags;
  tags.Link(dir.CopyFixture("v22_crm.mp3"));
  tags.BeginUpdate();
  tags.SetArtist("Refused");
  tags.SetTitle(tags.GetTitle());  // unchanged: must not clear the refusal
  tags.EndUpdate();
  EXPECT_NE(tags.GetLastWriteError().Find("frame CRM"), -1) << tags.GetLastWriteError().Str();
  tags.Reset();

  const CString path = dir.CopyFixture("cbr_v23_latin1.mp3");
  tags.Link(path);
  tags.BeginUpdate();
  tags.SetArtist("Never written");
  ::unlink(path);
  tags.EndUpdate();
  EXPECT_NE(tags.GetLastWriteError(), "");
  EXPECT_NE(::access(path, F_OK), 0);

  // A group with nothing to change writes nothing and reports nothing.
  for (const char* name : {"cbr_v23_utf16_v1.mp3", "untagged.mp3"}) {
    const CString same = dir.CopyFixture(name);
    const std::string before = test::ReadFile(same);
    CMyMP3Tags untouched;
    untouched.Link(same);
    untouched.BeginUpdate();
    untouched.SetArtist(untouched.GetArtist());
    if (untouched.isV2Tag() == 0) untouched.RemoveAllTags();
    untouched.EndUpdate();
    EXPECT_EQ(untouched.GetLastWriteError(), "") << name;
    untouched.Reset();
    EXPECT_TRUE(test::ReadFile(same) == before) << name;
  }
}

// After a write the file is read again only when a getter or setter asks;
// what they give must be what a fresh Link of the written file gives.
TEST(TagsUpdateGroup, AfterAWriteEveryValueIsWhatAFreshLinkReads) {
  test::TempDir dir;
  const std::string grown = "Ünïcode ♫ long enough to grow every tag past its padding, 0123456789 0123456789";
  for (const char* name : {"cbr_v23_latin1.mp3", "cbr_v23_utf16_v1.mp3", "v1_only.mp3", "untagged.mp3",
                           "vbr_mpeg2_mono.mp3", "id3lib_written.mp3", "v24_v1.mp3", "v24_footer.mp3",
                           "v22_full.mp3"}) {
    const CString path = dir.CopyFixture(name);
    CMyMP3Tags tags;
    tags.Link(path);
    const std::vector<std::string> before = test::Row(tags);
    tags.BeginUpdate();
    SetAll(tags, grown.c_str());
    tags.EndUpdate();
    ASSERT_EQ(tags.GetLastWriteError(), "") << name;
    // Asked first, the size alone must already be the written file's.
    EXPECT_EQ(tags.GetFileSize(), static_cast<long>(test::ReadFile(path).size())) << name;
    const std::vector<std::string> afterGroup = test::Row(tags);
    EXPECT_NE(afterGroup, before) << name;
    {
      CMyMP3Tags fresh;
      fresh.Link(path);
      EXPECT_EQ(afterGroup, test::Row(fresh)) << name;
    }
    // Single setters write at once; the second starts from what the first
    // wrote, and a removal from what both did.
    tags.SetArtist("Short");
    tags.SetYear(1999);
    EXPECT_EQ(tags.GetArtist(), "Short") << name;
    tags.RemoveAllTags();
    ASSERT_EQ(tags.GetLastWriteError(), "") << name;
    const std::vector<std::string> afterRemove = test::Row(tags);
    CMyMP3Tags fresh;
    fresh.Link(path);
    EXPECT_EQ(afterRemove, test::Row(fresh)) << name;
    EXPECT_EQ(fresh.GetArtist(), "-") << name;
    EXPECT_EQ(fresh.GetURL(), "http://example.com/x") << name;
  }
}

}  // namespace
