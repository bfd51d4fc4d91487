// Covers and genres: the front cover read, set and removed on every engine
// with every other picture kept, images checked by their bytes, genre names
// from references, and a set genre in both tags as other readers see it.
#include "TagsTestSupport.h"

#include <tags/MyMP3Tags.h>

#include <gtest/gtest.h>

#include <sstream>

namespace {

using test::Mutagen;

std::string Image(const char* name) { return test::ReadFile(test::FixturePath(name)); }

// mutagen's pictures, each as "type description sha256" (the MIME type of a
// picture kept from an ID3v2.2 tag is named otherwise in ID3v2.3).
std::vector<std::string> Pictures(const CString& path) {
  std::istringstream lines(Mutagen(path, "pictures"));
  std::vector<std::string> out;
  for (std::string type, mime, rest; lines >> type >> mime && std::getline(lines, rest);) out.push_back(type + rest);
  return out;
}

std::string Sha(const std::string& bytes) {
  test::TempDir dir;
  test::WriteFile(dir.Path() + "/x", bytes);
  return test::RunCommand("sha256sum '" + dir.Path().Str() + "/x'").substr(0, 16);
}

TEST(TagsCovers, TheFrontCoverIsTheFirstOfType3ElseTheFirst) {
  const std::pair<const char*, const char*> cases[] = {
      {"covers_v23.mp3", "image/jpeg JPEG 64x48 241"},   {"covers_v24.mp3", "image/jpeg JPEG 64x48 241"},
      {"covers_v22.mp3", "image/jpeg JPEG 64x48 241"},   {"cover_other_only.mp3", "image/png PNG 16x16 100"},
      {"v24_full.mp3", "image/png PNG 0x0 308"},         {"v23_compressed.mp3", "image/png PNG 0x0 308"},
      {"v24_unreadable_first.mp3", "-"},                 {"untagged.mp3", "-"},
      {"v1_only.mp3", "-"}};
  for (auto [file, summary] : cases) {
    CMyMP3Tags tags;
    tags.Link(test::FixturePath(file));
    EXPECT_EQ(test::Cover(tags), summary) << file;
    CCoverArt cover;
    if (tags.GetFrontCover(&cover) && cover.nWidth == 64) {
      EXPECT_TRUE(cover.strData == Image("cover_front.jpg")) << file;
    }
  }
}

// Each change as mutagen sees it: the cover replaced in its place (keeping
// its description) or added after the others, or removed; every other
// picture and frame as it was, the audio too, the version kept (v2.2
// becomes v2.3).
TEST(TagsCovers, SettingAndRemovingKeepsEveryOtherPicture) {
  const std::string png = Image("cover_back.png"), big = test::BigJpeg(300 * 1024);
  struct Case {
    const char* file;
    const std::string* image;  // null: removed
    int changed;               // the picture replaced or removed (-1: one added)
  };
  // (mutagen wrote the front cover last, the hand-made v2.2 tag in the middle.)
  const Case cases[] = {{"covers_v23.mp3", &png, 2},     {"covers_v24.mp3", &big, 2},  {"covers_v22.mp3", &png, 1},
                        {"cover_other_only.mp3", &png, -1}, {"untagged.mp3", &big, -1}, {"v1_only.mp3", &png, -1},
                        {"v23_compressed.mp3", &png, 0}, {"covers_v23.mp3", nullptr, 2}, {"covers_v24.mp3", nullptr, 2},
                        {"covers_v22.mp3", nullptr, 1},  {"cover_other_only.mp3", nullptr, 0}};
  test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + (c.image ? " set" : " removed"));
    const CString path = dir.CopyFixture(c.file, "song.mp3");
    const std::string before = test::ReadFile(path);
    std::vector<std::string> expected = Pictures(path);
    const std::string others = test::FramesBut(path, "v2", {"APIC"});
    CMyMP3Tags tags;
    tags.Link(path);
    if (c.image) {
      const std::string description = c.changed >= 0 ? expected[c.changed].substr(1, expected[c.changed].rfind(' ') - 1) : " ";
      const std::string line = "3" + description + " " + Sha(*c.image);
      if (c.changed >= 0) expected[c.changed] = line;
      else expected.push_back(line);
      tags.SetFrontCover(*c.image);
    } else {
      expected.erase(expected.begin() + c.changed);
      tags.RemoveFrontCover();
    }
    ASSERT_EQ(tags.GetLastWriteError(), "");
    const std::string after = test::ReadFile(path);
    EXPECT_EQ(Pictures(path), expected);
    // (A file that had no ID3v2 tag gets one with what it had in ID3v1.)
    if (before.compare(0, 3, "ID3") == 0) {
      EXPECT_EQ(test::FramesBut(path, "v2", {"APIC"}), others);
    }
    EXPECT_TRUE(after.substr(after.size() - 128) == before.substr(before.size() - 128));
    EXPECT_TRUE(test::Audio(after) == test::Audio(before));
    EXPECT_EQ(after[3], before.compare(0, 3, "ID3") != 0 || before[3] == 2 ? 3 : before[3]);
    CCoverArt cover;
    CMyMP3Tags fresh;
    fresh.Link(path);
    EXPECT_EQ(test::Row(fresh), test::Row(tags));
    if (c.image) {
      ASSERT_TRUE(fresh.GetFrontCover(&cover));
      EXPECT_TRUE(cover.strData == *c.image);
      // The same image again writes nothing.
      fresh.SetFrontCover(*c.image);
      EXPECT_TRUE(test::ReadFile(path) == after);
    }
  }
}

TEST(TagsCovers, ImagesAreCheckedByTheirBytes) {
  const std::string jpeg = Image("cover_front.jpg"), png = Image("cover_back.png");
  const std::pair<std::string, const char*> cases[] = {
      {jpeg, ""},
      {png, ""},
      {test::BigJpeg(16 << 20), ""},
      {test::BigJpeg((16 << 20) + 1), "The picture is larger than 16 MB"},
      {"GIF89a" + std::string(100, '\0'), "The picture is not a JPEG or PNG image"},
      {"", "The picture is not a JPEG or PNG image"},
      {jpeg.substr(0, 20), "The picture's JPEG header is damaged"},
      {png.substr(0, 12), "The picture's PNG header is damaged"}};
  test::TempDir dir;
  const CString path = dir.CopyFixture("covers_v23.mp3");
  const std::string before = test::ReadFile(path);
  for (const auto& [image, refusal] : cases) {
    CCoverArt facts;
    EXPECT_EQ(CMyMP3Tags::CheckCoverImage(image, &facts), refusal) << image.size();
    if (*refusal == '\0') continue;
    CMyMP3Tags tags;
    tags.Link(path);
    tags.SetFrontCover(image);
    EXPECT_EQ(tags.GetLastWriteError(), refusal);
  }
  EXPECT_TRUE(test::ReadFile(path) == before);
  CCoverArt facts;
  CMyMP3Tags::CheckCoverImage(png, &facts);
  EXPECT_EQ(facts.strMime + " " + facts.strFormat + CString::Formatted(" %dx%d %zu", facts.nWidth, facts.nHeight, facts.nBytes),
            "image/png PNG 32x16 107");
}

TEST(TagsGenre, NamesOfStoredReferences) {
  const std::pair<const char*, const char*> cases[] = {
      {"(17)", "Rock"},  {"17", "Rock"},          {"(17)Rock", "Rock"},         {"(21)(4)Eurodisco", "Eurodisco"},
      {"(0)", "Blues"},  {"(147)", "Synthpop"},   {"(148)", "(148)"},           {"(200)Own", "Own"},
      {"(RX)", "Remix"}, {"(CR)(17)", "Cover"},   {"((Not a ref)", "((Not a ref)"}, {"(17)((paren", "(paren"},
      {"Rock", "Rock"},  {"Chillwave", "Chillwave"}, {"0017", "0017"},           {"(17", "(17"},
      {"", ""},          {"-", "-"}};
  for (auto [stored, name] : cases) EXPECT_EQ(CMyMP3Tags::GenreName(stored), name) << stored;
  const std::vector<CString> names = CMyMP3Tags::GetGenreNames();
  ASSERT_EQ(names.size(), 148u);
  EXPECT_EQ(names[40], "AlternRock");
  EXPECT_EQ(names[141], "Christian Rock ");
}

// A new genre reaches the ID3v2 tag as its name and an ID3v1 tag as its
// number (255 for a name not in the list); a value equal to the stored one,
// or to the name of its reference, writes nothing.
TEST(TagsGenre, ASetGenreIsWrittenAsItsNameAndItsNumber) {
  struct Case {
    const char* file;
    const char* value;
    int v1Byte;  // -1: no ID3v1 tag, -2: nothing written
  };
  const Case cases[] = {{"v1_only.mp3", "Jazz", 8},           {"v1_only.mp3", "Rock", -2},
                        {"cbr_v23_latin1.mp3", "Rock", -2},   {"cbr_v23_latin1.mp3", "(17)", -2},
                        {"cbr_v23_latin1.mp3", "Ambient", -1}, {"cbr_v23_utf16_v1.mp3", "Christian Rock", 141},
                        {"covers_v23.mp3", "Chillwave ♫", 255}, {"v24_full.mp3", "Trip-Hop", -1},
                        {"v24_v1.mp3", "pop", 13},             {"v22_full.mp3", "Ambient", -1}};
  test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + c.value);
    const CString path = dir.CopyFixture(c.file, "song.mp3");
    const std::string before = test::ReadFile(path);
    CMyMP3Tags tags;
    tags.Link(path);
    tags.SetGenre(c.value);
    EXPECT_EQ(tags.GetLastWriteError(), "");
    const std::string after = test::ReadFile(path);
    if (c.v1Byte == -2) {
      EXPECT_TRUE(after == before);
      continue;
    }
    EXPECT_EQ(Mutagen(path, "TCON"), c.value);
    EXPECT_EQ(tags.GetGenre(), c.value);
    const bool v1 = after.compare(after.size() - 128, 3, "TAG") == 0;
    EXPECT_EQ(v1 ? static_cast<unsigned char>(after.back()) : -1, c.v1Byte);
    if (before.compare(0, 3, "ID3") == 0) {
      EXPECT_EQ(test::FramesBut(path, "v2", {"TCON"}), test::FramesBut(test::FixturePath(c.file), "v2", {"TCON"}));
    }
  }
}

}  // namespace
