// Writing: values reach the file as other readers expect, nothing written
// when nothing changed, frames not edited kept, refused and failed writes
// reported.
#include "TagsTestSupport.h"

#include <tags/MyMP3Tags.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include <unistd.h>

namespace {

using test::Mutagen;

// The lines of a frame listing but those whose key starts with the prefix.
std::string Without(const std::string& frames, const std::string& prefix) {
  std::istringstream in(frames);
  std::string line, out;
  while (std::getline(in, line))
    if (line.rfind(prefix, 0) != 0) out += line + "\n";
  return out;
}

// mutagen's frames (view "all", "v2" or "v1") but those of one key prefix.
std::string FramesBut(const CString& path, const std::string& prefix, const std::string& view = "all") {
  return Without(Mutagen(path, view), prefix);
}

TEST(TagsWrite, UnicodeAndLatinValuesAsMutagenReadsThem) {
  test::TempDir dir;
  const CString path = dir.CopyFixture("cbr_v23_latin1.mp3");
  {
    CMyMP3Tags tags;
    tags.Link(path);
    tags.SetArtist("Sigur Rós");             // fits Latin-1
    EXPECT_EQ(tags.GetLastWriteError(), "");
    tags.SetTitle("日本語 ♫ 𝄞");             // needs UTF-16, with a surrogate pair
    EXPECT_EQ(tags.GetLastWriteError(), "");
    tags.SetTrack(7);
    tags.SetYear(0);
  }
  EXPECT_EQ(Mutagen(path, "TPE1"), "Sigur Rós");
  EXPECT_EQ(Mutagen(path, "TIT2"), "日本語 ♫ 𝄞");
  EXPECT_EQ(Mutagen(path, "TRCK"), "7");
  const std::string v2 = test::RunCommand("/usr/bin/python3 -c \"import sys; from mutagen.id3 import ID3; "
                                          "t = ID3(sys.argv[1]); print(int(t['TPE1'].encoding), int(t['TIT2'].encoding))\" " +
                                          path.Str());
  EXPECT_EQ(v2, "0 1\n") << "Latin-1 where it fits, UTF-16 otherwise";
  CMyMP3Tags again;
  again.Link(path);
  EXPECT_EQ(again.GetTitle(), "日本語 ♫ 𝄞");
  EXPECT_EQ(again.GetArtist(), "Sigur Rós");
  EXPECT_EQ(again.GetYear(), "0");
}

TEST(TagsWrite, EqualValuesAndMarkersWriteNothing) {
  test::TempDir dir;
  for (const char* name : {"cbr_v23_utf16_v1.mp3", "two_comments.mp3", "untagged.mp3", "v1_only.mp3",
                           "v24_full.mp3", "v24_itunes.mp3", "v22_full.mp3"}) {
    const CString path = dir.CopyFixture(name);
    const std::string before = test::ReadFile(path);
    CMyMP3Tags tags;
    tags.Link(path);
    // What the program does on a save of an unedited row.
    tags.SetArtist(tags.GetArtist());
    tags.SetTitle(tags.GetTitle());
    tags.SetComment(tags.GetComment());
    tags.SetURL(tags.GetURL());
    tags.SetConductor(tags.GetConductor());
    tags.SetPublisher("-" == tags.GetPublisher() ? CString("-") : tags.GetPublisher());
    tags.Reset();
    EXPECT_TRUE(test::ReadFile(path) == before) << name;
  }
}

TEST(TagsWrite, OneEditKeepsEveryOtherFrame) {
  test::TempDir dir;
  for (const char* name : {"cbr_v23_latin1.mp3", "cbr_v23_utf16.mp3", "cbr_v23_utf16_v1.mp3", "Upper.MP3",
                           "id3lib_written.mp3", "two_comments.mp3", "vbr_mpeg2_mono.mp3"}) {
    const CString path = dir.CopyFixture(name);
    const std::string before = FramesBut(path, "TPE1=");
    {
      CMyMP3Tags tags;
      tags.Link(path);
      tags.SetArtist("Changed Artist");
      EXPECT_EQ(tags.GetLastWriteError(), "") << name;
    }
    EXPECT_EQ(Mutagen(path, "TPE1"), "Changed Artist") << name;
    // The view mutagen-based players show merges the ID3v1 tag in: a new
    // ID3v1 tag would show its comment there as a new comment frame.
    EXPECT_EQ(FramesBut(path, "TPE1="), before) << name;
  }
}

TEST(TagsWrite, Id3v1CopyGetsLatin1AndOnlyTheEditedFields) {
  test::TempDir dir;
  const CString path = dir.CopyFixture("cbr_v23_utf16_v1.mp3");
  const std::string before = Mutagen(path, "v1");
  {
    CMyMP3Tags tags;
    tags.Link(path);
    tags.SetArtist("Björk Guðmundsdóttir");
    tags.SetTitle("日本語の歌");  // no Latin-1 form: the ID3v1 title stays
    tags.SetAlbum("Ålbum with a name longer than thirty characters");
    tags.SetTrack("11/12");
    EXPECT_EQ(tags.GetLastWriteError(), "");
  }
  const std::string v1 = Mutagen(path, "v1");
  EXPECT_NE(v1.find("TPE1=TPE1(encoding=<Encoding.LATIN1: 0>, text=['Björk Guðmundsdóttir'])"), std::string::npos) << v1;
  EXPECT_NE(v1.find("text=['Ålbum with a name longer than'"), std::string::npos) << v1;
  EXPECT_NE(v1.find("TRCK=TRCK(encoding=<Encoding.LATIN1: 0>, text=['11'])"), std::string::npos) << v1;
  // Title, year, comment and genre as they were.
  std::istringstream in(before);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("TPE1", 0) == 0 || line.rfind("TALB", 0) == 0 || line.rfind("TRCK", 0) == 0) continue;
    EXPECT_NE(v1.find(line), std::string::npos) << line;
  }
  EXPECT_EQ(Mutagen(path, "TIT2"), "日本語の歌");
}

TEST(TagsWrite, NoId3v1TagIsAddedAndId3v2HoldsOnlyTheEdits) {
  test::TempDir dir;
  for (const char* name : {"cbr_v23_latin1.mp3", "untagged.mp3"}) {
    const CString path = dir.CopyFixture(name);
    const std::string before = Without(FramesBut(path, "TPE1=", "v2"), "COMM");
    {
      CMyMP3Tags tags;
      tags.Link(path);
      tags.SetArtist("Changed Artist");
      tags.SetComment("Changed comment");
      EXPECT_EQ(tags.GetLastWriteError(), "") << name;
    }
    const std::string bytes = test::ReadFile(path);
    EXPECT_NE(bytes.compare(bytes.size() - 128, 3, "TAG"), 0) << name;
    EXPECT_EQ(Mutagen(path, "v1"), "") << name;
    const std::string after = FramesBut(path, "TPE1=", "v2");
    EXPECT_EQ(Without(after, "COMM"), before) << name;
    // One comment frame: the edited one.
    const std::string comments = Without(Without(after, "T"), "W");
    EXPECT_EQ(std::count(comments.begin(), comments.end(), '\n'), 1) << comments;
    EXPECT_NE(after.find("text=['Changed comment']"), std::string::npos) << name;
  }
}

TEST(TagsWrite, Id3v1OnlyFileKeepsItsTagAndItsFields) {
  test::TempDir dir;
  const CString path = dir.CopyFixture("v1_only.mp3");
  {
    CMyMP3Tags tags;
    tags.Link(path);
    EXPECT_EQ(tags.GetComment(), "v1 comment");
    tags.SetArtist("Sigur Rós");
    EXPECT_EQ(tags.GetLastWriteError(), "");
  }
  const std::string v1 = Mutagen(path, "v1");
  EXPECT_NE(v1.find("text=['Sigur Rós']"), std::string::npos) << v1;
  EXPECT_NE(v1.find("text=['V1 Title']"), std::string::npos) << v1;
  CMyMP3Tags again;
  again.Link(path);
  EXPECT_EQ(again.GetArtist(), "Sigur Rós");
  EXPECT_EQ(again.GetTitle(), "V1 Title");
  EXPECT_EQ(again.GetAlbum(), "V1 Album");
  EXPECT_EQ(again.GetTrack(), "7");
  EXPECT_EQ(again.GetComment(), "v1 comment");
  EXPECT_EQ(Mutagen(path, "COMM::XXX"), "v1 comment") << "the ID3v2 copy of the comment is the plain one";
}

TEST(TagsWrite, NewCommentAndUrlGoBesideDescribedOnesAndEmptyTextStays) {
  test::TempDir dir;
  const CString path = dir.CopyFixture("two_comments.mp3");
  {
    CMyMP3Tags tags;
    tags.Link(path);
    tags.SetComment("New comment");
    tags.SetURL("http://example.com/new");
    tags.SetArtist("");
    EXPECT_EQ(tags.GetArtist(), "");
  }
  const std::string all = Mutagen(path, "all");
  EXPECT_NE(all.find("First comment"), std::string::npos);
  EXPECT_NE(all.find("Second comment"), std::string::npos);
  EXPECT_EQ(Mutagen(path, "COMM::eng"), "New comment");
  EXPECT_EQ(Mutagen(path, "WXXX:"), "http://example.com/new");
  EXPECT_EQ(Mutagen(path, "WXXX:home"), "http://example.org/");
}

TEST(TagsWrite, ReadOnlyKindsAreRefusedWithAReason) {
  test::TempDir dir;
  // A tag of a version above 4 is no tag either engine knows.
  std::string v25 = test::ReadFile(test::FixturePath("v24_small.mp3"));
  v25[3] = 5;
  test::WriteFile(dir.File("v25.mp3"), v25);
  const std::pair<const char*, const char*> cases[] = {
      {"compressed_frame.mp3", "damaged"}, {"v25.mp3", "damaged"}, {"empty.mp3", "empty"},
      {"not_mpeg.mp3", "not MPEG"}, {"v22_crm.mp3", "The file's ID3v2.2 frame CRM has no ID3v2.3 form"},
      {"v22_lnk.mp3", "frame LNK has no"}, {"v22_xyz.mp3", "frame XYZ has no"}};
  for (auto [name, reason] : cases) {
    const CString path = std::string(name) == "v25.mp3" ? dir.File(name) : dir.CopyFixture(name);
    const std::string before = test::ReadFile(path);
    CMyMP3Tags tags;
    tags.Link(path);
    EXPECT_FALSE(tags.IsWritable()) << name;
    tags.SetArtist("Anything");
    EXPECT_NE(tags.GetLastWriteError().Find(reason), -1) << name << ": " << tags.GetLastWriteError().Str();
    tags.RemoveAllTags();
    EXPECT_NE(tags.GetLastWriteError(), "") << name;
    tags.Reset();
    EXPECT_TRUE(test::ReadFile(path) == before) << name;
  }
}

TEST(TagsWrite, NoFileIsCreatedAndAVanishedFileIsReported) {
  test::TempDir dir;
  CMyMP3Tags tags;
  tags.Link(dir.File("missing.mp3"));
  tags.SetTitle("x");
  EXPECT_NE(tags.GetLastWriteError(), "");
  EXPECT_NE(::access(dir.File("missing.mp3"), F_OK), 0);
  tags.Reset();

  for (const char* name : {"untagged.mp3", "v24_full.mp3", "v22_full.mp3"}) {
    const CString path = dir.CopyFixture(name);
    tags.Link(path);
    ::unlink(path);
    tags.SetTitle("x");
    EXPECT_NE(tags.GetLastWriteError(), "") << name;
    EXPECT_NE(::access(path, F_OK), 0) << name;
    tags.Reset();
  }

  // Unlinked setters touch nothing and report nothing.
  tags.SetTitle("x");
  EXPECT_EQ(tags.GetLastWriteError(), "");
}

TEST(TagsWrite, UpperCaseNameIsWrittenInPlace) {
  test::TempDir dir;
  const CString path = dir.CopyFixture("Upper.MP3");
  {
    CMyMP3Tags tags;
    tags.Link(path);
    tags.SetAlbum("Written");
  }
  EXPECT_EQ(Mutagen(path, "TALB"), "Written");
  EXPECT_NE(::access(dir.File("Upper.mp3"), F_OK), 0);
}

TEST(TagsWrite, RemoveAllTagsKeepsGenreAndUrl) {
  test::TempDir dir;
  const CString path = dir.CopyFixture("cbr_v23_latin1.mp3");
  {
    CMyMP3Tags tags;
    tags.Link(path);
    tags.RemoveAllTags();
    EXPECT_EQ(tags.GetLastWriteError(), "");
  }
  EXPECT_EQ(Mutagen(path, "TPE1"), "");
  EXPECT_EQ(Mutagen(path, "TIT2"), "");
  EXPECT_EQ(Mutagen(path, "WXXX:home"), "http://example.org/");
  EXPECT_NE(Mutagen(path, "TCON"), "");
}

}  // namespace

// A folder nobody may add files to (immutable, so root is held too): a tag
// that must grow cannot be rewritten through a temporary file there, and the
// write is reported as failed, not as done.
TEST(TagsWrite, AWriteThatCannotFullyHappenInALockedFolderIsReported) {
  if (::geteuid() != 0) GTEST_SKIP() << "locking a folder needs root's chattr";
  test::TempDir dir;
  const CString path = dir.CopyFixture("cbr_v23_utf16_v1.mp3", "song.mp3");
  int code = -1;
  test::RunCommand("chattr +i '" + dir.Path().Str() + "' 2>/dev/null", &code);
  if (code != 0) GTEST_SKIP() << "the file system has no immutable attribute";
  const std::string before = test::ReadFile(path);
  CString failure;
  {
    CMyMP3Tags tags;
    tags.Link(path);
    tags.SetTitle(CString(std::string(20000, 'x')));
    failure = tags.GetLastWriteError();
  }
  test::RunCommand("chattr -i '" + dir.Path().Str() + "'");
  EXPECT_NE(failure, "");
  // Nothing in the folder but the file, and the ID3v2 title not half-set.
  EXPECT_EQ(test::RunCommand("ls -A '" + dir.Path().Str() + "'"), "song.mp3\n");
  EXPECT_NE(Mutagen(path, "TIT2"), std::string(20000, 'x'));
  EXPECT_TRUE(test::ReadFile(path) == before) << "the file was changed in part";
}
