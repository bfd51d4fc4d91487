// Files as they turn up in collections: compressed (id3lib crashes on any)
// and encrypted frames, several frames of one field, ID3v2.4 sizes written
// as plain numbers, footers, other kinds of file under an .mp3 name, and
// short clips from other encoders. What the object shows, what a save keeps (walked here
// byte for byte, not by the library), and what other readers then see.
#include "TagsTestSupport.h"

#include <tags/MyMP3Tags.h>

#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using test::FixturePath;
using test::Mutagen;

// The identifiers of the frames TagLib (as players use it) finds in a file.
std::vector<std::string> TagLibFrames(const CString& path) {
  TagLib::MPEG::File file(path.Str().c_str());
  std::vector<std::string> ids;
  if (TagLib::ID3v2::Tag* tag = file.ID3v2Tag())
    for (const TagLib::ID3v2::Frame* frame : tag->frameList())
      ids.emplace_back(frame->frameID().data(), frame->frameID().size());
  return ids;
}

// What the object shows of files of every kind, and whether it may write
// them: refused ones name why.
TEST(TagsWild, EveryKindIsShownAndOnlyMpegAudioIsWritable) {
  struct Case {
    const char* file;
    std::vector<std::pair<test::Cell, std::string>> cells;
    const char* refusal;  // nullptr: writable
  };
  using enum test::Cell;
  const Case cases[] = {
      {"v23_compressed.mp3",
       {{kArtist, "Compressed Artist"}, {kComment, "Compressed comment"}, {kTitle, "Plain Title"}, {kV2, "1"}}, nullptr},
      {"v23_compressed_long.mp3", {{kArtist, "Plain Artist"}, {kBand, "B"}}, nullptr},
      {"v23_compressed_lengths.mp3",
       {{kArtist, "x"}, {kAlbum, "xx"}, {kComposer, std::string(17, 'x')}, {kCopyright, std::string(127, 'x')},
        {kEncodedBy, std::string(128, 'x')}, {kBand, std::string(1000, 'x')}}, nullptr},
      {"v23_encrypted.mp3", {{kArtist, "Open Artist"}, {kTitle, "Title Beside Secrets"}}, nullptr},
      {"v24_compressed.mp3", {{kArtist, "Compressed Four"}, {kTitle, "Plain Four"}}, nullptr},
      {"compressed_frame.mp3", {{kTitle, "-"}, {kHeader, "1"}}, "damaged"},
      {"v23_two_artists.mp3", {{kArtist, "piman"}}, nullptr},
      {"v23_duplicates.mp3", {{kTitle, "Erster Titel ♫"}, {kComment, "First plain"}, {kURL, "http://first.example/"}}, nullptr},
      {"v23_comments_langs.mp3", {{kComment, "English comment"}}, nullptr},
      {"v24_plain_sizes.mp3", {{kTitle, "Plain Sizes"}, {kAlbum, "Plain Album"}, {kTrack, "2/9"}, {kGenre, "Pop"}}, nullptr},
      {"v24_itunes.mp3", {{kArtist, "iTunes Ärtist"}, {kAlbum, "iTunes Album"}}, nullptr},
      // Both readings walk it; the standard one is taken.
      {"v24_sizes_ambiguous.mp3", {{kTitle, "Ambiguous"}}, nullptr},
      {"v24_sizes_broken.mp3", {{kTitle, "-"}, {kV2, "0"}}, "damaged"},
      {"v24_footer_v1.mp3", {{kTitle, "Footer Title"}, {kAlbum, "Footer Album"}, {kV1, "1"}}, nullptr},
      {"mpeg_junk_start.mp3", {{kTitle, "Junk First"}, {kBitRate, "128 kbit/s"}, {kDuration, "1"}}, nullptr},
      {"mpeg_ape_start.mp3", {{kBitRate, "128 kbit/s"}}, nullptr},
      {"mpeg_freeformat.mp3", {{kLayer, "III"}, {kDuration, "1"}}, nullptr},
      {"mpeg_layer2.mp3", {{kLayer, "II"}, {kBitRate, "64 kbit/s"}, {kChannel, "Single Channel"}}, nullptr},
      {"mpeg_ffmpeg_cbr.mp3", {{kBitRate, "32 kbit/s"}, {kDuration, "3"}, {kMpegVer, "2.0"}}, nullptr},
      {"mpeg_ffmpeg_vbr.mp3", {{kDuration, "2"}, {kMpegVer, "1.0"}}, nullptr},
      {"notmpeg_ogg.mp3", {{kHeader, "0"}}, "not MPEG audio (it looks like an Ogg Vorbis file)"},
      {"notmpeg_opus.mp3", {}, "(it looks like an Ogg Opus file)"},
      {"notmpeg_flac.mp3", {}, "(it looks like a FLAC file)"},
      {"notmpeg_flac_id3.mp3", {{kTitle, "Tagged in front"}}, "(it looks like a FLAC file)"},
      {"notmpeg_m4a.mp3", {}, "(it looks like an MP4 (M4A) file)"},
      {"notmpeg_m4a_id3.mp3", {{kTitle, "Tagged in front"}}, "(it looks like an MP4 (M4A) file)"},
      {"notmpeg_mka.mp3", {}, "(it looks like a Matroska file)"},
      {"notmpeg_webm.mp3", {}, "(it looks like a WebM file)"},
      {"notmpeg_wv.mp3", {}, "(it looks like a WavPack file)"},
      {"notmpeg_adts.mp3", {}, "(it looks like an ADTS AAC file)"},
      {"notmpeg_ape.mp3", {}, "(it looks like a Monkey's Audio (APE) file)"},
      {"notmpeg_mpc.mp3", {}, "(it looks like a Musepack file)"},
      {"notmpeg_mpc7.mp3", {}, "(it looks like a Musepack file)"},
      {"notmpeg_wav.mp3", {{kHeader, "0"}}, "(it looks like a RIFF/WAVE file)"},
      {"notmpeg_zip.mp3", {}, "(it looks like a ZIP archive)"},
      {"notmpeg_elf.mp3", {}, "(it looks like an ELF program)"},
      {"notmpeg_exe.mp3", {}, "(it looks like a Windows program)"},
      {"not_mpeg.mp3", {}, "The file is not MPEG audio"},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const CString path = dir.CopyFixture(c.file);
    const std::string before = test::ReadFile(path);
    CMyMP3Tags tags;
    tags.Link(path);
    const std::vector<std::string> row = test::Row(tags);
    for (const auto& [cell, text] : c.cells) EXPECT_EQ(row[cell], text) << "cell " << cell;
    EXPECT_EQ(tags.IsWritable(), c.refusal == nullptr);
    tags.SetAlbum("Refused or written");
    if (c.refusal) {
      EXPECT_NE(tags.GetLastWriteError().Find(c.refusal), -1) << tags.GetLastWriteError().Str();
      tags.Reset();
      EXPECT_TRUE(test::ReadFile(path) == before) << "a refused file is never written";
    } else {
      EXPECT_EQ(tags.GetLastWriteError(), "");
    }
  }
}

// None of the program's fixtures that are MPEG audio, and none that lame
// makes (1 to 10 seconds; CBR, VBR and ABR; mono and stereo; MPEG-1, 2 and
// 2.5; with a Xing or Info frame or none), is refused; each lasts as long
// as mutagen says, the short clips of constant bit rate included.
TEST(TagsWild, RealMpegIsNeverRefusedAndLastsAsMutagenSays) {
  test::TempDir dir;
  std::vector<CString> files;
  for (const char* name : {"cbr_v23_latin1.mp3", "cbr_v23_utf16_v1.mp3", "v1_only.mp3", "v24_full.mp3", "v22_full.mp3",
                           "lyrics3_v1.mp3", "v24_ape.mp3", "vbr_mpeg1_stereo.mp3", "vbr_mpeg2_mono.mp3",
                           "vbr_mpeg25_mono.mp3", "cbr_mpeg2_mono.mp3", "untagged.mp3", "itunes_order.mp3",
                           "mpeg_ffmpeg_cbr.mp3", "mpeg_ffmpeg_vbr.mp3", "mpeg_layer2.mp3"})
    files.push_back(FixturePath(name));
  const struct {
    int rate, channels, seconds;
    const char* options;
  } clips[] = {{44100, 2, 2, "-b 128"},         {44100, 1, 3, "-b 64 -t"},   {48000, 2, 5, "-b 320"},
               {32000, 2, 4, "--abr 96"},       {22050, 1, 2, "-b 32"},      {24000, 2, 3, "-V 5"},
               {16000, 1, 10, "-b 24"},         {11025, 1, 4, "-b 16"},      {8000, 1, 3, "-V 9"},
               {12000, 2, 1, "--abr 32"},       {44100, 2, 7, "-V 0"},       {22050, 2, 6, "-b 48 --nohist"}};
  for (const auto& clip : clips) {
    const CString pcm = dir.File("tone.pcm");
    std::string samples;
    for (int i = 0; i < clip.rate * clip.seconds; ++i) {
      const auto v = static_cast<short>(6000 * ((i / 40) % 2 ? 1 : -1) * ((i % 40) / 40.0 + 0.5));
      for (int c = 0; c < clip.channels; ++c) samples.append(reinterpret_cast<const char*>(&v), 2);
    }
    test::WriteFile(pcm, samples);
    files.push_back(dir.File(CString::Formatted("clip_%d_%d_%d.mp3", clip.rate, clip.channels, clip.seconds)));
    int rc = 0;
    test::RunCommand(CString::Formatted("lame --quiet -r -s %g --bitwidth 16 --signed --little-endian -m %c %s '%s' '%s'",
                                        clip.rate / 1000.0, clip.channels == 1 ? 'm' : 'j', clip.options,
                                        pcm.Str().c_str(), files.back().Str().c_str())
                         .Str(),
                     &rc);
    ASSERT_EQ(rc, 0) << files.back().Str();
  }
  CMyMP3Tags tags;
  for (const CString& path : files) {
    SCOPED_TRACE(path.Str());
    tags.Link(path);
    EXPECT_TRUE(tags.IsWritable()) << tags.GetLastWriteError().Str();
    ASSERT_TRUE(tags.GetHeaderInfo());
    int seconds = 0, kbits = 0, rate = 0;
    std::sscanf(Mutagen(path, "info").c_str(), "%d %d %d", &seconds, &kbits, &rate);
    EXPECT_EQ(tags.GetDuration(), CString::Formatted("%d", seconds));
    EXPECT_EQ(tags.GetSampleRate(), CString::Formatted("%d", rate));
    EXPECT_NEAR(std::atoi(tags.GetBitRate()), kbits, 1) << tags.GetBitRate().Str();
    tags.Reset();
  }
}

// A save of one field: every other frame of the old tag is still there byte
// for byte (walked here, not by the library), the field's own frame (the
// first of its identifier; of comments and links the first plain one) holds
// the new value in its place, and mutagen, TagLib and a fresh link agree.
TEST(TagsWild, ASaveReplacesTheFieldsOwnFrameAndKeepsEveryOther) {
  struct Case {
    const char* file;
    void (CMyMP3Tags::*set)(CString);
    const char* id;      // the field's frame identifier
    const char* stored;  // mutagen's "stored" view of the field after the save
  };
  const Case cases[] = {
      // Compressed frames stay compressed when another field is saved; the
      // edited compressed field becomes a plain frame.
      {"v23_compressed.mp3", &CMyMP3Tags::SetAlbum, "TALB", "TALB=TALB(encoding=<Encoding.LATIN1: 0>, text=['Saved'])"},
      {"v23_compressed.mp3", &CMyMP3Tags::SetArtist, "TPE1", "TPE1=TPE1(encoding=<Encoding.LATIN1: 0>, text=['Saved'])"},
      {"v23_compressed.mp3", &CMyMP3Tags::SetComment, "COMM", "text=['Saved']"},
      {"v23_compressed_long.mp3", &CMyMP3Tags::SetTitle, "TIT2", "TIT2=TIT2(encoding=<Encoding.LATIN1: 0>, text=['Saved'])"},
      {"v23_compressed_lengths.mp3", &CMyMP3Tags::SetTitle, "TIT2", "TPE2=TPE2(encoding=<Encoding.LATIN1: 0>, text=['xxxx"},
      {"v23_encrypted.mp3", &CMyMP3Tags::SetArtist, "TPE1", "TPE1=TPE1(encoding=<Encoding.LATIN1: 0>, text=['Saved'])"},
      {"v24_compressed.mp3", &CMyMP3Tags::SetTitle, "TIT2", "TPE1=TPE1(encoding=<Encoding.UTF8: 3>, text=['Compressed Four'])"},
      // The first of two frames is the field's; the second stays after it.
      {"v23_two_artists.mp3", &CMyMP3Tags::SetArtist, "TPE1", "text=['Saved', 'jzig']"},
      {"v23_duplicates.mp3", &CMyMP3Tags::SetTitle, "TIT2", "text=['Saved', 'Second Title']"},
      {"v23_duplicates.mp3", &CMyMP3Tags::SetComment, "COMM", "desc='', text=['Saved', 'Second plain']"},
      // (mutagen shows only the last of two plain links.)
      {"v23_duplicates.mp3", &CMyMP3Tags::SetURL, "WXXX", "url='http://second.example/'"},
      {"v23_comments_langs.mp3", &CMyMP3Tags::SetComment, "COMM", "COMM::eng=COMM(encoding=<Encoding.LATIN1: 0>, lang='eng', desc='', text=['Saved'])"},
      {"v24_plain_sizes.mp3", &CMyMP3Tags::SetArtist, "TPE1", "TPE1=TPE1(encoding=<Encoding.LATIN1: 0>, text=['Saved'])"},
      {"v24_plain_sizes.mp3", &CMyMP3Tags::SetTitle, "TIT2", "TIT2=TIT2(encoding=<Encoding.LATIN1: 0>, text=['Saved'])"},
      {"v24_itunes.mp3", &CMyMP3Tags::SetAlbum, "TALB", "TALB=TALB(encoding=<Encoding.LATIN1: 0>, text=['Saved'])"},
      // A footer is not written again; every reader sees every frame.
      {"v24_footer.mp3", &CMyMP3Tags::SetArtist, "TPE1", "TPE1=TPE1(encoding=<Encoding.LATIN1: 0>, text=['Saved'])"},
      {"v24_footer_v1.mp3", &CMyMP3Tags::SetTitle, "TIT2", "TIT2=TIT2(encoding=<Encoding.LATIN1: 0>, text=['Saved'])"},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + c.id);
    const CString path = dir.CopyFixture(c.file, "saved.mp3");
    const std::string before = test::ReadFile(path);
    {
      CMyMP3Tags tags;
      tags.Link(path);
      (tags.*c.set)("Saved");
      ASSERT_EQ(tags.GetLastWriteError(), "");
    }
    const std::string after = test::ReadFile(path);
    std::vector<std::string> now = test::TagFrames(after);
    ASSERT_FALSE(now.empty());
    // Each old frame is found once in the new tag; at most one of the
    // field's identifier is gone, the one the new frame replaced.
    int replaced = 0;
    for (const std::string& frame : test::TagFrames(before)) {
      const auto found = std::find(now.begin(), now.end(), frame);
      if (found != now.end()) {
        now.erase(found);
      } else {
        EXPECT_EQ(frame.substr(0, 4), c.id);
        ++replaced;
      }
    }
    EXPECT_LE(replaced, 1);
    ASSERT_EQ(now.size(), 1u) << "one new frame";
    EXPECT_EQ(now[0].substr(0, 4), c.id);
    EXPECT_EQ(static_cast<unsigned char>(now[0][5]) & 0xC0, 0) << "written plain, not compressed or encrypted";
    EXPECT_NE(Mutagen(path, "stored").find(c.stored), std::string::npos) << Mutagen(path, "stored");
    EXPECT_EQ(TagLibFrames(path).size(), test::TagFrames(after).size()) << "TagLib sees every frame";
    if (before[3] == 4) {
      EXPECT_EQ(after[5] & 0x10, 0) << "no footer";
    }
    EXPECT_TRUE(test::Audio(after) == test::Audio(before));
    const auto field = std::find_if(std::begin(test::kFields), std::end(test::kFields),
                                    [&](const test::Field& f) { return f.set == c.set; });
    CMyMP3Tags fresh;
    fresh.Link(path);
    EXPECT_EQ((fresh.*field->get)(), "Saved");
  }
}

}  // namespace
