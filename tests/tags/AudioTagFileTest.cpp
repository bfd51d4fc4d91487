// FLAC, Ogg Vorbis, Opus and MP4 files as values: read as another program
// wrote them, one field edited and saved with every other key, picture,
// the vendor string and the audio kept (seen through mutagen and ffmpeg),
// put back byte for byte by the save's record; damaged files refused.
#include "TagsTestSupport.h"

#include "AudioLayout.h"
#include "ByteOrder.h"
#include "XiphWriter.h"

#include <tags/AudioTagFile.h>
#include <tags/MyMP3Tags.h>

#include <gtest/gtest.h>
#include <taglib/fileref.h>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>

#include <sys/stat.h>

#include <cstdio>
#include <functional>
#include <cstdlib>
#include <random>
#include <sstream>
#include <tuple>

#include <signal.h>
#include <sys/xattr.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string View(const CString& path, const char* view) {
  return test::RunCommand("/usr/bin/python3 " QUILLORY_SOURCE_DIR "/tests/tags/mutagen_audio.py '" + path.Str() +
                          "' " + view);
}

// ffmpeg's digest of the audio packets, and whether the file decodes without an error.
std::string AudioMd5(const CString& path) {
  return test::RunCommand("ffmpeg -v error -i '" + path.Str() + "' -map 0:a -c copy -f md5 - 2>&1");
}
std::string DecodeErrors(const CString& path) {
  return test::RunCommand("ffmpeg -v error -i '" + path.Str() + "' -map 0:a -f null - 2>&1");
}

struct Kind {
  const char* file;
  AudioFormat format;
  const char* codec;
  int sampleRate;
  const char* titleKey;  // as mutagen_audio.py lists it
  const char* artistKey;
};
const Kind kKinds[] = {
    {"tagged.flac", AudioFormat::Flac, "FLAC", 22050, "TITLE", "ARTIST"},
    {"tagged_vorbis.ogg", AudioFormat::OggVorbis, "Vorbis", 22050, "TITLE", "ARTIST"},
    {"tagged.opus", AudioFormat::OggOpus, "Opus", 48000, "TITLE", "ARTIST"},
    {"opus_in.ogg", AudioFormat::OggOpus, "Opus", 48000, "TITLE", "ARTIST"},
    {"tagged_moov_end.m4a", AudioFormat::Mp4, "AAC", 22050, "\xC2\xA9nam", "\xC2\xA9" "ART"},
    {"tagged_moov_start.m4a", AudioFormat::Mp4, "AAC", 22050, "\xC2\xA9nam", "\xC2\xA9" "ART"},
    {"tagged_alac.m4a", AudioFormat::Mp4, "ALAC", 22050, "\xC2\xA9nam", "\xC2\xA9" "ART"},
};

class AudioTagFileTest : public ::testing::TestWithParam<Kind> {
 protected:
  test::TempDir dir;
};

TEST_P(AudioTagFileTest, ReadsFieldsFactsAndFrontCover) {
  const Kind& k = GetParam();
  CString reason = "unset";
  const auto file = CAudioTagFile::Read(test::FixturePath(k.file), &reason);
  EXPECT_EQ(reason, "");
  EXPECT_EQ(file->Format(), k.format);
  EXPECT_EQ(file->TagKind(), k.format == AudioFormat::Mp4 ? "MP4 ilst" : "Vorbis comment");
  CStreamFacts facts;
  ASSERT_TRUE(file->GetStreamFacts(&facts));
  EXPECT_EQ(facts.strCodec, k.codec);
  EXPECT_EQ(facts.nSampleRate, k.sampleRate);
  EXPECT_EQ(facts.nChannels, 2);
  EXPECT_NEAR(facts.nMilliseconds, 1000, 60);
  // The length and bit rate are TagLib's, as other programs built on it show
  // them (FLAC and Ogg are read from their own headers, not through TagLib).
  std::vector<CString> copies = {test::FixturePath(k.file)};
  if (k.format == AudioFormat::Flac) {  // its audio ends where an ID3v1 block starts
    copies.push_back(dir.CopyFixture(k.file));
    std::FILE* f = std::fopen(copies.back(), "ab");
    ASSERT_TRUE(f);
    std::fputs(("TAG" + std::string(125, 'x')).c_str(), f);
    std::fclose(f);
  }
  for (const CString& path : copies) {
    const auto read = CAudioTagFile::Read(path, nullptr);
    ASSERT_TRUE(read->GetStreamFacts(&facts));
    const TagLib::FileRef ref(path.Str().c_str(), true, TagLib::AudioProperties::Average);
    ASSERT_TRUE(ref.audioProperties()) << path;
    EXPECT_EQ(facts.nMilliseconds, ref.audioProperties()->lengthInMilliseconds()) << path;
    EXPECT_EQ(facts.nSeconds, ref.audioProperties()->lengthInSeconds()) << path;
    EXPECT_EQ(facts.nBitRate, ref.audioProperties()->bitrate() * 1000) << path;
    EXPECT_EQ(facts.nChannels, ref.audioProperties()->channels()) << path;
  }
  EXPECT_EQ(file->Get(TagField::Artist), "First Artist; Second Artist");
  EXPECT_EQ(file->Get(TagField::Title), "Title ♫");
  EXPECT_EQ(file->Get(TagField::Album), "Album Ä");
  EXPECT_EQ(file->Get(TagField::Track), "3/12");
  EXPECT_EQ(file->Get(TagField::Year), "2001");
  EXPECT_EQ(file->Get(TagField::Genre), "Rock");
  EXPECT_EQ(file->Get(TagField::Conductor), "-");
  CCoverArt cover;
  ASSERT_TRUE(file->GetFrontCover(&cover));
  EXPECT_EQ(cover.strData, test::ReadFile(test::FixturePath("cover_front.jpg")));
  EXPECT_EQ(cover.strFormat, "JPEG");
  EXPECT_EQ(cover.nPictures, 2);
  EXPECT_FALSE(file->IsChanged());
}

// One field edited: mutagen sees that key change and nothing else; the
// audio packets and the pictures stay; the record puts the file back byte
// for byte, and a second undo finds nothing to do.
TEST_P(AudioTagFileTest, SavesOneFieldAndUndoesTheSaveByteForByte) {
  const Kind& k = GetParam();
  const CString path = dir.CopyFixture(k.file);
  const std::string original = test::ReadFile(path);
  const std::string tags = View(path, "tags"), pictures = View(path, "pictures"), md5 = AudioMd5(path);
  auto file = CAudioTagFile::Read(path);
  EXPECT_EQ(file->Set(TagField::Title, "New Title"), "");
  EXPECT_TRUE(file->IsChanged());
  CString reason;
  const std::vector<unsigned char> record = file->SaveRecord(&reason);
  ASSERT_FALSE(record.empty()) << reason;
  EXPECT_TRUE(IsAudioSaveRecord(record));
  EXPECT_NE(file->Set(TagField::Album, "late"), "");  // sealed by the record
  ASSERT_TRUE(file->Save(&reason)) << reason;
  EXPECT_EQ(file->Get(TagField::Title), "New Title");
  EXPECT_FALSE(file->IsChanged());
  EXPECT_EQ(CAudioTagFile::Read(path)->Get(TagField::Title), "New Title");
  EXPECT_EQ(file->Identity(), CAudioTagFile::Read(path)->Identity());  // known without reading the file again

  const std::string titleLine = std::string(k.titleKey) + "=";
  EXPECT_EQ(test::Without(View(path, "tags"), {titleLine}), test::Without(tags, {titleLine}));
  EXPECT_NE(View(path, "tags").find(titleLine + "['New Title']"), std::string::npos);
  EXPECT_EQ(View(path, "pictures"), pictures);
  if (k.format == AudioFormat::Mp4) {
    // The items keep their order (TagLib alone would sort them: trkn first).
    const std::string bytes = test::ReadFile(path);
    EXPECT_LT(bytes.find("\xA9" "ART"), bytes.find("trkn"));
    EXPECT_LT(bytes.find("\xA9" "nam"), bytes.find("\xA9" "ART"));
  } else {
    // A key as another program spelled it, and the vendor, stay as they were.
    EXPECT_NE(test::ReadFile(path).find("unknown_lower=kept as written"), std::string::npos);
    EXPECT_EQ(View(path, "vendor"), View(test::FixturePath(k.file), "vendor"));
  }
  EXPECT_EQ(AudioMd5(path), md5);
  EXPECT_EQ(DecodeErrors(path), "");

  CMyMP3Tags journalTags;  // the journal's undo goes through the MP3 object's restore
  EXPECT_EQ(journalTags.RestoreSave(path, record), CRestoreResult::Restored) << journalTags.GetLastWriteError();
  EXPECT_TRUE(test::ReadFile(path) == original);
  EXPECT_EQ(RestoreAudioSave(path, record, &reason), CRestoreResult::AlreadyRestored);
}

// "a; b" is several values of the key; a track "5/9" its number and total.
TEST_P(AudioTagFileTest, WritesSeveralValuesAndTrackTotals) {
  const Kind& k = GetParam();
  const CString path = dir.CopyFixture(k.file);
  auto file = CAudioTagFile::Read(path);
  EXPECT_EQ(file->Set(TagField::Artist, "X; Y; Z"), "");
  EXPECT_EQ(file->Set(TagField::Track, "5/9"), "");
  EXPECT_EQ(file->Set(TagField::Conductor, "Maestro"), "");
  CString reason;
  ASSERT_TRUE(file->Save(&reason)) << reason;
  const std::string view = View(path, "tags");
  EXPECT_NE(view.find(std::string(k.artistKey) + "=['X', 'Y', 'Z']"), std::string::npos) << view;
  if (k.format == AudioFormat::Mp4) {
    EXPECT_NE(view.find("trkn=[(5, 9)]"), std::string::npos) << view;
    EXPECT_NE(view.find("----:com.apple.iTunes:CONDUCTOR=[b'Maestro']"), std::string::npos) << view;
  } else {
    EXPECT_NE(view.find("TRACKNUMBER=['5']\nTRACKTOTAL=['9']"), std::string::npos) << view;
    EXPECT_NE(view.find("CONDUCTOR=['Maestro']"), std::string::npos) << view;
  }
  const auto again = CAudioTagFile::Read(path);
  EXPECT_EQ(again->Get(TagField::Artist), "X; Y; Z");
  EXPECT_EQ(again->Get(TagField::Track), "5/9");
}

// The disc as a number and total (Picard's DISCTOTAL, MP4's pair), the
// lyrics as one text whatever "; " and line breaks it holds; a disc MP4
// cannot hold is refused with the rule.
TEST_P(AudioTagFileTest, WritesDiscAndLyrics) {
  const Kind& k = GetParam();
  const CString path = dir.CopyFixture(k.file);
  const CString lyrics = "First line; still the first\nSecond ♫";
  auto file = CAudioTagFile::Read(path);
  if (k.format == AudioFormat::Mp4) {
    for (const char* bad : {"1/x", "A", "1; 2", "70000"}) EXPECT_NE(file->Set(TagField::Disc, bad).Find("MP4 disc"), -1) << bad;
  }
  EXPECT_EQ(file->Set(TagField::Disc, "1/2"), "");
  EXPECT_EQ(file->Set(TagField::Lyrics, lyrics), "");
  CString reason;
  ASSERT_TRUE(file->Save(&reason)) << reason;
  const std::string view = View(path, "tags");
  if (k.format == AudioFormat::Mp4) {
    EXPECT_NE(view.find("disk=[(1, 2)]"), std::string::npos) << view;
    EXPECT_NE(view.find("\xC2\xA9lyr=['First line; still the first\\nSecond ♫']"), std::string::npos) << view;
  } else {
    EXPECT_NE(view.find("DISCNUMBER=['1']\nDISCTOTAL=['2']"), std::string::npos) << view;
    EXPECT_NE(view.find("LYRICS=['First line; still the first\\nSecond ♫']"), std::string::npos) << view;
  }
  const auto again = CAudioTagFile::Read(path);
  EXPECT_EQ(again->Get(TagField::Disc), "1/2");
  EXPECT_EQ(again->Get(TagField::Lyrics), lyrics);
}

// The front cover is replaced in its place and removed; the other picture stays.
TEST_P(AudioTagFileTest, ReplacesAndRemovesTheFrontCoverKeepingTheOther) {
  const Kind& k = GetParam();
  const CString path = dir.CopyFixture(k.file);
  // Large enough to take more Ogg header pages (the audio pages are then
  // renumbered) and more than a FLAC file's padding.
  const CString big = dir.File("big.png");
  test::RunCommand("ffmpeg -v error -f lavfi -i 'nullsrc=s=240x240,geq=random(1)*255:128:128' -frames:v 1 -y '" +
                   big.Str() + "'");
  const std::string other = test::ReadFile(big);
  ASSERT_GT(other.size(), 65536u);
  const std::string md5 = AudioMd5(path);
  auto file = CAudioTagFile::Read(path);
  EXPECT_EQ(file->SetFrontCover(other), "");
  CString reason;
  ASSERT_TRUE(file->Save(&reason)) << reason;
  // The old front (a4470296...) replaced in its place, the back (6eb54e73...) kept.
  std::string pictures = View(path, "pictures");
  EXPECT_EQ(test::Lines(pictures, ""), 2) << pictures;
  EXPECT_EQ(pictures.find("a4470296"), std::string::npos) << pictures;
  EXPECT_NE(pictures.find("6eb54e73", pictures.find('\n')), std::string::npos) << pictures;
  EXPECT_EQ(AudioMd5(path), md5);
  EXPECT_EQ(DecodeErrors(path), "");
  CCoverArt cover;
  file = CAudioTagFile::Read(path);
  ASSERT_TRUE(file->GetFrontCover(&cover));
  EXPECT_EQ(cover.strData, other);
  EXPECT_EQ(file->RemoveFrontCover(cover), "");
  ASSERT_TRUE(file->Save(&reason)) << reason;
  pictures = View(path, "pictures");
  EXPECT_EQ(test::Lines(pictures, ""), 1) << pictures;
  EXPECT_NE(pictures.find("6eb54e73"), std::string::npos) << pictures;
}

INSTANTIATE_TEST_SUITE_P(Formats, AudioTagFileTest, ::testing::ValuesIn(kKinds),
                         [](const auto& info) {
                           std::string name = info.param.file;
                           for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

// Damaged and foreign files: read with a reason naming what is wrong, all
// fields "-", never written.
// MP4 files are read without TagLib: each field and the covers must be what
// TagLib reads, for the fixture and for same-size byte variants that touch
// TagLib's rules (two items of one key, text stored as another type, a
// genre by its ID3 number).
TEST(AudioTagFileMp4, ReadsEveryItemAsTagLibReadsIt) {
  test::TempDir dir;
  const std::string bytes = test::ReadFile(test::FixturePath("tagged_moov_start.m4a"));
  const auto patched = [&](const std::string& from, const std::string& to) {
    std::string b = bytes;
    b.replace(b.find(from), to.size(), to);
    return b;
  };
  std::string otherType = bytes;
  otherType[bytes.find("data", bytes.find("\xA9" "alb")) + 7] = 2;  // the album as UTF-16, which is not read
  const struct {
    const char* name;
    std::string bytes;
    const char* key;  // the item the variant changes, and its value as TagLib reads it
    const char* value;
  } cases[] = {{"as written", bytes, "\xA9" "alb", "Album \xC3\x84"},
               {"two artist items", patched("\xA9" "alb", "\xA9" "ART"), "\xA9" "ART", "First Artist; Second Artist"},
               {"genre by number", patched("\xA9gen", std::string("gnre\0\0\0\x14" "data\0\0\0\0\0\0\0\0\0\x11\0\0", 24)),
                "\xA9gen", "Reggae"},
               {"album of another type", otherType, "\xA9" "alb", "-"}};
  const struct {
    TagField field;
    const char* key;
  } fields[] = {{TagField::Artist, "\xA9" "ART"}, {TagField::Album, "\xA9" "alb"}, {TagField::Title, "\xA9nam"},
                {TagField::Genre, "\xA9gen"},     {TagField::Year, "\xA9" "day"},  {TagField::Track, "trkn"}};
  for (const auto& c : cases) {
    const CString path = dir.File((std::string(c.name) + ".m4a").c_str());
    test::WriteFile(path, c.bytes);
    TagLib::MP4::File theirs(path.Str().c_str());
    ASSERT_TRUE(theirs.isValid()) << c.name;
    const TagLib::MP4::ItemMap& items = theirs.tag()->itemMap();
    const auto value = [&](const char* key) {
      const auto it = items.find(TagLib::String(key, TagLib::String::Latin1));
      if (it == items.end()) return std::string("-");
      const auto pair = it->second.toIntPair();
      std::string shown = std::to_string(pair.first);  // appended: GCC 12 at -O3 warns on "/" + std::string
      if (pair.second > 0) shown.append("/").append(std::to_string(pair.second));
      return std::string(key) == "trkn" ? shown : it->second.toStringList().toString("; ").to8Bit(true);
    };
    EXPECT_EQ(value(c.key), c.value) << c.name;  // the variant does what it is meant to
    const auto ours = CAudioTagFile::Read(path);
    for (const auto& f : fields) EXPECT_EQ(ours->Get(f.field).Str(), value(f.key)) << c.name << " " << f.key;
    CCoverArt cover;
    ASSERT_TRUE(ours->GetFrontCover(&cover)) << c.name;
    const TagLib::MP4::CoverArtList covers = items["covr"].toCoverArtList();
    EXPECT_EQ(cover.nPictures, static_cast<int>(covers.size())) << c.name;
    EXPECT_EQ(cover.strData, std::string(covers.front().data().data(), covers.front().data().size())) << c.name;
  }
}

// A FLAC picture body's parts, and the summary a picture entry of a file's
// Vorbis comment shows: lengths near 2^32 must not wrap past the end.
TEST(AudioTagFilePicture, ReadsThePartsThatLieInsideTheBody) {
  const auto be32 = [](std::size_t v) { std::string b; PutBe32(&b, v); return b; };
  const auto body = [&](std::uint32_t mime, std::uint32_t desc, std::uint32_t data) {
    return be32(3) + be32(mime) + "image/png" + be32(desc) + "d" + std::string(16, '\0') + be32(data) + "abc";
  };
  const struct {
    const char* name;
    std::string body;
    bool whole, exact;
    const char *parts, *summary;  // type|MIME|description|data
  } cases[] = {
      {"well-formed", body(9, 1, 3), true, true, "3|image/png|d|abc", "image/png, front cover, 3 bytes"},
      {"bytes after the data", body(9, 1, 2), true, false, "3|image/png|d|ab", "image/png, front cover, 2 bytes"},
      {"empty parts", be32(3) + std::string(28, '\0'), true, true, "3|||", "image, front cover, 0 bytes"},
      {"data past the end", body(9, 1, 4), false, false, "3|image/png|d|", "binary, 45 bytes"},
      {"data length near 2^32", body(9, 1, 0xFFFFFFFD), false, false, "3|image/png|d|", "binary, 45 bytes"},
      {"description past the end", body(9, 30, 3), false, false, "3|image/png||", "binary, 45 bytes"},
      {"description length near 2^32", body(9, 0xFFFFFFF0, 3), false, false, "3|image/png||", "binary, 45 bytes"},
      {"MIME type past the end", body(47, 1, 3), false, false, "3|||", "binary, 45 bytes"},
      {"MIME length near 2^32", body(0xFFFFFFF8, 1, 3), false, false, "3|||", "binary, 45 bytes"},
      {"cut in the image's size", body(9, 1, 3).substr(0, 30), false, false, "3|image/png|d|", "binary, 30 bytes"},
  };
  test::TempDir dir;
  const std::string flac = test::ReadFile(test::FixturePath("untagged.flac"));  // its comment block: bytes 42 to 60
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const CFlacPicture p = ParseFlacPicture(c.body);
    EXPECT_EQ(std::tie(p.bWhole, p.bExact), std::tie(c.whole, c.exact));
    EXPECT_EQ(std::to_string(p.nType) + "|" + std::string(p.mime) + "|" + std::string(p.description) + "|" +
                  std::string(p.data), c.parts);
    std::string comment = std::string("\1\0\0\0v\1\0\0\0", 9) + "....METADATA_BLOCK_PICTURE=" + Base64Encode(c.body);
    comment.replace(9, 4, std::string{static_cast<char>(comment.size() - 13), 0, 0, 0});
    const CString path = dir.File("picture.flac");
    test::WriteFile(path, flac.substr(0, 42) + "\4" + be32(comment.size()).substr(1) + comment + flac.substr(60));
    const std::vector<CStoredField> fields = CAudioTagFile::Read(path)->StoredFields();
    ASSERT_EQ(fields.size(), 1u);
    EXPECT_EQ(fields[0].strSummary.Str(), c.summary);
  }
}

TEST(AudioTagFileBadInput, RefusesDamagedFilesWithTheirReason) {
  const struct {
    const char* file;
    const char* reason;
  } cases[] = {
      {"empty.flac", "The file is empty"},
      {"bad_cut.flac", "The FLAC metadata block 5 runs past the end of the file"},
      {"bad_block.flac", "The FLAC metadata block 2 runs past the end of the file"},
      {"bad_page.ogg", "The Ogg page 2 is damaged (its checksum does not match)"},
      {"bad_atoms.m4a", "The MP4 atom 'trak' in 'moov' runs past its end (the atom tree is broken)"},
      {"notmpeg_wav.mp3", "it looks like a RIFF (WAV) file"},
      {"notmpeg_zip.mp3", "it looks like a ZIP archive"},
  };
  test::TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const CString path = dir.CopyFixture(c.file);
    const std::string before = test::ReadFile(path);
    CString reason;
    auto file = CAudioTagFile::Read(path, &reason);
    EXPECT_NE(reason.Str().find(c.reason), std::string::npos) << reason;
    EXPECT_EQ(file->WriteRefusal(), reason);
    EXPECT_EQ(file->Get(TagField::Title), "-");
    EXPECT_EQ(file->TagKind(), "-");
    EXPECT_NE(file->Set(TagField::Title, "x"), "");
    EXPECT_FALSE(file->Save(&reason));
    EXPECT_TRUE(file->SaveRecord().empty());
    EXPECT_TRUE(test::ReadFile(path) == before);
  }
}

// Reading an Ogg file's tags walks its header pages and finds its last
// page from the end, not every page between (a large file is not read
// whole); a save walks them all, so a damaged page there refuses the save
// and the file keeps its bytes.
TEST(AudioTagFileBadInput, AnOggPageDamagedAmongTheAudioIsFoundByTheSave) {
  test::TempDir dir;
  const CString path = dir.CopyFixture("tagged_vorbis.ogg");
  std::string bytes = test::ReadFile(path);
  const std::size_t audioPage = bytes.find("OggS", 100);
  ASSERT_NE(audioPage, std::string::npos);
  ASSERT_LT(audioPage + 100, bytes.rfind("OggS"));  // a page between the headers and the last one
  bytes[audioPage] = 'X';
  test::WriteFile(path, bytes);
  CString reason;
  auto file = CAudioTagFile::Read(path, &reason);
  EXPECT_EQ(reason, "");
  EXPECT_EQ(file->Get(TagField::Album), "Album \xC3\x84");
  EXPECT_EQ(file->Set(TagField::Title, "New"), "");
  EXPECT_FALSE(file->Save(&reason));
  EXPECT_NE(reason.Find("page 3 is damaged"), -1) << reason;
  EXPECT_TRUE(test::ReadFile(path) == bytes);
}

// Damage a save could not keep, or would hide, refuses the save (or the
// file, when its reading already finds it) and the file keeps its bytes:
// comments past the count a FLAC comment block names, a second Ogg stream
// of the same serial joined on, a damaged audio page that pages numbered
// anew would give a good checksum, a second MP4 item of one key.
TEST(AudioTagFileBadInput, DamageASaveWouldLoseOrHideIsRefused) {
  const auto u8 = [](std::string& b, std::size_t at) { return reinterpret_cast<unsigned char*>(b.data()) + at; };
  // The offset of the atom named name between from and end, or npos.
  const auto atom = [&](std::string& b, std::size_t from, std::size_t end, const char* name) {
    for (std::size_t at = from; at + 8 <= end && Be32(u8(b, at)) >= 8; at += Be32(u8(b, at)))
      if (b.compare(at + 4, 4, name) == 0) return at;
    return std::string::npos;
  };
  const struct {
    const char* file;
    std::function<void(std::string&)> damage;
    const char* reason;  // the reading's, or else the save's
    std::string value;
  } cases[] = {
      {"tagged.flac",
       [&](std::string& b) {
         for (std::size_t at = 4; at + 4 < b.size(); at += 4 + Be24(u8(b, at + 1))) {
           if ((b[at] & 0x7F) != 4) continue;
           const std::size_t count = at + 8 + Le32(u8(b, at + 4));
           PutLe32(u8(b, count), Le32(u8(b, count)) - 1);
           return;
         }
       },
       "The FLAC Vorbis comment (block", "x"},
      {"tagged_vorbis.ogg", [](std::string& b) { b += b; }, "more than one stream", "x"},
      {"tagged_vorbis.ogg", [&](std::string& b) { *u8(b, b.size() - 1) ^= 1; },
       "the Ogg pages' checksums or numbers", std::string(100000, 'c')},
      {"tagged_moov_end.m4a",
       [&](std::string& b) {
         const std::size_t moov = atom(b, 0, b.size(), "moov");
         const std::size_t udta = atom(b, moov + 8, moov + Be32(u8(b, moov)), "udta");
         const std::size_t meta = atom(b, udta + 8, udta + Be32(u8(b, udta)), "meta");
         const std::size_t ilst = atom(b, meta + 12, meta + Be32(u8(b, meta)), "ilst");
         const std::size_t item = atom(b, ilst + 8, ilst + Be32(u8(b, ilst)), "\xA9" "ART");
         const std::string copy = b.substr(item, Be32(u8(b, item)));
         for (std::size_t at : {moov, udta, meta, ilst}) PutBe32(u8(b, at), Be32(u8(b, at)) + copy.size());
         b.insert(item + copy.size(), copy);
       },
       "the MP4 item \"\xC2\xA9" "ART\"", "x"},
  };
  test::TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + ": " + c.reason);
    const CString path = dir.CopyFixture(c.file, "damaged");
    std::string bytes = test::ReadFile(path);
    c.damage(bytes);
    test::WriteFile(path, bytes);
    CString read, saved;
    auto file = CAudioTagFile::Read(path, &read);
    if (read.IsEmpty()) {
      ASSERT_EQ(file->Set(TagField::Comment, CString(c.value)), "");
    }
    EXPECT_FALSE(file->Save(&saved));
    EXPECT_NE((read.IsEmpty() ? saved : read).Find(c.reason), -1) << read << saved;
    EXPECT_TRUE(test::ReadFile(path) == bytes);
  }
}

TEST(AudioTagFileDetect, NamesEachFormatByItsBytes) {
  const struct {
    const char* file;
    AudioFormat format;
  } cases[] = {{"tagged.flac", AudioFormat::Flac},       {"notmpeg_flac_id3.mp3", AudioFormat::Flac},
               {"tagged_vorbis.ogg", AudioFormat::OggVorbis}, {"opus_in.ogg", AudioFormat::OggOpus},
               {"tagged_alac.m4a", AudioFormat::Mp4},    {"cbr_v23_latin1.mp3", AudioFormat::Mpeg},
               {"mpeg_ffmpeg_cbr.mp3", AudioFormat::Mpeg}, {"notmpeg_mka.mp3", AudioFormat::Unknown}};
  for (const auto& c : cases) {
    const std::string bytes = test::ReadFile(test::FixturePath(c.file));
    EXPECT_EQ(DetectAudioFormat(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()), c.format) << c.file;
  }
  // An ID3v2 tag before another format's bytes does not make them MPEG audio.
  const std::string behind = test::ReadFile(test::FixturePath("notmpeg_m4a_id3.mp3"));
  CString what;
  DetectAudioFormat(reinterpret_cast<const unsigned char*>(behind.data()), behind.size(), &what);
  EXPECT_EQ(what, "an MP4 file behind an ID3v2 tag");
  EXPECT_TRUE(HasAudioExtension("a/b.FLAC"));
  EXPECT_TRUE(HasAudioExtension("x.opus"));
  EXPECT_FALSE(HasAudioExtension("x.mp3"));
  EXPECT_FALSE(HasAudioExtension("x.flac/y"));
}

// A file another program changed after it was read is not written, and its
// record refuses to put anything back into a file the save did not leave.
TEST(AudioTagFileSafety, LeavesAFileChangedSinceItWasReadAlone) {
  test::TempDir dir;
  const CString path = dir.CopyFixture("tagged.flac");
  auto file = CAudioTagFile::Read(path);
  ASSERT_EQ(file->Set(TagField::Title, "Mine"), "");
  const std::vector<unsigned char> record = file->SaveRecord();
  ASSERT_FALSE(record.empty());
  test::RunCommand("/usr/bin/python3 -c \"from mutagen.flac import FLAC; f = FLAC('" + path.Str() +
                   "'); f['TITLE'] = 'Theirs'; f.save()\"");
  const std::string theirs = test::ReadFile(path);
  CString reason;
  EXPECT_FALSE(file->Save(&reason));
  EXPECT_NE(reason.Find("changed by another program"), -1) << reason;
  EXPECT_TRUE(test::ReadFile(path) == theirs);
  EXPECT_EQ(RestoreAudioSave(path, record, &reason), CRestoreResult::Refused);
  EXPECT_TRUE(test::ReadFile(path) == theirs);
  std::vector<unsigned char> damaged = record;
  damaged.resize(damaged.size() - 1);
  EXPECT_EQ(RestoreAudioSave(path, damaged, &reason), CRestoreResult::Refused);
  EXPECT_EQ(test::RunCommand("ls -A '" + dir.Path().Str() + "'"), "tagged.flac\n");  // no new file left beside it
}

// A save that lays the file out anew gives the new file the old one's
// extended attributes; a file made read-only is refused as an MP3 file is,
// and keeps its bytes.
TEST_P(AudioTagFileTest, KeepsTheAttributesOfTheFileAndLeavesAReadOnlyOneAlone) {
  const CString path = dir.CopyFixture(GetParam().file);
  if (::setxattr(path, "user.quillory-test", "kept", 4, 0) != 0) GTEST_SKIP() << "no user attributes here";
  auto file = CAudioTagFile::Read(path);
  ASSERT_EQ(file->Set(TagField::Comment, CString(std::string(20000, 'c'))), "");  // more than any room kept
  CString reason;
  ASSERT_TRUE(file->Save(&reason)) << reason;
  char value[8] = {};
  EXPECT_EQ(::getxattr(path, "user.quillory-test", value, sizeof value), 4);
  EXPECT_STREQ(value, "kept");

  const test::CLocked locked(path, 0444);
  if (!locked.Holds()) GTEST_SKIP() << "root, and no immutable attribute to lock the file with";
  const std::string before = test::ReadFile(path);
  file = CAudioTagFile::Read(path);
  ASSERT_EQ(file->Set(TagField::Title, "Short"), "");
  EXPECT_FALSE(file->Save(&reason));
  EXPECT_EQ(reason, "The file is read-only");
  EXPECT_TRUE(test::ReadFile(path) == before);
}

// Saves of a batch reach the disk at its commit: a file laid out anew is
// renamed over its original only then; one whose change took the same room
// (FLAC padding, an MP4 index of the same size) holds it in place, unflushed,
// and keeps its inode.
// An Ogg comment with no room (as ffmpeg writes it) is laid out anew with
// room after its entries; the next change takes that room and is written in
// place. Every other key and the audio stay through both saves.
TEST(AudioTagFileSafety, AnOggCommentLaidOutAnewGetsRoomForTheNextChange) {
  test::TempDir dir;
  for (const char* codec : {"libvorbis", "libopus"}) {
    const CString path = dir.File((std::string("plain_") + codec + ".ogg").c_str());
    test::RunCommand(std::string("ffmpeg -v error -f lavfi -i sine=duration=1 -c:a ") + codec +
                     " -metadata artist=Plain -metadata album=First -y '" + path.Str() + "'");
    const std::string tags = View(path, "tags"), audio = AudioMd5(path);
    ASSERT_NE(audio.find("MD5="), std::string::npos) << audio;
    struct stat first {};
    ASSERT_EQ(::stat(path, &first), 0);
    for (const char* album : {"Second album", "Third"}) {
      const auto file = CAudioTagFile::Read(path);
      ASSERT_EQ(file->Set(TagField::Album, album), "");
      CString reason;
      ASSERT_TRUE(file->Save(&reason)) << reason;
    }
    struct stat last {};
    ASSERT_EQ(::stat(path, &last), 0);
    EXPECT_GT(last.st_size, first.st_size) << codec;  // the room
    std::string expected = tags;
    expected.replace(expected.find("['First']"), 9, "['Third']");
    EXPECT_EQ(View(path, "tags"), expected) << codec;
    EXPECT_EQ(AudioMd5(path), audio) << codec;
    // The second save wrote in place: the file is the one the first made.
    const auto again = CAudioTagFile::Read(path);
    CString reason;
    ASSERT_EQ(again->Set(TagField::Album, "Fourth"), "");
    ASSERT_TRUE(again->Save(&reason)) << reason;
    struct stat now {};
    ASSERT_EQ(::stat(path, &now), 0);
    EXPECT_EQ(now.st_ino, last.st_ino) << codec;
    EXPECT_EQ(now.st_size, last.st_size) << codec;
  }
}

// A damaged picture entry of type 3 before the front cover is no picture to
// a reader, which shows the one after it: a save sets and removes that one
// and keeps the damaged entry as it is.
TEST(AudioTagFileSafety, SetsAndRemovesTheCoverAReaderShowsPastADamagedOne) {
  std::string damaged;  // type 3, a data length of 100 with 3 bytes of data
  for (std::size_t v : {3, 9}) PutBe32(&damaged, v);
  damaged += "image/png" + std::string(20, '\0');
  PutBe32(&damaged, 100);
  damaged = Base64Encode(damaged + "abc");
  const std::string png = test::ReadFile(test::FixturePath("cover_other.png"));
  test::TempDir dir;
  const CString path = dir.CopyFixture("tagged_vorbis.ogg");  // Opus takes the same writer
  const std::string python = "/usr/bin/python3 -c \"import mutagen, sys; f = mutagen.File(sys.argv[1]); ";
  test::RunCommand(python + "f['METADATA_BLOCK_PICTURE'] = [sys.argv[2]] + f['METADATA_BLOCK_PICTURE']; f.save()\" '" +
                   path.Str() + "' " + damaged);
  CString reason;
  auto file = CAudioTagFile::Read(path);
  ASSERT_EQ(file->SetFrontCover(png), "");
  ASSERT_TRUE(file->Save(&reason)) << reason;
  CCoverArt cover;
  file = CAudioTagFile::Read(path);
  ASSERT_TRUE(file->GetFrontCover(&cover));
  EXPECT_EQ(cover.strData, png);
  EXPECT_EQ(file->RemoveFrontCover(cover), "");
  ASSERT_TRUE(file->Save(&reason)) << reason;
  // The damaged entry and the back cover are all that is left.
  const std::string left = test::RunCommand(python + "print(*f['METADATA_BLOCK_PICTURE'], sep='\\n')\" '" + path.Str() + "'");
  EXPECT_EQ(left.substr(0, damaged.size() + 1), damaged + "\n");
  EXPECT_EQ(test::Lines(left, ""), 2) << left;
}

TEST(AudioTagFileSafety, SavesInABatchAtItsCommit) {
  test::TempDir dir;
  std::vector<std::unique_ptr<CAudioTagFile>> files;
  std::vector<std::string> before;
  CSaveBatch batch;
  // The room a writer left in the tag takes a short change, and the file is
  // written in place; a change longer than that room makes a new file.
  const std::string longer(1500, 'L');
  const struct {
    const char* name;
    std::string album;
    bool inPlace;
  } cases[] = {{"tagged.flac", "Batch", true},
               {"tagged.opus", "Batch", true},
               {"tagged_vorbis.ogg", "Batch" + longer, false},
               {"tagged_moov_start.m4a", "Batch", true},
               {"tagged_alac.m4a", "Batch", true}};  // its room after the ilst ends in another page
  for (const auto& c : cases) {
    const CString path = dir.CopyFixture(c.name);
    before.push_back(test::ReadFile(path));
    files.push_back(CAudioTagFile::Read(path));
    ASSERT_EQ(files.back()->Set(TagField::Album, CString(c.album)), "");
    CString reason;
    struct stat read {};
    ASSERT_EQ(::stat(path, &read), 0);
    ASSERT_TRUE(files.back()->Save(&reason, &batch)) << reason;
    const bool inPlace = c.inPlace;
    EXPECT_EQ(files.back()->Identity().nInode == read.st_ino, inPlace) << c.name;
    if (inPlace) {
      EXPECT_EQ(test::ReadFile(path).size(), before.back().size()) << c.name;
    }
    if (!inPlace) {
      EXPECT_TRUE(test::ReadFile(path) == before.back());  // not yet
    }
  }
  const std::vector<CWriteOutcome> outcomes = batch.Commit();
  ASSERT_EQ(outcomes.size(), std::size(cases));
  for (std::size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(outcomes[i].strError, "");
    const auto again = CAudioTagFile::Read(files[i]->Path());
    EXPECT_EQ(again->Get(TagField::Album), CString(cases[i].album));
    EXPECT_EQ(files[i]->Identity(), again->Identity());
  }
}

// Saves killed at random moments leave each file whole (its old self or
// its new one, every other field and the audio as they were); anything
// left beside the files is a temporary of the writer.
TEST(AudioTagFileSafety, KilledSavesLeaveEveryFileWhole) {
  test::TempDir dir;
  std::vector<CString> paths;
  std::vector<std::vector<std::string>> fields;
  std::vector<std::string> md5s;
  for (const Kind& k : kKinds) {
    paths.push_back(dir.CopyFixture(k.file));
    const auto file = CAudioTagFile::Read(paths.back());
    fields.emplace_back();
    for (int f = 0; f < kTagFieldCount; ++f) fields.back().push_back(file->Get(static_cast<TagField>(f)).Str());
    md5s.push_back(AudioMd5(paths.back()));
  }
  std::mt19937 random(20261210u);
  int saved = 0;
  for (int round = 0; round < 25; ++round) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int n = 0;; ++n) {
        CSaveBatch batch;
        for (const CString& path : paths) {
          auto file = CAudioTagFile::Read(path);
          CString reason;
          file->Set(TagField::Title, CString::Formatted("Round %d %s", n, std::string(n % 300, 'x').c_str()));
          file->Save(&reason, &batch);
        }
        batch.Commit();
      }
    }
    ::usleep(2000 + random() % 60000);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    for (std::size_t i = 0; i < paths.size(); ++i) {
      CString reason;
      const auto file = CAudioTagFile::Read(paths[i], &reason);
      ASSERT_EQ(reason, "") << paths[i].Str() << " round " << round;
      for (int f = 0; f < kTagFieldCount; ++f) {
        if (static_cast<TagField>(f) == TagField::Title) continue;
        ASSERT_EQ(file->Get(static_cast<TagField>(f)).Str(), fields[i][f]) << paths[i].Str() << " round " << round;
      }
      saved += file->Get(TagField::Title).Left(6) == "Round ";
    }
  }
  EXPECT_GT(saved, 0);
  for (std::size_t i = 0; i < paths.size(); ++i) EXPECT_EQ(AudioMd5(paths[i]), md5s[i]);
  std::istringstream names(test::RunCommand("ls -A '" + dir.Path().Str() + "'"));
  for (std::string name; std::getline(names, name);)
    EXPECT_TRUE(HasAudioExtension(name.c_str()) || (name[0] == '.' && name.find(".quillory-") != std::string::npos)) << name;
}

// Mutants of each format: read without a crash; a save of one either is
// refused (the file unchanged) or keeps every field not edited.
TEST(AudioTagFileMutation, DamagedFilesAreReadWithoutCrashingAndSavedWithoutLoss) {
  test::TempDir dir;
  std::mt19937 random(20261210u);
  int read = 0, saved = 0, refused = 0;
  // More with QUILLORY_MUTANTS=N (the sanitizer run takes thousands).
  const int kMutants = std::getenv("QUILLORY_MUTANTS") ? std::atoi(std::getenv("QUILLORY_MUTANTS")) : 120;
  for (const Kind& k : kKinds) {
    const int savedBefore = saved, refusedBefore = refused;
    const std::string original = test::ReadFile(test::FixturePath(k.file));
    for (int n = 0; n < kMutants; ++n) {
      std::string bytes = original;
      const int kind = static_cast<int>(random() % 4);
      const std::size_t at = random() % bytes.size();
      if (kind == 0) bytes.resize(at);                                           // cut short
      if (kind == 1) bytes[at] = static_cast<char>(random());                    // one byte
      if (kind == 2) bytes.insert(at, std::string(1 + random() % 64, '\xFF'));  // bytes inserted
      if (kind == 3) bytes.erase(at, 1 + random() % 64);                         // bytes lost
      const CString path = dir.File("mutant");
      test::WriteFile(path, bytes);
      CString reason;
      auto file = CAudioTagFile::Read(path, &reason);
      ++read;
      std::vector<std::string> fields;
      for (int f = 0; f < kTagFieldCount; ++f) fields.push_back(file->Get(static_cast<TagField>(f)).Str());
      if (!file->Set(TagField::Title, "Mutant").IsEmpty() || !file->Save(&reason)) {
        ++refused;
        ASSERT_TRUE(test::ReadFile(path) == bytes) << k.file << " mutant " << n;
        continue;
      }
      ++saved;
      const auto again = CAudioTagFile::Read(path);
      for (int f = 0; f < kTagFieldCount; ++f) {
        if (static_cast<TagField>(f) == TagField::Title) continue;
        ASSERT_EQ(again->Get(static_cast<TagField>(f)).Str(), fields[f]) << k.file << " mutant " << n;
      }
    }
    std::printf("%s: %d mutants, %d saved, %d refused\n", k.file, kMutants, saved - savedBefore, refused - refusedBefore);
  }
  std::printf("%d mutants read, %d saved, %d refused\n", read, saved, refused);
  EXPECT_EQ(read, kMutants * 7);
  EXPECT_GT(saved, 100);
  EXPECT_GT(refused, 100);
}

}  // namespace
