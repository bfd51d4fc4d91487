// A save writes only the rows the user edited, and only onto the very file
// the table read: a file another program (or window) changed, replaced or
// moved away since is refused and named, keeps its edits, and gets no row's
// tags or name; the other files are saved.
#include "MainWindowDriver.h"

#include <core/Fields.h>

#include <QApplication>

#include <filesystem>
#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using test::MutagenRow;

const int kArtistColumn = ColumnOf(kArtist);
const int kTitleColumn = ColumnOf(kTitle);

constexpr const char* kRefusedB = "b.mp3: changed on disk since it was loaded \u2014 Reload to see it.";

// Another tagger's write of one text frame, in place as mutagen does it.
void OtherTaggerSets(const CString& path, const char* frame, const char* text) {
  test::RunCommand(std::string("/usr/bin/python3 -c \"import sys, mutagen.id3 as m; t = m.ID3(sys.argv[1]); ") +
                   "t.add(m." + frame + "(encoding=3, text=[sys.argv[2]])); t.save()\" '" + path.Str() + "' '" + text +
                   "'");
}

// A window's controls, for a second window on the folder too.
struct WindowHands {
  test::TestDlg& dlg;
  QWidget* Item(int id) { return dlg.GetDlgItem(id)->GetWidget(); }
  void EditRow(const char* key, int box, const char* text) {
    auto* view = static_cast<QTreeView*>(dlg.m_list.GetWidget());
    for (int row = 0; row < dlg.m_list.GetItemCount(); ++row)
      if (dlg.m_list.GetItemText(row, 0) == key) {
        CRect r;
        ASSERT_TRUE(dlg.m_list.GetSubItemRect(row, 0, LVIR_BOUNDS, r));
        const QPoint centre = view->viewport()->mapFrom(view, QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, centre);
      }
    qobject_cast<QLineEdit*>(Item(box))->setText(QString::fromUtf8(text));
    QTest::mouseClick(qobject_cast<QPushButton*>(Item(IDC_UPDATE_ROW)), Qt::LeftButton);
  }
  void SaveAll() { QTest::mouseClick(qobject_cast<QPushButton*>(Item(IDC_SAVE_ALL)), Qt::LeftButton); }
};

class ChangedOnDiskTest : public test::MainWindowDriver {
 protected:
  void SetUp() override {
    MainWindowDriver::SetUp();
    LayFiles();
  }
  // a.mp3, b.mp3, c.mp3 and e.mp3 as the fixtures are, and nothing else.
  void LayFiles() {
    for (const auto& item : fs::directory_iterator(m_dir.Path().Str())) fs::remove(item.path());
    for (const auto& [fixture, name] : {std::pair{"cbr_v23_latin1.mp3", "a.mp3"}, {"cbr_v23_utf16.mp3", "b.mp3"},
                                        {"v24_full.mp3", "c.mp3"}, {"cbr_v23_utf16_v1.mp3", "e.mp3"}})
      m_dir.CopyFixture(fixture, name);
  }
  void EditRow(const char* key, int box, const char* text) { WindowHands{m_dlg}.EditRow(key, box, text); }
  // "File names from tags" on the row alone: its new name waits for the save.
  void NameFromTitle(const char* key) {
    test::DriveModal(test::ModalKind::Dialog, [](QWidget* w) {
      QApplication::setActiveWindow(w);
      CWnd::FromWidget(w)->GetDlgItem(IDC_PATTERN)->SetWindowText("%title%");
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    View()->clearSelection();
    SelectRow(RowOf(key));
    static_cast<CWnd&>(m_dlg).OnCommand(ID_NAMES_FROM_TAGS, BN_CLICKED);
  }

  test::TempDir m_dir;
};

TEST_F(ChangedOnDiskTest, AFileChangedSinceTheLoadIsNeitherWrittenNorRenamedTheOthersAreSaved) {
  const struct {
    const char* name;
    std::function<void(const CString& b, const CString& c)> change;
  } cases[] = {
      {"another tagger set a field", [](const CString& b, const CString&) { OtherTaggerSets(b, "TALB", "Theirs"); }},
      {"another file's bytes copied over it",
       [](const CString& b, const CString& c) { test::WriteFile(b, test::ReadFile(c)); }},
      {"only its time touched, the same bytes",
       [](const CString& b, const CString&) {
         struct stat info {};
         ::stat(b, &info);
         const timespec times[2] = {info.st_atim, {info.st_mtim.tv_sec + 5, info.st_mtim.tv_nsec}};
         ::utimensat(AT_FDCWD, b, times, 0);
       }},
      {"another song moved over it", [](const CString& b, const CString& c) { ::rename(c, b); }},
      {"another window on the folder saved it",
       [](const CString& b, const CString&) {
         test::TestDlg window;
         window.SetStartFolder(base::FolderOf(b));
         ASSERT_TRUE(window.Create());
         WindowHands{window}.EditRow("b", IDC_EDIT_ALBUM, "Theirs");
         WindowHands{window}.SaveAll();
         window.DestroyWindow();
       }},
  };
  for (const auto& change : cases)
    for (const bool rename : {false, true}) {
      SCOPED_TRACE(std::string(change.name) + (rename ? ", with a rename pending" : ""));
      LayFiles();
      OpenFolder(m_dir.Path());
      ASSERT_EQ(Rows(), 4);
      EditRow("b", IDC_EDIT_TITLE, "Mine");
      if (rename) NameFromTitle("b");
      EditRow("e", IDC_EDIT_TITLE, "Saved");
      // Meanwhile another program changes a row nobody edited, and b.
      OtherTaggerSets(m_dir.File("a.mp3"), "TPE1", "Their Artist");
      change.change(m_dir.File("b.mp3"), m_dir.File("c.mp3"));
      const std::string a = test::ReadFile(m_dir.File("a.mp3")), b = test::ReadFile(m_dir.File("b.mp3"));

      Click(IDC_SAVE_ALL);
      EXPECT_EQ(Status(), std::string("1 of 2 files were not saved; they are marked in red. First: ") + kRefusedB);
      EXPECT_TRUE(test::ReadFile(m_dir.File("a.mp3")) == a);  // not written: nothing in its row was edited
      EXPECT_TRUE(test::ReadFile(m_dir.File("b.mp3")) == b);
      EXPECT_FALSE(base::FileExists(m_dir.File("Mine.mp3")));
      EXPECT_EQ(MutagenRow(m_dir.File("e.mp3")).at(kTitleColumn), "Saved");
      // Row b keeps its edits, marked; its reason is shown when it is selected.
      const int row = RowOf(rename ? "Mine" : "b");
      ASSERT_GE(row, 0);
      EXPECT_EQ(Cell(row, kTitleColumn), "Mine");
      EXPECT_EQ(MarkedKeys(), std::vector<std::string>{rename ? "Mine" : "b"});
      EXPECT_TRUE(m_dlg.IsDataChanged());

      // Later saves of the same session find the files they wrote as they
      // left them: written in place, and as a new file put in its place
      // (then renamed, once it is checked to be the file written).
      struct stat before {}, after {};
      ::stat(m_dir.File("e.mp3"), &before);
      EditRow("e", IDC_EDIT_COMMENT, std::string(3000, 'x').c_str());
      NameFromTitle("e");
      Click(IDC_SAVE_ALL);
      ASSERT_EQ(::stat(m_dir.File("Saved.mp3"), &after), 0) << Status();
      EXPECT_NE(before.st_ino, after.st_ino);  // the tag outgrew its room
      EditRow("Saved", IDC_EDIT_ARTIST, "Again");
      Click(IDC_SAVE_ALL);
      EXPECT_EQ(MutagenRow(m_dir.File("Saved.mp3")).at(kArtistColumn), "Again");
      EXPECT_TRUE(test::ReadFile(m_dir.File("b.mp3")) == b);
      AnswerMessageBox(IDYES);  // Reload drops the edits of row b
      Click(IDC_RELOAD);
    }
}

TEST_F(ChangedOnDiskTest, AFileALinkLeadsToOutsideTheFolderIsNeverWritten) {
  test::TempDir outside;
  const CString target = outside.CopyFixture("cbr_v23_latin1.mp3", "x.mp3");
  ASSERT_EQ(::symlink(target, m_dir.File("l.mp3")), 0);
  const std::string bytes = test::ReadFile(target);
  OpenFolder(m_dir.Path());
  if (RowOf("l") < 0) GTEST_SKIP() << "the folder's walk does not list a link to a file outside it";
  EditRow("l", IDC_EDIT_TITLE, "Not outside");
  EditRow("e", IDC_EDIT_TITLE, "Inside");
  Click(IDC_SAVE_ALL);
  EXPECT_EQ(Status(), "1 of 2 files were not saved; they are marked in red. First: l.mp3: it lies outside the folder "
                      "(a symbolic link leads to " + fs::canonical(target.Str()).string() +
                      "), and a save writes only inside it.");
  EXPECT_TRUE(test::ReadFile(target) == bytes);
  EXPECT_TRUE(fs::is_symlink(m_dir.File("l.mp3").Str()));
  EXPECT_EQ(MutagenRow(m_dir.File("e.mp3")).at(kTitleColumn), "Inside");
}

}  // namespace
