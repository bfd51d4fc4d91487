// Writing: values reach the file as other readers expect, nothing written
// when nothing changed, frames not edited kept, refused and failed writes
// reported.
#include "TagsTestSupport.h"

#include <tags/MyMP3Tags.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include <unistd.h>

namespace {

using test::FramesBut;
using test::Mutagen;
using test::Without;

TEST(TagsWrite, UnicodeAndLatinValuesAsMutagenReadsThem) {
  test::TempDir dir;
  const CString path = dir.CopyFixture("cbr_v23_latin1.mp3");
  {
    CMyMP3Tags tags;
    tags.Link(path);
    tags.SetArtist("Sigur Rós");             // fits Latin-1
    EXPECT_EQ(tags.GetLastWriteError(), "");
    tags.SetTitle("日本語 ♫ 𝄞");             // needs UTF-16, with a surrogate pair
    EXPECT_EQ(tags.GetLastWriteError(), "");
    tags.SetTrack(7);
    tags.SetYear(0);
  }
  EXPECT_EQ(Mutagen(path, "TPE1"), "Sigur Rós");
  EXPECT_EQ(Mutagen(path, "TIT2"), "日本語 ♫ 𝄞");
  EXPECT_EQ(Mutagen(path, "TRCK"), "7");
  const std::string v2 = test::RunCommand("/usr/bin/python3 -c \"import sys; from mutagen.id3 import ID3; "
                                          "t = ID3(sys.argv[1]); print(int(t['TPE1'].encoding), int(t['TIT2'].encoding))\" " +
                                          path.Str());
  EXPECT_EQ(v2, "0 1\n") << "Latin-1 where it fits, UTF-16 otherwise";
  CMyMP3Tags again;
  again.Link(path);
  EXPECT_EQ(again.GetTitle(), "日本語 ♫ 𝄞");
  EXPECT_EQ(again.GetArtist(), "Sigur Rós");
  EXPECT_EQ(again.GetYear(), "0");
}

// What the program does on a save of an unedited row, by single setters and
// in one group: nothing is written and nothing reported.
TEST(TagsWrite, EqualValuesAndMarkersWriteNothing) {
  test::TempDir dir;
  for (const char* name : {"cbr_v23_utf16_v1.mp3", "two_comments.mp3", "untagged.mp3", "v1_only.mp3",
                           "v24_full.mp3", "v24_itunes.mp3", "v22_full.mp3"}) {
    for (const bool group : {false, true}) {
      SCOPED_TRACE(std::string(name) + (group ? " in a group" : " by single setters"));
      const CString path = dir.CopyFixture(name);
      const std::string before = test::ReadFile(path);
      CMyMP3Tags tags;
      tags.Link(path);
      if (group) tags.BeginUpdate();
      tags.SetArtist(tags.GetArtist());
      tags.SetTitle(tags.GetTitle());
      tags.SetComment(tags.GetComment());
      tags.SetURL(tags.GetURL());
      tags.SetConductor(tags.GetConductor());
      tags.SetPublisher("-" == tags.GetPublisher() ? CString("-") : tags.GetPublisher());
      tags.SetGenre(CMyMP3Tags::GenreName(tags.GetGenre()));  // "Rock" leaves "(17)" as it is
      if (tags.isV2Tag() == 0 && tags.isV1Tag() == 0) tags.RemoveAllTags();  // no tag to remove
      if (group) tags.EndUpdate();
      EXPECT_EQ(tags.GetLastWriteError(), "");
      tags.Reset();
      EXPECT_TRUE(test::ReadFile(path) == before);
    }
  }
}

// One edit (the artist, and on some rows the comment) keeps every other
// frame; no ID3v1 tag is added to a file without one, and the comment is
// one frame, the edited one.
TEST(TagsWrite, OneEditKeepsEveryOtherFrameAndAddsNoId3v1Tag) {
  test::TempDir dir;
  std::string listing;
  const std::pair<const char*, bool> cases[] = {  // file, the comment edited too
      {"Upper.MP3", false},          {"cbr_v23_latin1.mp3", false}, {"cbr_v23_latin1.mp3", true},
      {"cbr_v23_utf16.mp3", false},  {"cbr_v23_utf16_v1.mp3", false}, {"id3lib_written.mp3", false},
      {"two_comments.mp3", false},   {"untagged.mp3", true},        {"vbr_mpeg2_mono.mp3", false}};
  for (auto [name, comment] : cases) {
    SCOPED_TRACE(std::string(name) + (comment ? " with the comment" : ""));
    const CString path = dir.CopyFixture(name);
    if (listing.find(std::string(name) + "\n") == std::string::npos) listing += std::string(name) + "\n";
    const std::string v1Before = Mutagen(path, "v1");
    // The view mutagen-based players show merges the ID3v1 tag in: a new
    // ID3v1 tag would show its comment there as a new comment frame.
    std::vector<std::string> edited = {"TPE1="};
    if (comment) edited.push_back("COMM");
    const std::string before = FramesBut(path, "all", edited);
    {
      CMyMP3Tags tags;
      tags.Link(path);
      tags.SetArtist("Changed Artist");
      if (comment) tags.SetComment("Changed comment");
      EXPECT_EQ(tags.GetLastWriteError(), "");
    }
    EXPECT_EQ(Mutagen(path, "TPE1"), "Changed Artist");
    EXPECT_EQ(FramesBut(path, "all", edited), before);
    if (v1Before.empty()) {
      const std::string bytes = test::ReadFile(path);
      EXPECT_NE(bytes.compare(bytes.size() - 128, 3, "TAG"), 0);
      EXPECT_EQ(Mutagen(path, "v1"), "");
    }
    if (comment) {
      const std::string comments = FramesBut(path, "v2", {"T", "W"});
      EXPECT_EQ(std::count(comments.begin(), comments.end(), '\n'), 1) << comments;
      EXPECT_NE(comments.find("text=['Changed comment']"), std::string::npos) << comments;
    }
  }
  // Each file written in place under its own name (Upper.MP3 is no Upper.mp3),
  // the names in C order.
  EXPECT_EQ(test::RunCommand("ls -A '" + dir.Path().Str() + "' | LC_ALL=C sort"), listing);
}

// The ID3v1 tag beside an ID3v2 tag of either engine, or alone: it gets the
// edited fields that fit Latin-1 (cut to its thirty bytes, the track as a
// number) and keeps every other field as it was.
TEST(TagsWrite, Id3v1CopyGetsLatin1AndOnlyTheEditedFields) {
  struct Case {
    const char* file;
    std::vector<std::pair<void (CMyMP3Tags::*)(CString), const char*>> edits;
    std::vector<std::string> changed, v1Has;  // the ID3v1 fields the edits change; texts it then holds
    std::pair<const char*, const char*> frame;  // a mutagen key and its text after the save
    std::vector<std::string> fresh;             // artist, album, title, comment, track on a fresh link
  };
  const Case cases[] = {
      // A genre goes in as its number (letter case and trailing blanks aside),
      // or 255 when it has none; in ID3v2 as the name given.
      {"cbr_v23_utf16_v1.mp3",
       {{&CMyMP3Tags::SetArtist, "Björk Guðmundsdóttir"},
        {&CMyMP3Tags::SetTitle, "日本語の歌"},  // no Latin-1 form: the ID3v1 title stays
        {&CMyMP3Tags::SetAlbum, "Ålbum with a name longer than thirty characters"},
        {&CMyMP3Tags::SetTrack, "11/12"}, {&CMyMP3Tags::SetGenre, "christian rock"}},
       {"TPE1", "TALB", "TRCK", "TCON"},
       {"TPE1=TPE1(encoding=<Encoding.LATIN1: 0>, text=['Björk Guðmundsdóttir'])",
        "text=['Ålbum with a name longer than'", "TRCK=TRCK(encoding=<Encoding.LATIN1: 0>, text=['11'])",
        "TCON=TCON(encoding=<Encoding.LATIN1: 0>, text=['141'])"},
       {"TIT2", "日本語の歌"}, {}},
      // The ID3v2 copy of the comment is the plain one.
      {"v1_only.mp3", {{&CMyMP3Tags::SetArtist, "Sigur Rós"}, {&CMyMP3Tags::SetGenre, "Jazz"}}, {"TPE1", "TCON"},
       {"text=['Sigur Rós']", "text=['V1 Title']", "text=['8']"}, {"COMM::eng", "v1 comment"},
       {"Sigur Rós", "V1 Album", "V1 Title", "v1 comment", "7"}},
      {"v24_v1.mp3", {{&CMyMP3Tags::SetTitle, "日本語"}, {&CMyMP3Tags::SetArtist, "Sigur Rós"},
                      {&CMyMP3Tags::SetGenre, "Chillwave ♫"}},
       {"TPE1", "TCON"}, {"text=['Sigur Rós']", "text=['V1 Title']"}, {"TCON", "Chillwave ♫"}, {}},
      {"v22_full.mp3", {{&CMyMP3Tags::SetGenre, "Ambient"}}, {}, {}, {"TCON", "Ambient"}, {}},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const CString path = dir.CopyFixture(c.file);
    const std::string before = Mutagen(path, "v1");
    CMyMP3Tags tags;
    tags.Link(path);
    for (const auto& [set, value] : c.edits) (tags.*set)(value);
    EXPECT_EQ(tags.GetLastWriteError(), "");
    const std::string v1 = Mutagen(path, "v1");
    for (const std::string& text : c.v1Has) EXPECT_NE(v1.find(text), std::string::npos) << text << "\n" << v1;
    std::istringstream in(Without(before, c.changed));
    for (std::string line; std::getline(in, line);) EXPECT_NE(v1.find(line), std::string::npos) << line;
    EXPECT_EQ(Mutagen(path, c.frame.first), c.frame.second);
    tags.Reset();
    tags.Link(path);
    const std::vector<std::string> row = test::Row(tags);
    if (!c.fresh.empty()) {
      EXPECT_EQ(std::vector<std::string>(row.begin(), row.begin() + 5), c.fresh);
    }
  }
}

// Comments and links with a description belong to other programs: removing
// the fields keeps them (and the genre), a new plain comment or link goes
// beside them, the comment in the language of the file's others. Empty text
// is stored as empty, not as a missing frame.
TEST(TagsWrite, DescribedFramesAndGenreStayBesideTheEditedOnes) {
  struct Case {
    const char* file;
    bool removeAll;
    const char *comment, *url, *artist;  // set after the removal; nullptr: not set
    std::vector<std::pair<const char*, const char*>> frames;  // mutagen key, text ("*": any but none)
  };
  const Case cases[] = {
      {"cbr_v23_latin1.mp3", true, nullptr, nullptr, nullptr,
       {{"TPE1", ""}, {"TIT2", ""}, {"WXXX:home", "http://example.org/"}, {"TCON", "*"}}},
      // The language of the iTunNORM comment left.
      {"v24_full.mp3", true, "Neu", "http://☂.example/", nullptr,
       {{"COMM:iTunNORM:eng", " 000001F4 000001F4"}, {"COMM::eng", "Neu"}, {"WXXX:Discogs", "http://discogs.example/"},
        {"WXXX:", "http://%E2%98%82.example/"}, {"TPE1", ""}, {"TCON", "Rock"}, {"APIC:cover", "*"}}},
      {"two_comments.mp3", false, "New comment", "http://example.com/new", "",
       {{"COMM:first:eng", "First comment"}, {"COMM:second:deu", "Second comment"}, {"COMM::eng", "New comment"},
        {"WXXX:", "http://example.com/new"}, {"WXXX:home", "http://example.org/"}}},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const CString path = dir.CopyFixture(c.file);
    {
      CMyMP3Tags tags;
      tags.Link(path);
      if (c.removeAll) {
        tags.RemoveAllTags();
        ASSERT_EQ(tags.GetLastWriteError(), "");
        EXPECT_EQ(tags.GetComment(), "-");
      }
      if (c.comment) tags.SetComment(c.comment);
      if (c.url) tags.SetURL(c.url);
      if (c.artist) {
        tags.SetArtist(c.artist);
        EXPECT_EQ(tags.GetArtist(), c.artist);
      }
    }
    for (auto [key, text] : c.frames) {
      if (std::string(text) == "*") {
        EXPECT_NE(Mutagen(path, key), "") << key;
      } else {
        EXPECT_EQ(Mutagen(path, key), text) << key;
      }
    }
  }
}

// Kinds no engine can write are refused with the reason, by a single setter
// or a group (where a later unchanged setter keeps the refusal), and the
// file stays as it was.
TEST(TagsWrite, ReadOnlyKindsAreRefusedWithAReason) {
  test::TempDir dir;
  // A tag of a version above 4 is no tag either engine knows.
  std::string v25 = test::ReadFile(test::FixturePath("v24_small.mp3"));
  v25[3] = 5;
  test::WriteFile(dir.File("v25.mp3"), v25);
  const std::pair<const char*, const char*> cases[] = {
      {"compressed_frame.mp3", "damaged"}, {"v25.mp3", "damaged"}, {"empty.mp3", "empty"},
      {"not_mpeg.mp3", "not MPEG"}, {"v22_crm.mp3", "The file's ID3v2.2 frame CRM has no ID3v2.3 form"},
      {"v22_lnk.mp3", "frame LNK has no"}, {"v22_xyz.mp3", "frame XYZ has no"}};
  for (auto [name, reason] : cases) {
    for (const bool group : {false, true}) {
      SCOPED_TRACE(std::string(name) + (group ? " in a group" : ""));
      const CString path = std::string(name) == "v25.mp3" ? dir.File(name) : dir.CopyFixture(name);
      const std::string before = test::ReadFile(path);
      CMyMP3Tags tags;
      tags.Link(path);
      EXPECT_FALSE(tags.IsWritable());
      if (group) tags.BeginUpdate();
      tags.SetArtist("Anything");
      if (group) {
        tags.SetTitle(tags.GetTitle());  // unchanged: must not clear the refusal
        tags.EndUpdate();
      }
      EXPECT_NE(tags.GetLastWriteError().Find(reason), -1) << tags.GetLastWriteError().Str();
      tags.RemoveAllTags();
      EXPECT_NE(tags.GetLastWriteError(), "");
      tags.Reset();
      EXPECT_TRUE(test::ReadFile(path) == before);
    }
  }
}

// A vanished file is reported by the tag writer's tests; here the files
// that are not there at all, or no file linked.
TEST(TagsWrite, NoFileIsCreatedAndUnlinkedSettersDoNothing) {
  test::TempDir dir;
  CMyMP3Tags tags;
  tags.Link(dir.File("missing.mp3"));
  tags.SetTitle("x");
  EXPECT_NE(tags.GetLastWriteError(), "");
  EXPECT_NE(::access(dir.File("missing.mp3"), F_OK), 0);
  tags.Reset();
  tags.SetTitle("x");
  EXPECT_EQ(tags.GetLastWriteError(), "");
}

}  // namespace
