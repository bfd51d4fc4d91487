// Splicing: frames that were not edited keep their bytes, the edited ones
// are id3lib's, and tags that cannot be kept frame by frame are refused.
#include "TagsTestSupport.h"

#include "Id3Splice.h"
#include "Id3libFrames.h"

#include <id3/readers.h>
#include <id3/tag.h>

#include <gtest/gtest.h>

namespace {

using test::Mutagen;
using test::RawFrames;
using test::TagEnd;

void SetText(ID3_Tag& tag, ID3_FrameID id, const char* text) {
  if (ID3_Frame* old = id3frames::FindField(tag, id)) delete tag.RemoveFrame(old);
  ID3_Frame frame(id);
  frame.GetField(id == ID3FID_WWWUSER ? ID3FN_URL : ID3FN_TEXT)->Set(text);
  tag.AddFrame(frame);
}

// The edits spliced into the old tag's bytes, checked as a save checks them.
bool Splice(ID3_Tag& tag, const std::string& oldTag, const std::vector<CFieldEdit>& edits, std::string* out) {
  return RenderKeepingUneditedFrames(tag, reinterpret_cast<const unsigned char*>(oldTag.data()), oldTag.size(), edits,
                                     true, out);
}

TEST(TagsSplice, FramesNotEditedKeepTheirBytes) {
  test::TempDir dir;
  for (const char* name : {"id3lib_rewrites.mp3", "itunes_order.mp3", "eyed3_comments.mp3", "lyrics3_v1.mp3",
                           "cbr_v23_utf16_v1.mp3", "two_comments.mp3"}) {
    SCOPED_TRACE(name);
    const std::string file = test::ReadFile(test::FixturePath(name));
    const std::string oldTag = file.substr(0, TagEnd(file));
    ID3_MemoryReader reader(file.data(), file.size());
    ID3_Tag tag;
    tag.Link(reader, ID3TT_ID3V2);
    SetText(tag, ID3FID_LEADARTIST, "Spliced Artist");
    SetText(tag, ID3FID_COMMENT, "Spliced comment");
    SetText(tag, ID3FID_WWWUSER, "http://example.com/spliced");
    if (ID3_Frame* title = id3frames::FindField(tag, ID3FID_TITLE)) delete tag.RemoveFrame(title);
    const std::vector<CFieldEdit> edited = {{ID3FID_LEADARTIST, "Spliced Artist"},
                                            {ID3FID_COMMENT, "Spliced comment"},
                                            {ID3FID_WWWUSER, "http://example.com/spliced"},
                                            {ID3FID_TITLE, "", true},
                                            {ID3FID_LEADARTIST, "Spliced Artist"}};
    std::string out;
    ASSERT_TRUE(Splice(tag, oldTag, edited, &out));
    // Every old frame but the edited fields' is there, byte for byte, in order.
    const std::vector<std::string> kept = test::RawFramesBut(oldTag, {"TPE1", "TIT2", "COMM", "WXXX"});
    std::vector<std::string> now = RawFrames(out);
    ASSERT_GE(now.size(), kept.size());
    std::size_t k = 0;
    for (const std::string& frame : now) k += k < kept.size() && frame == kept[k];
    EXPECT_EQ(k, kept.size());
    EXPECT_EQ(now.size(), kept.size() + 3) << "artist, comment and URL once each";
    // What other readers see of the edited fields.
    const CString path = dir.File(name);
    test::WriteFile(path, out + file.substr(oldTag.size()));
    EXPECT_EQ(Mutagen(path, "TPE1"), "Spliced Artist");
    const std::string stored = Mutagen(path, "stored");
    EXPECT_EQ(stored.find("TIT2="), std::string::npos) << "the title was removed";
    EXPECT_EQ(Mutagen(path, "WXXX:"), "http://example.com/spliced");
    EXPECT_NE(stored.find("desc='', text=['Spliced comment']"), std::string::npos);
  }
}

TEST(TagsSplice, TagsThatCannotBeKeptFrameByFrameAreRefused) {
  const std::string file = test::ReadFile(test::FixturePath("id3lib_rewrites.mp3"));
  const std::string oldTag = file.substr(0, TagEnd(file));
  ID3_MemoryReader reader(file.data(), file.size());
  ID3_Tag tag;
  tag.Link(reader, ID3TT_ID3V2);
  std::string extended = oldTag, v24 = oldTag, dirtyPadding = oldTag;
  extended[5] = '\x40';  // without an extended header
  v24[3] = 4;
  dirtyPadding[dirtyPadding.size() - 1] = 'x';
  const std::vector<CFieldEdit> artist = {{ID3FID_LEADARTIST, "Id3lib Artist"}};
  for (const std::string* bytes : {&extended, &v24, &dirtyPadding}) {
    std::string out = "untouched";
    EXPECT_FALSE(Splice(tag, *bytes, artist, &out));
    EXPECT_EQ(out, "untouched");
  }
  // Where the new tag is read whole (the comment set is one of three comment
  // frames, the link removed leaves a described one), a tag object that no
  // longer matches the bytes is refused too: its fields would not read back.
  for (const bool removal : {false, true}) {
    SCOPED_TRACE(removal ? "link removed" : "comment set");
    const std::string file = test::ReadFile(test::FixturePath(removal ? "url_latin1.mp3" : "two_comments.mp3"));
    const std::string before = file.substr(0, TagEnd(file));
    ID3_MemoryReader fileReader(file.data(), file.size());
    ID3_Tag edited;
    edited.Link(fileReader, ID3TT_ID3V2);
    if (removal)
      delete edited.RemoveFrame(id3frames::FindField(edited, ID3FID_WWWUSER));
    else
      SetText(edited, ID3FID_COMMENT, "Listed");
    const std::vector<CFieldEdit> edit = {{removal ? ID3FID_WWWUSER : ID3FID_COMMENT, removal ? "" : "Listed", removal}};
    std::string out;
    ASSERT_TRUE(Splice(edited, before, edit, &out));
    SetText(edited, ID3FID_COMPOSER, "Changed but not listed as edited");
    EXPECT_FALSE(Splice(edited, before, edit, &out));
  }
}

}  // namespace
