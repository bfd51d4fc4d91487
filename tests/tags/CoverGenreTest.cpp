// Covers and genres: the front cover read, set and removed on every engine
// with every other picture kept, images checked by their bytes, genre names
// from references, and a set genre in both tags as other readers see it.
#include "TagsTestSupport.h"

#include "Sha256.h"

#include <tags/MyMP3Tags.h>

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <sstream>

namespace {

using test::Mutagen;

std::string Image(const char* name) { return test::ReadFile(test::FixturePath(name)); }

// A 300 by 200 picture of noise as Qt writes it, so its scan or image data
// is most of its bytes, as in a photograph.
std::string NoisePicture(const char* format, bool progressive = false) {
  QImage image(300, 200, QImage::Format_RGB32);
  for (unsigned x = 7, i = 0; i < 300u * 200u; ++i) image.setPixel(i % 300, i / 300, x = x * 1103515245u + 12345u);
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  writer.setProgressiveScanWrite(progressive);
  writer.write(image);
  return buffer.data().toStdString();
}

// mutagen's pictures, each as "type description sha256" (the MIME type of a
// picture kept from an ID3v2.2 tag is named otherwise in ID3v2.3).
std::vector<std::string> Pictures(const CString& path) {
  std::istringstream lines(Mutagen(path, "pictures"));
  std::vector<std::string> out;
  for (std::string type, mime, rest; lines >> type >> mime && std::getline(lines, rest);) out.push_back(type + rest);
  return out;
}

// The first 16 hex digits of the bytes' SHA-256 (ours, as mutagen's view has Python's).
std::string Sha(const std::string& bytes) {
  const CDigest digest = Sha256(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  std::string hex;
  for (int i = 0; i < 8; ++i) hex += CString::Formatted("%02x", digest[i]).Str();
  return hex;
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
    CMyMP3Tags fresh;
    fresh.Link(path);
    EXPECT_EQ(test::Row(fresh), test::Row(tags));
    CCoverArt cover;
    if (c.image && fresh.GetFrontCover(&cover)) {
      EXPECT_TRUE(cover.strData == *c.image);
      fresh.SetFrontCover(*c.image);  // the same image again: nothing written
      EXPECT_TRUE(test::ReadFile(path) == after);
    } else {
      EXPECT_FALSE(c.image);
    }
  }
}

TEST(TagsCovers, ImagesAreCheckedByTheirBytes) {
  const std::string jpeg = Image("cover_front.jpg"), png = Image("cover_back.png");
  const std::string photo = NoisePicture("jpeg"), progressive = NoisePicture("jpeg", true);
  const std::string noisePng = NoisePicture("png");
  const std::pair<std::string, std::string> cases[] = {
      {jpeg, "image/jpeg JPEG 64x48 241"},  {png, "image/png PNG 32x16 107"},
      {test::BigJpeg(16 << 20), "image/jpeg JPEG 64x48 16777216"},
      {test::BigJpeg((16 << 20) + 1), "The picture is larger than 16 MB"},
      {"GIF89a" + std::string(100, '\0'), "The picture is not a JPEG or PNG image"},
      {"", "The picture is not a JPEG or PNG image"},
      {jpeg.substr(0, 20), "The picture's JPEG header is damaged"},
      {png.substr(0, 12), "The picture's PNG header is damaged"},
      // Pictures cut short: the header says a size, the image is not all there.
      {photo, "image/jpeg JPEG 300x200 " + std::to_string(photo.size())},
      {photo.substr(0, photo.size() * 3 / 10), "The JPEG picture is cut short: it has no end marker"},
      {photo.substr(0, photo.size() - 2), "The JPEG picture is cut short: it has no end marker"},
      {progressive, "image/jpeg JPEG 300x200 " + std::to_string(progressive.size())},
      {progressive.substr(0, progressive.size() * 6 / 10), "The JPEG picture is cut short: it has no end marker"},
      {jpeg.substr(0, 200), "The JPEG picture is cut short: a segment runs past the end"},
      {noisePng.substr(0, noisePng.size() * 3 / 10), "The PNG picture is cut short: a chunk runs past the end"},
      {png.substr(0, png.size() - 12), "The PNG picture is cut short: it has no IEND chunk"},
      {png.substr(0, 40), "The PNG picture is cut short: a chunk runs past the end"}};
  test::TempDir dir;
  const CString path = dir.CopyFixture("covers_v23.mp3");
  const std::string before = test::ReadFile(path);
  CMyMP3Tags tags;
  tags.Link(path);
  for (const auto& [image, result] : cases) {
    CCoverArt f;
    const CString refusal = CMyMP3Tags::CheckCoverImage(image, &f);
    EXPECT_EQ(refusal.IsEmpty() ? f.strMime + " " + f.strFormat + CString::Formatted(" %dx%d %zu", f.nWidth, f.nHeight, f.nBytes)
                                : refusal, result);
    if (refusal.IsEmpty()) continue;
    tags.SetFrontCover(image);
    EXPECT_EQ(tags.GetLastWriteError(), refusal);
  }
  tags.Reset();
  EXPECT_TRUE(test::ReadFile(path) == before);
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

}  // namespace
