// Covers through the window: the Tag and Cover columns, covers added, replaced and removed, undone and
// saved (as mutagen reads them), the pictures refused, and the cover several selected rows share.
#include "MainWindowDriver.h"

#include <QCryptographicHash>
#include <QDropEvent>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QUrl>

#include <algorithm>
#include <filesystem>

namespace {

constexpr int kTagColumn = 24, kCoverColumn = 25;
const char* const kFront = "64\u00d748 JPEG, 1 KB";  // the front cover of the covers_* fixtures

class CoversTest : public test::MainWindowDriver {
 protected:
  // Three tag versions with three pictures each and an untagged file; several rows selectable.
  void LoadFolder() {
    for (const char* name : {"covers_v22.mp3", "covers_v23.mp3", "covers_v24.mp3", "untagged.mp3"})
      m_dir.CopyFixture(name);
    OpenFolder(m_dir.Path());
    m_dlg.m_list.ModifyStyle(LVS_SINGLESEL, 0);
  }
  void Select(std::initializer_list<const char*> keys) {
    View()->clearSelection();
    for (const char* key : keys) m_dlg.m_list.SetItemState(RowOf(key), LVIS_SELECTED, LVIS_SELECTED);
  }
  // mutagen's pictures of the file as "type:sha256", sorted, and "audio:sha256".
  std::vector<std::string> Pictures(const char* key) {
    std::istringstream lines(test::RunCommand("/usr/bin/python3 " QUILLORY_SOURCE_DIR "/tests/e2e/mutagen_row.py '" +
                                              m_dir.File((std::string(key) + ".mp3").c_str()).Str() + "' pictures"));
    std::vector<std::string> pictures;
    for (std::string line; std::getline(lines, line);) pictures.push_back(line);
    std::sort(pictures.begin(), pictures.end());
    return pictures;
  }
  // The dialog opens in the first selected row's folder, its name box empty.
  void AddCover(const CString& picture) {
    test::FileDialogSeen seen;
    test::AnswerFileDialog(picture, &seen);
    Click(IDC_ADD_COVER);
    EXPECT_EQ(seen.folder.toStdString(), std::string(m_dir.Path().GetString()));
    EXPECT_EQ(seen.nameText, "");
  }
  void Drop(const CString& path) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromUtf8(path.GetString()))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Item(IDC_COVER_PICTURE), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Item(IDC_COVER_PICTURE), &drop);
  }
  std::string Caption() { return Total(IDC_COVER_CAPTION); }
  QLabel* Thumbnail() { return qobject_cast<QLabel*>(Item(IDC_COVER_PICTURE)); }
  std::vector<std::string> CoverCells() {
    std::vector<std::string> cells;
    for (const char* key : {"covers_v22", "covers_v23", "covers_v24", "untagged"}) {
      cells.push_back(Cell(RowOf(key), kCoverColumn));
      if (m_dlg.m_list.GetItemEmphasis(RowOf(key), kCoverColumn)) cells.back() += " *";
    }
    return cells;
  }
  void Key(int key) {
    QApplication::setActiveWindow(m_dlg.GetWidget());
    QTest::keyClick(m_dlg.GetWidget(), key, Qt::ControlModifier);
  }

  test::TempDir m_dir, m_pictures;
};

}  // namespace

TEST_F(CoversTest, ColumnsAndThumbnailShowEachFilesTagsAndTheCoverTheSelectionShares) {
  m_dir.CopyFixture("cover_other_only.mp3");
  LoadFolder();
  const std::vector<std::vector<std::string>> expected = {
      {"covers_v22", "ID3v2.2", kFront}, {"covers_v23", "ID3v2.3 + ID3v1", kFront}, {"covers_v24", "ID3v2.4", kFront},
      {"untagged", "none", "-"}, {"cover_other_only", "ID3v2.3", "16\u00d716 PNG, 1 KB"}};
  for (const auto& row : expected)
    EXPECT_EQ(Cell(RowOf(row[0].c_str()), kTagColumn) + "|" + Cell(RowOf(row[0].c_str()), kCoverColumn),
              row[1] + "|" + row[2]);

  Select({"covers_v22", "covers_v23", "covers_v24"});
  EXPECT_FALSE(Thumbnail()->pixmap().isNull());
  EXPECT_EQ(Caption(), std::string(kFront) + "\nin all 3 files");
  test::FileDialogSeen seen;
  const CString extracted = m_pictures.File("front.jpg");
  test::AnswerFileDialog(extracted, &seen);
  Click(IDC_EXTRACT_COVER);
  // Named from the first row's artist (its album is empty), in the files' folder.
  EXPECT_EQ(seen.selected, QStringList{QString::fromUtf8(m_dir.File("Old Artist.jpg").GetString())});
  EXPECT_EQ(test::ReadFile(extracted), test::ReadFile(test::FixturePath("cover_front.jpg")));

  Select({"covers_v23", "untagged"});
  EXPECT_EQ(Thumbnail()->text().toStdString() + "|" + Caption(), "(different covers)|2 files");
  EXPECT_FALSE(m_dlg.GetDlgItem(IDC_EXTRACT_COVER)->IsWindowEnabled());
}

TEST_F(CoversTest, AddReplaceAndRemoveAreUndoableStepsThatSavingWritesAsMutagenSees) {
  LoadFolder();
  const char* keys[] = {"covers_v22", "covers_v23", "covers_v24", "untagged"};
  std::map<std::string, std::vector<std::string>> before;
  for (const char* key : keys) before[key] = Pictures(key);
  const CString first = m_pictures.File("first.jpg"), second = m_pictures.File("second.png");
  QImage picture(40, 30, QImage::Format_RGB32);
  picture.fill(Qt::darkCyan);
  ASSERT_TRUE(picture.copy(0, 0, 30, 20).save(first.GetString(), "JPG") && picture.save(second.GetString(), "PNG"));
  const std::string added = "40\u00d730 PNG, 1 KB";

  Select({"covers_v22", "covers_v23", "covers_v24", "untagged"});
  AddCover(first);
  AddCover(second);
  EXPECT_EQ(CoverCells(), std::vector<std::string>(4, added + " *"));
  EXPECT_EQ(Caption(), added + "\nin all 4 files, not saved");
  // Undo brings back the pending cover before, then the files' own.
  Key(Qt::Key_Z);
  EXPECT_EQ(CoverCells(), std::vector<std::string>(4, "30\u00d720 JPEG, 1 KB *"));
  Key(Qt::Key_Z);
  EXPECT_EQ(CoverCells(), (std::vector<std::string>{kFront, kFront, kFront, "-"}));
  EXPECT_FALSE(m_dlg.IsDataChanged());
  for (int redo : {Qt::Key_Y, Qt::Key_Y}) Key(redo);
  Click(IDC_SAVE_ALL);
  EXPECT_EQ(CoverCells(), std::vector<std::string>(4, added));
  // Only the front cover changed: the other pictures and the audio are as they were.
  const auto withFront = [&](const char* key, const std::string& front) {
    std::vector<std::string> pictures = before[key];
    std::erase_if(pictures, [](const std::string& p) { return p.rfind("3:", 0) == 0; });
    if (!front.empty()) pictures.push_back("3:" + front);
    std::sort(pictures.begin(), pictures.end());
    return pictures;
  };
  const std::string sha = QCryptographicHash::hash(QByteArray::fromStdString(test::ReadFile(second)),
                                                   QCryptographicHash::Sha256).toHex().toStdString();
  for (const char* key : keys) EXPECT_EQ(Pictures(key), withFront(key, sha)) << key;

  Select({"covers_v23", "untagged"});
  Click(IDC_REMOVE_COVER);
  EXPECT_EQ(CoverCells(), (std::vector<std::string>{added, "- *", added, "- *"}));
  Click(IDC_SAVE_ALL);
  for (const char* key : {"covers_v23", "untagged"}) EXPECT_EQ(Pictures(key), withFront(key, "")) << key;
  EXPECT_EQ(Cell(RowOf("covers_v22"), kTagColumn), "ID3v2.3");  // saved as ID3v2.3
}

TEST_F(CoversTest, PicturesThatCannotBeCoversAreRefusedNamingTheFile) {
  LoadFolder();
  Select({"covers_v23"});
  // A JPEG's start, frame header (16 by 16 pixels) and end: the size is there, the image is not.
  const std::string headerOnly(
      "\xFF\xD8\xFF\xC0\x00\x11\x08\x00\x10\x00\x10\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01\xFF\xD9", 23);
  test::WriteFile(m_pictures.File("huge.png"), test::ReadFile(test::FixturePath("cover_back.png")));
  std::filesystem::resize_file(m_pictures.File("huge.png").Str(), 16u << 20 | 1);
  // A photograph cut at 30%: Qt still draws what there is.
  QImage photo(300, 200, QImage::Format_RGB32);
  for (unsigned x = 7, i = 0; i < 300u * 200u; ++i) photo.setPixel(i % 300, i / 300, x = x * 1103515245u + 12345u);
  ASSERT_TRUE(photo.save(m_pictures.File("whole.jpg").GetString(), "JPG"));
  const std::string whole = test::ReadFile(m_pictures.File("whole.jpg"));
  const std::vector<std::vector<std::string>> refused = {  // name, bytes (none: no such file), why
      {"gif.png", "GIF89a\x01\x00\x01\x00\x00\x00\x00;", "The picture is not a JPEG or PNG image"},
      {"text.jpg", "not a picture", "The picture is not a JPEG or PNG image"},
      {"header-only.jpg", headerOnly, "The picture cannot be decoded"},
      {"cut.jpg", whole.substr(0, whole.size() * 3 / 10), "The JPEG picture is cut short: it has no end marker"},
      {"huge.png", "", "The picture is larger than 16 MB"},
      {"missing.png", "", "The file cannot be read"}};
  for (const auto& r : refused) {
    const CString path = m_pictures.File(r[0].c_str());
    if (!r[1].empty()) test::WriteFile(path, r[1]);
    Drop(path);
    EXPECT_EQ(Status(), path.Str() + " cannot be a cover: " + r[2] + ".");
    EXPECT_FALSE(m_dlg.IsDataChanged()) << r[0];
  }
  Drop(test::FixturePath("cover_back.png"));
  EXPECT_EQ(Cell(RowOf("covers_v23"), kCoverColumn), "32\u00d716 PNG, 1 KB");
}

TEST_F(CoversTest, AnExtractedCoverGetsANameThatFitsAndAFailedWriteSaysWhy) {
  // An artist of 300 two-byte characters: the name offered is cut between characters, to fit 255 bytes.
  const CString path = m_dir.CopyFixture("covers_v23.mp3", "long.mp3");
  test::RunCommand("/usr/bin/python3 -c \"import sys, mutagen.id3 as i; t = i.ID3(sys.argv[1]); "
                   "t.add(i.TPE1(encoding=1, text=chr(196) * 300)); t.save(v2_version=3)\" '" + path.Str() + "'");
  OpenFolder(m_dir.Path());
  Select({"long"});
  std::string offered;
  for (int i = 0; i < 125; ++i) offered += "\u00c4";
  offered += ".jpg";
  test::FileDialogSeen seen;
  test::AnswerFileDialog(m_pictures.File(offered.c_str()), &seen);
  Click(IDC_EXTRACT_COVER);
  ASSERT_EQ(seen.selected.size(), 1);
  EXPECT_EQ(std::filesystem::path(seen.selected.front().toStdString()).filename().string(), offered);
  EXPECT_EQ(Status(), "Cover saved as " + m_pictures.File(offered.c_str()).Str());
  EXPECT_EQ(test::ReadFile(m_pictures.File(offered.c_str())), test::ReadFile(test::FixturePath("cover_front.jpg")));
  // A write that fails names the file and says why.
  const CString nowhere = m_pictures.File("gone/cover.jpg");
  test::AnswerFileDialog(nowhere);
  Click(IDC_EXTRACT_COVER);
  EXPECT_EQ(Status(), "The cover could not be written to " + nowhere.Str() + ": No such file or directory.");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_pictures.Path().Str()), {}), 1);
}

// In files without a front cover (type 3) the first picture is shown: the
// Cover group says which it is and how many the file has, and Remove cover
// removes exactly that picture, once, in each selected file; one another
// program has given a front cover since it was shown keeps all its pictures.
TEST_F(CoversTest, RemoveCoverRemovesThePictureShownOnlyInEachFile) {
  const CString a = m_dir.CopyFixture("untagged.mp3", "a.mp3"), b = m_dir.CopyFixture("untagged.mp3", "b.mp3");
  const CString c = m_dir.CopyFixture("untagged.mp3", "c.mp3"), d = m_dir.CopyFixture("untagged.mp3", "d.mp3");
  test::WritePictures(a, 3, {"4:cover_back.png", "0:cover_other.png", "8:cover_front.jpg"});
  test::WritePictures(b, 3, {"8:cover_front.jpg"});
  for (const CString& path : {c, d}) test::WritePictures(path, 3, {"4:cover_back.png", "0:cover_other.png"});
  // mutagen's pictures in the file's order, "type:sha256" (the audio's last).
  const auto inOrder = [&](const CString& path) {
    std::istringstream lines(test::RunCommand("/usr/bin/python3 " QUILLORY_SOURCE_DIR "/tests/e2e/mutagen_row.py '" +
                                              path.Str() + "' pictures"));
    std::vector<std::string> pictures;
    for (std::string line; std::getline(lines, line);) pictures.push_back(line);
    return pictures;
  };
  const std::vector<std::string> beforeA = inOrder(a), beforeB = inOrder(b);
  ASSERT_EQ(beforeA.size(), 4u);
  // What the caption says of a picture listed as "type:...", and of its place among the file's.
  const std::map<std::string, std::pair<std::string, std::string>> kinds = {
      {"0", {"Other", "16\u00d716 PNG, 1 KB"}}, {"4", {"Back cover", "32\u00d716 PNG, 1 KB"}}};
  const auto shown = [&](const std::string& listed, const std::string& place) {
    const auto& kind = kinds.at(listed.substr(0, listed.find(':')));
    return kind.first + place + "\n" + kind.second;
  };
  OpenFolder(m_dir.Path());
  m_dlg.m_list.ModifyStyle(LVS_SINGLESEL, 0);

  Select({"a"});
  EXPECT_EQ(Caption(), shown(beforeA[0], ", 1 of 3 pictures"));
  Select({"b"});
  EXPECT_EQ(Caption(), "Artist\n64\u00d748 JPEG, 1 KB");
  Select({"a", "b", "d"});
  Click(IDC_REMOVE_COVER);
  EXPECT_FALSE(m_dlg.GetDlgItem(IDC_REMOVE_COVER)->IsWindowEnabled());  // nothing more to remove
  Select({"a"});
  EXPECT_EQ(Caption(), "Removed: " + shown(beforeA[0], ", 1 of 3 pictures") + ", not saved");
  // Meanwhile another program gives c a front cover: the picture shown there is not c's cover any more.
  Select({"c"});
  test::WritePictures(c, 3, {"4:cover_back.png", "0:cover_other.png", "3:cover_front.jpg"});
  const std::string cBefore = test::ReadFile(c);
  Click(IDC_REMOVE_COVER);
  EXPECT_EQ(Status(), "The cover of c changed on disk since it was loaded, so it stays: Reload to see what the files hold.");
  // And d gets one after its removal was asked for: the save leaves d alone.
  test::WritePictures(d, 3, {"4:cover_back.png", "0:cover_other.png", "3:cover_front.jpg"});
  const std::string dBefore = test::ReadFile(d);
  Click(IDC_SAVE_ALL);
  // Exactly the shown picture went; the others and the audio are byte for byte as they were.
  EXPECT_EQ(inOrder(a), std::vector<std::string>(beforeA.begin() + 1, beforeA.end()));
  EXPECT_EQ(inOrder(b), std::vector<std::string>(beforeB.begin() + 1, beforeB.end()));
  EXPECT_TRUE(test::ReadFile(c) == cBefore);
  EXPECT_TRUE(test::ReadFile(d) == dBefore);
  Select({"a"});
  EXPECT_EQ(Caption(), shown(beforeA[1], ", 1 of 2 pictures"));
}
