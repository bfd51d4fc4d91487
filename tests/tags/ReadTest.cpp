// Reading: text frames as UTF-8, tag types, header facts and genre, on real
// files made by other tools.
#include "TagsTestSupport.h"

#include <tags/MyMP3Tags.h>
#include "TagFileImpl.h"  // reading through id3lib's own file access, for comparison

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

// Cells of files by other tools, read one after another by one object with
// a Reset between them: text frames arrive as UTF-8, markers where nothing
// is stored, the tag types and header facts as the file has them.
TEST(TagsRead, CellsOfEveryKindOfFile) {
  using enum test::Cell;
  using C = std::vector<std::pair<test::Cell, std::string>>;
  const std::pair<const char*, C> cases[] = {
      {nullptr,  // unlinked
       {{kArtist, "-"}, {kGenre, "-"}, {kFileSize, "-1"}, {kV1, "-1"}, {kV2, "-1"}, {kLyrics, "-1"}, {kHeader, "0"},
        {kBitRate, "-"}, {kTagVersion, "-"}, {kCover, "-"}}},
      // A link with a description is another program's; an ID3v2 genre is shown as stored.
      {"cbr_v23_latin1.mp3",
       {{kTagVersion, "ID3v2.3"}, {kTitle, "Café del Mar"}, {kAlbum, "Album Ünë"}, {kTrack, "3/12"}, {kURL, "-"}, {kGenre, "(17)"},
        {kBitRate, "128 kbit/s"}, {kLayer, "III"}, {kMpegVer, "1.0"}, {kChannel, "Joint Stereo"}}},
      // Header facts; "VBR" is mutagen's average, within the truncation of either side.
      {"vbr_mpeg1_stereo.mp3", {{kBitRate, "VBR"}, {kLayer, "III"}, {kMpegVer, "1.0"}, {kChannel, "Joint Stereo"}}},
      {"vbr_mpeg2_mono.mp3", {{kBitRate, "VBR"}, {kLayer, "III"}, {kMpegVer, "2.0"}, {kChannel, "Single Channel"}}},
      {"vbr_mpeg25_mono.mp3", {{kBitRate, "VBR"}, {kLayer, "III"}, {kMpegVer, "2.5"}, {kChannel, "Single Channel"}}},
      {"cbr_mpeg2_mono.mp3",
       {{kBitRate, "64 kbit/s"}, {kLayer, "III"}, {kMpegVer, "2.0"}, {kChannel, "Single Channel"}}},
      // With an ID3v1 tag beside the UTF-16 ID3v2 tag, the title must not be
      // merged through 7-bit text.
      {"cbr_v23_utf16.mp3", {{kTitle, "Björk – Jóga ♫"}}},
      {"cbr_v23_utf16_v1.mp3",
       {{kTitle, "Björk – Jóga ♫"}, {kV1, "1"}, {kV2, "1"}, {kArtist, "Ånnä Ümlaut"}, {kTagVersion, "ID3v2.3 + ID3v1"}}},
      {"v24_v1.mp3", {{kTagVersion, "ID3v2.4 + ID3v1"}}},
      {"v24.mp3", {{kTagVersion, "ID3v2.4"}}},
      {"v22.mp3", {{kTagVersion, "ID3v2.2"}}},
      // The front cover: the first picture of type 3, else the first; none
      // when a picture before it cannot be read.
      {"covers_v23.mp3", {{kCover, "image/jpeg JPEG 64x48 241"}}},
      {"covers_v24.mp3", {{kCover, "image/jpeg JPEG 64x48 241"}}},
      {"covers_v22.mp3", {{kCover, "image/jpeg JPEG 64x48 241"}}},
      {"cover_other_only.mp3", {{kCover, "image/png PNG 16x16 100"}}},
      {"v23_compressed.mp3", {{kCover, "image/png PNG 0x0 308"}}},
      {"v24_unreadable_first.mp3", {{kCover, "-"}}},
      // An empty frame is empty text, not the marker.
      {"two_comments.mp3", {{kComment, "-"}, {kURL, "-"}, {kTitle, ""}, {kArtist, "-"}}},
      // ID3v1 genres through the table.
      {"v1_only.mp3",
       {{kV2, "0"}, {kGenre, "Rock"}, {kTitle, "V1 Title"}, {kTrack, "7"}, {kComment, "v1 comment"}, {kTagVersion, "ID3v1"}}},
      {"v1_genre141.mp3", {{kV2, "0"}, {kGenre, "Christian Rock "}}},
      {"v1_genre200.mp3", {{kV2, "0"}, {kGenre, "(200)"}}},
      // A frame compressed over bad data crashes id3lib: the tag is skipped,
      // the audio after it still read.
      {"compressed_frame.mp3",
       {{kTitle, "-"}, {kV2, "0"}, {kHeader, "1"}, {kBitRate, "128 kbit/s"}, {kTagVersion, "ID3v2.3 (damaged)"}}},
      {"empty.mp3", {{kArtist, "-"}, {kGenre, "-"}, {kV2, "0"}}},
      {"not_mpeg.mp3", {{kArtist, "-"}, {kGenre, "-"}, {kV2, "0"}, {kHeader, "0"}, {kFileSize, "55"}}},
      {"untagged.mp3", {{kArtist, "-"}, {kGenre, "-"}, {kV2, "0"}, {kTagVersion, "none"}}},
      {"missing.mp3", {{kTitle, "-"}, {kFileSize, "0"}}},
  };
  CMyMP3Tags tags;
  for (const auto& [name, cells] : cases) {
    SCOPED_TRACE(name ? name : "unlinked");
    if (name) tags.Link(FixturePath(name));
    const std::vector<std::string> row = Row(tags);
    bool vbr = false;
    for (const auto& [cell, text] : cells) {
      vbr = vbr || text == "VBR";
      if (text != "VBR") {
        EXPECT_EQ(row[cell], text) << "cell " << cell;
      }
    }
    if (row[kHeader] == "1") {  // duration and sample rate as an independent reader has them
      int seconds = 0, kbits = 0, rate = 0;
      std::sscanf(test::Mutagen(FixturePath(name), "info").c_str(), "%d %d %d", &seconds, &kbits, &rate);
      EXPECT_EQ(row[kDuration], std::to_string(seconds));
      EXPECT_EQ(row[kSampleRate], std::to_string(rate));
      if (vbr) {
        EXPECT_NEAR(std::atoi(row[kBitRate].c_str()), kbits, 1) << row[kBitRate];
        EXPECT_NE(row[kBitRate].find("(VBR)"), std::string::npos);
      }
    }
    if (name && std::string(name).rfind("cbr_v23_utf16", 0) == 0) {
      EXPECT_EQ(row[kTitle], test::Mutagen(FixturePath(name), "TIT2"));
    }
    if (name && std::string(name) == "compressed_frame.mp3") {
      EXPECT_FALSE(tags.IsWritable());
    }
    tags.Reset();
  }
  tags.Link(FixturePath("cbr_v23_latin1.mp3"));
  EXPECT_EQ(tags.GetBitRate(), "-") << "header getters wait for GetHeaderInfo";
  // A second link without a Reset keeps the first file.
  tags.Link(FixturePath("v1_only.mp3"));
  EXPECT_EQ(tags.GetTitle(), "Café del Mar");
  tags.Reset();
  EXPECT_EQ(tags.GetTitle(), "-");
}

TEST(TagsRead, ConvDurationFormats) {
  const std::pair<const char*, const char*> cases[] = {{"-", " 0: 0:0.0"},        {"59", " 0: 0:59.0"},
                                                       {"60", " 0: 1:0.0"},       {"3599", " 0:59:59.0"},
                                                       {"36000", "10: 0:0.0"},    {"-5", " 0: 0:0.0"}};
  CMyMP3Tags tags;
  for (auto [seconds, shown] : cases) EXPECT_EQ(tags.ConvDuration(seconds), shown) << seconds;
}

// Linking from memory or from disk gives the same cells, and reading
// leaves the file as it was.
TEST(TagsRead, MemoryAndDiskLinkingGiveTheSameCellsAndWriteNothing) {
  test::TempDir dir;
  for (const char* name : kAllFixtures) {
    const bool missing = std::string(name) == "missing.mp3";
    const CString path = missing ? FixturePath(name) : dir.CopyFixture(name);
    const std::string before = test::ReadFile(path);
    CMyMP3Tags fast, slow;
    fast.Link(path);
    slow.Link(CTagFile::Impl::ReadThroughId3lib(path));
    EXPECT_EQ(Row(fast), Row(slow)) << name;
    fast.Reset();
    slow.Reset();
    if (!missing) {
      EXPECT_TRUE(test::ReadFile(path) == before) << name;
    }
  }
}

}  // namespace
