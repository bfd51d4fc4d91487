// Long work the user stops (Escape, or the Cancel button shown meanwhile),
// and a save whose flush fails for one file.
#include "MainWindowDriver.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <functional>
#include <string>

#include <sys/syscall.h>
#include <unistd.h>

namespace {

// The flushes of files whose path holds this text fail, as on a disk that
// loses a write; empty: every flush reaches the disk.
std::string g_failFlushOf;
// The journal's flush, and that of the first file, take a frame's time, so
// that the window answers as a save begins to write, and between its batches.
constexpr const char* kJournalTemporary = "/.new-";
constexpr const char* kFirstFile = "/a000.mp3";

int Flush(int fd, long call) {
  char link[64], path[4096];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t n = ::readlink(link, path, sizeof path - 1);
  const std::string flushed = n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
  if (flushed.find(kJournalTemporary) != std::string::npos || flushed.ends_with(kFirstFile)) ::usleep(25000);
  if (!g_failFlushOf.empty() && n > 0 && std::string(path, static_cast<std::size_t>(n)).find(g_failFlushOf) != std::string::npos) {
    errno = EIO;
    return -1;
  }
  return static_cast<int>(::syscall(call, fd));
}

}  // namespace

// Found before the C library's when the program's libraries are bound.
extern "C" int fsync(int fd) { return Flush(fd, SYS_fsync); }
extern "C" int fdatasync(int fd) { return Flush(fd, SYS_fdatasync); }

namespace {

using test::MutagenRow;

// Stops the work as soon as its loop first lets the window answer (Cancel
// then shows): presses Escape, or clicks Cancel, as a user would.
class StopWhenBusy : public QObject {
 public:
  // ready, when given, says when the work has come far enough to be stopped.
  StopWhenBusy(QWidget* window, QWidget* cancel, bool escape, std::function<bool()> ready = {})
      : m_pWindow(window), m_pCancel(cancel), m_bEscape(escape), m_ready(std::move(ready)) {
    connect(&m_timer, &QTimer::timeout, this, [this] { Stop(); });
    m_timer.start(0);
    // Past the pump's pause, so the work's first step lets the window answer.
    QTest::qSleep(25);
  }
  bool done = false;

 private:
  void Stop() {
    if (m_pCancel->isHidden() || !m_pCancel->isEnabled()) return;  // not started yet
    if (m_ready && !m_ready()) {
      // Past the pump's pause again, so the work's next step lets the window answer.
      QTest::qSleep(25);
      return;
    }
    m_timer.stop();
    done = true;
    // Through the window, as the keys and clicks of a user come.
    if (m_bEscape)
      QTest::keyClick(m_pWindow->windowHandle(), Qt::Key_Escape);
    else
      QTest::mouseClick(m_pWindow->windowHandle(), Qt::LeftButton, {}, m_pCancel->mapTo(m_pWindow, m_pCancel->rect().center()));
  }

  QTimer m_timer;
  QWidget *m_pWindow, *m_pCancel;
  bool m_bEscape;
  std::function<bool()> m_ready;
};

class LongWorkTest : public test::MainWindowDriver {
 protected:
  // n files a00.mp3 ... whose tags fit in place.
  void MakeFiles(int n) {
    for (int i = 0; i < n; ++i) m_dir.CopyFixture("cbr_v23_latin1.mp3", CString::Formatted("a%03d.mp3", i));
  }
  // mutagen's artist of every file, by row of the table.
  std::vector<std::string> ArtistsOnDisk() {
    std::vector<std::string> artists;
    const std::string listing = test::RunCommand("/usr/bin/python3 " QUILLORY_SOURCE_DIR "/tests/tags/mutagen_folder.py '" +
                                                 m_dir.Path().Str() + "'");
    for (int row = 0; row < Rows(); ++row) {
      const std::size_t at = listing.find(Cell(row, 0) + ".mp3\t");
      const std::size_t end = listing.find('\n', at);
      artists.push_back(at != std::string::npos && listing.substr(at, end - at).find("'Stopped'") != std::string::npos
                            ? "Stopped" : "old");
    }
    return artists;
  }

  test::TempDir m_dir;
};

TEST_F(LongWorkTest, EscapeOrCancelStopsALoadOrASaveBetweenFiles) {
  // Enough files that a save writes for several frames of the window, in two
  // batches, and that a load reads files for several frames (it is stopped
  // once it reads them: a stop in the walk of the folders reads none).
  for (const bool save : {false, true})
    for (const bool escape : {false, true}) {
      SCOPED_TRACE(std::string(save ? "save" : "load") + (escape ? ", Escape" : ", Cancel"));
      const int files = save ? 250 : 1000;
      for (const QString& name : QDir(QString::fromUtf8(m_dir.Path().GetString())).entryList(QDir::Files))
        QFile::remove(QString::fromUtf8(m_dir.File(name.toUtf8().constData()).GetString()));
      MakeFiles(files);
      OpenFolder(m_dir.Path());
      ASSERT_EQ(Rows(), files);
      if (save) {
        SetRule(IDC_RULE_FIRST, true);
        Type(IDC_EDIT_ARTIST, "Stopped");
        Click(IDC_UPDATE_LIST);
      }
      if (!save) AnswerFolderBrowser(m_dir.Path());
      // A save is stopped once it writes (a stop while it notes what it replaces saves nothing).
      StopWhenBusy stop(m_dlg.GetWidget(), Item(IDC_CANCEL_WORK), escape,
                        [this, save] { return save ? Status().rfind("Update tag", 0) == 0 : Rows() > 0; });
      Click(save ? IDC_SAVE_ALL : IDC_OPEN_FOLDER);
      EXPECT_TRUE(stop.done);
      EXPECT_TRUE(Item(IDC_CANCEL_WORK)->isHidden());
      EXPECT_TRUE(!Item(IDC_SAVE_ALL)->isHidden() && Item(IDC_SAVE_ALL)->isEnabled());
      if (!save) {
        // The rows read so far, and no edits.
        EXPECT_GT(Rows(), 0);
        EXPECT_LT(Rows(), files);
        EXPECT_EQ(Status(), CString::Formatted("Loading stopped: %d of %d files were read.", Rows(), files).Str());
        EXPECT_EQ(Total(IDC_TOTAL_FILES), std::to_string(Rows()));
        EXPECT_FALSE(m_dlg.IsDataChanged());
        continue;
      }
      // The rows above the one named were saved, the rest keep their edits unsaved.
      int saved = 0;
      char key[64] = {};
      ASSERT_EQ(std::sscanf(Status().c_str(), "Saving stopped: %d of 250 files were saved, the rows above \"%63[^\"]", &saved, key), 2)
          << Status();
      ASSERT_GT(saved, 0);
      ASSERT_LT(saved, files);
      EXPECT_EQ(RowOf(key), saved);
      EXPECT_EQ(Status(), CString::Formatted("Saving stopped: %d of %d files were saved, the rows above \"%s\"; the %d "
                                             "rows from there on were not saved and keep their edits",
                                             saved, files, key, files - saved).Str());
      std::vector<std::string> expected(files, "old");
      std::fill(expected.begin(), expected.begin() + saved, "Stopped");
      EXPECT_EQ(ArtistsOnDisk(), expected);
      for (int row = 0; row < files; ++row) EXPECT_EQ(Cell(row, 2), "Stopped") << row;
      EXPECT_TRUE(m_dlg.IsDataChanged());
      EXPECT_TRUE(MarkedKeys().empty());
      // Saving again writes the rest.
      Click(IDC_SAVE_ALL);
      EXPECT_EQ(Status(), "All files have been reloaded");
      EXPECT_EQ(ArtistsOnDisk(), std::vector<std::string>(files, "Stopped"));
    }
}

// quillory FOLDER: the load runs in the shown window, which Escape stops as any load.
TEST_F(LongWorkTest, AFolderFromTheCommandLineLoadsInTheShownWindowAndEscapeStopsIt) {
  MakeFiles(24);
  test::TestDlg started;
  started.SetStartFolder(m_dir.Path());
  bool stopped = false;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    CWnd* cancel = started.GetDlgItem(IDC_CANCEL_WORK);
    if (stopped || !cancel || cancel->GetWidget()->isHidden() || !started.GetWidget()->isVisible()) return;
    stopped = true;
    QTest::keyClick(started.GetWidget(), Qt::Key_Escape);
  });
  timer.start(0);
  QTest::qSleep(25);  // past the pump's pause, so the load's first step lets the window answer
  ASSERT_TRUE(started.Create());
  EXPECT_TRUE(stopped);
  EXPECT_EQ(dynamic_cast<CStatusBarCtrl*>(started.GetDlgItem(517))->GetText(1).Str().rfind("Loading stopped", 0), 0u);
}

// A flush that fails leaves that file as it was (written in place: the old
// tag put back; in a new file: the new file removed) and marks its row.
TEST_F(LongWorkTest, AFlushThatFailsIsReportedForItsFileAlone) {
  for (const char* fixture : {"cbr_v23_latin1.mp3", "untagged.mp3"}) {
    SCOPED_TRACE(fixture);
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) m_dir.CopyFixture(fixture, name);
    const std::string before = test::ReadFile(m_dir.File("b.mp3"));
    if (m_dlg.IsDataChanged()) AnswerMessageBox(IDYES);  // b's edit from the last round
    OpenFolder(m_dir.Path());
    SetRule(IDC_RULE_FIRST, true);
    Type(IDC_EDIT_ARTIST, "Flushed");
    Click(IDC_UPDATE_LIST);
    g_failFlushOf = "b.mp3";
    Click(IDC_SAVE_ALL);
    g_failFlushOf.clear();
    EXPECT_EQ(Status(), "1 of 3 files were not saved; they are marked in red. First: b.mp3: "
                        "The file could not be written (Input/output error).");
    EXPECT_EQ(MarkedKeys(), std::vector<std::string>{"b"});
    EXPECT_TRUE(m_dlg.IsDataChanged());
    EXPECT_EQ(test::ReadFile(m_dir.File("b.mp3")), before);
    EXPECT_EQ(MutagenRow(m_dir.File("a.mp3")).at(2), "Flushed");
    EXPECT_EQ(MutagenRow(m_dir.File("c.mp3")).at(2), "Flushed");
    EXPECT_EQ(QDir(QString::fromUtf8(m_dir.Path().GetString())).entryList(QDir::Files | QDir::Hidden).size(), 3);
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) base::RemoveFile(m_dir.File(name));
  }
}

}  // namespace
