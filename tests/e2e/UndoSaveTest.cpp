// Undo of a save through the window's command: the files of every kind come
// back byte for byte, save by save; a file changed since is left alone and
// named; a damaged journal entry is set aside with a message; a journal
// that cannot be written stops the save before any file is touched.
#include "MainWindowDriver.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <QMenu>
#include <QMenuBar>

#include <filesystem>
#include <functional>
#include <map>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using test::MutagenRow;

class UndoSaveTest : public test::MainWindowDriver {
 protected:
  // Files as taggers leave them: ID3v2.3 with ID3v1, v2.4, v2.2 (saved as
  // v2.3), ID3v1 only, untagged, and pictures in a subfolder.
  void SetUp() override {
    MainWindowDriver::SetUp();
    const std::pair<const char*, const char*> files[] = {
        {"cbr_v23_utf16_v1.mp3", "a.mp3"}, {"v24_full.mp3", "b.mp3"}, {"v22_full.mp3", "c.mp3"},
        {"v1_only.mp3", "d.mp3"},          {"untagged.mp3", "e.mp3"}, {"covers_v23.mp3", "CD1/f.mp3"}};
    fs::create_directory(fs::path(m_dir.Path().Str()) / "CD1");
    for (const auto& [fixture, name] : files) m_dir.CopyFixture(fixture, name);
    OpenFolder(m_dir.Path(), 1);
    ASSERT_EQ(Rows(), 6);
  }
  std::map<std::string, std::string> Files() const { return test::FilesIn(m_dir.Path()); }
  void SaveEveryArtist(const char* artist) {
    SetRule(IDC_RULE_FIRST, true);
    Type(IDC_EDIT_ARTIST, artist);
    Click(IDC_UPDATE_LIST);
    Click(IDC_SAVE_ALL);
  }
  QAction* UndoLastSave() {
    for (QAction* menu : m_dlg.GetWidget()->findChild<QMenuBar*>()->actions())
      for (QAction* item : menu->menu()->actions())
        if (item->text() == "Undo last save") return item;
    return nullptr;
  }
  // Chooses "Undo last save" and answers its question with Yes.
  void Undo() {
    ASSERT_TRUE(UndoLastSave()->isEnabled());
    AnswerMessageBox(IDYES);
    UndoLastSave()->trigger();
  }
  std::vector<fs::path> Entries() const {
    std::vector<fs::path> found;
    for (const auto& item : fs::recursive_directory_iterator(m_state.Path().Str()))
      if (item.path().extension() == ".entry") found.push_back(item.path());
    return found;
  }

  test::TempDir m_dir;
};

TEST_F(UndoSaveTest, EachSaveIsUndoneInTurnByteForByte) {
  const auto before = Files();
  EXPECT_FALSE(UndoLastSave()->isEnabled());
  SaveEveryArtist("Everyone");
  ASSERT_EQ(Status(), "All files have been reloaded");
  const auto saved = Files();
  for (const auto& [name, bytes] : saved) EXPECT_NE(bytes, before.at(name)) << name;
  // A second save, of one row: the folder read anew in between, as after a restart.
  OpenFolder(m_dir.Path(), 1);
  DoubleClickRow(RowOf("CD1/f"));
  Type(IDC_EDIT_TITLE, "Second ☃");
  Click(IDC_UPDATE_ROW);
  m_dlg.SaveSelectedRow();
  ASSERT_NE(Files().at("CD1/f.mp3"), saved.at("CD1/f.mp3"));
  EXPECT_EQ(Entries().size(), 2u);

  Undo();
  EXPECT_NE(Asked().find("|Undo the save of 20"), std::string::npos) << Asked();
  EXPECT_NE(Asked().find(" (1 file)?"), std::string::npos) << Asked();
  EXPECT_EQ(Status(), "Last save undone: 1 file restored");
  EXPECT_EQ(Files(), saved);
  EXPECT_EQ(Cell(RowOf("CD1/f"), 4), "");  // the folder was read again
  Undo();  // the save before it: the restored file's time is back, so it is not taken as changed
  EXPECT_EQ(Status(), "Last save undone: 6 files restored");
  EXPECT_EQ(Files(), before);
  EXPECT_EQ(Cell(RowOf("a"), 2), MutagenRow(m_dir.File("a.mp3")).at(2));
  EXPECT_TRUE(Entries().empty());
  EXPECT_FALSE(UndoLastSave()->isEnabled());
}

TEST_F(UndoSaveTest, AFileChangedSinceIsLeftAloneAndNamedTheOthersAreRestored) {
  const auto before = Files();
  SaveEveryArtist("Everyone");
  const std::string folder = m_dir.Path().Str() + "/";
  struct stat c {};
  ::stat((folder + "c.mp3").c_str(), &c);
  const struct {
    const char* file;
    std::function<void(const std::string&)> change;
    const char* reason;
  } changes[] = {
      {"a.mp3", [](const std::string& p) { test::WriteFile(p, test::ReadFile(p) + "x"); },
       "Its size changed since the save"},
      {"b.mp3", [](const std::string& p) { ::utimensat(AT_FDCWD, p.c_str(), nullptr, 0); },
       "It was modified since the save (its modification time differs)"},
      // Its tag edited by another program, its size and time as the save left them.
      {"c.mp3",
       [&c](const std::string& p) {
         std::string bytes = test::ReadFile(p);
         bytes[bytes.find("Everyone")] = 'e';
         test::WriteFile(p, bytes);
         const timespec times[2] = {c.st_atim, c.st_mtim};
         ::utimensat(AT_FDCWD, p.c_str(), times, 0);
       },
       "The file was changed since the save"},
      {"d.mp3", [](const std::string& p) { ::unlink(p.c_str()); }, "It no longer exists"},
  };
  for (const auto& change : changes) change.change(folder + change.file);
  const auto changed = Files();

  test::ModalQuestion summary;
  AnswerMessageBox(IDYES);
  test::AnswerMessageBox(IDOK, &summary);
  UndoLastSave()->trigger();
  EXPECT_EQ(Status(), "Last save undone in part: 2 of 6 files restored; 4 files left alone");
  for (const auto& change : changes) {
    EXPECT_NE(summary.text.Str().find(std::string(change.file) + ": " + change.reason + "."), std::string::npos)
        << summary.text.Str();
  }
  auto expected = changed;
  for (const char* untouched : {"e.mp3", "CD1/f.mp3"}) expected[untouched] = before.at(untouched);
  EXPECT_EQ(Files(), expected);
  EXPECT_TRUE(Entries().empty());  // nothing left that another undo could do
}

TEST_F(UndoSaveTest, ADamagedEntryIsSetAsideWithAMessageAndNothingIsWritten) {
  SaveEveryArtist("Everyone");
  const auto saved = Files();
  const fs::path entry = Entries().at(0);
  std::string bytes = test::ReadFile(entry.c_str());
  bytes.back() ^= 1;
  test::WriteFile(entry.c_str(), bytes);

  AnswerMessageBox(IDOK);
  UndoLastSave()->trigger();
  EXPECT_NE(Asked().find("The last save cannot be undone. The journal entry "), std::string::npos) << Asked();
  EXPECT_NE(Asked().find(" is damaged.\n\nIt is set aside"), std::string::npos) << Asked();
  EXPECT_EQ(Files(), saved);
  EXPECT_TRUE(Entries().empty());
  EXPECT_FALSE(UndoLastSave()->isEnabled());
}

TEST_F(UndoSaveTest, AJournalThatCannotBeWrittenStopsTheSaveUnlessTheUserAgrees) {
  const auto before = Files();
  test::WriteFile(m_state.File("file"), "not a folder");
  ::setenv("XDG_STATE_HOME", m_state.File("file"), 1);
  // Answered as a user does, through the question's window (the save is
  // busy meanwhile and takes the window's input): Return takes the default.
  test::ModalQuestion question;
  test::DriveModal(platform::ModalKind::MessageBox, [](QWidget* box) { QTest::keyClick(box->windowHandle(), Qt::Key_Return); },
                   &question);
  SaveEveryArtist("Everyone");
  EXPECT_EQ(question.caption, "Undo not possible");
  EXPECT_NE(question.text.Str().find("cannot be written in " + m_state.File("file").Str() + "/quillory: "),
            std::string::npos) << question.text.Str();
  EXPECT_EQ(question.type & MB_DEFBUTTON2, MB_DEFBUTTON2);  // No is the default
  // The status keeps the journal's reason.
  EXPECT_EQ(Status(), "Nothing was saved: The journal of saves cannot be written in " + m_state.File("file").Str() +
                          "/quillory: a part of its path is a file, not a folder. All 6 rows keep their edits.");
  EXPECT_EQ(Files(), before);
  EXPECT_TRUE(m_dlg.IsDataChanged());

  test::DriveModal(platform::ModalKind::MessageBox, [](QWidget* box) {
    QPushButton* yes = box->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Yes);
    QTest::mouseClick(box->windowHandle(), Qt::LeftButton, {}, yes->mapTo(box, yes->rect().center()));
  });
  Click(IDC_SAVE_ALL);
  EXPECT_EQ(Status(), "All files have been reloaded");
  EXPECT_EQ(MutagenRow(m_dir.File("d.mp3")).at(2), "Everyone");
  EXPECT_FALSE(UndoLastSave()->isEnabled());
}

}  // namespace
