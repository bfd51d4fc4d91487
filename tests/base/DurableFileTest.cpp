// Files written whole through a new file renamed over the old: the old one
// stays as it was whenever the write fails, and no new file is left.
#include "BaseTestDir.h"

#include <base/DurableFile.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class DurableFileTest : public ::testing::Test {
 protected:
  static mode_t ModeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
  }
  CBaseTestDir m_dir;
};

TEST_F(DurableFileTest, ReplacesTheWholeFileKeepingItsModeOrMakesANewOne) {
  const std::string old = m_dir.Put("cover.jpg", std::string(5000, 'o'));
  ASSERT_EQ(::chmod(old.c_str(), 0640), 0);
  ASSERT_TRUE(base::WriteFileDurably(old, "new"));
  EXPECT_EQ(CBaseTestDir::Read(old), "new");
  EXPECT_EQ(ModeOf(old), 0640u);

  const mode_t mask = ::umask(027);
  const bool made = base::WriteFileDurably(m_dir.File("front.png"), std::string("\0png", 4));
  ::umask(mask);
  ASSERT_TRUE(made);
  EXPECT_EQ(CBaseTestDir::Read(m_dir.File("front.png")), std::string("\0png", 4));
  EXPECT_EQ(ModeOf(m_dir.File("front.png")), 0640u) << "0666 less the umask";
  EXPECT_EQ(m_dir.Count(), 2u) << "no new file is left beside them";
}

// A write that fails (the folder read-only, the disk full, no such folder)
// reports it with errno and changes nothing.
TEST_F(DurableFileTest, AFailedWriteLeavesTheOldFileAndNothingElse) {
  const std::string old = m_dir.Put("cover.jpg", "old bytes");
  ASSERT_FALSE(base::WriteFileDurably(m_dir.File("no folder/cover.jpg"), "x"));
  EXPECT_EQ(errno, ENOENT);

  // A full disk: the size limit stands in for it, as the write fails the same way.
  struct rlimit was {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &was), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = was;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = base::WriteFileDurably(old, std::string(10000, 'n'));
  const int err = errno;
  ::setrlimit(RLIMIT_FSIZE, &was);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(written);
  EXPECT_EQ(err, EFBIG);
  EXPECT_EQ(CBaseTestDir::Read(old), "old bytes");
  EXPECT_EQ(m_dir.Count(), 1u);

  if (::geteuid() == 0) GTEST_SKIP() << "root writes into a read-only folder";
  ASSERT_EQ(::chmod(m_dir.Path().c_str(), 0500), 0);
  EXPECT_FALSE(base::WriteFileDurably(old, "new"));
  EXPECT_EQ(errno, EACCES);
  ::chmod(m_dir.Path().c_str(), 0700);
  EXPECT_EQ(CBaseTestDir::Read(old), "old bytes");
  EXPECT_EQ(m_dir.Count(), 1u);
}

// A move that must not replace anything (a new entry of the journal of
// saves) leaves the new file for another name; one moved in place stays.
TEST_F(DurableFileTest, AMoveThatMustNotReplaceLeavesTheNewFileForAnotherName) {
  const std::string taken = m_dir.Put("1.entry", "taken");
  base::CNewFile file;
  ASSERT_TRUE(file.Create(m_dir.Path(), ".new-"));
  EXPECT_EQ(ModeOf(file.Path()), 0600u);
  ASSERT_TRUE(file.Write("second") && file.Flush([] {}));
  EXPECT_FALSE(file.MoveTo(taken, true));
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(CBaseTestDir::Read(taken), "taken");
  ASSERT_TRUE(file.MoveTo(m_dir.File("2.entry"), true));
  file.Drop();
  EXPECT_EQ(CBaseTestDir::Read(m_dir.File("2.entry")), "second");
  EXPECT_EQ(m_dir.Count(), 2u);
}

}  // namespace
