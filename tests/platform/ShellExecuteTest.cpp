#include <platform/ShellApi.h>
#include <platform/Resources.h>

#include "support/OpenerStandIn.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

INT_PTR Open(const CString& path, const char* verb = "open") {
  return ShellExecuteA(nullptr, verb, path, nullptr, nullptr, SW_SHOWNORMAL);
}

// The shell's answer for path as an ordinary user would get it: root reads
// every file, so a test run as root asks from a child process run as nobody.
INT_PTR OpenAsUser(const CString& path) {
  if (::geteuid() != 0) return Open(path);
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(99);
    ::_exit(static_cast<int>(Open(path)));
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(ShellExecuteTest, OpenHandsTheFileToTheOpener) {
  test::OpenerStandIn opener;
  test::TempDir dir;
  const CString song = dir.File("song one.mp3");
  test::WriteFile(song, "ID3");
  EXPECT_GT(Open(song), 32);
  EXPECT_GT(Open(dir.Path(), "explore"), 32);
  EXPECT_GT(Open("https://example.org/a?b=c"), 32);
  EXPECT_EQ(opener.Calls(), std::string(song) + "\n" + std::string(dir.Path()) + "\nhttps://example.org/a?b=c\n");
}

TEST(ShellExecuteTest, MissingFilesFoldersAndPermissionsGiveTheirCodes) {
  test::OpenerStandIn opener;
  test::TempDir dir;
  EXPECT_EQ(Open(dir.File("missing.mp3")), SE_ERR_FNF);
  EXPECT_EQ(Open(dir.File("no folder/missing.mp3")), SE_ERR_PNF);
  EXPECT_EQ(Open(""), SE_ERR_FNF);

  const CString locked = dir.File("locked.mp3");
  test::WriteFile(locked, "ID3");
  ::chmod(locked.GetString(), 0);
  ::chmod(dir.Path().GetString(), 0755);
  EXPECT_EQ(OpenAsUser(locked), SE_ERR_ACCESSDENIED);
  ::chmod(dir.Path().GetString(), 0700);
  ::chmod(locked.GetString(), 0644);
  EXPECT_EQ(OpenAsUser(locked), SE_ERR_ACCESSDENIED);  // inside a folder the user may not enter
  EXPECT_EQ(opener.Calls(), "");
}

TEST(ShellExecuteTest, NothingToHandleTheRequestIsNoAssociation) {
  test::TempDir dir;
  const CString song = dir.File("song.mp3");
  test::WriteFile(song, "ID3");
  {
    test::OpenerStandIn opener(3);  // xdg-open: no program for this type
    EXPECT_EQ(Open(song), SE_ERR_NOASSOC);
    EXPECT_EQ(Open(song, "find"), SE_ERR_NOASSOC);
    EXPECT_EQ(Open(song, "properties"), SE_ERR_NOASSOC);
    EXPECT_EQ(Open(song, "explore"), SE_ERR_NOASSOC);  // a file is not a folder
  }
  {
    test::OpenerStandIn lp(0, "lp");
    EXPECT_EQ(Open(song, "print"), SE_ERR_NOASSOC);  // sound is not printable
    const CString text = dir.File("notes.txt");
    test::WriteFile(text, "hello\n");
    EXPECT_GT(Open(text, "print"), 32);
    EXPECT_EQ(lp.Calls(), "-- " + std::string(text) + "\n");
  }
  test::OpenerStandIn opener;
  opener.Remove();
  EXPECT_EQ(Open(song), SE_ERR_NOASSOC);
}

TEST(ShellExecuteTest, FileIconsAreSharedPerType) {
  test::TempDir dir;
  SHFILEINFOA a, b, c;
  ASSERT_NE(SHGetFileInfoA(dir.File("a.mp3"), 0, &a, sizeof a, SHGFI_ICON | SHGFI_SMALLICON | SHGFI_SYSICONINDEX), 0u);
  SHGetFileInfoA(dir.File("B.MP3"), 0, &b, sizeof b, SHGFI_ICON | SHGFI_SMALLICON | SHGFI_SYSICONINDEX);
  SHGetFileInfoA(dir.File("c.txt"), 0, &c, sizeof c, SHGFI_ICON | SHGFI_SMALLICON | SHGFI_SYSICONINDEX);
  ASSERT_NE(a.hIcon, nullptr);
  EXPECT_EQ(a.hIcon, b.hIcon);
  EXPECT_NE(a.hIcon, c.hIcon);
  DestroyIcon(a.hIcon);  // shared: the next lookup still gets a live icon
  SHGetFileInfoA(dir.File("d.mp3"), 0, &b, sizeof b, SHGFI_ICON | SHGFI_SMALLICON);
  EXPECT_EQ(a.hIcon, b.hIcon);
}
