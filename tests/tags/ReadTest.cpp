// Reading: text frames as UTF-8, tag types, header facts and genre, on real
// files made by other tools.
#include "TagsTestSupport.h"

#include <tags/MyMP3Tags.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

using test::FixturePath;
using test::Row;

const char* const kAllFixtures[] = {
    "cbr_v23_latin1.mp3", "cbr_v23_utf16.mp3", "cbr_v23_utf16_v1.mp3", "v1_only.mp3", "v1_genre141.mp3",
    "v1_genre200.mp3", "v24.mp3", "v22.mp3", "untagged.mp3", "Upper.MP3", "id3lib_written.mp3",
    "two_comments.mp3", "compressed_frame.mp3", "vbr_mpeg1_stereo.mp3", "vbr_mpeg2_mono.mp3",
    "vbr_mpeg25_mono.mp3", "cbr_mpeg2_mono.mp3", "empty.mp3", "not_mpeg.mp3", "missing.mp3",
    "v24_full.mp3", "v24_v1.mp3", "v24_itunes.mp3", "v24_footer.mp3", "v24_ape.mp3", "v22_full.mp3", "v22_crm.mp3"};

TEST(TagsRead, UnlinkedObjectGivesMarkersAndMinusOne) {
  CMyMP3Tags tags;
  EXPECT_EQ(tags.GetArtist(), "-");
  EXPECT_EQ(tags.GetGenre(), "-");
  EXPECT_EQ(tags.GetFileSize(), -1);
  EXPECT_EQ(tags.isV1Tag(), -1);
  EXPECT_EQ(tags.isV2Tag(), -1);
  EXPECT_EQ(tags.isLyricsTag(), -1);
  EXPECT_FALSE(tags.GetHeaderInfo());
  EXPECT_EQ(tags.GetBitRate(), "-");
  tags.Link(FixturePath("cbr_v23_latin1.mp3"));
  EXPECT_EQ(tags.GetBitRate(), "-") << "header getters wait for GetHeaderInfo";
  tags.Reset();
  EXPECT_EQ(tags.GetTitle(), "-");
}

TEST(TagsRead, LatinAndUtf16FramesArriveAsUtf8) {
  CMyMP3Tags tags;
  tags.Link(FixturePath("cbr_v23_latin1.mp3"));
  EXPECT_EQ(tags.GetTitle(), "Café del Mar");
  EXPECT_EQ(tags.GetAlbum(), "Album Ünë");
  EXPECT_EQ(tags.GetTrack(), "3/12");
  EXPECT_EQ(tags.GetURL(), "-") << "a link with a description is another program's";
  EXPECT_EQ(tags.GetGenre(), "(17)") << "an ID3v2 genre is shown as stored";
  tags.Reset();
  // With an ID3v1 tag beside the UTF-16 ID3v2 tag, the title must not be
  // merged through 7-bit text.
  for (const char* name : {"cbr_v23_utf16.mp3", "cbr_v23_utf16_v1.mp3"}) {
    tags.Link(FixturePath(name));
    EXPECT_EQ(tags.GetTitle(), "Björk – Jóga ♫") << name;
    EXPECT_EQ(tags.GetTitle().Str(), test::Mutagen(FixturePath(name), "TIT2")) << name;
    tags.Reset();
  }
  tags.Link(FixturePath("cbr_v23_utf16_v1.mp3"));
  EXPECT_EQ(tags.isV1Tag(), 1);
  EXPECT_EQ(tags.isV2Tag(), 1);
  EXPECT_EQ(tags.GetArtist(), "Ånnä Ümlaut");
}

TEST(TagsRead, DescribedCommentsAreNoCommentAndEmptyTitle) {
  CMyMP3Tags tags;
  tags.Link(FixturePath("two_comments.mp3"));
  EXPECT_EQ(tags.GetComment(), "-");
  EXPECT_EQ(tags.GetURL(), "-");
  EXPECT_EQ(tags.GetTitle(), "") << "an empty frame is empty text, not the marker";
  EXPECT_EQ(tags.GetArtist(), "-");
}

TEST(TagsRead, SecondLinkWithoutResetKeepsTheFirstFile) {
  CMyMP3Tags tags;
  tags.Link(FixturePath("cbr_v23_latin1.mp3"));
  tags.Link(FixturePath("v1_only.mp3"));
  EXPECT_EQ(tags.GetTitle(), "Café del Mar");
}

TEST(TagsRead, Id3v1GenresThroughTheTable) {
  CMyMP3Tags tags;
  const std::pair<const char*, const char*> cases[] = {
      {"v1_only.mp3", "Rock"}, {"v1_genre141.mp3", "Christian Rock "}, {"v1_genre200.mp3", "(200)"}};
  for (auto [name, genre] : cases) {
    tags.Link(FixturePath(name));
    EXPECT_EQ(tags.isV2Tag(), 0) << name;
    EXPECT_EQ(tags.GetGenre(), genre) << name;
    tags.Reset();
  }
  tags.Link(FixturePath("v1_only.mp3"));
  EXPECT_EQ(tags.GetTitle(), "V1 Title");
  EXPECT_EQ(tags.GetTrack(), "7");
}

TEST(TagsRead, HeaderFactsMatchAnIndependentReader) {
  CMyMP3Tags tags;
  struct Case { const char* name; const char* bitRate; const char* version; const char* channel; };
  const Case cases[] = {{"cbr_v23_latin1.mp3", "128 kbit/s", "1.0", "Joint Stereo"},
                        {"vbr_mpeg1_stereo.mp3", nullptr, "1.0", "Joint Stereo"},
                        {"vbr_mpeg2_mono.mp3", nullptr, "2.0", "Single Channel"},
                        {"vbr_mpeg25_mono.mp3", nullptr, "2.5", "Single Channel"},
                        {"cbr_mpeg2_mono.mp3", "64 kbit/s", "2.0", "Single Channel"}};
  for (const Case& c : cases) {
    const CString path = FixturePath(c.name);
    tags.Link(path);
    ASSERT_TRUE(tags.GetHeaderInfo()) << c.name;
    int seconds = 0, kbits = 0, rate = 0;
    std::sscanf(test::Mutagen(path, "info").c_str(), "%d %d %d", &seconds, &kbits, &rate);
    EXPECT_EQ(tags.GetDuration(), CString::Formatted("%d", seconds)) << c.name;
    EXPECT_EQ(tags.GetSampleRate(), CString::Formatted("%d", rate)) << c.name;
    if (c.bitRate) {
      EXPECT_EQ(tags.GetBitRate(), c.bitRate) << c.name;
    } else {  // VBR: mutagen's average, within the truncation of either side
      EXPECT_NEAR(std::atoi(tags.GetBitRate()), kbits, 1) << c.name << " " << tags.GetBitRate().Str();
      EXPECT_NE(tags.GetBitRate().Find("(VBR)"), -1) << c.name;
    }
    EXPECT_EQ(tags.GetMpegLayer(), "III");
    EXPECT_EQ(tags.GetMpegVer(), c.version) << c.name;
    EXPECT_EQ(tags.GetChannel(), c.channel) << c.name;
    tags.Reset();
  }
}

TEST(TagsRead, ConvDurationFormats) {
  CMyMP3Tags tags;
  EXPECT_EQ(tags.ConvDuration("-"), " 0: 0:0.0");
  EXPECT_EQ(tags.ConvDuration("59"), " 0: 0:59.0");
  EXPECT_EQ(tags.ConvDuration("60"), " 0: 1:0.0");
  EXPECT_EQ(tags.ConvDuration("3599"), " 0:59:59.0");
  EXPECT_EQ(tags.ConvDuration("36000"), "10: 0:0.0");
  EXPECT_EQ(tags.ConvDuration("-5"), " 0: 0:0.0");
}

TEST(TagsRead, FilesWithoutReadableTags) {
  CMyMP3Tags tags;
  // A frame compressed over bad data crashes id3lib: the tag is skipped, the
  // audio after it still read.
  tags.Link(FixturePath("compressed_frame.mp3"));
  EXPECT_EQ(tags.GetTitle(), "-");
  EXPECT_EQ(tags.isV2Tag(), 0);
  EXPECT_TRUE(tags.GetHeaderInfo());
  EXPECT_EQ(tags.GetBitRate(), "128 kbit/s");
  EXPECT_FALSE(tags.IsWritable());
  tags.Reset();
  for (const char* name : {"empty.mp3", "not_mpeg.mp3", "untagged.mp3"}) {
    tags.Link(FixturePath(name));
    EXPECT_EQ(tags.GetArtist(), "-") << name;
    EXPECT_EQ(tags.GetGenre(), "-") << name;
    EXPECT_EQ(tags.isV2Tag(), 0) << name;
    tags.Reset();
  }
  tags.Link(FixturePath("not_mpeg.mp3"));
  EXPECT_FALSE(tags.GetHeaderInfo());
  EXPECT_EQ(tags.GetFileSize(), 55);
  tags.Reset();
  tags.Link(FixturePath("missing.mp3"));
  EXPECT_EQ(tags.GetTitle(), "-");
  EXPECT_EQ(tags.GetFileSize(), 0);
}

TEST(TagsRead, MemoryAndDiskLinkingGiveTheSameCells) {
  for (const char* name : kAllFixtures) {
    CMyMP3Tags fast, slow;
    fast.Link(FixturePath(name));
    slow.LinkFromDisk(FixturePath(name));
    EXPECT_EQ(Row(fast), Row(slow)) << name;
  }
}

TEST(TagsRead, ReadingLeavesTheFileUntouched) {
  test::TempDir dir;
  for (const char* name : kAllFixtures) {
    if (std::string(name) == "missing.mp3") continue;
    const CString path = dir.CopyFixture(name);
    const std::string before = test::ReadFile(path);
    CMyMP3Tags tags;
    tags.Link(path);
    Row(tags);
    tags.Reset();
    EXPECT_TRUE(test::ReadFile(path) == before) << name;
  }
}

}  // namespace
