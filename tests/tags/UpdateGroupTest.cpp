// One save of a file's fields in one write: nothing reaches the file before
// EndUpdate, a growing tag rewrites the file once and leaves room for the
// next save. (A refusal kept until the group ends is among the write tests.)
#include "TagsTestSupport.h"

#include <tags/MyMP3Tags.h>

#include <gtest/gtest.h>

#include <map>

namespace {

using test::Mutagen;

// The fourteen setters of a save, as the program calls them; the track,
// year and link take values of their own.
void SetAll(CMyMP3Tags& tags, const CString& value) {
  const std::map<std::string, CString> own = {{"TRCK=", "5/9"}, {"TDRC=", "2024"}, {"WXXX:=", "http://example.com/x"}};
  for (const test::Field& f : test::kFields) (tags.*f.set)(own.count(f.key) ? own.at(f.key) : value);
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

// Fourteen setters in a group write once, at EndUpdate; the grown tag is
// padded, so the next group of somewhat longer values is written in place.
// After a write the file is read again only when a getter or setter asks;
// what they give must be what a fresh Link of the written file gives.
TEST(TagsUpdateGroup, FourteenSettersWriteOnceAndEveryValueIsWhatAFreshLinkReads) {
  test::TempDir dir;
  const std::string grown = "Ünïcode ♫ long enough to grow every tag past its padding, 0123456789 0123456789";
  const std::string longer = grown + " and more";
  for (const char* name : {"cbr_v23_latin1.mp3", "cbr_v23_utf16_v1.mp3", "v1_only.mp3", "untagged.mp3",
                           "vbr_mpeg2_mono.mp3", "id3lib_written.mp3", "v24_v1.mp3", "v24_footer.mp3",
                           "v22_full.mp3"}) {
    SCOPED_TRACE(name);
    const CString path = dir.CopyFixture(name);
    const std::string bytes = test::ReadFile(path);
    CMyMP3Tags tags;
    tags.Link(path);
    const std::vector<std::string> before = test::Row(tags);
    tags.BeginUpdate();
    SetAll(tags, grown.c_str());
    // Each setter's result is there at once, but nothing is written yet.
    EXPECT_EQ(tags.GetConductor(), grown);
    EXPECT_EQ(tags.GetTrack(), "5/9");
    EXPECT_TRUE(test::ReadFile(path) == bytes);
    tags.EndUpdate();
    ASSERT_EQ(tags.GetLastWriteError(), "");
    EXPECT_EQ(Mutagen(path, "TPE3"), grown);
    EXPECT_EQ(Mutagen(path, "TRCK"), "5/9");
    EXPECT_EQ(Mutagen(path, "WXXX:"), "http://example.com/x");
    // Asked first, the size alone must already be the written file's.
    EXPECT_EQ(tags.GetFileSize(), static_cast<long>(test::ReadFile(path).size()));
    const std::vector<std::string> afterGroup = test::Row(tags);
    EXPECT_NE(afterGroup, before);
    {
      CMyMP3Tags fresh;
      fresh.Link(path);
      EXPECT_EQ(afterGroup, test::Row(fresh));
    }
    const ino_t inode = test::Inode(path);
    tags.BeginUpdate();
    SetAll(tags, longer.c_str());
    tags.EndUpdate();
    EXPECT_EQ(tags.GetLastWriteError(), "");
    if (!(bytes[3] == 4 && (bytes[5] & 0x10))) {  // a tag with an ID3v2.4 footer has no padding
      EXPECT_EQ(test::Inode(path), inode) << "written in place";
    }
    EXPECT_EQ(Mutagen(path, "TPE1"), longer);
    {
      CMyMP3Tags fresh;
      fresh.Link(path);
      EXPECT_EQ(fresh.GetComment(), longer);
    }
    // Single setters write at once; the second starts from what the first
    // wrote, and a removal from what both did.
    tags.SetArtist("Short");
    tags.SetYear(1999);
    EXPECT_EQ(tags.GetArtist(), "Short");
    tags.RemoveAllTags();
    ASSERT_EQ(tags.GetLastWriteError(), "");
    const std::vector<std::string> afterRemove = test::Row(tags);
    CMyMP3Tags fresh;
    fresh.Link(path);
    EXPECT_EQ(afterRemove, test::Row(fresh));
    EXPECT_EQ(fresh.GetArtist(), "-");
    EXPECT_EQ(fresh.GetURL(), "http://example.com/x");
  }
}

}  // namespace
