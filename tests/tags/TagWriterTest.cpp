// The one tag writer: in place when the new tag fits (nothing but the tag
// region changes), else a new file renamed over the original (audio and
// trailing tags copied unchanged, mode kept, room left for the next edit);
// every failure leaves the original byte-identical and no temporary behind.
#include "TagsTestSupport.h"

#include "TagWriter.h"
#include "TempRecord.h"
#include "support/ChildWriter.h"

#include <gtest/gtest.h>

#include <QDir>

#include <functional>
#include <memory>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

using test::Inode;

std::string Syncsafe(std::size_t n) {
  return {char((n >> 21) & 0x7F), char((n >> 14) & 0x7F), char((n >> 7) & 0x7F), char(n & 0x7F)};
}

// An ID3v2.3 tag of one TIT2 frame holding text bytes, without padding.
std::string Tag(std::size_t text, char fill = 't', int major = 3) {
  const std::size_t frame = 1 + text;
  const std::string sizeField = major == 4 ? Syncsafe(frame)
                                           : std::string{char(frame >> 24), char(frame >> 16), char(frame >> 8), char(frame)};
  const std::string body = "TIT2" + sizeField + std::string(2, '\0') + '\0' + std::string(text, fill);
  return std::string("ID3") + char(major) + '\0' + '\0' + Syncsafe(body.size()) + body;
}

// The tag as it lies in a file: header size set, padded to region bytes.
std::string Padded(std::string tag, std::size_t region) {
  const std::string size = Syncsafe(region - 10);
  tag.replace(6, 4, size);
  return tag + std::string(region - tag.size(), '\0');
}

std::string V1(char fill) { return "TAG" + std::string(125, fill); }

// Audio stand-in, and trailing tags the writer must copy unchanged.
const std::string kAudio = [] {
  std::string audio;
  for (int i = 0; i < 70000; ++i) audio += char(0xFF - i % 251);
  return audio;
}();
const std::string kTrailing = "APETAGEX" + std::string(40, 'a') + "LYRICSBEGIN" + std::string(30, 'l') + "LYRICS200";

struct CLayout {
  std::string region;  // the ID3v2 region at the start (empty: none)
  std::string trailing;
  std::string v1;  // empty: none
  std::string Bytes() const { return region + kAudio + trailing + v1; }
};

mode_t Mode(const CString& path) {
  struct stat st {};
  return ::stat(path, &st) == 0 ? st.st_mode & 07777 : 0;
}

// Everything in the folder but the file itself.
QStringList Others(const test::TempDir& dir) {
  QStringList names = QDir(QString::fromUtf8(dir.Path().GetString())).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  names.removeAll("song.mp3");
  return names;
}

CTagWrite Request(const CString& path, const CLayout& old, std::string tag, const std::string& v1 = "") {
  CTagWrite request;
  request.strPath = path;
  request.nOldTagEnd = old.region.size();
  request.strNewTag = std::move(tag);
  request.bV1 = !v1.empty();
  std::copy(v1.begin(), v1.end(), request.v1.begin());
  return request;
}

// A new file keeps the mode and leaves room that takes the next edit in place.
TEST(TagWriter, WritesInPlaceOnlyWhatFitsAndChangesNothingElse) {
  struct Case {
    const char* what;
    CLayout old;
    std::string tag, v1;
    bool inPlace;
    mode_t mode = 0644;  // kept by a new file
  };
  const std::string pad4k = Padded(Tag(200), 4096);
  const Case cases[] = {
      {"fits the padding", {pad4k, kTrailing, V1('o')}, Tag(1500, 'n'), "", true},
      {"fills the region exactly", {pad4k, "", ""}, Tag(4096 - 21, 'n'), "", true},
      {"shrinks", {pad4k, kTrailing, ""}, Tag(3, 'n'), "", true},
      {"same ID3v1 block", {pad4k, "", V1('o')}, Tag(100, 'n'), V1('o'), true},
      {"grows past the region", {Padded(Tag(200), 300), kTrailing, V1('o')}, Tag(1000, 'n'), "", false},
      {"grows, mode 0600", {Padded(Tag(10), 64), "", V1('o')}, Tag(1000, 'n'), "", false, 0600},
      {"grows, mode 0664", {Padded(Tag(10), 64), "", V1('o')}, Tag(1000, 'n'), "", false, 0664},
      // Two writes at two places could be cut apart: one rename instead.
      {"fits but ID3v1 changes", {pad4k, kTrailing, V1('o')}, Tag(100, 'n'), V1('n'), false},
      {"gets its first tag", {"", kTrailing, V1('o')}, Tag(50, 'n'), V1('n'), false},
      {"loses its tag", {pad4k, kTrailing, V1('o')}, "", "", false},
  };
  for (const Case& c : cases) {
    test::TempDir dir;
    const CString path = dir.File("song.mp3");
    test::WriteFile(path, c.old.Bytes());
    ::chmod(path, c.mode);
    const ino_t inode = Inode(path);
    CString error = "unset";
    ASSERT_TRUE(WriteTagSafely(Request(path, c.old, c.tag, c.v1), &error)) << c.what << ": " << error.Str();
    EXPECT_EQ(error, "") << c.what;
    const std::string bytes = test::ReadFile(path);
    const std::string v1 = c.v1.empty() ? c.old.v1 : c.v1;
    std::size_t region = 0;
    if (c.inPlace) {
      region = c.old.region.size();
      EXPECT_EQ(Inode(path), inode) << c.what;
      EXPECT_EQ(bytes.size(), c.old.Bytes().size()) << c.what;
      EXPECT_TRUE(bytes.substr(0, region) == Padded(c.tag, region)) << c.what << ": tag, size field and zero padding";
    } else {
      EXPECT_NE(Inode(path), inode) << c.what;
      EXPECT_EQ(Mode(path), c.mode) << c.what;
      if (!c.tag.empty()) {
        region = bytes.size() - kAudio.size() - c.old.trailing.size() - v1.size();
        EXPECT_GE(region, c.tag.size() + 2048) << c.what << ": room for the next edits";
        EXPECT_TRUE(bytes.substr(0, region) == Padded(c.tag, region)) << c.what;
        // The next edit, 2000 bytes larger, takes that room in place.
        const ino_t grown = Inode(path);
        const std::string next = Tag(c.tag.size() - 21 + 2000, 'm');
        ASSERT_TRUE(WriteTagSafely(Request(path, {bytes.substr(0, region), c.old.trailing, v1}, next), &error));
        EXPECT_EQ(Inode(path), grown) << c.what;
        EXPECT_EQ(Mode(path), c.mode) << c.what;
        EXPECT_TRUE(test::ReadFile(path) == Padded(next, region) + kAudio + c.old.trailing + v1) << c.what;
      }
    }
    EXPECT_TRUE(bytes.substr(region) == kAudio + c.old.trailing + v1) << c.what << ": audio, trailing tags, ID3v1";
    EXPECT_TRUE(Others(dir).isEmpty()) << c.what << ": " << Others(dir).join(" ").toStdString();
  }
}

// A new file replaces the link's target, so the link stays a link.
TEST(TagWriter, AGrowingTagThroughASymbolicLinkReplacesItsTarget) {
  test::TempDir dir;
  const CString target = dir.File("target.mp3"), link = dir.File("song.mp3");
  const CLayout old{Padded(Tag(10), 64), kTrailing, ""};
  test::WriteFile(target, old.Bytes());
  ASSERT_EQ(::symlink(target, link), 0);
  CString error;
  ASSERT_TRUE(WriteTagSafely(Request(link, old, Tag(1000)), &error)) << error.Str();
  struct stat st {};
  EXPECT_TRUE(::lstat(link, &st) == 0 && S_ISLNK(st.st_mode));
  const std::string tag = Tag(1000), bytes = test::ReadFile(target);
  EXPECT_EQ(bytes.compare(10, tag.size() - 10, tag, 10), 0) << "the target holds the new frames";
  EXPECT_EQ(Others(dir), QStringList{"target.mp3"});
}

TEST(TagWriter, AnID3v24FooterFollowsTheFramesUnpadded) {
  test::TempDir dir;
  const CString path = dir.File("song.mp3");
  const auto footerOf = [](std::string tag) {
    tag[5] = 0x10;
    tag.replace(6, 4, Syncsafe(tag.size() - 10));
    std::string footer = tag.substr(0, 10);
    footer.replace(0, 3, "3DI");
    return tag + footer;
  };
  CLayout old{footerOf(Tag(100, 'o', 4)), kTrailing, ""};
  test::WriteFile(path, old.Bytes());
  for (std::size_t text : {100u, 400u}) {  // same size: in place; larger: a new file, still unpadded
    std::string tag = Tag(text, 'n', 4);
    tag[5] = 0x10;
    CTagWrite request = Request(path, old, tag);
    request.bFooter = true;
    CString error;
    ASSERT_TRUE(WriteTagSafely(request, &error)) << error.Str();
    EXPECT_TRUE(test::ReadFile(path) == footerOf(Tag(text, 'n', 4)) + kAudio + kTrailing) << text;
    old.region = footerOf(Tag(text, 'n', 4));
  }
}

TEST(TagWriter, TemporariesAreRecognisedByNameAlone) {
  for (const char* name : {".song.mp3.quillory-a1B2c3", "/music/.x.quillory-ZZZZZZ", ".a b.MP3.quillory-000000"})
    EXPECT_TRUE(IsWriterTemporary(name)) << name;
  for (const char* name : {"song.mp3", ".quillory-a1B2c3", "song.mp3.quillory-a1B2c3", ".song.quillory-abc",
                           ".song.quillory-a1B2c3.mp3", "song.mp3.AbC123"})
    EXPECT_FALSE(IsWriterTemporary(name)) << name;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

// A load removes the new files crashed saves left in its folder and nothing
// else of such a name: not a user's file, not a live save's file, not one
// outside the folder or reached through a link; each record goes once used up.
TEST(TagWriter, ALoadRemovesOnlyTheNewFilesItsRecordsProveACrashedSaveLeft) {
  test::TempDir state, music, outside;
  const std::string saved = std::getenv("XDG_STATE_HOME");
  ::setenv("XDG_STATE_HOME", state.Path(), 1);
  ASSERT_EQ(::mkdir(music.File("CD1"), 0755), 0);
  const test::CChildWriter top(music.Path(), "a.mp3", false), deep(music.File("CD1"), "b.mp3", false),
      far(outside.Path(), "c.mp3", false), swapped(music.Path(), "e.mp3", false);
  test::CChildWriter live(music.Path(), "d.mp3", true);
  const CString original = music.File("f.mp3");
  test::WriteFile(original, "the user's own");
  const test::CChildWriter kept(music.Path(), "f.mp3", false, true);  // an original's second name
  for (const test::CChildWriter* writer : {&top, &deep, &far, &swapped, &kept, static_cast<const test::CChildWriter*>(&live)})
    ASSERT_TRUE(Exists(writer->path));
  const CString user = music.File(".notes.quillory-backup");
  test::WriteFile(user, "the user's own");
  ASSERT_EQ(::symlink(outside.Path(), music.File("Out")), 0);
  // A crashed save's file that became a link to a file of the user's.
  test::WriteFile(outside.File("kept"), "the user's own");
  ::unlink(swapped.path.c_str());
  ASSERT_EQ(::symlink(outside.File("kept"), swapped.path.c_str()), 0);

  struct Step {
    const char* what;
    CString folder;
    bool subfolders;
    std::vector<std::string> gone, left;
  };
  const Step steps[] = {
      {"the folder alone", music.Path(), false, {top.path, kept.path}, {deep.path, far.path, live.path, swapped.path}},
      {"with its subfolders", music.Path(), true, {deep.path}, {far.path, live.path, swapped.path}},
      {"the folder outside", outside.Path(), false, {far.path}, {live.path, swapped.path}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    EXPECT_EQ(CMyMP3Tags::RemoveOwnLeftovers(step.folder, step.subfolders), static_cast<int>(step.gone.size()));
    for (const std::string& path : step.gone) EXPECT_FALSE(Exists(path)) << path;
    for (const std::string& path : step.left) EXPECT_TRUE(Exists(path)) << path;
    for (const CString& own : {user, original, outside.File("kept")}) EXPECT_EQ(test::ReadFile(own), "the user's own");
  }
  // Once the live save is gone, its file is a crashed one's.
  live.End();
  EXPECT_EQ(CMyMP3Tags::RemoveOwnLeftovers(music.Path(), false), 1);
  EXPECT_FALSE(Exists(live.path));
  // A write that makes a new file leaves no record behind.
  const CString song = music.File("song.mp3");
  const CLayout old{Padded(Tag(10), 64), kTrailing, ""};
  test::WriteFile(song, old.Bytes());
  CString error;
  EXPECT_TRUE(WriteTagSafely(Request(song, old, Tag(1000)), &error)) << error.Str();
  EXPECT_TRUE(QDir(QString::fromStdString(TempRecordDir())).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
  ::setenv("XDG_STATE_HOME", saved.c_str(), 1);
}

// A batch makes its later new files from the originals it replaced, but
// never from one whose old bytes someone may still read (an open descriptor,
// a second name) or one that carries attributes of its own; it leaves none
// of them behind.
TEST(TagWriter, ABatchReusesOnlyReplacedFilesNoOneElseHolds) {
  enum class Hold { None, Open, SecondName, Attribute };
  const struct {
    const char* what;
    Hold hold;
  } cases[] = {{"nothing else holds it", Hold::None},
               {"open elsewhere", Hold::Open},
               {"a second name", Hold::SecondName},
               {"an extended attribute", Hold::Attribute}};
  const CLayout old{Padded(Tag(10), 64), kTrailing, V1('o')};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempDir dir;
    const CString a = dir.File("a.mp3"), b = dir.File("b.mp3"), other = dir.File("other.mp3");
    test::WriteFile(a, old.Bytes());
    test::WriteFile(b, old.Bytes());
    const ino_t replaced = Inode(a);
    int held = -1;
    if (c.hold == Hold::Open) held = ::open(a, O_RDONLY | O_CLOEXEC);
    if (c.hold == Hold::SecondName) {
      ASSERT_EQ(::link(a, other), 0);
    }
    if (c.hold == Hold::Attribute && ::setxattr(a, "user.quillory-test", "1", 1, 0) != 0) {
      std::cout << "no user attributes on this file system: case skipped\n";
      continue;
    }
    {
      CWriteBatch batch;
      CString error;
      for (const CString& path : {a, b}) {
        ASSERT_TRUE(batch.Write(Request(path, old, Tag(1000), V1('n')), &error)) << error.Str();
        for (const CWriteOutcome& outcome : batch.Commit()) {
          EXPECT_EQ(outcome.strError, "");
        }
      }
    }
    // (A freed inode's number may come back for a file made anew.)
    if (c.hold == Hold::None) {
      EXPECT_EQ(Inode(b), replaced);
    }
    EXPECT_TRUE(test::ReadFile(a) == test::ReadFile(b)) << "both hold the new tag and the same audio";
    if (held >= 0) {
      std::string seen(old.Bytes().size(), '\0');
      EXPECT_EQ(::pread(held, seen.data(), seen.size(), 0), static_cast<ssize_t>(seen.size()));
      EXPECT_TRUE(seen == old.Bytes()) << "a reader of the old file still reads it whole";
      ::close(held);
    }
    if (c.hold == Hold::SecondName) {
      EXPECT_TRUE(test::ReadFile(other) == old.Bytes());
    }
    EXPECT_LT(::getxattr(b, "user.quillory-test", nullptr, 0), 0) << "no attribute of another file";
    if (c.hold == Hold::Attribute) {
      EXPECT_EQ(::getxattr(a, "user.quillory-test", nullptr, 0), 1) << "its own attribute kept";
    }
    QStringList names = Others(dir);
    names.removeAll("other.mp3");
    EXPECT_EQ(names, (QStringList{"a.mp3", "b.mp3"}));
  }
}

// Through the tag object, as a save meets them, in a group or from a single
// setter, on files of both engines: the reason is reported, the file stays
// byte-identical (no half-set frame) and nothing is left in the folder.
TEST(TagWriter, EveryFailureKeepsTheFileAndReportsWhy) {
  const std::string grown(20000, 'x');  // no fixture's padding takes this
  using Spoil = std::function<std::unique_ptr<test::CLocked>(const test::TempDir&, const CString&)>;
  const Spoil readOnlyFile = [](auto&, const CString& path) { return std::make_unique<test::CLocked>(path, 0444); };
  const Spoil readOnlyFolder = [](const test::TempDir& dir, auto&) {
    return std::make_unique<test::CLocked>(dir.Path(), 0555);
  };
  const Spoil vanish = [](auto&, const CString& path) { ::unlink(path); return std::unique_ptr<test::CLocked>(); };
  const Spoil changeBehind = [](auto&, const CString& path) {
    test::WriteFile(path, "ID3\3\0\0\0\0\0\1" + test::ReadFile(path).substr(10));
    return std::unique_ptr<test::CLocked>();
  };
  struct Case {
    const char* file;
    bool group;
    Spoil spoil;
    std::string value;
    const char* reason;
  };
  const char* const gone = "The file no longer exists or is empty";
  const Case cases[] = {
      {"cbr_v23_utf16_v1.mp3", true, readOnlyFile, "short", "The file is read-only"},
      {"cbr_v23_utf16_v1.mp3", true, readOnlyFolder, grown, "The folder is read-only"},
      {"cbr_v23_utf16_v1.mp3", false, readOnlyFolder, grown, "The folder is read-only"},
      {"cbr_v23_utf16_v1.mp3", true, vanish, "short", gone},
      {"untagged.mp3", false, vanish, "x", gone},
      {"v24_full.mp3", false, vanish, "x", gone},
      {"v22_full.mp3", false, vanish, "x", gone},
      {"cbr_v23_utf16_v1.mp3", true, changeBehind, "short",
       "The file was changed by another program since it was read"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + (c.group ? " in a group, " : " by one setter, ") + c.reason);
    test::TempDir dir;
    const CString path = dir.CopyFixture(c.file, "song.mp3");
    CMyMP3Tags tags;
    tags.Link(path);
    if (c.group) {
      tags.BeginUpdate();
      tags.SetTitle(c.value.c_str());
      tags.SetArtist(c.value.c_str());
    }
    const auto guard = c.spoil(dir, path);
    if (guard && !guard->Holds()) continue;  // root without chattr: nothing to lock with
    const std::string before = ::access(path, F_OK) == 0 ? test::ReadFile(path) : "(none)";
    if (c.group) {
      tags.EndUpdate();
    } else {
      tags.SetTitle(c.value.c_str());
    }
    EXPECT_EQ(tags.GetLastWriteError(), c.reason);
    EXPECT_TRUE((::access(path, F_OK) == 0 ? test::ReadFile(path) : "(none)") == before);
    EXPECT_TRUE(Others(dir).isEmpty()) << Others(dir).join(" ").toStdString();
  }
}

// A size limit (ulimit -f) met in the middle of the new file: the write
// fails with EFBIG instead of ending the program, and the original stays.
TEST(TagWriter, AFileSizeLimitFailsTheWriteAndKeepsTheFile) {
  test::TempDir dir;
  const CString path = dir.CopyFixture("cbr_v23_utf16_v1.mp3", "song.mp3");
  const std::string before = test::ReadFile(path);
  int pipeFds[2];
  ASSERT_EQ(::pipe(pipeFds), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    const rlimit limit{before.size(), before.size()};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    CMyMP3Tags tags;
    tags.Link(path);
    tags.SetTitle(CString(std::string(20000, 'x')));
    const std::string error = tags.GetLastWriteError().Str();
    (void)!::write(pipeFds[1], error.data(), error.size());
    ::_exit(0);
  }
  ::close(pipeFds[1]);
  char buffer[256] = {};
  const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer - 1);
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
  EXPECT_EQ(std::string(buffer, n > 0 ? n : 0), "The file would grow larger than the system allows");
  EXPECT_TRUE(test::ReadFile(path) == before);
  EXPECT_TRUE(Others(dir).isEmpty()) << Others(dir).join(" ").toStdString();
}

// A full disk (a small tmpfs, so root only): a tag that must grow is refused
// before anything is written; one that fits is written in place all the same.
TEST(TagWriter, AFullDiskRefusesAGrowingTagAndTakesOneThatFits) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root";
  test::TempDir dir;
  int code = -1;
  test::RunCommand("mount -t tmpfs -o size=512k tmpfs '" + dir.Path().Str() + "' 2>/dev/null", &code);
  if (code != 0) GTEST_SKIP() << "no tmpfs can be mounted here";
  const CString path = dir.CopyFixture("cbr_v23_utf16_v1.mp3", "song.mp3");
  test::RunCommand("dd if=/dev/zero of='" + dir.File("filler").Str() + "' bs=4k 2>/dev/null");  // fills the disk
  const std::string before = test::ReadFile(path);
  CMyMP3Tags tags;
  tags.Link(path);
  tags.SetTitle(CString(std::string(20000, 'x')));
  EXPECT_EQ(tags.GetLastWriteError(), "The disk is full");
  EXPECT_TRUE(test::ReadFile(path) == before);
  const std::string listing = test::RunCommand("ls -A '" + dir.Path().Str() + "'");
  tags.SetComposer("Fits");  // not an ID3v1 field: an ID3v1 change needs a new file
  EXPECT_EQ(tags.GetLastWriteError(), "");
  tags.Reset();
  EXPECT_EQ(test::Mutagen(path, "TCOM"), "Fits");
  test::RunCommand("umount '" + dir.Path().Str() + "'");
  EXPECT_EQ(listing, "filler\nsong.mp3\n");
}

}  // namespace
