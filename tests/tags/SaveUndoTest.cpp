// Undo of a save: the record a save hands out puts the file back byte for
// byte, alone or in a batch, in place or through a new file; only a file
// that still holds what the save wrote is written. (Damaged records: the
// mutation run.)
#include "Sha256.h"
#include "TagsTestSupport.h"

#include <tags/MyMP3Tags.h>

#include <gtest/gtest.h>

#include <functional>
#include <unistd.h>

namespace {

using Record = std::vector<unsigned char>;
using Change = std::function<void(CMyMP3Tags&)>;

// One save of a file in a group, with its record.
Record Save(CMyMP3Tags& tags, const CString& path, const Change& change) {
  tags.Link(path);
  tags.BeginUpdate();
  change(tags);
  const Record record = tags.PrepareSaveUndo();
  tags.EndUpdate();
  EXPECT_EQ(tags.GetLastWriteError(), "") << path.Str();
  tags.Reset();
  return record;
}

void EndBatch(CMyMP3Tags& tags) {
  for (const CWriteOutcome& outcome : tags.EndBatch()) EXPECT_EQ(outcome.strError, "") << outcome.strPath.Str();
}

TEST(TagsSaveUndo, EverySaveIsPutBackByteForByte) {
  const std::pair<const char*, Change> changes[] = {  // text only when the name starts with "text"
      {"text artist", [](CMyMP3Tags& t) { t.SetArtist("Undo Ärtist"); }},
      {"text grown", [](CMyMP3Tags& t) { t.SetComment(CString('g', 3000)); }},
      {"text genre", [](CMyMP3Tags& t) { t.SetGenre("Jazz"); }},
      {"cover", [](CMyMP3Tags& t) { t.SetFrontCover(test::ReadFile(test::FixturePath("cover_back.png"))); }},
      {"cover removed", [](CMyMP3Tags& t) { t.RemoveFrontCover(); }}};
  const char* const files[] = {"v1_only.mp3", "untagged.mp3", "v22_full.mp3", "cbr_v23_latin1.mp3", "cbr_v23_utf16_v1.mp3",
                               "v23_compressed.mp3", "v23_duplicates.mp3", "v24_footer.mp3", "v24_footer_v1.mp3",
                               "v24_itunes.mp3", "v24_full.mp3", "covers_v23.mp3", "covers_v22.mp3", "lyrics3_v1.mp3",
                               "big_cover.mp3"};
  int inPlace = 0, newFiles = 0;
  for (const bool batch : {false, true}) {
    SCOPED_TRACE(batch ? "in a batch" : "one by one");
    test::TempDir dir;
    struct Saved {
      CString path;
      bool bText;
      std::string before;
      ino_t inode;
      Record record;
    };
    std::vector<Saved> saved;
    CMyMP3Tags tags;
    if (batch) tags.BeginBatch();
    for (const char* file : files)
      for (const auto& [name, change] : changes) {
        const CString path = dir.Path() + "/" + file + "-" + name + ".mp3";
        test::WriteFile(path, std::string(file) == "big_cover.mp3" ? test::FileWithBigCover()
                                                                   : test::ReadFile(test::FixturePath(file)));
        saved.push_back({path, CString(name).Find("text") == 0, test::ReadFile(path), test::Inode(path), {}});
        saved.back().record = Save(tags, path, change);
      }
    for (const Saved& s : batch ? std::vector<Saved>() : saved) {
      const std::string after = test::ReadFile(s.path);
      EXPECT_EQ(s.record.empty(), after == s.before) << s.path.Str() << ": a record exactly for a save that wrote";
      EXPECT_TRUE(!s.bText || s.record.size() <= 1024) << s.path.Str() << " " << s.record.size();
      EXPECT_TRUE(test::Audio(after) == test::Audio(s.before)) << s.path.Str();
      (test::Inode(s.path) == s.inode ? inPlace : newFiles) += !s.record.empty();
    }
    // In a batch, before its saves are committed.
    for (const Saved& s : saved)
      if (!s.record.empty()) {
        EXPECT_EQ(tags.RestoreSave(s.path, s.record), CRestoreResult::Restored) << s.path.Str();
      }
    if (batch) EndBatch(tags);
    for (const Saved& s : saved) {
      EXPECT_TRUE(test::ReadFile(s.path) == s.before) << s.path.Str();
      if (!s.record.empty()) {
        EXPECT_EQ(tags.RestoreSave(s.path, s.record), CRestoreResult::AlreadyRestored) << s.path.Str();
      }
    }
  }
}

// A file that no longer holds what the save wrote, or a record that is not
// the save's, is refused by name, and the file left alone; so is a file
// changed between the record and the write, which that write leaves alone.
TEST(TagsSaveUndo, OnlyAFileHoldingWhatTheSaveWroteIsRestored) {
  const auto flip = [](std::size_t at) {
    return [at](const CString& p, Record*) {
      std::string b = test::ReadFile(p);
      b[at < 128 ? b.size() - at : test::TagEnd(b) + at] ^= 1;
      test::WriteFile(p, b);
    };
  };
  const char* changed = "The file was changed since the save";
  const std::pair<const char*, std::function<void(const CString&, Record*)>> cases[] = {
      {changed, [](const CString& p, Record*) { CMyMP3Tags t; t.Link(p); t.SetTitle("Edited since"); }},
      {changed, flip(200)},  // in the audio
      {changed, flip(10)},   // in the ID3v1 block
      {changed, [](const CString& p, Record*) { test::WriteFile(p, test::ReadFile(p) + "x"); }},
      {"The file no longer exists or cannot be read", [](const CString& p, Record*) { ::unlink(p); }},
      {"The undo record is damaged", [](const CString&, Record* r) { r->pop_back(); }},
      {"The undo record was made by another version of the program", [](const CString&, Record* r) { (*r)[3] = 2; }},
      // The saved file itself, reached through a link put in its place: the link is not followed.
      {"The file is a symbolic link, which an undo does not follow", [](const CString& p, Record*) {
         ASSERT_EQ(::rename(p, p + ".real"), 0);
         ASSERT_EQ(::symlink(p + ".real", p), 0);
       }}};
  test::TempDir dir;
  for (const auto& [reason, change] : cases) {
    const CString path = dir.CopyFixture("cbr_v23_utf16_v1.mp3", "song.mp3");
    CMyMP3Tags tags;
    Record record = Save(tags, path, [](CMyMP3Tags& t) { t.SetArtist("Undo"); });
    change(path, &record);
    const std::string now = test::ReadFile(path);
    EXPECT_EQ(tags.RestoreSave(path, record), CRestoreResult::Refused);
    EXPECT_EQ(tags.GetLastWriteError(), reason);
    EXPECT_TRUE(test::ReadFile(path) == now) << reason;
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
  // Changed between the record and the write.
  tags.Link(path);
  tags.BeginUpdate();
  tags.SetArtist("Never written");
  record = tags.PrepareSaveUndo();
  test::WriteFile(path, original + "x");
  tags.EndUpdate();
  EXPECT_EQ(tags.GetLastWriteError(), "The file was changed by another program since it was read");
  EXPECT_EQ(tags.RestoreSave(path, record), CRestoreResult::Refused);
  EXPECT_TRUE(test::ReadFile(path) == original + "x");
  // A record kept from an earlier group of the same edits is matched
  // without being made again; other edits are not.
  const std::string kept = test::ReadFile(path);
  tags.Link(path);
  tags.BeginUpdate();
  tags.SetArtist("Matched");
  record = tags.PrepareSaveUndo();
  tags.CancelUpdate();
  for (const char* artist : {"Other", "Matched"}) {
    tags.Link(path);
    tags.BeginUpdate();
    tags.SetArtist(artist);
    EXPECT_EQ(tags.MatchSaveUndo(record), artist == std::string("Matched")) << artist;
    if (artist != std::string("Matched")) tags.CancelUpdate();
  }
  tags.EndUpdate();
  EXPECT_EQ(tags.GetLastWriteError(), "");
  EXPECT_EQ(tags.RestoreSave(path, record), CRestoreResult::Restored);
  EXPECT_TRUE(test::ReadFile(path) == kept);
  // A group given up writes nothing, and shows the file again.
  tags.Link(path);
  tags.BeginUpdate();
  tags.SetArtist("Given up");
  EXPECT_FALSE(tags.PrepareSaveUndo().empty());
  tags.CancelUpdate();
  EXPECT_EQ(tags.GetArtist(), "Pictured Ärtist");
  tags.Reset();
  EXPECT_TRUE(test::ReadFile(path) == original + "x");
}

TEST(TagsSaveUndo, FingerprintsAreSha256WithAndWithoutTheProcessorsInstructions) {
  std::string bytes;
  for (int i = 0; bytes.size() < 20000; ++i) bytes += static_cast<char>(i * 7919 % 251);
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  for (std::size_t size : {0, 1, 55, 56, 63, 64, 65, 119, 120, 128, 1000, 16384, 20000})
    EXPECT_EQ(Sha256(data, size), Sha256Portable(data, size)) << size;
  const CDigest abc = Sha256(reinterpret_cast<const unsigned char*>("abc"), 3);
  EXPECT_EQ(abc[0], 0xba);
  EXPECT_EQ(abc[31], 0xad);
}

}  // namespace
