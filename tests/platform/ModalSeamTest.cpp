// Every modal of the platform asks the seam first: a direct answer or a
// dismissal shows nothing, a shown modal is handed over from inside its own
// loop, and one its answer leaves open is closed. The test main's answerer
// turns each miss into a fast, named failure, checked here on a child run.
#include <platform/Dialog.h>
#include <platform/FileDialog.h>
#include <platform/FolderBrowser.h>
#include <platform/Menu.h>
#include <platform/MessageBox.h>
#include <platform/ModalSeam.h>
#include <platform/Wnd.h>

#include "support/ModalAnswers.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>

#include <functional>
#include <vector>

namespace {

const platform::DialogTemplate kEmpty{600, "Empty", 60, 20, "MS Shell Dlg", 8, WS_POPUP | WS_CAPTION, {}};

// Each kind of modal, run as its callers run it; returns the caller's result.
struct Modal {
  platform::ModalKind kind;
  const char* caption;
  int closed;  // the result when closed without an answer
  const char* widgetClass;
  std::function<int()> run;
};

int TrackedMenu() {
  CMenu menu;
  menu.CreatePopupMenu();
  menu.AppendMenu(MF_STRING, 21, "&Open");
  menu.AppendMenu(MF_STRING, 22, "Close");
  return menu.TrackPopupMenuEx(TPM_RETURNCMD, 10, 10, nullptr);
}

const std::vector<Modal>& Modals() {
  static const std::vector<Modal> modals{
      {platform::ModalKind::MessageBox, "Q", IDNO, "QMessageBox",
       [] { return MessageBoxA(nullptr, "Sure?", "Q", MB_YESNO); }},
      {platform::ModalKind::MessageBox, "Q", IDCANCEL, "QMessageBox",
       [] { return MessageBoxA(nullptr, "Go?", "Q", MB_OKCANCEL); }},
      {platform::ModalKind::FileDialog, "Save As", IDCANCEL, "QFileDialog",
       [] { return CFileDialog(FALSE).DoModal(); }},
      {platform::ModalKind::FolderBrowser, "Browse for Folder", 0, "QDialog",
       [] {
         BROWSEINFOA info;
         return SHBrowseForFolderA(&info) ? 1 : 0;
       }},
      {platform::ModalKind::PopupMenu, "&Open|Close", 0, "QMenu", TrackedMenu},
      {platform::ModalKind::Dialog, "Empty", IDCANCEL, "QDialog",
       [] { return static_cast<int>(CDialog(kEmpty).DoModal()); }},
  };
  return modals;
}

// Answers every question alike and records what it saw; installed for one test.
class Recorder : public platform::ModalAnswerer {
 public:
  explicit Recorder(platform::ModalAnswer answer) : m_answer(answer), m_before(platform::SetModalAnswerer(this)) {}
  ~Recorder() override { platform::SetModalAnswerer(m_before); }

  platform::ModalAnswer Answer(const platform::ModalQuestion& q) override {
    asked.push_back(q);
    return m_answer;
  }
  void Drive(const platform::ModalQuestion&, HWND modal) override {
    QWidget* w = modal->GetWidget();
    shownVisible = w->isVisible();
    shownTitle = w->windowTitle().toStdString();
    shownClass = w->metaObject()->className();
  }
  void StillOpen(const platform::ModalQuestion&) override { ++stillOpen; }
  int TimeoutMs() const override { return 50; }

  std::vector<platform::ModalQuestion> asked;
  bool shownVisible = false;
  std::string shownTitle, shownClass;
  int stillOpen = 0;

 private:
  platform::ModalAnswer m_answer;
  platform::ModalAnswerer* m_before;
};

}  // namespace

TEST(ModalSeamTest, AnswersAndDismissalsShowNothing) {
  for (const Modal& m : Modals()) {
    SCOPED_TRACE(m.caption);
    {
      Recorder dismiss({platform::ModalAnswer::How::Dismiss, 0});
      EXPECT_EQ(m.run(), m.closed);
      ASSERT_EQ(dismiss.asked.size(), 1u);
      EXPECT_EQ(dismiss.asked[0].kind, m.kind);
      EXPECT_EQ(dismiss.asked[0].caption, m.caption);
      EXPECT_TRUE(dismiss.shownClass.empty());
    }
    // A number answers where the caller returns one; a file or folder cannot be
    // one.
    Recorder answer({platform::ModalAnswer::How::Result, 22});
    const bool takesNumber = m.kind != platform::ModalKind::FileDialog && m.kind != platform::ModalKind::FolderBrowser;
    EXPECT_EQ(m.run(), takesNumber ? 22 : m.closed);
    EXPECT_TRUE(answer.shownClass.empty());
  }
  Recorder answer({platform::ModalAnswer::How::Result, IDYES});
  MessageBoxA(nullptr, "Sure?", "Q", MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(answer.asked[0].text, "Sure?");
  EXPECT_EQ(answer.asked[0].type, MB_YESNO | MB_ICONQUESTION);
}

TEST(ModalSeamTest, AShownModalIsHandedOverInItsLoopAndClosedWhenLeftOpen) {
  for (const Modal& m : Modals()) {
    SCOPED_TRACE(m.caption);
    Recorder show({platform::ModalAnswer::How::Show, 0});
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(m.run(), m.closed);
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_TRUE(show.shownVisible);
    EXPECT_EQ(show.shownClass, m.widgetClass);
    if (m.kind != platform::ModalKind::PopupMenu) {
      EXPECT_EQ(show.shownTitle, m.caption);
    }
    EXPECT_EQ(show.stillOpen, 1);
  }
}

// Run only by the next test, in a child: each must fail, and fast.
TEST(DISABLED_WithheldAnswerTest, FileDialogWithNoAnswer) { CFileDialog(TRUE).DoModal(); }
TEST(DISABLED_WithheldAnswerTest, FileDialogTheAnswerLeavesOpen) {
  test::DriveModal(test::ModalKind::FileDialog, [](QWidget*) {});
  CFileDialog(FALSE).DoModal();
}
TEST(DISABLED_WithheldAnswerTest, AnswerForAFileDialogThatNeverOpens) { test::AnswerFileDialog("/tmp/x.mp3"); }
TEST(DISABLED_WithheldAnswerTest, MessageBoxAnsweredWithAButtonItHasNot) {
  test::AnswerMessageBox(IDYES);
  EXPECT_EQ(MessageBoxA(nullptr, "Done", "Info", MB_OK), IDOK);
}

TEST(ModalSeamTest, UnansweredModalsFailTheirTestFastAndSayWhatTheyWere) {
  const std::string self = QCoreApplication::applicationFilePath().toStdString();
  QElapsedTimer clock;
  clock.start();
  int exitCode = 0;
  const std::string out = test::RunCommand("QUILLORY_MODAL_TIMEOUT_MS=1000 '" + self +
                                               "' --gtest_also_run_disabled_tests"
                                               " --gtest_filter='DISABLED_WithheldAnswerTest.*' 2>&1",
                                           &exitCode);
  EXPECT_LT(clock.elapsed(), 20000);
  EXPECT_EQ(exitCode, 1) << out;
  for (const char* said : {
           "A file dialog \"Open\" opened with no answer queued; it was closed "
           "unanswered.",
           "The file dialog \"Save As\" was still open 1 s after its answer; "
           "it was closed.",
           "An answer for a file dialog was queued, but no file dialog opened.",
           "The message box \"Info\" asking \"Done\" has no button for the "
           "answer 6; it was closed unanswered.",
           "4 FAILED TESTS",
       })
    EXPECT_NE(out.find(said), std::string::npos) << said << "\n" << out;
}
