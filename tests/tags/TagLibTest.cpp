// ID3v2.4 and v2.2 files, read and written through TagLib: what the program
// shows, and what an independent reader sees before and after a save.
#include "TagsTestSupport.h"

#include <tags/MyMP3Tags.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

namespace {

using test::Audio;
using test::kFields;
using test::Mutagen;
using test::TagEnd;

std::multiset<std::string> RawFrames(const std::string& b) {
  const std::vector<std::string> frames = test::TagFrames(b);
  return std::multiset<std::string>(frames.begin(), frames.end());
}

// The edited fields' values in a save of all fourteen.
const char* const kValues[] = {"Fourteen Café",  "Album Café",     "Title Café",          "5/9",
                               "2024",           "Original Café",  "Comment Café",        "Composer Café",
                               "Encoder Café",   "Copyright Café", "http://example.com/x", "Band Café",
                               "Publisher Café", "Conductor Café"};

TEST(TagsTagLib, EveryFieldReadsAsOtherReadersShowIt) {
  struct Case {
    const char* name;
    std::vector<std::string> cells;  // the fourteen fields and the genre
  };
  const Case cases[] = {
      {"v24_full.mp3",
       {"Nina Simone ♫", "Álbum in UTF-16", "Title in UTF-16BE ☂", "Kommentar ünd ♫", "3/12", "1999-05-01",
        "Composer One; Composer Two", "2004 Copyright", "Encoder", "Original Ärtist", "http://example.org/", "Band",
        "Publisher", "Conductor", "(17)"}},
      {"v24_itunes.mp3",
       {"iTunes Ärtist", "iTunes Album", "iTunes Title", std::string(20 * 15, ' '), "-", "-", "-", "-", "-", "-", "-",
        "-", "-", "-", "-"}},
      {"v24_footer.mp3",
       {"Footer Artist", "-", "Footer Title", "-", "-", "-", "-", "-", "-", "-", "-", "-", "-", "-", "-"}},
      // TOA is the original artist, TXT the lyricist (no field), TYE the year.
      {"v22_full.mp3",
       {"Old Ärtist", "Old Album", "Old Title ♫", "Old comment", "4/9", "1994", "Composer", "Copyright", "Encoder",
        "Original Artist", "http://old.example/", "Band", "Publisher", "Conductor", "(17)"}},
  };
  for (const Case& c : cases) {
    CMyMP3Tags tags;
    tags.Link(test::FixturePath(c.name));
    std::vector<std::string> row = test::Row(tags);
    if (std::string(c.name) == "v24_itunes.mp3") row[3] = std::string(row[3].size(), ' ');  // only its length
    EXPECT_EQ(std::vector<std::string>(row.begin(), row.begin() + 15), c.cells) << c.name;
    // Tag types and header facts as for any file.
    EXPECT_EQ(row[17], "1") << c.name;
    EXPECT_EQ(row[19], "1") << c.name;
    EXPECT_EQ(row[20], "128 kbit/s") << c.name;
    EXPECT_TRUE(tags.IsWritable()) << c.name;
  }
  CMyMP3Tags tags;
  tags.Link(test::FixturePath("v24_itunes.mp3"));
  EXPECT_EQ(tags.GetComment().GetLength(), 300) << "a plain-sized frame of 300 bytes is read whole";
  tags.Reset();
  tags.Link(test::FixturePath("v24_v1.mp3"));
  EXPECT_EQ(tags.isV1Tag(), 1);
  EXPECT_EQ(tags.GetArtist().Str(), Mutagen(test::FixturePath("v24_v1.mp3"), "TPE1"));
}

// One-field and fourteen-field saves on every kind: the edited frames hold
// the new values in the encoding the version allows, every other frame is
// as it was (byte for byte in a v2.4 tag), the audio and trailing tags are
// untouched, and a fresh link shows what was written.
TEST(TagsTagLib, SavesChangeOnlyTheEditedFrames) {
  test::TempDir dir;
  const char* const files[] = {"v24_full.mp3", "v24_v1.mp3",  "v24_itunes.mp3", "v24_footer.mp3",
                               "v24_ape.mp3",  "v24_small.mp3", "v22_full.mp3"};
  for (const char* name : files) {
    for (const bool all : {false, true}) {
      const std::string label = std::string(name) + (all ? " fourteen fields" : " one field");
      const CString path = dir.CopyFixture(name);
      const std::string before = test::ReadFile(path);
      const int major = before[3];
      std::vector<std::string> keys = {"TPE1="};
      {
        CMyMP3Tags tags;
        tags.Link(path);
        tags.BeginUpdate();
        if (all) {
          for (std::size_t i = 0; i < std::size(kFields); ++i) {
            const test::Field& field = kFields[i];
            (tags.*field.set)(kValues[i]);
          }
          keys = test::FieldKeys();
        } else {
          tags.SetArtist("Changed Ärtist ☂; Second");
        }
        tags.EndUpdate();
        ASSERT_EQ(tags.GetLastWriteError(), "") << label;
      }
      const std::string after = test::ReadFile(path);
      EXPECT_EQ(after[3], major == 2 ? 3 : 4) << label << ": v2.4 stays v2.4, v2.2 becomes v2.3";
      EXPECT_TRUE(Audio(after) == Audio(before)) << label;
      EXPECT_EQ(test::FramesBut(path, "v2", keys), test::FramesBut(test::FixturePath(name), "v2", keys)) << label;
      // A one-field edit where the tag has room moves no audio.
      if (!all && TagEnd(before) > 10 + 300 && !(before[5] & 0x10)) {
        EXPECT_EQ(TagEnd(after), TagEnd(before)) << label;
      }
      if (major == 4) {
        // Each frame gone is an edited one, at most one per field.
        const std::multiset<std::string> old = RawFrames(before), now = RawFrames(after);
        std::multiset<std::string> gone;
        std::set_difference(old.begin(), old.end(), now.begin(), now.end(), std::inserter(gone, gone.end()));
        std::map<std::string, int> perId;
        for (const std::string& frame : gone) ++perId[frame.substr(0, 4)];
        for (const auto& [id, count] : perId) {
          EXPECT_EQ(count, 1) << label << " " << id;
          EXPECT_TRUE(std::any_of(keys.begin(), keys.end(), [&](const std::string& k) { return k.rfind(id, 0) == 0; }))
              << label << ": " << id << " changed";
        }
      }
      CMyMP3Tags fresh;
      fresh.Link(path);
      if (all) {
        for (std::size_t i = 0; i < std::size(kFields); ++i) {
          const test::Field& field = kFields[i];
          EXPECT_EQ((fresh.*field.get)(), kValues[i]) << label << " " << field.key;
        }
        EXPECT_NE(Mutagen(path, "v2").find("TIT2=TIT2(encoding=<Encoding.LATIN1: 0>, text=['Title Café'])"),
                  std::string::npos)
            << label << ": Latin-1 where it fits";
      } else {
        EXPECT_EQ(fresh.GetArtist(), "Changed Ärtist ☂; Second") << label;
        // Two values in v2.4; v2.3 has one text per frame.
        const std::string stored = major == 4 ? "<Encoding.UTF8: 3>, text=['Changed Ärtist ☂', 'Second'])"
                                              : "<Encoding.UTF16: 1>, text=['Changed Ärtist ☂; Second'])";
        EXPECT_NE(Mutagen(path, "v2").find("TPE1=TPE1(encoding=" + stored), std::string::npos)
            << label << ": UTF-8 in v2.4, UTF-16 in v2.3";
      }
      EXPECT_EQ(fresh.GetGenre(), test::Row(fresh)[14]) << label;
    }
  }
}

// A field whose first frame TagLib cannot parse is read-only: no later
// frame of its identifier stands in for it, in reading or in writing; the
// same holds for the pictures. Other fields are saved, every frame kept.
TEST(TagsTagLib, AnUnreadableFirstFrameIsNeverStoodInFor) {
  test::TempDir dir;
  const CString path = dir.CopyFixture("v24_unreadable_first.mp3");
  const std::string before = test::ReadFile(path);
  CMyMP3Tags tags;
  tags.Link(path);
  EXPECT_EQ(tags.GetArtist(), "-");
  EXPECT_EQ(test::Cover(tags), "-");
  tags.SetArtist("Edited");
  EXPECT_EQ(tags.GetLastWriteError(), "The file's TPE1 frame cannot be read, so it is not changed");
  tags.SetFrontCover(test::ReadFile(test::FixturePath("cover_back.png")));
  EXPECT_EQ(tags.GetLastWriteError(), "The file's pictures cannot all be read, so its cover is not changed");
  tags.RemoveFrontCover();
  EXPECT_TRUE(test::ReadFile(path) == before);
  tags.SetTitle("Edited Title");
  tags.RemoveAllTags();
  EXPECT_EQ(tags.GetLastWriteError(), "");
  tags.Reset();
  std::vector<std::string> kept = test::TagFrames(before);
  kept.erase(std::find_if(kept.begin(), kept.end(), [](const std::string& f) { return f.compare(0, 4, "TIT2") == 0; }));
  EXPECT_EQ(test::TagFrames(test::ReadFile(path)), kept);
}

}  // namespace
