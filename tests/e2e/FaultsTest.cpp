// What must not go wrong: unsaved edits dropped by Open Folder, a failed
// write reported as saved, a file found as Song.MP3 written elsewhere, and a
// window that does not paint while it works or closes in the middle of it.
#include "MainWindowDriver.h"
#include "support/ChildWriter.h"

#include <platform/StatusBarCtrl.h>
#include <progress/IndvProgress.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QProgressBar>
#include <QTest>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using test::MutagenRow;

class FaultsTest : public test::MainWindowDriver {
 protected:
  QStringList Listing() const {
    return QDir(QString::fromUtf8(m_dir.Path().GetString())).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
  }
  // The keys of the rows drawn in red (in the colour they are painted with), top down.
  std::vector<std::string> Marked() {
    std::vector<std::string> keys;
    for (int row = 0; row < Rows(); ++row) {
      const QColor drawn = View()->model()->index(row, 0).data(Qt::ForegroundRole).value<QColor>();
      if (m_dlg.m_list.GetItemTextColor(row) != CLR_DEFAULT && drawn.red() > 150 && drawn.green() < 60)
        keys.push_back(Cell(row, 0));
    }
    return keys;
  }
  // Sets every row's artist through the rules, as a user would.
  void SetEveryArtist(const char* artist) {
    SetRule(IDC_RULE_FIRST, true);
    Type(IDC_EDIT_ARTIST, artist);
    Click(IDC_UPDATE_LIST);
    ASSERT_TRUE(m_dlg.IsDataChanged());
  }

  test::TempDir m_dir;
};

TEST_F(FaultsTest, OpenFolderAsksBeforeDroppingEditsAndClearsTheFlagAfterLoading) {
  test::TempDir other;
  m_dir.CopyFixture("cbr_v23_latin1.mp3");
  other.CopyFixture("untagged.mp3");
  OpenFolder(m_dir.Path());
  SetEveryArtist("Pending");

  AnswerMessageBox(IDNO);
  Click(IDC_OPEN_FOLDER);
  EXPECT_EQ(Asked(), "Data not saved|Do you want to open another folder?");
  EXPECT_EQ(Cell(0, 2), "Pending");
  EXPECT_TRUE(m_dlg.IsDataChanged());

  AnswerMessageBox(IDYES);
  AnswerFolderBrowser(other.Path());
  Click(IDC_OPEN_FOLDER);
  ASSERT_EQ(Rows(), 1);
  EXPECT_EQ(Cell(0, 0), "untagged");
  EXPECT_FALSE(m_dlg.IsDataChanged());
  // So nothing is rewritten, and Exit does not ask.
  Click(IDC_SAVE_ALL);
  EXPECT_EQ(Status(), "No updated data to be saved.");
  Click(IDOK);
  EXPECT_EQ(m_dlg.GetEndResult(), IDOK);
}

TEST_F(FaultsTest, CancellingTheBrowserKeepsTheFolderTheRowsBelongTo) {
  test::TempDir other;
  m_dir.CopyFixture("cbr_v23_latin1.mp3");
  other.CopyFixture("cbr_v23_latin1.mp3");
  const std::string otherBytes = test::ReadFile(other.File("cbr_v23_latin1.mp3"));
  OpenFolder(m_dir.Path());
  const CString folder = other.Path();
  test::DriveModal(test::ModalKind::FolderBrowser, [folder](QWidget* browser) {
    BrowseForFolder_SetSelection(CWnd::FromWidget(browser), folder);
    qobject_cast<QDialog*>(browser)->reject();
  });
  Click(IDC_OPEN_FOLDER);
  EXPECT_EQ(m_dlg.Folder(), m_dir.Path());
  SetEveryArtist("Here");
  Click(IDC_SAVE_ALL);
  EXPECT_EQ(MutagenRow(m_dir.File("cbr_v23_latin1.mp3")).at(2), "Here");
  EXPECT_EQ(test::ReadFile(other.File("cbr_v23_latin1.mp3")), otherBytes);
}

TEST_F(FaultsTest, SaveAllMarksEveryFileItCouldNotWriteUntilItIsSaved) {
  const CString a = m_dir.CopyFixture("cbr_v23_latin1.mp3", "a.mp3");
  const CString refused = m_dir.CopyFixture("v22_crm.mp3", "b.mp3");  // a tag the library refuses to rewrite
  const CString c = m_dir.CopyFixture("cbr_v23_utf16.mp3", "c.mp3");
  const CString gone = m_dir.CopyFixture("untagged.mp3", "d.mp3");
  const std::string refusedBytes = test::ReadFile(refused);
  OpenFolder(m_dir.Path());
  // A file the library refuses says why as soon as its row is selected.
  SelectRow(RowOf("b"));
  EXPECT_EQ(Status(), "b.mp3: The file's ID3v2.2 frame CRM has no ID3v2.3 form.");
  SetEveryArtist("Kept");
  DoubleClickRow(RowOf("a"));  // the boxes hold a row while saving
  const std::string away = gone.Str() + ".away";
  ASSERT_EQ(::rename(gone, away.c_str()), 0);  // vanishes while the table holds it

  Click(IDC_SAVE_ALL);
  // Rows are listed by name, so the refused b.mp3 is the first failure named.
  EXPECT_EQ(Status(), "2 of 4 files were not saved; they are marked in red. First: b.mp3: "
                      "The file's ID3v2.2 frame CRM has no ID3v2.3 form.");
  EXPECT_TRUE(m_dlg.IsDataChanged());
  EXPECT_TRUE(Item(IDC_SAVE_ALL)->isEnabled());
  EXPECT_TRUE(Item(IDC_UPDATE_ROW)->isEnabled());  // the boxes still hold row a
  EXPECT_FALSE(m_dlg.GetDlgItem(IDC_SAVE_PROGRESS)->IsWindowVisible());
  // Not reloaded: every row still shows the edit, the failed ones included.
  ASSERT_EQ(Rows(), 4);
  for (int row = 0; row < 4; ++row) EXPECT_EQ(Cell(row, 2), "Kept");
  EXPECT_EQ(MutagenRow(a).at(2), "Kept");
  EXPECT_EQ(MutagenRow(c).at(2), "Kept");
  EXPECT_EQ(test::ReadFile(refused), refusedBytes);
  EXPECT_FALSE(base::FileExists(gone));

  // The unsaved rows are drawn in red, also after sorting by name.
  // (The sort direction is remembered across windows: a second click may be needed.)
  for (int click = 0; click < 2 && Cell(0, 0) != "a"; ++click)
    QTest::mouseClick(View()->header()->viewport(), Qt::LeftButton, {}, QPoint(5, View()->header()->height() / 2));
  ASSERT_EQ(Cell(0, 0), "a");
  EXPECT_EQ(Marked(), (std::vector<std::string>{"b", "d"}));
  // Every unsaved file says why when its row is selected.
  for (const char* key : {"b", "d"}) {
    SelectRow(RowOf(key));
    EXPECT_EQ(Status().rfind(std::string(key) + ".mp3 was not saved: ", 0), 0u) << Status();
  }
  EXPECT_EQ(Status(), "d.mp3 was not saved: no single file of that name is in the folder.");

  Click(IDC_CLEAR);
  EXPECT_FALSE(Item(IDC_UPDATE_ROW)->isEnabled());
  // The file is back (the very file the table read): saving its row alone takes its mark away.
  ASSERT_EQ(::rename(away.c_str(), gone), 0);
  SelectRow(RowOf("d"));
  m_dlg.SaveSelectedRow();
  EXPECT_EQ(Status(), "Data saved.");
  EXPECT_EQ(Marked(), std::vector<std::string>{"b"});
  EXPECT_FALSE(Item(IDC_UPDATE_ROW)->isEnabled());  // the boxes are empty
  SelectRow(RowOf("b"));
  m_dlg.SaveSelectedRow();
  EXPECT_EQ(Status().rfind("b.mp3 was not saved: ", 0), 0u) << Status();
  EXPECT_TRUE(m_dlg.IsDataChanged());
  EXPECT_EQ(Marked(), std::vector<std::string>{"b"});

  // A reload starts the table afresh, without marks.
  AnswerMessageBox(IDYES);
  Click(IDC_RELOAD);
  EXPECT_EQ(Status(), "All files have been reloaded");
  EXPECT_TRUE(Marked().empty());
}

// Undo reaches past a save: the edits taken back then differ from the files,
// and a second save writes the old values back. Rows not saved (an empty file,
// a tag that cannot be rewritten) keep their red mark and their unsaved cells
// whichever column the table is sorted by.
TEST_F(FaultsTest, UndoAfterASaveMakesTheOldValuesUnsavedAndTheFailedRowsKeepTheirMarks) {
  const CString a = m_dir.CopyFixture("cbr_v23_latin1.mp3", "a.mp3");
  m_dir.CopyFixture("empty.mp3", "b.mp3");
  m_dir.CopyFixture("v22_crm.mp3", "c.mp3");
  const CString d = m_dir.CopyFixture("cbr_v23_utf16.mp3", "d.mp3");
  OpenFolder(m_dir.Path());
  const std::string artistA = MutagenRow(a).at(2), artistD = MutagenRow(d).at(2);
  SetEveryArtist("Kept");
  auto unsaved = [this] { return dynamic_cast<CStatusBarCtrl*>(m_dlg.GetDlgItem(517))->GetText(2).Str(); };
  EXPECT_EQ(unsaved(), "4 files with unsaved edits");
  Click(IDC_SAVE_ALL);
  EXPECT_EQ(MutagenRow(a).at(2), "Kept");
  EXPECT_EQ(unsaved(), "2 files with unsaved edits");
  for (int col = 0; col < 24; ++col) {
    QHeaderView* header = View()->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(col) + 5, 5));
    std::vector<std::string> marked = Marked();
    std::sort(marked.begin(), marked.end());
    ASSERT_EQ(marked, (std::vector<std::string>{"b", "c"})) << "sorted by column " << col;
    for (const char* key : {"a", "b", "c", "d"})
      EXPECT_EQ(m_dlg.m_list.GetItemEmphasis(RowOf(key), 2), *key == 'b' || *key == 'c') << key;
  }
  QApplication::setActiveWindow(m_dlg.GetWidget());
  QTest::keyClick(m_dlg.GetWidget(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Status(), "Undone: Update list (4 rows)");
  EXPECT_EQ(Cell(RowOf("a"), 2), artistA);
  // a and d now differ from their files, b and c hold what theirs hold again.
  EXPECT_EQ(unsaved(), "2 files with unsaved edits");
  EXPECT_TRUE(m_dlg.m_list.GetItemEmphasis(RowOf("d"), 2));
  EXPECT_FALSE(m_dlg.m_list.GetItemEmphasis(RowOf("b"), 2));
  Click(IDC_SAVE_ALL);
  EXPECT_EQ(MutagenRow(a).at(2), artistA);
  EXPECT_EQ(MutagenRow(d).at(2), artistD);
  // With nothing left unsaved, the pane says what the save wrote.
  EXPECT_EQ(unsaved(), "Last save: 2 files written");
  EXPECT_FALSE(m_dlg.IsDataChanged());
}

// Makes a file unwritable even for root (tests run as root in CI, and root
// ignores permission bits): mode 0444, and the immutable attribute where the
// file system has it. Undone when the guard goes, so the folder can be removed.
class ReadOnlyFile {
 public:
  explicit ReadOnlyFile(const CString& path) : m_path(path) {
    ::chmod(m_path, 0444);
    if (::geteuid() == 0) {
      int code = -1;
      test::RunCommand("chattr +i '" + m_path.Str() + "' 2>/dev/null", &code);
      m_bImmutable = code == 0;
    }
  }
  ~ReadOnlyFile() {
    if (m_bImmutable) test::RunCommand("chattr -i '" + m_path.Str() + "'");
    ::chmod(m_path, 0644);
  }
  bool Locked() const { return ::geteuid() != 0 || m_bImmutable; }

 private:
  CString m_path;
  bool m_bImmutable = false;
};

TEST_F(FaultsTest, AReadOnlyFileAmongWritableOnesIsReported) {
  const CString a = m_dir.CopyFixture("cbr_v23_latin1.mp3", "a.mp3");
  const CString locked = m_dir.CopyFixture("cbr_v23_latin1.mp3", "b.mp3");
  const CString c = m_dir.CopyFixture("cbr_v23_utf16.mp3", "c.mp3");
  ReadOnlyFile guard(locked);
  if (!guard.Locked()) GTEST_SKIP() << "no way to make a file read-only for root here";
  const std::string lockedBytes = test::ReadFile(locked);
  OpenFolder(m_dir.Path());
  SetEveryArtist("Kept");
  Click(IDC_SAVE_ALL);
  EXPECT_EQ(Status().rfind("1 of 3 files were not saved; they are marked in red. First: b.mp3: ", 0), 0u) << Status();
  EXPECT_EQ(Marked(), std::vector<std::string>{"b"});
  EXPECT_TRUE(m_dlg.IsDataChanged());
  ASSERT_EQ(Rows(), 3);
  for (int row = 0; row < 3; ++row) EXPECT_EQ(Cell(row, 2), "Kept");
  EXPECT_EQ(MutagenRow(a).at(2), "Kept");
  EXPECT_EQ(MutagenRow(c).at(2), "Kept");
  EXPECT_EQ(test::ReadFile(locked), lockedBytes);
}

TEST_F(FaultsTest, AFileFoundAsSongDotUpperMp3IsSavedUnderItsOwnName) {
  const CString song = m_dir.CopyFixture("Upper.MP3", "Song.MP3");
  m_dir.CopyFixture("untagged.mp3", "a.b.mp3");
  const QStringList listing = Listing();
  OpenFolder(m_dir.Path());
  const int row = RowOf("Song");
  ASSERT_GE(row, 0);
  EXPECT_GE(RowOf("a.b"), 0);
  EXPECT_EQ(m_dlg.RowFilePath(row), song);
  SetEveryArtist("Renamed Nothing");
  Click(IDC_SAVE_ALL);
  EXPECT_EQ(Status(), "All files have been reloaded");
  EXPECT_EQ(MutagenRow(song).at(2), "Renamed Nothing");
  EXPECT_EQ(Listing(), listing);  // no Song.mp3 beside it
}

TEST_F(FaultsTest, TwoFilesWithOneKeyAreNeitherWrittenThroughTheOther) {
  const CString lower = m_dir.CopyFixture("cbr_v23_latin1.mp3", "Dup.mp3");
  const CString upper = m_dir.CopyFixture("Upper.MP3", "Dup.MP3");
  const std::string lowerBytes = test::ReadFile(lower), upperBytes = test::ReadFile(upper);
  OpenFolder(m_dir.Path());
  ASSERT_EQ(Rows(), 2);
  EXPECT_EQ(m_dlg.RowFilePath(0), "");
  SetEveryArtist("Either");
  Click(IDC_SAVE_ALL);
  EXPECT_EQ(Status().rfind("2 of 2 files were not saved; they are marked in red. First: Dup.mp3: ", 0), 0u)
      << Status();
  EXPECT_EQ(test::ReadFile(lower), lowerBytes);
  EXPECT_EQ(test::ReadFile(upper), upperBytes);
}

// A load removes what a save cut short left, and nothing that only looks
// like it: a user's file of such a name, a file outside reached through a
// link, the new file of a save still running in another window.
TEST_F(FaultsTest, ALoadRemovesOnlyTheNewFilesOfACrashedSave) {
  test::TempDir outside;
  m_dir.CopyFixture("cbr_v23_latin1.mp3", "a.mp3");
  const test::CChildWriter crashed(m_dir.Path(), "a.mp3", false);
  test::CChildWriter running(m_dir.Path(), "a.mp3", true);
  test::WriteFile(m_dir.File(".notes.quillory-backup"), "the user's own");
  test::WriteFile(outside.File(".far.mp3.quillory-Ab12Cd"), "another folder's");
  ASSERT_EQ(::symlink(outside.Path(), m_dir.File("Out")), 0);
  const auto names = [this] {
    return QDir(QString::fromUtf8(m_dir.Path().GetString())).entryList(QDir::Files | QDir::Hidden);
  };
  const QString live = QString::fromStdString(running.path.substr(running.path.rfind('/') + 1));
  OpenFolder(m_dir.Path(), 1);
  ASSERT_EQ(Rows(), 1);
  EXPECT_EQ(Status(), "1 files have been loaded; skipped 1 link that leads out of the folder (Out); removed 1 file "
                      "left by an interrupted save");
  EXPECT_EQ(names(), QStringList({live, ".notes.quillory-backup", "a.mp3"}));
  EXPECT_EQ(test::ReadFile(outside.File(".far.mp3.quillory-Ab12Cd")), "another folder's");
}

// Counts paints of the status bar's progress control, which exists only while
// a folder loads, and of the save progress bar while it is shown.
class PaintCounter : public QObject {
 public:
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() == QEvent::Paint && qobject_cast<QProgressBar*>(object)) ++paints;
    return false;
  }
  int paints = 0;
};

TEST_F(FaultsTest, TheWindowPaintsWhileItLoadsAndSaves) {
  for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) m_dir.CopyFixture("cbr_v23_latin1.mp3", name);
  OpenFolder(m_dir.Path());
  SetEveryArtist("Painted");
  test::ProcessEvents();
  // The window paints a frame at most every 20 ms; past that, the save's
  // first step paints one, however quick the rest is.
  QTest::qSleep(25);
  PaintCounter counter;
  qApp->installEventFilter(&counter);
  Click(IDC_SAVE_ALL);  // saves, then loads again; the bars exist only meanwhile
  qApp->removeEventFilter(&counter);
  EXPECT_EQ(Status(), "All files have been reloaded");
  EXPECT_GT(counter.paints, 0);
}

// Follows the status bar's progress bar while a folder loads: the values it is
// painted with and the highest it is given. Each step is slowed down, so that
// the load spans several of the window's 20 ms frames.
class BarWatcher : public QObject {
 public:
  bool eventFilter(QObject* object, QEvent* event) override {
    auto* bar = qobject_cast<QProgressBar*>(object);
    if (bar && event->type() == QEvent::Show)
      connect(bar, &QProgressBar::valueChanged, this, [this](int value) {
        highest = std::max(highest, value);
        ++steps;
        QTest::qSleep(3);
      });
    if (bar && event->type() == QEvent::Paint) painted.push_back(bar->value());
    return false;
  }
  std::vector<int> painted;
  int highest = -1;
  int steps = 0;
};

TEST_F(FaultsTest, TheLoadBarMovesToItsEndAndIsPaintedWithTheWindowNotPerStep) {
  for (int i = 0; i < 30; ++i) m_dir.CopyFixture("cbr_v23_latin1.mp3", CString::Formatted("%02d.mp3", i));
  BarWatcher watcher;
  qApp->installEventFilter(&watcher);
  OpenFolder(m_dir.Path());
  qApp->removeEventFilter(&watcher);
  ASSERT_EQ(Rows(), 30);
  EXPECT_EQ(watcher.highest, 100);
  EXPECT_EQ(watcher.steps, 30);
  EXPECT_TRUE(std::is_sorted(watcher.painted.begin(), watcher.painted.end()));
  ASSERT_GE(watcher.painted.size(), 2u);
  EXPECT_LT(watcher.painted.front(), watcher.painted.back());
  EXPECT_LT(watcher.painted.size(), 15u);
}

// The status bar names a save step only for the frames that are painted:
// the first step after a frame's time, not each of the fourteen of a row.
TEST_F(FaultsTest, SaveStepsPutUpTheirNameOnlyWhenAFrameIsDue) {
  auto* bar = dynamic_cast<CProgressCtrl*>(m_dlg.GetDlgItem(IDC_SAVE_PROGRESS));
  ASSERT_NE(bar, nullptr);
  m_dlg.m_pProgress->SetRange(0, 14, 1);
  QTest::qSleep(25);
  for (const char* step : {"Artist", "Album", "Title", "Track", "Year", "Original Artist", "Comment", "Composer",
                           "Encoded by", "Copyright", "URL", "Band", "Publisher", "Conductor"})
    m_dlg.m_pWork->ReportSaveStep(step);
  EXPECT_EQ(Status(), "Update tag ->Artist");
  EXPECT_EQ(bar->GetPos(), 14);  // every step is counted
  QTest::qSleep(25);
  m_dlg.m_pWork->ReportSaveStep("Year");
  EXPECT_EQ(Status(), "Update tag ->Year");
}

// Each time a progress bar appears (the save bar, then the status bar's while
// the folder loads again), queues what a user or window manager may send:
// a close request and a click on Exit (Escape stops the work: see
// StopTest). The loops that follow let posted events through, so these
// arrive in the middle of the work.
class InterruptOnProgress : public QObject {
 public:
  InterruptOnProgress(QWidget* window, CWnd* exit) : m_pWindow(window), m_pExit(exit) {}
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() != QEvent::Show || !qobject_cast<QProgressBar*>(object)) return false;
    ++shown;
    QCoreApplication::postEvent(m_pWindow, new QCloseEvent);
    // The button itself is disabled meanwhile; its command is sent as a queued call.
    QMetaObject::invokeMethod(qApp, [exit = m_pExit] { exit->SendCommand(BN_CLICKED); }, Qt::QueuedConnection);
    // Past the pump's pause between two rounds, so the next step takes them in.
    QTest::qSleep(30);
    return false;
  }
  int shown = 0;

 private:
  QWidget* m_pWindow;
  CWnd* m_pExit;
};

TEST_F(FaultsTest, CloseRequestsWhileSavingAndLoadingAreIgnored) {
  const CString a = m_dir.CopyFixture("cbr_v23_latin1.mp3", "a.mp3");
  m_dir.CopyFixture("cbr_v23_latin1.mp3", "b.mp3");
  OpenFolder(m_dir.Path());
  SetEveryArtist("Finished");
  // Were Exit or the close request to run, each would ask about the unsaved
  // edits: no answer is queued, so such a question fails the test at once.
  const int askedBefore = test::ModalQuestionsAsked();
  InterruptOnProgress interrupt(m_dlg.GetWidget(), m_dlg.GetDlgItem(IDOK));
  qApp->installEventFilter(&interrupt);
  Click(IDC_SAVE_ALL);
  qApp->removeEventFilter(&interrupt);

  EXPECT_EQ(interrupt.shown, 2);
  EXPECT_EQ(test::ModalQuestionsAsked(), askedBefore);
  EXPECT_EQ(m_dlg.GetEndResult(), -1);
  EXPECT_TRUE(m_dlg.GetWidget()->isVisible());
  EXPECT_EQ(Status(), "All files have been reloaded");
  EXPECT_EQ(MutagenRow(a).at(2), "Finished");
  EXPECT_EQ(Cell(1, 2), "Finished");
  // Once idle, the window closes as before.
  Click(IDOK);
  EXPECT_EQ(m_dlg.GetEndResult(), IDOK);
}

}  // namespace
