// A file's disc and lyrics, its tag version and its ID3v1 tag as changes of
// its value: what a save writes reads as intended in mutagen, what cannot be
// kept is refused by name with nothing changed, and each save's record puts
// the file back byte for byte.
#include "TagsTestSupport.h"

#include <tags/MyMP3Tags.h>
#include <tags/TagFile.h>

#include <gtest/gtest.h>

#include <functional>

namespace {

// A copy of the untagged MP3 tagged by mutagen as make_versions.py says
// (kind "v24", "v23-TSIZ"...), or by ffmpeg as ID3v2.3 ("ffmpeg"); or a
// copy of a fixture ("....mp3").
CString Tagged(const test::TempDir& dir, const std::string& kind) {
  if (kind.ends_with(".mp3")) return dir.CopyFixture(kind.c_str());
  const CString path = dir.CopyFixture("untagged.mp3", (kind + ".mp3").c_str());
  if (kind == "ffmpeg") {
    const CString out = dir.File("by-ffmpeg.mp3");
    test::RunCommand("ffmpeg -v error -i '" + path.Str() + "' -c copy -id3v2_version 3 -metadata 'title=Tïtle ♫' " +
                     "-metadata date=2003-04-05 -metadata TORY=1990 -metadata disc=1/2 '" + out.Str() + "'");
    return out;
  }
  test::RunCommand("/usr/bin/python3 " QUILLORY_SOURCE_DIR "/tests/tags/make_versions.py '" + path.Str() + "' " + kind);
  return path;
}

std::string Brief(const CString& path) { return test::Mutagen(path, "brief"); }

// The lines of mutagen's brief view that start with one of the keys, in its order.
std::string Only(const std::string& brief, const std::vector<std::string>& keys) {
  std::istringstream in(brief);
  std::string out;
  for (std::string line; std::getline(in, line);)
    for (const std::string& key : keys)
      if (line.rfind(key + " ", 0) == 0 || line.rfind(key + ":", 0) == 0) out += line + "\n";
  return out;
}

// Makes the change on a fresh value, saves it with its record, and checks
// that the value shows what a new reading does; then the record, through
// RestoreSave, puts back the file's bytes. Returns the file's view after
// the save; saved, when given, looks at the file before the undo.
std::string SaveAndUndo(const CString& path, const std::function<void(CTagFile&)>& change,
                        const std::function<void()>& saved = {}) {
  const std::string before = test::ReadFile(path);
  std::vector<unsigned char> record;
  std::string after;
  {
    const std::unique_ptr<CTagFile> file = CTagFile::Read(path);
    change(*file);
    CString reason;
    record = file->SaveRecord(&reason);
    EXPECT_FALSE(record.empty()) << reason.Str();
    EXPECT_TRUE(file->Save(&reason)) << reason.Str();
    const std::unique_ptr<CTagFile> again = CTagFile::Read(path);
    EXPECT_EQ(file->TagVersion(), again->TagVersion());
    EXPECT_EQ(file->Identity(), again->Identity());  // known from what was written
    for (int f = 0; f < kTagFieldCount; ++f)
      EXPECT_EQ(file->Get(static_cast<TagField>(f)), again->Get(static_cast<TagField>(f))) << f;
    after = Brief(path);
    if (saved) saved();
  }
  CMyMP3Tags tags;
  EXPECT_EQ(tags.RestoreSave(path, record), CRestoreResult::Restored) << tags.GetLastWriteError().Str();
  EXPECT_TRUE(test::ReadFile(path) == before) << "not put back byte for byte";
  return after;
}

TEST(TagVersion, ConversionsWriteWhatTheOtherVersionsStandardSays) {
  // The frames the two standards treat differently, as mutagen reads them after the save.
  const std::vector<std::string> keys = {"TYER", "TDAT", "TIME", "TDRC", "TORY", "TDOR", "IPLS", "TIPL", "TMCL",
                                         "TPE1", "TCON", "TIT2", "TXXX", "USLT", "COMM", "APIC", "TSOP", "TPOS"};
  struct Case {
    const char* kind;
    TagTarget target;
    const char* expected;
  } const cases[] = {
      {"v23", TagTarget::Id3v24,
       // Dates joined, TORY and IPLS renamed; the v2.3 bytes (UTF-16, "/") kept.
       "APIC:Cövér 1 image/png Cövér\nCOMM::deu 1 Kommentar ♫\nTCON 1 Jazz/Soul\n"
       "TDOR 0 1999\nTDRC 0 2001-05-03 10:20\nTIPL 0 producer:Prodüçer|engineer:Engineer|piano:Pianist\n"
       "TIT2 1 Title ☂ in UTF-16BE\nTPE1 1 Nina Simone/Ärtist Two ♫\nTPOS 0 1/2\n"
       "TXXX:MusicBrainz Artist Id 1 id-one/id-two\nUSLT::deu 1 Erste Zeile ♫\\nZweite Zeile\n"},
      {"ffmpeg", TagTarget::Id3v24, "TDOR 0 1990\nTDRC 0 2003-04-05\nTIT2 1 Tïtle ♫\nTPOS 0 1/2\n"},
      {"v24", TagTarget::Id3v23,
       // Dates split, TDOR's year, TIPL + TMCL in one IPLS, values joined by "/", UTF-8 and UTF-16BE made UTF-16.
       "APIC:Cövér 1 image/png Cövér\nCOMM::deu 1 Kommentar ♫\nIPLS 1 piano:Pianist|producer:Prodüçer|engineer:Engineer\n"
       "TCON 1 Jazz/Soul\nTDAT 0 0305\nTIME 0 1020\nTIT2 1 Title ☂ in UTF-16BE\nTORY 0 1999\n"
       "TPE1 1 Nina Simone/Ärtist Two ♫\nTPOS 0 1/2\nTSOP 0 Simone, Nina\n"
       "TXXX:MusicBrainz Artist Id 1 id-one/id-two\nTYER 0 2001\nUSLT::deu 1 Erste Zeile ♫\\nZweite Zeile\n"},
      {"v22_full.mp3", TagTarget::Id3v24,  // through the v2.3 it is saved as
       "APIC:cover 0 image/png cover\nCOMM::eng 0 Old comment\nCOMM:iTunNORM:eng 0  000001F4\nTCON 0 (17)\n"
       "TDRC 0 1994-05-01 12:00\nTIT2 1 Old Title ♫\nTPE1 0 Old Ärtist\nTXXX:MOOD 0 calm\nUSLT::eng 0 Old lyrics\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    test::TempDir dir;
    const CString path = Tagged(dir, c.kind);
    const std::string after = SaveAndUndo(path, [&](CTagFile& file) {
      EXPECT_EQ(file.SetTagVersion(c.target), "");
      // Back to the file's own version is no change (but a v2.2 tag is saved as v2.3 then).
      EXPECT_EQ(file.SetTagVersion(c.target == TagTarget::Id3v24 ? TagTarget::Id3v23 : TagTarget::Id3v24), "");
      EXPECT_EQ(file.IsChanged(), std::string(c.kind) == "v22_full.mp3");
      EXPECT_EQ(file.SetTagVersion(c.target), "");
      EXPECT_EQ(file.TagVersion().Left(7), c.target == TagTarget::Id3v24 ? "ID3v2.4" : "ID3v2.3");
      // An edit after the conversion goes into the converted tag.
      EXPECT_EQ(file.Set(TagField::Album, "Älbum"), "");
    });
    EXPECT_EQ(after.substr(0, 5), c.target == TagTarget::Id3v24 ? "v2.4\n" : "v2.3\n");
    EXPECT_EQ(Only(after, keys), c.expected);
    EXPECT_EQ(Only(after, {"TALB"}), "TALB 0 Älbum\n");
  }
}

TEST(TagVersion, WhatCannotBeKeptIsNamedAndNothingChanges) {
  const auto to = [](TagTarget target) { return [target](CTagFile& f) { return f.SetTagVersion(target); }; };
  const struct {
    const char* kind;
    std::function<CString(CTagFile&)> change;
    const char* named;
  } cases[] = {{"v24-TMOO", to(TagTarget::Id3v23), "TMOO"},  // no v2.3 form
               {"v24-TBPM", to(TagTarget::Id3v23), "TBPM"},  // two numbers, which "/" would make one
               {"v23-TSIZ", to(TagTarget::Id3v24), "TSIZ"},  // dropped from v2.4
               // A Lyrics3 block is found through the ID3v1 tag after it.
               {"lyrics3_v1.mp3", [](CTagFile& f) { return f.SetV1Tag(false); }, "Lyrics3"},
               {"lyrics3_v1.mp3", [](CTagFile& f) { return f.RemoveAllTags(); }, "Lyrics3"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    test::TempDir dir;
    const CString path = Tagged(dir, c.kind);
    const std::unique_ptr<CTagFile> file = CTagFile::Read(path);
    const CString version = file->TagVersion();
    const CString refusal = c.change(*file);
    EXPECT_NE(refusal.Find(c.named), -1) << refusal.Str();
    EXPECT_FALSE(file->IsChanged());
    EXPECT_EQ(file->TagVersion(), version);
  }
}

TEST(TagVersion, DiscAndLyricsAreReadAndWrittenInEveryKindOfTag) {
  // New lyrics take the comment's language; text beyond Latin-1 is UTF-16 in v2.3, UTF-8 in v2.4.
  // Lyrics that all have a description: the first is the field, edited in its place.
  const struct {
    const char* fixture;
    const char* lyrics;  // key and encoding after the save
  } cases[] = {{"cbr_v23_latin1.mp3", "USLT::eng 1"},     {"two_comments.mp3", "USLT::eng 1"},
               {"v24_full.mp3", "USLT::eng 3"},           {"v22_full.mp3", "USLT::eng 1"},
               {"v1_only.mp3", "USLT::eng 1"},            {"untagged.mp3", "USLT::eng 1"},
               {"eyed3_comments.mp3", "USLT::deu 1"},     {"v24.mp3", "USLT::eng 3"},
               {"described-v23", "USLT:Version:fra 1"}, {"described-v24", "USLT:Version:fra 3"}};
  const CString lyrics = "Erste Zeile ♫\nZweite Zeile\n\nDritte; Zeile";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fixture);
    test::TempDir dir;
    const CString path = Tagged(dir, c.fixture);
    const int lyricsBefore = test::Lines(Brief(path), "USLT");
    const std::string after = SaveAndUndo(path, [&](CTagFile& file) {
      EXPECT_EQ(file.Set(TagField::Disc, "1/2"), "");
      EXPECT_EQ(file.Set(TagField::Lyrics, lyrics), "");
      EXPECT_EQ(file.Get(TagField::Disc), "1/2");
      EXPECT_EQ(file.Get(TagField::Lyrics), lyrics);
    });
    EXPECT_NE(after.find("TPOS 0 1/2\n"), std::string::npos) << after;
    EXPECT_NE(after.find(std::string(c.lyrics) + " Erste Zeile ♫\\nZweite Zeile\\n\\nDritte; Zeile"),
              std::string::npos)
        << after;
    EXPECT_EQ(test::Lines(after, "USLT"), std::max(1, lyricsBefore));  // the file's lyrics replaced
  }
}

TEST(TagVersion, TheId3v1TagIsAddedRemovedOrEveryTagRemoved) {
  using Change = std::function<CString(CTagFile&)>;
  const Change add = [](CTagFile& f) { return f.SetV1Tag(true); };
  const Change remove = [](CTagFile& f) { return f.SetV1Tag(false); };
  const Change removeAll = [](CTagFile& f) { return f.RemoveAllTags(); };
  const struct {
    const char* fixture;
    const char* change;
    Change make;
    const char* version;  // after the change
    std::vector<TagField> losses;
    const char* v1Title;  // as mutagen reads the ID3v1 tag added
  } cases[] = {
      // Latin-1 as the standard says ("?" for what it cannot hold); a track's total is lost.
      {"cbr_v23_latin1.mp3", "add", add, "ID3v2.3 + ID3v1", {TagField::Track}, "Café del Mar"},
      {"cbr_v23_utf16.mp3", "add", add, "ID3v2.3 + ID3v1", {TagField::Title, TagField::Artist, TagField::Track}, "Björk ? Jóga ?"},
      {"v24_full.mp3", "add", add, "ID3v2.4 + ID3v1", {TagField::Title, TagField::Artist, TagField::Year, TagField::Comment, TagField::Track}, "Title in UTF-16BE ?"},
      {"cbr_v23_utf16_v1.mp3", "remove", remove, "ID3v2.3", {}, ""},
      {"v24_v1.mp3", "remove all", removeAll, "none", {}, ""},
      {"v1_only.mp3", "remove", remove, "none", {}, ""},
      {"v1_only.mp3", "remove all", removeAll, "none", {}, ""},
      {"cbr_v23_latin1.mp3", "remove all", removeAll, "none", {}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.fixture) + " " + c.change);
    test::TempDir dir;
    const CString path = dir.CopyFixture(c.fixture);
    const std::string audio = test::Audio(test::ReadFile(path));
    const std::string v2Before = test::FramesBut(path, "v2", {});
    const auto change = [&](CTagFile& file) {
      EXPECT_EQ(c.make(file), "");
      EXPECT_EQ(file.TagVersion(), c.version);
      EXPECT_EQ(file.V1Losses(), c.losses);
    };
    // The audio stays, and so does an ID3v2 tag not removed.
    SaveAndUndo(path, change, [&] {
      const std::string bytes = test::ReadFile(path);
      EXPECT_EQ(test::Audio(bytes), audio);
      EXPECT_EQ(test::Mutagen(path, "v1").empty(), CString(c.version).Find("ID3v1") < 0);
      const bool all = std::string(c.change) == "remove all";
      EXPECT_TRUE(!all || bytes == audio);
      EXPECT_TRUE(all || CString(c.version) == "none" || test::FramesBut(path, "v2", {}) == v2Before);
      const std::string v1 = test::Mutagen(path, "v1");
      const std::string title = std::string("TIT2=TIT2(encoding=<Encoding.LATIN1: 0>, text=['") + c.v1Title + "'])";
      EXPECT_TRUE(!*c.v1Title || v1.find(title) != std::string::npos) << v1;
    });
  }
}

}  // namespace
