// Frames of other programs survive saves: the comment and the URL are the
// frames without a description, Lyrics3 is never merged, the ID3v1 track
// keeps what a value cannot say. Checked on files laid out by other taggers.
#include "TagsTestSupport.h"

#include "FrameRules.h"
#include "TagCheck.h"

#include <tags/MyMP3Tags.h>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using test::Audio;
using test::Lines;
using test::Mutagen;

// mutagen's ID3v2 frames as stored, but the fourteen edited fields.
std::string FramesNotEdited(const CString& path) {
  return test::FramesBut(path, "stored", test::FieldKeys("TYER="));
}

// The raw frames of a file but the fourteen edited fields' (the plain
// comment and link only: described ones are kept).
std::vector<std::string> RawFramesNotEdited(const std::string& bytes) {
  std::vector<std::string> ids;
  for (const std::string& key : test::FieldKeys("TYER=")) ids.push_back(key.substr(0, 4));
  return test::RawFramesBut(bytes, ids);
}

struct Save {
  const char* comment;
  const char* track;
  const char* url;
  const char* storedUrl;
};

void SaveFourteen(CMyMP3Tags& tags, const Save& save, int n) {
  const CString values[] = {  // in the fields' order
      CString::Formatted("Artist %d", n), CString::Formatted("Album %d ♫", n), CString::Formatted("Title %d", n),
      save.track, CString::Formatted("%d", 2000 + n), "Original", save.comment, "Composer", "Encoder", "Copyright ©",
      save.url, "Band", "Publisher", "Conductor"};
  tags.BeginUpdate();
  for (std::size_t i = 0; i < std::size(values); ++i) {
    const test::Field& field = test::kFields[i];
    (tags.*field.set)(values[i]);
  }
  tags.EndUpdate();
}

TEST(TagsKeepFrames, FourteenFieldSavesKeepEveryFrameNotEdited) {
  struct Case {
    const char* file;
    const char* comment;  // shown before any save
    const char* url;
    int lyrics;
    const char* language;  // of a new comment frame
    Save second;           // the second save's values (the first is the same everywhere)
  };
  const Save plain = {"Latin comment é", "2/9", "http://example.com/two", "http://example.com/two"};
  const Case cases[] = {
      {"itunes_order.mp3", "Plain comment", "-", 0, "eng", plain},
      {"id3lib_rewrites.mp3", "UTF-16 comment", "-", 0, "eng", plain},
      {"itunes_no_comment.mp3", "-", "-", 0, "eng", plain},
      {"eyed3_comments.mp3", "Kommentar", "-", 0, "deu", plain},
      {"eyed3_described_only.mp3", "-", "-", 0, "deu", plain},
      {"two_comments.mp3", "-", "-", 0, "eng", plain},
      {"cbr_v23_utf16_v1.mp3", "A comment", "-", 0, "eng", plain},
      {"lyrics3_v1.mp3", "Tagged comment", "-", 1, "eng", plain},
      {"fullwidth_track.mp3", "コメント", "-", 0, "jpn", {"Latin comment é", "８/１２", "http://x.org/", "http://x.org/"}},
      {"url_latin1.mp3", "-", "http://example.org/café", 0, "eng",
       {"Latin comment é", "2/9", "https://例え.jp/曲?q=ü", "https://%E4%BE%8B%E3%81%88.jp/%E6%9B%B2?q=%C3%BC"}},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const CString path = dir.CopyFixture(c.file);
    const std::string kept = FramesNotEdited(path);
    const std::vector<std::string> keptRaw = RawFramesNotEdited(test::ReadFile(path));
    const std::string between = Audio(test::ReadFile(path));
    CMyMP3Tags tags;
    tags.Link(path);
    EXPECT_EQ(tags.GetComment(), c.comment);
    EXPECT_EQ(tags.GetURL(), c.url);
    EXPECT_EQ(tags.isLyricsTag(), c.lyrics);
    const Save first = {"Kommentar ♫ eins", "1/9", "http://example.com/one", "http://example.com/one"};
    int n = 0;
    for (const Save& save : {first, c.second}) {
      SaveFourteen(tags, save, ++n);
      ASSERT_EQ(tags.GetLastWriteError(), "");
      EXPECT_EQ(FramesNotEdited(path), kept) << "save " << n;
      EXPECT_EQ(RawFramesNotEdited(test::ReadFile(path)), keptRaw) << "flags, byte order marks, order";
      const std::string frames = Mutagen(path, "stored");
      EXPECT_EQ(Lines(frames, "COMM::"), 1) << frames;
      EXPECT_EQ(Lines(frames, "WXXX:="), 1) << frames;
      EXPECT_EQ(Mutagen(path, std::string("COMM::") + c.language), save.comment);
      EXPECT_EQ(Mutagen(path, "WXXX:"), save.storedUrl);
      EXPECT_EQ(tags.GetComment(), save.comment);
      EXPECT_EQ(tags.GetURL(), save.storedUrl);
      EXPECT_EQ(Audio(test::ReadFile(path)), between) << "audio or Lyrics3 changed";
      CMyMP3Tags fresh;
      fresh.Link(path);
      EXPECT_EQ(test::Row(fresh), test::Row(tags));
    }
    // The ID3v1 copy follows the same comment; a track without a number
    // form leaves its byte.
    const std::string bytes = test::ReadFile(path);
    if (bytes.compare(bytes.size() - 128, 3, "TAG") == 0) {
      EXPECT_EQ(bytes.substr(bytes.size() - 31, 15), std::string("Latin comment \xE9"));
      EXPECT_EQ(bytes[bytes.size() - 2], c.second.track[0] == '2' ? 2 : 1);
    }
    // Removing the fields removes the plain comment, never a described one.
    tags.RemoveAllTags();
    ASSERT_EQ(tags.GetLastWriteError(), "");
    EXPECT_EQ(tags.GetComment(), "-");
    EXPECT_EQ(Lines(Mutagen(path, "stored"), "COMM::"), 0);
    EXPECT_EQ(Lines(FramesNotEdited(path), "COMM:"), Lines(kept, "COMM:"));
  }
}

// The ID3v1 track byte: a number is written, an empty value clears it, a
// value with no number form (full-width digits, letters, too large) leaves it.
TEST(TagsKeepFrames, Id3v1TrackKeepsWhatAValueCannotSay) {
  const std::pair<const char*, int> cases[] = {{"３", 7}, {"B2", 7}, {"300", 7}, {"12/12", 12},
                                               {" 9", 9}, {"0", 0}, {"", 0}};
  test::TempDir dir;
  for (auto [value, track] : cases) {
    const CString path = dir.CopyFixture("fullwidth_track.mp3", "t.mp3");
    {
      CMyMP3Tags tags;
      tags.Link(path);
      tags.SetTrack(value);
      EXPECT_EQ(tags.GetLastWriteError(), "") << value;
    }
    const std::string bytes = test::ReadFile(path);
    EXPECT_EQ(bytes[bytes.size() - 3], 0) << value;
    EXPECT_EQ(static_cast<unsigned char>(bytes[bytes.size() - 2]), track) << value;
  }
}

TEST(TagsKeepFrames, UrlsAreStoredAsLatin1OrAsUris) {
  const std::pair<const char*, const char*> cases[] = {
      {"http://example.org/a?b=c", "http://example.org/a?b=c"},
      {"http://example.org/café", "http://example.org/café"},  // fits the field's Latin-1
      {"http://example.org/café/♫", "http://example.org/caf%C3%A9/%E2%99%AB"},
      {"https://日本.jp/", "https://%E6%97%A5%E6%9C%AC.jp/"},
      {"-", "-"}};
  for (auto [url, stored] : cases) EXPECT_EQ(framerules::StoredUrl(url), stored) << url;
  using Languages = std::vector<std::string>;
  EXPECT_EQ(framerules::CommentLanguage(Languages{}), "eng");
  EXPECT_EQ(framerules::CommentLanguage(Languages{"", "XXX", "en", "deu", "fra"}), "deu");
}

// Lyrics3 blocks of both versions are found before an ID3v1 tag or at the
// file's end; lookalikes are not.
TEST(TagsKeepFrames, Lyrics3BlocksAreDetected) {
  const std::string audio(400, '\xAA');
  const std::string v2 = "LYRICSBEGININD00002" "10LYR00005hello";
  const std::string v1Tag = "TAG" + std::string(125, '\0');
  const std::pair<std::string, bool> cases[] = {
      {audio + v2 + "000034LYRICS200", true},
      {audio + v2 + "000034LYRICS200" + v1Tag, true},
      {audio + "LYRICSBEGINsome lyricsLYRICSEND" + v1Tag, true},
      {audio + v2 + "000033LYRICS200", false},  // the size misses the start
      {audio + v2 + "0000x2LYRICS200", false},
      {audio + "some lyricsLYRICSEND", false},
      {audio + v1Tag, false}};
  for (const auto& [bytes, found] : cases)
    EXPECT_EQ(ScanTags(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()).bLyrics3, found)
        << bytes.substr(audio.size());
}

}  // namespace
