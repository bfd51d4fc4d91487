// A file's tags as a value: read, changed in memory, recorded and saved
// once; after the save it shows what the file holds, and its record puts
// the file back byte for byte.
#include "TagsTestSupport.h"

#include <tags/MyMP3Tags.h>
#include <tags/TagFile.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

constexpr TagField kEveryField[] = {
    TagField::Artist,    TagField::Album,     TagField::Title,     TagField::Comment, TagField::Track,
    TagField::Year,      TagField::Composer,  TagField::Copyright, TagField::EncodedBy, TagField::OriginalArtist,
    TagField::URL,       TagField::Band,      TagField::Publisher, TagField::Conductor, TagField::Genre,
    TagField::Disc,      TagField::Lyrics};

// One of each way a file is read and written: ID3v2.3 (id3lib) with and
// without ID3v1, ID3v2.4 (TagLib), ID3v2.2 (saved as v2.3), ID3v1 only, none.
const char* const kKinds[] = {"cbr_v23_latin1.mp3", "cbr_v23_utf16_v1.mp3", "v24_full.mp3",
                              "v22_full.mp3",       "v1_only.mp3",          "untagged.mp3"};

// How many descriptors of this process are open on files in folder.
int DescriptorsInto(const CString& folder) {
  int n = 0;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
    const std::string target = std::filesystem::read_symlink(entry.path(), error).string();
    n += target.rfind(folder.Str() + "/", 0) == 0;
  }
  return n;
}

std::vector<std::string> Fields(const CTagFile& file) {
  std::vector<std::string> out;
  for (TagField field : kEveryField) out.push_back(file.Get(field).Str());
  out.push_back(file.TagVersion().Str());
  out.push_back(std::to_string(file.FileSize()));
  return out;
}

TEST(TagFile, ASaveWritesItsRecordedRenderingAndTheValueShowsTheFile) {
  for (const bool batched : {false, true}) {
    SCOPED_TRACE(batched ? "in a batch" : "alone");
    test::TempDir dir;
    for (const char* name : kKinds) {
      SCOPED_TRACE(name);
      const CString path = dir.CopyFixture(name);
      const std::string before = test::ReadFile(path);
      CString reason;
      const std::unique_ptr<CTagFile> file = CTagFile::Read(path, &reason);
      EXPECT_EQ(reason, "");
      EXPECT_EQ(file->Set(TagField::Artist, "Välue Ärtist"), "");
      EXPECT_EQ(file->Set(TagField::Title, "Τίτλος"), "");  // not Latin-1: the ID3v1 title stays
      EXPECT_EQ(file->Set(TagField::Genre, "Jazz"), "");
      ASSERT_TRUE(file->IsChanged());
      const std::vector<unsigned char> record = file->SaveRecord(&reason);
      ASSERT_FALSE(record.empty()) << reason.Str();
      EXPECT_NE(file->Set(TagField::Album, "After the record"), "");  // the record is what is written
      CSaveBatch batch;
      ASSERT_TRUE(file->Save(&reason, batched ? &batch : nullptr)) << reason.Str();
      for (const CWriteOutcome& outcome : batch.Commit()) EXPECT_EQ(outcome.strError, "");
      // The value holds no file open: the one replaced can be reused.
      EXPECT_EQ(DescriptorsInto(dir.Path()), 0);

      // From the bytes it wrote, the value shows what a new reading of the file does.
      EXPECT_EQ(file->Get(TagField::Artist), "Välue Ärtist");
      EXPECT_EQ(Fields(*file), Fields(*CTagFile::Read(path)));
      EXPECT_EQ(file->Identity(), CMyMP3Tags::ReadFileIdentity(path));
      if (!batched && std::string(name) != "v1_only.mp3") {
        EXPECT_EQ(test::Mutagen(path, "TPE1"), "Välue Ärtist");
      }

      CMyMP3Tags tags;
      EXPECT_EQ(tags.RestoreSave(path, record), CRestoreResult::Restored) << tags.GetLastWriteError().Str();
      EXPECT_TRUE(test::ReadFile(path) == before);
    }
  }
}

// A second save of a file while the batch still commits the first one in
// the background starts from what the first wrote, and both are reported.
TEST(TagFile, ASaveOfAFileStillBeingCommittedKeepsWhatTheFirstSaveWrote) {
  for (const char* name : {"cbr_v23_latin1.mp3", "cbr_v23_utf16_v1.mp3", "untagged.mp3"}) {
    SCOPED_TRACE(name);
    test::TempDir dir;
    const CString path = dir.CopyFixture(name);
    const std::unique_ptr<CTagFile> file = CTagFile::Read(path);
    CSaveBatch batch;
    CString reason;
    EXPECT_EQ(file->Set(TagField::Artist, "First Save"), "");
    ASSERT_TRUE(file->Save(&reason, &batch)) << reason.Str();
    EXPECT_TRUE(batch.CommitInBackground().empty());
    EXPECT_EQ(file->Set(TagField::Album, "Second Save"), "");
    ASSERT_TRUE(file->Save(&reason, &batch)) << reason.Str();
    const std::vector<CWriteOutcome> outcomes = batch.Commit();
    ASSERT_EQ(outcomes.size(), 2u);
    for (const CWriteOutcome& outcome : outcomes) EXPECT_EQ(outcome.strError, "");
    EXPECT_EQ(test::Mutagen(path, "TPE1"), "First Save");
    EXPECT_EQ(test::Mutagen(path, "TALB"), "Second Save");
    EXPECT_EQ(DescriptorsInto(dir.Path()), 0);
  }
}

// A file another program changed after the value read it is not written
// over; the value then shows the file as it is.
TEST(TagFile, AFileChangedSinceItWasReadIsNotWritten) {
  const std::pair<const char*, void (*)(const CString&, const CString&)> changes[] = {
      {"another tagger's edit",
       [](const CString& path, const CString&) {
         CMyMP3Tags other;
         other.Link(path);
         other.SetComment("Another tagger");
         ASSERT_EQ(other.GetLastWriteError(), "");
       }},
      {"another tagger's edit keeping the file's time",
       [](const CString& path, const CString&) {
         struct stat before {};
         ASSERT_EQ(::stat(path, &before), 0);
         CMyMP3Tags other;
         other.Link(path);
         other.SetComment("Another tagger");
         const timespec times[2] = {before.st_atim, before.st_mtim};
         ASSERT_EQ(::utimensat(AT_FDCWD, path, times, 0), 0);
       }},
      {"another file put in its place",
       [](const CString& path, const CString& other) { ASSERT_EQ(std::rename(other, path), 0); }}};
  for (const auto& [what, change] : changes)
    for (const char* name : {"cbr_v23_latin1.mp3", "v24_full.mp3", "cbr_v23_utf16_v1.mp3"})
      for (const bool recorded : {false, true}) {
        SCOPED_TRACE(std::string(what) + ", " + name + (recorded ? ", recorded" : ""));
        test::TempDir dir;
        const CString path = dir.CopyFixture(name);
        const CString other = dir.CopyFixture("cbr_v23_utf16.mp3", "other.mp3");
        const std::unique_ptr<CTagFile> file = CTagFile::Read(path);
        EXPECT_EQ(file->Set(TagField::Artist, "Never Written"), "");
        if (recorded) {
          EXPECT_FALSE(file->SaveRecord().empty());
        }
        change(path, other);
        const std::string changed = test::ReadFile(path);
        CString reason;
        EXPECT_FALSE(file->Save(&reason));
        EXPECT_EQ(reason, "The file was changed by another program since it was read");
        EXPECT_TRUE(test::ReadFile(path) == changed);
        EXPECT_EQ(Fields(*file), Fields(*CTagFile::Read(path)));
      }
}

// Every field set to what the file holds changes nothing: no record, no write.
TEST(TagFile, SettingTheFilesOwnValuesWritesNothing) {
  test::TempDir dir;
  for (const char* name : {"cbr_v23_utf16_v1.mp3", "v24_full.mp3", "v22_full.mp3", "v1_only.mp3", "v1_genre141.mp3",
                           "untagged.mp3", "url_latin1.mp3"}) {
    SCOPED_TRACE(name);
    const CString path = dir.CopyFixture(name);
    const std::string before = test::ReadFile(path);
    const CFileIdentity identity = CMyMP3Tags::ReadFileIdentity(path);
    const std::unique_ptr<CTagFile> file = CTagFile::Read(path);
    for (TagField field : kEveryField) EXPECT_EQ(file->Set(field, file->Get(field)), "");
    EXPECT_FALSE(file->IsChanged());
    EXPECT_TRUE(file->SaveRecord().empty());
    CString reason;
    EXPECT_TRUE(file->Save(&reason));
    EXPECT_TRUE(test::ReadFile(path) == before);
    EXPECT_EQ(CMyMP3Tags::ReadFileIdentity(path), identity);
  }
}

}  // namespace
