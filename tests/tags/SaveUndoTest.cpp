// Undo of a save: the record a save hands out puts the file back byte for
// byte, alone or in a batch, in place or through a new file; only a file
// that still holds what the save wrote is written, and a damaged record
// never is.
#include "TagsTestSupport.h"

#include <tags/MyMP3Tags.h>

#include <gtest/gtest.h>

#include <functional>
#include <unistd.h>

namespace {

using Record = std::vector<unsigned char>;

struct Edit {
  const char* name;
  std::function<void(CMyMP3Tags&)> apply;
  bool bTextOnly;
};
const Edit kEdits[] = {
    {"artist", [](CMyMP3Tags& t) { t.SetArtist("Undo Ärtist"); }, true},
    {"grown comment", [](CMyMP3Tags& t) { t.SetComment(CString('g', 3000)); }, true},
    {"genre", [](CMyMP3Tags& t) { t.SetGenre("Jazz"); }, true},
    {"cover", [](CMyMP3Tags& t) { t.SetFrontCover(test::ReadFile(test::FixturePath("cover_back.png"))); }, false},
    {"cover removed", [](CMyMP3Tags& t) { t.RemoveFrontCover(); }, false},
};

// One save of a linked file in a group, with its record.
Record Save(CMyMP3Tags& tags, const CString& path, const Edit& edit) {
  tags.Link(path);
  tags.BeginUpdate();
  edit.apply(tags);
  const Record record = tags.PrepareSaveUndo();
  tags.EndUpdate();
  EXPECT_EQ(tags.GetLastWriteError(), "") << path.Str() << " " << edit.name;
  tags.Reset();
  return record;
}

void EndBatch(CMyMP3Tags& tags) {
  for (const CWriteOutcome& outcome : tags.EndBatch()) EXPECT_EQ(outcome.strError, "") << outcome.strPath.Str();
}

TEST(TagsSaveUndo, EverySaveIsPutBackByteForByte) {
  const char* const files[] = {"v1_only.mp3",     "untagged.mp3",        "v22_full.mp3",     "cbr_v23_latin1.mp3",
                               "cbr_v23_utf16_v1.mp3", "v23_compressed.mp3", "v23_duplicates.mp3", "v24_footer.mp3",
                               "v24_footer_v1.mp3", "v24_itunes.mp3",     "v24_full.mp3",     "covers_v23.mp3",
                               "covers_v22.mp3",  "lyrics3_v1.mp3",      "big_cover.mp3"};
  for (const bool batch : {false, true}) {
    SCOPED_TRACE(batch ? "in a batch" : "one by one");
    test::TempDir dir;
    struct Saved {
      CString path;
      const Edit* edit;
      std::string before;
      Record record;
      ino_t inode;
    };
    std::vector<Saved> saved;
    for (const char* file : files)
      for (const Edit& edit : kEdits) {
        const CString path = dir.Path() + "/" + file + "-" + edit.name + ".mp3";
        test::WriteFile(path, std::string(file) == "big_cover.mp3" ? test::FileWithBigCover()
                                                                   : test::ReadFile(test::FixturePath(file)));
        saved.push_back({path, &edit, test::ReadFile(path), {}, test::Inode(path)});
      }
    CMyMP3Tags tags;
    if (batch) tags.BeginBatch();
    for (Saved& s : saved) s.record = Save(tags, s.path, *s.edit);
    if (batch) EndBatch(tags);
    int inPlace = 0, newFiles = 0;
    for (const Saved& s : saved) {
      (test::Inode(s.path) == s.inode ? inPlace : newFiles) += !s.record.empty();
      SCOPED_TRACE(s.path.Str());
      const std::string after = test::ReadFile(s.path);
      EXPECT_EQ(s.record.empty(), after == s.before) << "a record exactly for a save that wrote";
      if (s.edit->bTextOnly) {
        EXPECT_LE(s.record.size(), 1024u);
      }
      EXPECT_TRUE(test::Audio(after) == test::Audio(s.before));
    }
    if (batch) tags.BeginBatch();
    for (const Saved& s : saved)
      if (!s.record.empty()) {
        EXPECT_EQ(tags.RestoreSave(s.path, s.record), CRestoreResult::Restored) << s.path.Str() << tags.GetLastWriteError().Str();
      }
    if (batch) EndBatch(tags);
    for (const Saved& s : saved) {
      EXPECT_TRUE(test::ReadFile(s.path) == s.before) << s.path.Str();
      if (!s.record.empty()) {
        EXPECT_EQ(tags.RestoreSave(s.path, s.record), CRestoreResult::AlreadyRestored) << s.path.Str();
      }
      EXPECT_TRUE(test::ReadFile(s.path) == s.before) << s.path.Str();
    }
    EXPECT_GT(inPlace, 10);
    EXPECT_GT(newFiles, 10);
  }
}

// A file that no longer holds what the save wrote is named and left alone;
// so is one changed between the record and the write, which that write then
// leaves alone too.
TEST(TagsSaveUndo, OnlyAFileHoldingWhatTheSaveWroteIsRestored) {
  const char* changed = "The file was changed since the save";
  const std::pair<const char*, std::function<void(const CString&)>> cases[] = {
      {changed, [](const CString& p) { CMyMP3Tags t; t.Link(p); t.SetTitle("Edited since"); }},
      {changed, [](const CString& p) {
         std::string b = test::ReadFile(p);
         b[test::TagEnd(b) + 100] ^= 1;  // in the audio
         test::WriteFile(p, b);
       }},
      {changed, [](const CString& p) { test::WriteFile(p, test::ReadFile(p) + "x"); }},
      {changed, [](const CString& p) {
         std::string b = test::ReadFile(p);
         b[b.size() - 10] ^= 1;  // in the ID3v1 block
         test::WriteFile(p, b);
       }},
      {"The file no longer exists or cannot be read", [](const CString& p) { ::unlink(p); }},
  };
  test::TempDir dir;
  for (const auto& [reason, change] : cases) {
    const CString path = dir.CopyFixture("cbr_v23_utf16_v1.mp3", "song.mp3");
    CMyMP3Tags tags;
    const Record record = Save(tags, path, kEdits[0]);
    change(path);
    const std::string now = test::ReadFile(path);
    EXPECT_EQ(tags.RestoreSave(path, record), CRestoreResult::Refused);
    EXPECT_EQ(tags.GetLastWriteError(), reason);
    EXPECT_TRUE(test::ReadFile(path) == now);
  }
  // A setter after the record is refused; the write is the record's.
  const CString path = dir.CopyFixture("covers_v24.mp3", "song.mp3");
  const std::string original = test::ReadFile(path);
  CMyMP3Tags tags;
  tags.Link(path);
  tags.BeginUpdate();
  tags.SetArtist("Written");
  Record record = tags.PrepareSaveUndo();
  tags.SetTitle("Refused after the record");
  EXPECT_EQ(tags.GetLastWriteError(), "The save's record was made; the tag cannot change before it is written");
  tags.EndUpdate();
  EXPECT_EQ(tags.GetTitle(), "Pictures");
  EXPECT_EQ(tags.RestoreSave(path, record), CRestoreResult::Restored);
  EXPECT_TRUE(test::ReadFile(path) == original);
  // Between the record and the write: the write, and then the restore, refuse.
  tags.Link(path);
  tags.BeginUpdate();
  tags.SetArtist("Never written");
  record = tags.PrepareSaveUndo();
  test::WriteFile(path, test::ReadFile(path) + "x");
  const std::string now = test::ReadFile(path);
  tags.EndUpdate();
  EXPECT_EQ(tags.GetLastWriteError(), "The file was changed by another program since it was read");
  EXPECT_TRUE(test::ReadFile(path) == now);
  EXPECT_EQ(tags.RestoreSave(path, record), CRestoreResult::Refused);
  EXPECT_TRUE(test::ReadFile(path) == now);
  // A group given up writes nothing, and shows the file again.
  tags.Link(path);
  tags.BeginUpdate();
  tags.SetArtist("Given up");
  EXPECT_FALSE(tags.PrepareSaveUndo().empty());
  tags.CancelUpdate();
  EXPECT_EQ(tags.GetArtist(), "Pictured Ärtist");
  tags.Reset();
  EXPECT_TRUE(test::ReadFile(path) == now);
}

// Every shorter record, and every record with one byte changed, is refused
// with the file left as the save left it.
TEST(TagsSaveUndo, DamagedRecordsAreRefusedAndNeverWritten) {
  test::TempDir dir;
  const CString path = dir.CopyFixture("covers_v23.mp3", "song.mp3");
  CMyMP3Tags tags;
  const Record record = Save(tags, path, {"artist and genre", [](CMyMP3Tags& t) {
                                            t.SetArtist("Damaged");
                                            t.SetGenre("Pop");  // changes the ID3v1 block too
                                          }, true});
  const std::string saved = test::ReadFile(path);
  int refused = 0;
  for (std::size_t n = 0; n < record.size(); ++n) {
    refused += tags.RestoreSave(path, Record(record.begin(), record.begin() + n)) == CRestoreResult::Refused;
    for (const unsigned char bit : {0x01, 0x80}) {
      Record damaged = record;
      damaged[n] ^= bit;
      refused += tags.RestoreSave(path, damaged) == CRestoreResult::Refused;
      if (n == 3) {
        EXPECT_EQ(tags.GetLastWriteError(), "The undo record was made by another version of the program");
      }
    }
    ASSERT_TRUE(test::ReadFile(path) == saved) << "byte " << n;
  }
  EXPECT_EQ(refused, static_cast<int>(3 * record.size()));
  EXPECT_EQ(tags.RestoreSave(path, record), CRestoreResult::Restored);
}

}  // namespace
