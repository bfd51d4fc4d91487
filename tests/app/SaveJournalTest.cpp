// The journal of saves on a temporary state folder: entries read back as
// written, only the last saves are kept, nothing untrustworthy is offered,
// and a journal that cannot be written says why.
#include "SaveJournal.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

namespace fs = std::filesystem;

namespace {

class SaveJournalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/quillory-journal-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_root = fs::canonical(pattern);
    fs::create_directories(m_root / "music" / "CD1");
    m_folder = (m_root / "music").c_str();
  }
  void TearDown() override { fs::remove_all(m_root); }

  CString StateDir() const { return (m_root / "state" / "quillory").c_str(); }
  CSaveJournal Journal() const { return CSaveJournal(StateDir()); }

  // An entry of the music folder for these paths, each with a record of
  // recordSize bytes that holds a NUL and its path.
  JournalEntry Entry(std::vector<const char*> paths, std::size_t recordSize = 16) const {
    JournalEntry entry;
    entry.strFolder = m_folder;
    for (const char* path : paths) {
      std::string record = std::string(1, '\0') + path;
      record.resize(recordSize, 'r');
      entry.files.push_back({path, "", -1, -1, record});
    }
    return entry;
  }
  bool Write(JournalEntry entry) {
    CString error;
    const bool ok = Journal().Write(entry, error);
    m_lastError = error;
    return ok;
  }
  std::vector<fs::path> Files(const char* containing) const {
    std::vector<fs::path> found;
    if (fs::exists(m_root / "state"))
      for (const auto& item : fs::recursive_directory_iterator(m_root / "state"))
        if (item.path().filename().string().find(containing) != std::string::npos) found.push_back(item.path());
    std::sort(found.begin(), found.end());
    return found;
  }

  fs::path m_root;
  CString m_folder;
  CString m_lastError;
};

}  // namespace

TEST_F(SaveJournalTest, AnEntryReadsBackAsWrittenAndStaysSmall) {
  JournalEntry entry = Entry({"01 Intro.mp3", "CD1/Ünï ☃.mp3"});
  entry.files[1].strOldPath = "CD1/old name.mp3";
  CString error;
  ASSERT_TRUE(Journal().Write(entry, error)) << error.GetString();
  EXPECT_EQ(entry.nId, 1u);
  // After the save the same entry is written again with the files' facts.
  entry.files[0].nSize = 123456789012LL;
  entry.files[0].nMtimeNs = 1700000000123456789LL;
  ASSERT_TRUE(Journal().Write(entry, error)) << error.GetString();
  EXPECT_EQ(entry.nId, 1u);
  EXPECT_EQ(Files(".entry").size(), 1u);

  CString problem;
  const auto read = Journal().ReadLatest(m_folder + "/", problem);  // the same folder
  ASSERT_TRUE(read) << problem.GetString();
  EXPECT_EQ(read->nId, 1u);
  EXPECT_EQ(read->strFolder, m_folder);
  EXPECT_EQ(read->nTime, entry.nTime);
  ASSERT_EQ(read->files.size(), 2u);
  for (std::size_t k = 0; k < 2; ++k) {
    EXPECT_EQ(read->files[k].strPath, entry.files[k].strPath);
    EXPECT_EQ(read->files[k].strOldPath, entry.files[k].strOldPath);
    EXPECT_EQ(read->files[k].nSize, entry.files[k].nSize);
    EXPECT_EQ(read->files[k].nMtimeNs, entry.files[k].nMtimeNs);
    EXPECT_EQ(read->files[k].record, entry.files[k].record);
  }

  // A text-only save of 1,000 files with records of 1 KB: the entry adds
  // little more than each file's path to its record.
  std::vector<const char*> names(1000, "Some Artist - Some Fairly Long Title Of A Song.mp3");
  fs::remove_all(m_root / "state");
  ASSERT_TRUE(Write(Entry(names, 1024))) << m_lastError.GetString();
  const auto size = fs::file_size(Files(".entry").at(0));
  EXPECT_LE(size, 1000 * (1024 + 32 + std::strlen(names[0])));
}

TEST_F(SaveJournalTest, KeepsTheLastSavesOfEachFolderAndForgetsAnUndoneOne) {
  for (int k = 0; k < CSaveJournal::kKeptSaves + 2; ++k) ASSERT_TRUE(Write(Entry({"a.mp3"})));
  const CString other = (m_root / "music" / "CD1").c_str();
  JournalEntry elsewhere = Entry({"b.mp3"});
  elsewhere.strFolder = other;
  ASSERT_TRUE(Write(elsewhere));
  EXPECT_EQ(Files(".entry").size(), CSaveJournal::kKeptSaves + 1u);

  CString problem, error;
  EXPECT_EQ(Journal().ReadLatest(m_folder, problem)->nId, CSaveJournal::kKeptSaves + 2u);
  EXPECT_EQ(Journal().ReadLatest(other, problem)->files.at(0).strPath, "b.mp3");
  ASSERT_TRUE(Journal().Remove(m_folder, CSaveJournal::kKeptSaves + 2u, error));
  EXPECT_TRUE(Journal().Remove(m_folder, CSaveJournal::kKeptSaves + 2u, error));  // gone already
  EXPECT_EQ(Journal().ReadLatest(m_folder, problem)->nId, CSaveJournal::kKeptSaves + 1u);
  EXPECT_FALSE(Journal().ReadLatest((m_root / "elsewhere").c_str(), problem));
  EXPECT_EQ(problem, "");
}

TEST_F(SaveJournalTest, AnEntryThatCannotBeTrustedIsRefusedWithTheReason) {
  const auto damage = [this](const std::function<void(std::string&)>& change) {
    const fs::path file = Files(".entry").back();
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    in.close();
    change(bytes);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
  };
  struct Case {
    const char* name;
    std::function<void()> make;  // writes the newest entry, after a good one
    const char* reason;
  };
  const Case cases[] = {
      {"absolute", [&] { Write(Entry({"/etc/passwd"})); }, "an absolute path"},
      {"parent", [&] { Write(Entry({"CD1/../../x.mp3"})); }, "\"..\" part"},
      {"dot", [&] { Write(Entry({"./x.mp3"})); }, "\".\" or"},
      {"empty part", [&] { Write(Entry({"CD1//x.mp3"})); }, "an empty,"},
      {"NUL",
       [&] {
         JournalEntry entry = Entry({"x"});
         entry.files[0].strPath = CString(std::string("x\0/../y", 7));
         Write(entry);
       },
       "NUL"},
      {"old name",
       [&] {
         JournalEntry entry = Entry({"x.mp3"});
         entry.files[0].strOldPath = "../x.mp3";
         Write(entry);
       },
       "\"..\" part"},
      {"linked folder",
       [&] {
         fs::create_directory_symlink(m_root / "state", m_root / "music" / "out");
         Write(Entry({"out/x.mp3"}));
       },
       "leads out of the folder"},
      {"linked file",
       [&] {
         fs::create_symlink("/etc/passwd", m_root / "music" / "link.mp3");
         Write(Entry({"link.mp3"}));
       },
       "is a link"},
      {"checksum", [&] { Write(Entry({"x.mp3"})), damage([](std::string& b) { b.back() ^= 1; }); }, "is damaged"},
      {"cut short", [&] { Write(Entry({"x.mp3"})), damage([](std::string& b) { b.resize(b.size() / 2); }); }, "is damaged"},
      {"newer", [&] { Write(Entry({"x.mp3"})), damage([](std::string& b) { b[4] = 2; }); }, "newer version"},
      {"not ours", [&] { Write(Entry({"x.mp3"})), damage([](std::string& b) { b = "hello"; }); }, "not a journal"},
      {"other folder",
       [&] {
         const fs::path ours = Files(".entry").at(0);
         JournalEntry entry = Entry({"x.mp3"});
         entry.strFolder = (m_root / "music" / "CD1").c_str();
         Write(entry);
         for (const fs::path& file : Files(".entry"))
           if (file != ours) fs::rename(file, ours.parent_path() / "0000000000000009.entry");
       },
       "belongs to another folder"},
  };
  for (const Case& c : cases) {
    fs::remove_all(m_root / "state");
    fs::remove(m_root / "music" / "out");
    fs::remove(m_root / "music" / "link.mp3");
    ASSERT_TRUE(Write(Entry({"good.mp3"})));
    c.make();
    CString problem;
    EXPECT_FALSE(Journal().ReadLatest(m_folder, problem)) << c.name;  // nor the good one instead
    EXPECT_NE(std::string(problem).find(c.reason), std::string::npos) << c.name << ": " << problem.GetString();
  }
}

TEST_F(SaveJournalTest, AJournalThatCannotBeWrittenSaysWhyAndLeavesNothing) {
  ASSERT_TRUE(Write(Entry({"earlier.mp3"})));
  // A file's size limit stands in for a full disk: the write stops part way.
  signal(SIGXFSZ, SIG_IGN);
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  const rlimit small{4096, limit.rlim_max};
  setrlimit(RLIMIT_FSIZE, &small);
  const bool written = Write(Entry({"big.mp3"}, 100000));
  setrlimit(RLIMIT_FSIZE, &limit);
  EXPECT_FALSE(written);
  EXPECT_NE(std::string(m_lastError).find("larger than the system allows"), std::string::npos) << m_lastError;
  EXPECT_NE(std::string(m_lastError).find(StateDir()), std::string::npos) << m_lastError;
  EXPECT_EQ(Files(".new").size(), 0u);
  CString problem;
  EXPECT_EQ(Journal().ReadLatest(m_folder, problem)->files.at(0).strPath, "earlier.mp3");

  // A state folder that cannot be made.
  std::ofstream(m_root / "file") << "x";
  JournalEntry entry = Entry({"a.mp3"});
  CString error;
  EXPECT_FALSE(CSaveJournal((m_root / "file" / "quillory").c_str()).Write(entry, error));
  EXPECT_NE(std::string(error).find("is a file, not a folder"), std::string::npos) << error.GetString();

  if (geteuid() != 0) {  // permissions do not hold back root
    fs::permissions(m_root / "state", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(CSaveJournal((m_root / "state" / "new").c_str()).Write(entry, error));
    EXPECT_NE(std::string(error).find("no permission"), std::string::npos) << error.GetString();
    fs::permissions(m_root / "state", fs::perms::owner_all);
  }
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
