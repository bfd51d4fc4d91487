// The folder session without any window: a folder of real MP3 files is
// loaded, edited, saved, stopped halfway, undone and renamed through its
// calls alone, and each result is checked on the disk with a fresh reader.
#include <core/FolderSession.h>

#include <core/Fields.h>
#include <core/RowCommands.h>
#include <core/TagVersions.h>
#include <tags/MyMP3Tags.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// What a shell command prints.
std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    pclose(pipe);
  }
  return out;
}

// What mutagen, another program, reads as the file's artist.
std::string MutagenArtist(const fs::path& path) {
  const std::string command = "/usr/bin/python3 -c \"import sys, mutagen.id3; t = mutagen.id3.ID3(sys.argv[1]); "
                              "print(t['TPE1'].text[0] if 'TPE1' in t else '-', end='')\" '" + path.string() + "'";
  return Output(command);
}

CString ArtistOnDisk(const fs::path& path) {
  CMyMP3Tags tags;
  tags.Link(path.c_str());
  return tags.GetArtist();
}

class FolderSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/quillory-session-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_root = fs::canonical(pattern);
    // The journal of saves lives beside the music, never in the user's own.
    setenv("XDG_STATE_HOME", (m_root / "state").c_str(), 1);
    fs::create_directories(m_root / "music" / "CD2");
    const fs::path fixtures = QUILLORY_FIXTURES_DIR;
    fs::copy_file(fixtures / "cbr_v23_latin1.mp3", m_root / "music" / "a.mp3");
    fs::copy_file(fixtures / "v24.mp3", m_root / "music" / "b.mp3");
    fs::copy_file(fixtures / "untagged.mp3", m_root / "music" / "c.mp3");
    fs::copy_file(fixtures / "cbr_v23_utf16.mp3", m_root / "music" / "CD2" / "d.mp3");
  }
  void TearDown() override { fs::remove_all(m_root); }

  fs::path Music() const { return m_root / "music"; }
  // A file's size and modification time, as the journal keeps them.
  std::pair<long long, long long> Facts(const std::string& name) const {
    struct stat st {};
    if (::lstat((Music() / name).c_str(), &st) != 0) return {-1, -1};
    return {st.st_size, MtimeNsOf(st)};
  }
  CString Folder() const { return Music().c_str(); }
  std::map<std::string, std::string> Disk() const {
    std::map<std::string, std::string> files;
    for (const auto& item : fs::recursive_directory_iterator(Music()))
      if (item.is_regular_file()) files[fs::relative(item.path(), Music()).string()] = Bytes(item.path());
    return files;
  }
  RowId IdOfKey(const char* key) {
    for (int row = 0; row < m_session.Rows().Rows(); ++row)
      if (m_session.Rows().Text(row, ColumnOf(kFileName)) == key) return m_session.Table().IdOf(row);
    return 0;
  }
  // One step of the history that sets the field of the rows with these keys.
  void Edit(Field field, const char* text, std::vector<const char*> keys) {
    std::vector<CRowChange> changes;
    for (const char* key : keys) {
      CPackedCells wanted;
      wanted.Set(ColumnOf(field), text);
      if (auto change = ChangeTo(m_session.Table(), IdOfKey(key), wanted)) changes.push_back(std::move(*change));
    }
    m_session.Do(std::make_unique<CRowsEdit>(m_session.Table(), "Edit", std::move(changes)));
  }
  std::vector<RowId> AllIds() {
    std::vector<RowId> ids;
    for (int row = 0; row < m_session.Rows().Rows(); ++row) ids.push_back(m_session.Table().IdOf(row));
    return ids;
  }
  CSaveReport SaveAll(const CWork& work = {}) { return m_session.Save(AllIds(), work, nullptr); }

  fs::path m_root;
  CFolderSession m_session;
};

}  // namespace

TEST_F(FolderSessionTest, OpenReadsEveryFileIntoARowAndCountsFromTheRowsValues) {
  struct Case {
    bool subfolders;
    int stopAfter;  // files read before keepGoing says stop; -1: never
    int rows;
    bool stopped;
  } cases[] = {{false, -1, 3, false}, {true, -1, 4, false}, {true, 2, 2, true}};
  for (const Case& c : cases) {
    int progress = 0;
    CWork work;
    work.progress = [&](int done, int) { progress = done; };
    work.keepGoing = [&] { return c.stopAfter < 0 || progress < c.stopAfter; };
    const CLoadReport report = m_session.Open(Folder(), c.subfolders, work);
    EXPECT_EQ(report.nRead, c.rows) << c.subfolders;
    EXPECT_EQ(report.bStopped, c.stopped);
    EXPECT_EQ(m_session.Rows().Rows(), c.rows);
    EXPECT_EQ(m_session.UnsavedCount(), 0);
    EXPECT_FALSE(m_session.CanUndo());
    const CFolderTotals totals = m_session.Totals();
    EXPECT_EQ(totals.nFiles, c.rows);
    EXPECT_GT(totals.fSeconds, 0);
    EXPECT_GT(totals.fKilobytes, 0);
    // The key of a file below the folder is its path, without its extension.
    EXPECT_EQ(IdOfKey("CD2/d") != 0, c.rows == 4);
  }
}

// A folder larger than what is read ahead of the rows, of files that take
// different times to read: every row holds its own file's cells, in the
// folder's order, and a stop keeps exactly the rows read before it.
TEST_F(FolderSessionTest, ALargeFolderReadOnSeveralThreadsGivesEachFileItsOwnRowInOrder) {
  const char* kinds[] = {"tagged.flac", "cbr_v23_latin1.mp3", "empty.mp3", "tagged_moov_end.m4a", "v24.mp3",
                         "tagged_vorbis.ogg", "mpeg_ffmpeg_vbr.mp3"};
  // What a row of each kind holds, but its name.
  std::vector<std::vector<std::string>> expected;
  const auto cellsOf = [this](int row) {
    std::vector<std::string> cells;
    for (Field field : kColumnOrder)
      if (field != kFileName) cells.emplace_back(m_session.Rows().Text(row, ColumnOf(field)));
    return cells;
  };
  const fs::path one = Music() / "one";
  for (const char* kind : kinds) {
    fs::remove_all(one);
    fs::create_directories(one);
    fs::copy_file(fs::path(QUILLORY_FIXTURES_DIR) / kind, one / kind);
    ASSERT_EQ(m_session.Open(one.c_str(), false).nRead, 1) << kind;
    expected.push_back(cellsOf(0));
  }
  const fs::path many = Music() / "many";
  fs::create_directories(many);
  constexpr int kFiles = 700;
  for (int i = 0; i < kFiles; ++i) {
    const std::string kind = kinds[i % 7];
    fs::copy_file(fs::path(QUILLORY_FIXTURES_DIR) / kind, many / (std::to_string(1000 + i) + kind.substr(kind.find('.'))));
  }
  for (const int stopAfter : {-1, 333}) {
    CWork work;
    int progress = 0;
    work.progress = [&](int done, int) { progress = done; };
    work.keepGoing = [&] { return stopAfter < 0 || progress < stopAfter; };
    const CLoadReport report = m_session.Open(many.c_str(), false, work);
    const int rows = stopAfter < 0 ? kFiles : stopAfter;
    EXPECT_EQ(report.bStopped, stopAfter >= 0);
    ASSERT_EQ(m_session.Rows().Rows(), rows);
    for (int row = 0; row < rows; ++row) {
      const std::string kind = kinds[row % 7];
      std::string key = std::to_string(1000 + row);
      if (kind.find(".mp3") == std::string::npos) key += kind.substr(kind.find('.'));
      ASSERT_EQ(m_session.Rows().Text(row, ColumnOf(kFileName)), key);
      ASSERT_EQ(cellsOf(row), expected[static_cast<std::size_t>(row % 7)]) << key;
    }
  }
}

TEST_F(FolderSessionTest, ASaveWritesOnlyTheEditedRowsAndUndoOfTheSavePutsThemBack) {
  ASSERT_EQ(m_session.Open(Folder(), true).nRead, 4);
  const auto before = Disk();
  Edit(kArtist, "Session Artist", {"a", "b"});
  EXPECT_EQ(m_session.UnsavedCount(), 2);
  // Undo and redo of the edit, as the history gives them.
  EXPECT_EQ(m_session.Undo(), "Edit");
  EXPECT_EQ(m_session.UnsavedCount(), 0);
  EXPECT_EQ(m_session.Redo(), "Edit");
  const std::map<std::string, long long> loaded = {{"a.mp3", Facts("a.mp3").second}, {"b.mp3", Facts("b.mp3").second}};
  std::vector<CString> fields;
  CWork work;
  work.fieldWritten = [&](const CString& field) { fields.push_back(field); };
  const CSaveReport report = SaveAll(work);
  EXPECT_EQ(report.nAttempted, 4);
  EXPECT_EQ(report.nWritten, 2);
  EXPECT_TRUE(report.failures.empty());
  EXPECT_EQ(report.saved.size(), 2u);
  EXPECT_EQ(fields, (std::vector<CString>{"Artist", "Artist"}));
  EXPECT_EQ(m_session.UnsavedCount(), 0);
  EXPECT_EQ(ArtistOnDisk(Music() / "a.mp3"), "Session Artist");
  EXPECT_EQ(ArtistOnDisk(Music() / "b.mp3"), "Session Artist");
  EXPECT_EQ(MutagenArtist(Music() / "b.mp3"), "Session Artist");
  // The rows not edited were not written at all.
  const auto after = Disk();
  EXPECT_EQ(after.at("c.mp3"), before.at("c.mp3"));
  EXPECT_EQ(after.at("CD2/d.mp3"), before.at("CD2/d.mp3"));

  ASSERT_TRUE(m_session.HasSaveToUndo());
  CString problem;
  std::uint64_t newest = 0;
  const std::optional<JournalEntry> entry = m_session.LastSave(problem, &newest);
  ASSERT_TRUE(entry) << problem.Str();
  EXPECT_EQ(entry->files.size(), 2u);
  // The entry knows each file as the load found it and as the save left it.
  for (const JournalFile& file : entry->files) {
    EXPECT_EQ(std::pair(file.nSize, file.nMtimeNs), Facts(file.strPath.Str())) << file.strPath.Str();
    EXPECT_EQ(file.nOldMtimeNs, loaded.at(file.strPath.Str())) << file.strPath.Str();
  }
  const CUndoSaveReport undone = m_session.UndoSave(*entry, {});
  EXPECT_FALSE(undone.bRetry);
  ASSERT_EQ(undone.results.size(), 2u);
  for (const CRestoredFile& file : undone.results) EXPECT_EQ(file.eResult, CRestoredFile::Result::Restored);
  EXPECT_EQ(Disk(), before);
  EXPECT_FALSE(m_session.HasSaveToUndo());
}

// A save stopped halfway writes the files taken up so far and keeps the
// others' edits, even those of the batch already read ahead; a refusal in an
// earlier batch is reported once, and the journal holds exactly the files
// written, so its undo restores all.
TEST_F(FolderSessionTest, ASaveStoppedHalfwayLeavesTheRestUnwrittenWithTheirEdits) {
  struct Case {
    const char* when;
    int stopAtField;  // keepGoing says stop once this many fields were written; -1: at the first commit
    int attempted;
    int written;  // the first files but n300, which another program changed after the load
  } cases[] = {{"in the third batch, once n419 has its field", 419, 420, 419},
               {"once the first batch is on the disk (the second was written meanwhile)", -1, 400, 399}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.when);
    const fs::path many = Music() / "many";
    fs::remove_all(many);
    fs::create_directories(many);
    std::vector<std::string> stems;
    for (int i = 0; i < 450; ++i) {
      // Built by appending: GCC 12 at -O3 takes "n" + std::string for an overlapping copy (-Wrestrict).
      stems.emplace_back("n");
      stems.back() += std::to_string(1000 + i).substr(1);
      // Tags that fit are written in place, the others as new files.
      fs::copy_file(fs::path(QUILLORY_FIXTURES_DIR) / (i % 2 ? "cbr_v23_utf16_v1.mp3" : "cbr_v23_latin1.mp3"),
                    many / (stems.back() + ".mp3"));
    }
    ASSERT_EQ(m_session.Open(many.c_str(), false).nRead, 450);
    std::vector<const char*> keys;
    for (const std::string& stem : stems) keys.push_back(stem.c_str());
    Edit(kArtist, "Many", keys);
    std::ofstream(many / "n300.mp3", std::ios::app) << "another program's bytes";
    const auto before = Disk();
    int fields = 0;
    bool committed = false;
    CWork work;
    // n300 is refused before it gets a field.
    work.keepGoing = [&] { return c.stopAtField < 0 ? !committed : fields < c.stopAtField; };
    work.fieldWritten = [&](const CString&) { ++fields; };
    work.committed = [&] { committed = true; };
    const CSaveReport report = SaveAll(work);
    EXPECT_EQ(report.nAttempted, c.attempted);
    EXPECT_EQ(report.nWritten, c.written);
    const bool refused = c.attempted > 300;
    ASSERT_EQ(report.failures.size(), refused ? 1u : 0u);
    if (refused) {
      EXPECT_EQ(report.failures[0].strFile, "n300.mp3");
      EXPECT_EQ(report.failures[0].strReason, kChangedOnDisk);
    }
    const auto after = Disk();
    for (int i = 0; i < 450; ++i) {
      std::string key = "many/";
      key.append(stems[static_cast<std::size_t>(i)]).append(".mp3");
      const bool written = i < c.attempted && i != 300;
      EXPECT_EQ(after.at(key) != before.at(key), written) << key;
    }
    EXPECT_EQ(m_session.UnsavedCount(), 450 - c.written);
    CString problem;
    std::uint64_t newest = 0;
    const std::optional<JournalEntry> entry = m_session.LastSave(problem, &newest);
    ASSERT_TRUE(entry) << problem.Str();
    EXPECT_EQ(entry->files.size(), static_cast<std::size_t>(c.written));
    m_session.UndoSave(*entry, {});
    EXPECT_EQ(Disk(), before);
  }
}

TEST_F(FolderSessionTest, EachFileThatCannotBeWrittenIsNamedAndTheOthersAreSaved) {
  ASSERT_EQ(m_session.Open(Folder(), false).nRead, 3);
  fs::copy_file(QUILLORY_FIXTURES_DIR "/v1_only.mp3", Music() / "taken.mp3");
  // a is renamed to a name the folder already has; b changed on disk after
  // the load; c is saved and renamed to a free name.
  Edit(kArtist, "Mine", {"a", "b", "c"});
  Edit(kFileName, "taken", {"a"});
  Edit(kFileName, "c renamed", {"c"});
  std::ofstream(Music() / "b.mp3", std::ios::app) << "another program's bytes";
  const auto takenBefore = Bytes(Music() / "taken.mp3");
  const auto bBefore = Bytes(Music() / "b.mp3");
  const CSaveReport report = SaveAll();
  ASSERT_EQ(report.failures.size(), 2u);
  std::map<std::string, CSaveFailure> byFile;
  for (const CSaveFailure& failure : report.failures) byFile[failure.strFile.Str()] = failure;
  ASSERT_TRUE(byFile.count("a.mp3"));
  EXPECT_TRUE(byFile["a.mp3"].bTagsSaved);
  EXPECT_NE(byFile["a.mp3"].strReason.Find("not renamed to \"taken.mp3\""), -1) << byFile["a.mp3"].strReason.Str();
  ASSERT_TRUE(byFile.count("b.mp3"));
  EXPECT_FALSE(byFile["b.mp3"].bTagsSaved);
  EXPECT_EQ(byFile["b.mp3"].strReason, kChangedOnDisk);
  // Nothing was written over: the other file keeps its name and bytes, b its
  // bytes; a got its tags under its own name, c its tags and its new name.
  EXPECT_EQ(Bytes(Music() / "taken.mp3"), takenBefore);
  EXPECT_EQ(Bytes(Music() / "b.mp3"), bBefore);
  EXPECT_EQ(ArtistOnDisk(Music() / "a.mp3"), "Mine");
  EXPECT_FALSE(fs::exists(Music() / "c.mp3"));
  EXPECT_EQ(ArtistOnDisk(Music() / "c renamed.mp3"), "Mine");
  // a's new name is still pending, b keeps every edit; c is saved.
  EXPECT_EQ(m_session.FileKeyOf(IdOfKey("taken")), "a");
  EXPECT_TRUE(m_session.IsEdited(IdOfKey("taken")));
  EXPECT_TRUE(m_session.IsEdited(IdOfKey("b")));
  EXPECT_FALSE(m_session.IsEdited(IdOfKey("c renamed")));
  EXPECT_EQ(report.nWritten, 2);
}

// FLAC, Ogg and MP4 files are rows like MP3 files: their keys keep their
// extension (so a.mp3 and a.m4a are two rows), their columns come from
// their own stream and tag, a save writes and renames them through the
// same plan and journal, a damaged one is refused by name, and the undo of
// the save puts every byte back.
TEST_F(FolderSessionTest, EveryFormatLoadsSavesRenamesAndUndoesAsMp3FilesDo) {
  const fs::path fixtures = QUILLORY_FIXTURES_DIR;
  fs::copy_file(fixtures / "tagged.flac", Music() / "e.flac");
  fs::copy_file(fixtures / "tagged_moov_end.m4a", Music() / "a.m4a");
  fs::copy_file(fixtures / "tagged.opus", Music() / "CD2" / "f.opus");
  fs::copy_file(fixtures / "bad_cut.flac", Music() / "g.flac");
  ASSERT_EQ(m_session.Open(Folder(), true).nRead, 8);
  EXPECT_EQ(m_session.Totals().nFiles, 8);
  struct Shown {
    const char* key;
    const char* tag;
    const char* layer;
    const char* artist;
  } shown[] = {{"a", "ID3v2.3", "III", "Latin Artist"},
               {"a.m4a", "AAC, MP4 ilst", "-", "First Artist; Second Artist"},
               {"e.flac", "FLAC, Vorbis comment", "-", "First Artist; Second Artist"},
               {"CD2/f.opus", "Opus, Vorbis comment", "-", "First Artist; Second Artist"},
               {"g.flac", "-", "-", "-"}};
  for (const Shown& c : shown) {
    const int row = m_session.Table().RowOf(IdOfKey(c.key));
    ASSERT_GE(row, 0) << c.key;
    EXPECT_EQ(CellOf(m_session.Rows(), row, ColumnOf(kTagVersion)), c.tag) << c.key;
    EXPECT_EQ(CellOf(m_session.Rows(), row, ColumnOf(kMpegLayer)), c.layer) << c.key;
    EXPECT_EQ(CellOf(m_session.Rows(), row, ColumnOf(kArtist)), c.artist) << c.key;
  }
  const auto before = Disk();
  Edit(kAlbum, "One Album", {"e.flac", "a.m4a", "CD2/f.opus", "g.flac"});
  Edit(kArtist, "A; B", {"a.m4a"});
  Edit(kFileName, "E renamed", {"e.flac"});  // the file stays a FLAC file
  const CSaveReport report = SaveAll();
  ASSERT_EQ(report.failures.size(), 1u);
  EXPECT_EQ(report.failures[0].strFile, "g.flac");
  EXPECT_EQ(report.nWritten, 3);
  EXPECT_FALSE(fs::exists(Music() / "e.flac"));
  ASSERT_TRUE(fs::exists(Music() / "E renamed.flac"));
  EXPECT_NE(IdOfKey("E renamed.flac"), 0);
  EXPECT_EQ(CMusicFile::Read((Music() / "E renamed.flac").c_str())->Get(TagField::Album), "One Album");
  EXPECT_EQ(CMusicFile::Read((Music() / "CD2" / "f.opus").c_str())->Get(TagField::Album), "One Album");
  EXPECT_EQ(CMusicFile::Read((Music() / "a.m4a").c_str())->Get(TagField::Artist), "A; B");
  EXPECT_EQ(Bytes(Music() / "a.mp3"), before.at("a.mp3"));

  CString problem;
  const std::optional<JournalEntry> entry = m_session.LastSave(problem, nullptr);
  ASSERT_TRUE(entry) << problem.Str();
  EXPECT_FALSE(m_session.UndoSave(*entry, {}).bRetry);
  EXPECT_EQ(Disk(), before);
}

// A save of many files of every format edits them on several threads at
// once: each file gets its own row's value, as another program reads it,
// and the undo of the save puts every byte back.
TEST_F(FolderSessionTest, ManyFilesOfEveryFormatAreSavedTogetherEachWithItsOwnRowsValue) {
  const fs::path mixed = Music() / "mixed";
  fs::create_directories(mixed);
  const char* kinds[] = {"tagged.flac", "tagged_vorbis.ogg", "tagged.opus", "tagged_moov_end.m4a",
                         "tagged_moov_start.m4a", "tagged_alac.m4a", "v24.mp3", "cbr_v23_utf16_v1.mp3"};
  std::vector<std::pair<std::string, std::string>> albums;  // file name, the album it is given
  for (int i = 0; i < 64; ++i) {
    const std::string kind = kinds[i % 8];
    std::string name = std::to_string(100 + i);
    name.append(kind.substr(kind.rfind('.')));
    fs::copy_file(fs::path(QUILLORY_FIXTURES_DIR) / kind, mixed / name);
    albums.emplace_back(name, std::string("Album ").append(std::to_string(i)));
  }
  ASSERT_EQ(m_session.Open(mixed.c_str(), false).nRead, 64);
  std::vector<CRowChange> changes;
  for (const auto& [name, album] : albums) {
    CPackedCells wanted;
    wanted.Set(ColumnOf(kAlbum), album.c_str());
    // An MP3 file's key has no extension.
    const std::string key = name.size() > 4 && name.compare(name.size() - 4, 4, ".mp3") == 0 ? name.substr(0, 3) : name;
    if (auto change = ChangeTo(m_session.Table(), IdOfKey(key.c_str()), wanted)) changes.push_back(std::move(*change));
  }
  ASSERT_EQ(changes.size(), 64u);
  m_session.Do(std::make_unique<CRowsEdit>(m_session.Table(), "Edit", std::move(changes)));
  const auto before = Disk();
  const CSaveReport report = SaveAll();
  EXPECT_TRUE(report.failures.empty());
  EXPECT_EQ(report.nWritten, 64);
  // mutagen's view: one line per file, its name and its album.
  const std::string read = Output("/usr/bin/python3 -c \"import os, sys, mutagen\n"
                                  "for n in sorted(os.listdir(sys.argv[1])):\n"
                                  "  f = mutagen.File(os.path.join(sys.argv[1], n), easy=True)\n"
                                  "  print(n, (f.tags or {}).get('album', ['-'])[0])\" '" +
                                  mixed.string() + "'");
  std::string expected;
  for (const auto& [name, album] : albums) expected.append(name).append(" ").append(album).append("\n");
  EXPECT_EQ(read, expected);
  CString problem;
  const std::optional<JournalEntry> entry = m_session.LastSave(problem, nullptr);
  ASSERT_TRUE(entry) << problem.Str();
  EXPECT_FALSE(m_session.UndoSave(*entry, {}).bRetry);
  EXPECT_EQ(Disk(), before);
}

// The disc and the lyrics, and a tag version chosen with "Tag version…",
// are edits like the others: pending in their cells, written by one save
// as another program reads them, and put back by the undo of the save.
TEST_F(FolderSessionTest, DiscLyricsAndTagVersionAreSavedAndUndoneLikeEveryEdit) {
  fs::copy_file(QUILLORY_FIXTURES_DIR "/tagged.flac", Music() / "e.flac");
  ASSERT_EQ(m_session.Open(Folder(), false).nRead, 4);
  const auto before = Disk();
  CTagChoice toV23;
  toV23.v2 = CTagChoice::V2::Id3v23;
  toV23.v1 = CTagChoice::V1::Add;
  const CTagTrial trial = TryTagChoice((Music() / "b.mp3").c_str(), toV23);
  ASSERT_EQ(trial.strRefusal, "");
  EXPECT_EQ(trial.strTag, "ID3v2.3 + ID3v1");
  // What an ID3v1 tag cannot hold is known before the save ("Ünicode ♫" in the title).
  EXPECT_NE(std::find(trial.losses.begin(), trial.losses.end(), kTitle), trial.losses.end());
  EXPECT_NE(TryTagChoice((Music() / "e.flac").c_str(), toV23).strRefusal, "");
  EXPECT_EQ(Bytes(Music() / "b.mp3"), before.at("b.mp3"));  // a trial writes nothing

  Edit(kTagVersion, trial.strTag, {"b"});
  Edit(kDisc, "1/2", {"a", "b", "e.flac"});
  Edit(kLyrics, "Line one\nLine two \u266b", {"a", "e.flac"});
  EXPECT_EQ(m_session.UnsavedCount(), 3);
  const CSaveReport report = SaveAll();
  ASSERT_TRUE(report.failures.empty()) << report.failures[0].strReason.Str();
  EXPECT_EQ(report.nWritten, 3);
  const std::string command = "cd '" + Music().string() +
                              "' && /usr/bin/python3 -c \"import mutagen, mutagen.id3\n"
                              "b = mutagen.id3.ID3('b.mp3', translate=False)\n"
                              "a = mutagen.id3.ID3('a.mp3')\n"
                              "print(b.version[1], b['TPOS'].text[0], 'TDRC' in b, 'TYER' in b, open('b.mp3', 'rb').read()[-128:][:3],"
                              " a['TPOS'].text[0], repr(a.getall('USLT')[0].text), mutagen.File('e.flac')['discnumber'])\"";
  const std::string out = Output(command);
  EXPECT_EQ(out, "3 1/2 False True b'TAG' 1/2 'Line one\\nLine two \u266b' ['1']\n");
  EXPECT_EQ(CellOf(m_session.Rows(), m_session.Table().RowOf(IdOfKey("b")), ColumnOf(kTagVersion)), "ID3v2.3 + ID3v1");
  EXPECT_EQ(CMusicFile::Read((Music() / "e.flac").c_str())->Get(TagField::Disc), "1/2");

  CString problem;
  const std::optional<JournalEntry> entry = m_session.LastSave(problem, nullptr);
  ASSERT_TRUE(entry) << problem.Str();
  EXPECT_FALSE(m_session.UndoSave(*entry, {}).bRetry);
  EXPECT_EQ(Disk(), before);
}

// "All fields…": the fields several files store, with what they share;
// edits of any key as steps of the history whose cells follow, refused
// names named, one save, and its undo back to every byte.
TEST_F(FolderSessionTest, StoredFieldsAreListedEditedSavedAndUndone) {
  ASSERT_EQ(m_session.Open(Folder(), false).nRead, 3);
  const auto before = Disk();
  const std::vector<RowId> both = {IdOfKey("a"), IdOfKey("b")};
  const auto find = [&](const char* key) {
    CString problem;
    const std::vector<CCommonField> fields = m_session.StoredFieldsOf(both, &problem);
    EXPECT_EQ(problem, "");
    const auto it = std::find_if(fields.begin(), fields.end(), [&](const CCommonField& f) { return f.strKey == key; });
    return it == fields.end() ? std::optional<CCommonField>() : *it;
  };
  ASSERT_TRUE(find("TIT2"));
  EXPECT_EQ(find("TIT2")->nRows, 2);
  EXPECT_FALSE(find("TIT2")->values);  // their titles differ

  std::vector<CString> refused;
  EXPECT_EQ(m_session.SetStoredField(both, "TXXX:CATALOGNUMBER", {"QL-001"}, &refused), 2);
  EXPECT_EQ(m_session.SetStoredField(both, "TPE1", {"Both"}, &refused), 2);
  EXPECT_EQ(m_session.SetStoredField({IdOfKey("a")}, "TCOM", {}, &refused), 1);
  EXPECT_EQ(m_session.SetStoredField(both, "bad key", {"x"}, &refused), 0);
  ASSERT_EQ(refused.size(), 2u);
  EXPECT_EQ(refused[0].Left(7), "a.mp3: ");
  ASSERT_TRUE(find("TXXX:CATALOGNUMBER"));
  EXPECT_EQ(find("TXXX:CATALOGNUMBER")->values, (std::vector<CString>{"QL-001"}));
  // The Artist cells follow their frame; Undo takes the last step back.
  EXPECT_EQ(CellOf(m_session.Rows(), m_session.Table().RowOf(IdOfKey("b")), ColumnOf(kArtist)), "Both");
  EXPECT_EQ(CellOf(m_session.Rows(), m_session.Table().RowOf(IdOfKey("a")), ColumnOf(kComposer)), "-");
  EXPECT_EQ(m_session.Undo(), "All fields: Delete TCOM (1 row)");
  EXPECT_NE(CellOf(m_session.Rows(), m_session.Table().RowOf(IdOfKey("a")), ColumnOf(kComposer)), "-");
  EXPECT_EQ(m_session.UnsavedCount(), 2);

  const CSaveReport report = SaveAll();
  ASSERT_TRUE(report.failures.empty()) << report.failures[0].strReason.Str();
  EXPECT_EQ(report.nWritten, 2);
  EXPECT_EQ(Output("cd '" + Music().string() +
                   "' && /usr/bin/python3 -c \"import mutagen.id3\n"
                   "for f in ['a.mp3', 'b.mp3']:\n"
                   "  t = mutagen.id3.ID3(f)\n"
                   "  print(f, t['TXXX:CATALOGNUMBER'].text, t['TPE1'].text, 'TCOM' in t)\""),
            "a.mp3 ['QL-001'] ['Both'] True\nb.mp3 ['QL-001'] ['Both'] True\n");
  CString problem;
  const std::optional<JournalEntry> entry = m_session.LastSave(problem, nullptr);
  ASSERT_TRUE(entry) << problem.Str();
  EXPECT_FALSE(m_session.UndoSave(*entry, {}).bRetry);
  EXPECT_EQ(Disk(), before);
}

// A crash between two batches of a save (here: the program ends as it reads
// the second batch's first file) leaves the first batch written and in the
// journal: its undo, after a restart, puts back exactly those files.
TEST_F(FolderSessionTest, ASaveCutShortByACrashIsUndoneAsFarAsItWrote) {
  constexpr int kFiles = 203;  // more than one batch
  const fs::path many = m_root / "many";
  fs::create_directory(many);
  for (int k = 0; k < kFiles; ++k)
    fs::copy_file(QUILLORY_FIXTURES_DIR "/cbr_v23_latin1.mp3", many / (std::to_string(1000 + k) + ".mp3"));
  std::map<std::string, std::string> before;
  for (const auto& item : fs::directory_iterator(many)) before[item.path().filename()] = Bytes(item.path());
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    CFolderSession session;
    session.Open(many.c_str(), false);
    std::vector<RowId> ids;
    for (int row = 0; row < session.Rows().Rows(); ++row) ids.push_back(session.Table().IdOf(row));
    CPackedCells wanted;
    wanted.Set(ColumnOf(kArtist), "Crashed");
    session.SetCells(ids, wanted, "Artist");
    int edited = 0;
    CWork work;
    work.fieldWritten = [&](const CString&) {
      if (++edited == kFiles - 2) _exit(0);
    };
    session.Save(ids, work, nullptr);
    _exit(1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  std::size_t written = 0;
  for (const auto& [name, bytes] : before) written += Bytes(many / name) != bytes;
  ASSERT_GT(written, 0u);
  ASSERT_LT(written, before.size() - 2);

  ASSERT_EQ(m_session.Open(many.c_str(), false).nRead, kFiles);
  CString problem;
  std::uint64_t newest = 0;
  const std::optional<JournalEntry> entry = m_session.LastSave(problem, &newest);
  ASSERT_TRUE(entry) << problem.Str();
  EXPECT_EQ(entry->files.size(), written);
  const CUndoSaveReport undone = m_session.UndoSave(*entry, {});
  ASSERT_EQ(undone.results.size(), written);
  for (const CRestoredFile& file : undone.results) EXPECT_EQ(file.eResult, CRestoredFile::Result::Restored);
  for (const auto& [name, bytes] : before) EXPECT_EQ(Bytes(many / name), bytes) << name;
}

// A save that renames files names them anew in the folder's playlists (a
// subfolder's too when it was loaded), through the journal: the undo of the
// save puts every playlist back byte for byte, and leaves alone one that
// was changed since.
TEST_F(FolderSessionTest, PlaylistsFollowTheRenamesOfASaveAndItsUndo) {
  const std::string top = "#EXTM3U\r\n#EXTINF:3,Ann - One\r\na.mp3\r\nCD2/d.mp3\r\nc.mp3\r\n";
  const std::string below = "#EXTM3U\n../a.mp3\n";
  const std::string untouched = "c.mp3\n";
  std::ofstream(Music() / "mix.m3u8", std::ios::binary) << top;
  std::ofstream(Music() / "CD2" / "Old.M3U", std::ios::binary) << below;
  std::ofstream(Music() / "other.m3u", std::ios::binary) << untouched;
  ASSERT_EQ(m_session.Open(Folder(), true).nRead, 4);
  Edit(kFileName, "One", {"a"});
  Edit(kFileName, "CD2/Four", {"CD2/d"});
  const auto before = Disk();
  const CSaveReport report = SaveAll();
  EXPECT_TRUE(report.failures.empty());
  EXPECT_EQ(report.playlists, (std::vector<CString>{"CD2/Old.M3U", "mix.m3u8"}));
  EXPECT_EQ(Bytes(Music() / "mix.m3u8"), "#EXTM3U\r\n#EXTINF:3,Ann - One\r\nOne.mp3\r\nCD2/Four.mp3\r\nc.mp3\r\n");
  EXPECT_EQ(Bytes(Music() / "CD2" / "Old.M3U"), "#EXTM3U\n../One.mp3\n");
  EXPECT_EQ(Bytes(Music() / "other.m3u"), untouched);

  // The undo restores files and playlists; a playlist changed since stays as it is now.
  std::ofstream(Music() / "CD2" / "Old.M3U", std::ios::binary | std::ios::app) << "mine.mp3\n";
  CString problem;
  std::uint64_t newest = 0;
  const std::optional<JournalEntry> entry = m_session.LastSave(problem, &newest);
  ASSERT_TRUE(entry) << problem.Str();
  const CUndoSaveReport undone = m_session.UndoSave(*entry, {});
  auto after = Disk();
  EXPECT_EQ(after["CD2/Old.M3U"], "#EXTM3U\n../One.mp3\nmine.mp3\n");
  after["CD2/Old.M3U"] = before.at("CD2/Old.M3U");
  EXPECT_TRUE(after == before) << "every other file as before the save";
  int left = 0;
  for (const CRestoredFile& result : undone.results) left += result.eResult == CRestoredFile::Result::LeftAlone;
  EXPECT_EQ(left, 1);
}
