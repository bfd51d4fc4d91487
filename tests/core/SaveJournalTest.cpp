// The journal of saves on a temporary state folder: entries read back as
// written, only the last saves are kept, nothing untrustworthy is offered,
// and a journal that cannot be written says why.
#include <core/SaveJournal.h>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <functional>
#include <iterator>

namespace fs = std::filesystem;

namespace {

class SaveJournalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/quillory-journal-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_root = fs::canonical(pattern);
    fs::create_directories(m_root / "music" / "CD1");
    fs::create_directory_symlink(m_root, m_root / "music" / "out");
    fs::create_symlink("/etc/passwd", m_root / "music" / "link.mp3");
    m_folder = (m_root / "music").c_str();
  }
  void TearDown() override { fs::remove_all(m_root); }

  CSaveJournal Journal() const { return CSaveJournal((m_root / "state").c_str()); }
  // An entry of folder (the music folder by default) for these paths, each
  // with a record of recordSize bytes that holds a NUL and the path.
  JournalEntry Entry(std::vector<std::string> paths, std::size_t recordSize = 16, CString folder = {}) const {
    JournalEntry entry;
    entry.strFolder = folder.IsEmpty() ? m_folder : folder;
    for (const std::string& path : paths) {
      std::string record = std::string(1, '\0') + path;
      record.resize(recordSize, 'r');
      entry.files.push_back({CString(path), "", -1, -1, -1, record});
    }
    return entry;
  }
  bool Write(JournalEntry entry) { return Journal().Write(entry, m_error); }
  std::optional<JournalEntry> Latest() { return Journal().ReadLatest(m_folder, m_problem); }
  // The entries' files, oldest first within each folder.
  std::vector<fs::path> Files(const char* containing = ".entry") const {
    std::vector<fs::path> found;
    for (const auto& item : fs::recursive_directory_iterator(m_root / "state"))
      if (item.path().filename().string().find(containing) != std::string::npos) found.push_back(item.path());
    std::sort(found.begin(), found.end());
    return found;
  }

  fs::path m_root;
  CString m_folder, m_error, m_problem;
};

}  // namespace

TEST_F(SaveJournalTest, AnEntryReadsBackAsWrittenAndStaysSmall) {
  JournalEntry entry = Entry({"01 Intro.mp3", "CD1/Ünï ☃.mp3"});
  entry.files[1].strOldPath = "CD1/old name.mp3";
  ASSERT_TRUE(Journal().Write(entry, m_error)) << m_error.GetString();
  EXPECT_EQ(entry.nId, 1u);
  // Once the files are saved the entry is written again with their facts.
  entry.files[0].nSize = 123456789012LL;
  entry.files[0].nMtimeNs = 1700000000123456789LL;
  ASSERT_TRUE(Journal().Write(entry, m_error)) << m_error.GetString();
  EXPECT_EQ(entry.nId, 1u);
  EXPECT_EQ(Files().size(), 1u);

  const auto read = Journal().ReadLatest(m_folder + "/", m_problem);  // the same folder
  ASSERT_TRUE(read) << m_problem.GetString();
  EXPECT_EQ(read->strFolder, m_folder);
  EXPECT_TRUE(*read == entry);

  // A text-only save of 1,000 files with records of 1 KB: each file adds
  // little more than its path to its record.
  const char* name = "Some Artist - Some Fairly Long Title Of A Song.mp3";
  fs::remove_all(m_root / "state");
  ASSERT_TRUE(Write(Entry(std::vector<std::string>(1000, name), 1024))) << m_error.GetString();
  EXPECT_LE(fs::file_size(Files().at(0)), 1000 * (1024 + 40 + std::string(name).size()));
}

TEST_F(SaveJournalTest, AnEntryWrittenAsItGrowsReadsBackWholeAndOneNeverClosedLeavesNothing) {
  std::vector<std::string> paths;
  for (int k = 0; k < 3000; ++k) paths.push_back("CD" + std::to_string(k % 3) + "/" + std::to_string(k) + ".mp3");
  JournalEntry entry = Entry(paths, 1024);  // 3 MB: written in several parts
  const auto filesInJournal = [this] {
    std::size_t n = 0;
    for (const auto& item : fs::recursive_directory_iterator(m_root / "state")) n += item.is_regular_file();
    return n;
  };
  {
    CJournalStream dropped(Journal(), entry);
    for (const JournalFile& file : entry.files) dropped.Add(file);
  }
  EXPECT_EQ(filesInJournal(), 0u);
  CJournalStream stream(Journal(), entry);
  for (const JournalFile& file : entry.files) stream.Add(file);
  ASSERT_TRUE(stream.Close(entry, m_error, [] {})) << m_error.GetString();  // flushed on a thread
  EXPECT_EQ(filesInJournal(), 1u);
  const auto read = Latest();
  ASSERT_TRUE(read) << m_problem.GetString();
  EXPECT_TRUE(*read == entry);
}

// A save's entry grows a batch at a time, each batch on the disk before its
// files are written, so a crash can cut only the last batch short: that one
// is dropped (none of its files was written), and damage anywhere else makes
// the entry one that cannot be trusted.
TEST_F(SaveJournalTest, AnEntryGrownABatchAtATimeKeepsTheBatchesACrashLeftWhole) {
  struct Case {
    const char* what;
    std::function<void(std::string&, std::size_t lastAt)> damage;  // lastAt: where the last batch begins
    std::size_t files;  // read back; 0 with a problem
    const char* problem;
  };
  const Case cases[] = {
      {"whole", [](std::string&, std::size_t) {}, 3, ""},
      {"last batch cut short", [](std::string& b, std::size_t at) { b.resize(at + 20); }, 2, ""},
      {"last batch's length cut", [](std::string& b, std::size_t at) { b.resize(at + 5); }, 2, ""},
      {"last batch torn", [](std::string& b, std::size_t) { b.back() ^= 1; }, 2, ""},
      {"first batch damaged", [](std::string& b, std::size_t at) { b[at - 1] ^= 1; }, 0, "is damaged"},
      {"front cut", [](std::string& b, std::size_t) { b.resize(23); }, 0, "is damaged"},
  };
  const JournalEntry entry = Entry({"a.mp3", "CD1/b.mp3", "c.mp3"});
  for (const Case& c : cases) {
    fs::remove_all(m_root / "state");
    CGrowingEntry growing(Journal(), entry);
    ASSERT_TRUE(growing.Append(std::span(entry.files).first(2), m_error)) << m_error.GetString();
    ASSERT_EQ(Files().size(), 1u);  // in its place from the first batch on
    const std::size_t lastAt = fs::file_size(Files().at(0));
    ASSERT_TRUE(growing.Append(std::span(entry.files).last(1), m_error)) << m_error.GetString();
    std::ifstream in(Files().at(0), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    in.close();
    c.damage(bytes, lastAt);
    std::ofstream(Files().at(0), std::ios::binary | std::ios::trunc) << bytes;
    m_problem.Empty();
    const auto read = Latest();
    EXPECT_EQ(read ? read->files.size() : 0u, c.files) << c.what;
    if (read) {
      EXPECT_TRUE(std::equal(read->files.begin(), read->files.end(), entry.files.begin())) << c.what;
    }
    EXPECT_NE(std::string(m_problem).find(c.problem), std::string::npos) << c.what << ": " << m_problem.GetString();
  }
}

// What the journal writes it reads back, however large (the pictures a save
// replaces can take a gigabyte); an entry too large to read back is never
// written, and the save is told why before it begins.
TEST_F(SaveJournalTest, EveryEntryTheJournalWritesIsOneItReadsBack) {
  constexpr std::uint64_t kLargest = 4u << 20;
  const CSaveJournal journal((m_root / "state").c_str(), kLargest);
  JournalEntry entry = Entry({"a.mp3", "b.mp3"}, 3u << 20);  // records read straight into their place
  entry.files[1].record.resize(100);
  ASSERT_TRUE(CSaveJournal(journal).Write(entry, m_error)) << m_error.GetString();
  const auto read = journal.ReadLatest(m_folder, m_problem);
  ASSERT_TRUE(read) << m_problem.GetString();
  EXPECT_TRUE(*read == entry);

  JournalEntry large = Entry({"a.mp3", "b.mp3"}, 3u << 20);
  EXPECT_FALSE(CSaveJournal(journal).Write(large, m_error));
  EXPECT_NE(std::string(m_error).find("larger than the 4.0 MB that an undo can read back"), std::string::npos)
      << m_error.GetString();
  EXPECT_EQ(Files().size(), 1u);
  EXPECT_EQ(Files(".new").size(), 0u);
  EXPECT_TRUE(*journal.ReadLatest(m_folder, m_problem) == entry);
}

TEST_F(SaveJournalTest, KeepsTheLastSavesOfEachFolderAndForgetsAnUndoneOne) {
  for (int k = 0; k < CSaveJournal::kKeptSaves + 2; ++k) ASSERT_TRUE(Write(Entry({"a.mp3"})));
  const CString other = (m_root / "music" / "CD1").c_str();
  ASSERT_TRUE(Write(Entry({"b.mp3"}, 16, other)));
  EXPECT_EQ(Files().size(), CSaveJournal::kKeptSaves + 1u);

  constexpr std::uint64_t kLast = CSaveJournal::kKeptSaves + 2;
  EXPECT_EQ(Latest()->nId, kLast);
  EXPECT_EQ(Journal().ReadLatest(other, m_problem)->files.at(0).strPath, "b.mp3");
  ASSERT_TRUE(Journal().Remove(m_folder, kLast, m_error));
  EXPECT_TRUE(Journal().Remove(m_folder, kLast, m_error));  // gone already
  EXPECT_EQ(Latest()->nId, kLast - 1);
  EXPECT_FALSE(Journal().ReadLatest((m_root / "elsewhere").c_str(), m_problem));
  EXPECT_EQ(m_problem, "");
}

TEST_F(SaveJournalTest, AnEntryThatCannotBeTrustedIsRefusedWithTheReason) {
  struct Case {
    std::string path;                          // of the file in the newest entry
    const char* oldPath;                       // its name before the save
    std::function<void(std::string&)> damage;  // to the bytes of the entry's file
    const char* reason;
    const char* folder = "music";              // the folder the entry was written for
  };
  const auto keep = [](std::string&) {};
  const Case cases[] = {
      {"/etc/passwd", "", keep, "an absolute path"},
      {"CD1/../../x.mp3", "", keep, "\"..\" part"},
      {"CD1//x.mp3", "", keep, "an empty,"},
      {std::string("x\0/../y", 7), "", keep, "holding NUL"},
      {"x.mp3", "../x.mp3", keep, "\"..\" part"},
      {"x.mp3", "", [](std::string& b) { b.back() ^= 1; }, "is damaged"},
      {"x.mp3", "", [](std::string& b) { b.resize(b.size() / 2); }, "is damaged"},
      {"x.mp3", "", [](std::string& b) { b[4] = 3; }, "newer version"},
      {"x.mp3", "", [](std::string& b) { b = "hello"; }, "not a journal"},
      {"x.mp3", "", keep, "belongs to another folder", "music/CD1"},
  };
  for (const Case& c : cases) {
    fs::remove_all(m_root / "state");
    ASSERT_TRUE(Write(Entry({"good.mp3"})));
    const fs::path good = Files().at(0);
    JournalEntry entry = Entry({c.path}, 16, (m_root / c.folder).c_str());
    entry.files[0].strOldPath = c.oldPath;
    ASSERT_TRUE(Write(entry));
    fs::path file = good.parent_path() / "0000000000000009.entry";
    for (const fs::path& written : Files()) if (written != good) fs::rename(written, file);
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    in.close();
    c.damage(bytes);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
    EXPECT_FALSE(Latest()) << c.reason;  // nor the good one in its place
    EXPECT_NE(std::string(m_problem).find(c.reason), std::string::npos) << c.reason << ": " << m_problem.GetString();
  }
}

TEST_F(SaveJournalTest, APathIsCheckedOnTheDiskWhenItIsUsed) {
  const std::pair<const char*, const char*> cases[] = {
      {"a.mp3", ""}, {"CD1/gone.mp3", ""}, {"gone/x.mp3", ""},
      {"link.mp3", "symbolic link"}, {"out/x.mp3", "leads out of the folder"}, {"CD1/../x.mp3", "\"..\" part"}};
  for (const auto& [path, problem] : cases) {
    const std::string found = CSaveJournal::PathProblem(m_folder, path).Str();
    EXPECT_EQ(found.empty(), !*problem) << path << ": " << found;
    EXPECT_NE(found.find(problem), std::string::npos) << path << ": " << found;
  }
}

TEST_F(SaveJournalTest, AJournalThatCannotBeWrittenSaysWhyAndLeavesNothing) {
  ASSERT_TRUE(Write(Entry({"earlier.mp3"})));
  // A file size limit stands in for a full disk: the write stops part way.
  signal(SIGXFSZ, SIG_IGN);
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  const rlimit small{4096, limit.rlim_max};
  setrlimit(RLIMIT_FSIZE, &small);
  const bool written = Write(Entry({"big.mp3"}, 100000));
  setrlimit(RLIMIT_FSIZE, &limit);
  EXPECT_FALSE(written);
  EXPECT_NE(std::string(m_error).find("larger than the system allows"), std::string::npos) << m_error;
  EXPECT_NE(std::string(m_error).find((m_root / "state").string()), std::string::npos) << m_error;
  EXPECT_EQ(Files(".new").size(), 0u);
  EXPECT_EQ(Latest()->files.at(0).strPath, "earlier.mp3");

  // A state folder that cannot be made.
  std::ofstream(m_root / "file") << "x";
  JournalEntry entry = Entry({"a.mp3"});
  EXPECT_FALSE(CSaveJournal((m_root / "file" / "quillory").c_str()).Write(entry, m_error));
  EXPECT_NE(std::string(m_error).find("is a file, not a folder"), std::string::npos) << m_error.GetString();
}

TEST_F(SaveJournalTest, TheJournalLivesInTheUsersStateFolder) {
  const std::string home = (m_root / "home").string();
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_STATE_HOME", "/var/state", 1);
  EXPECT_EQ(CSaveJournal::DefaultDir(), "/var/state/quillory");
  setenv("XDG_STATE_HOME", "relative/state", 1);  // not absolute: ignored, as the standard says
  EXPECT_EQ(CSaveJournal::DefaultDir(), home + "/.local/state/quillory");
  unsetenv("XDG_STATE_HOME");
  EXPECT_EQ(CSaveJournal::DefaultDir(), home + "/.local/state/quillory");
}
