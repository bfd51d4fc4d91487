// The main of every test program: a real QApplication on the offscreen
// platform, so widget tests need no display, and every modal question put to
// the test's queued answers.
#include <gtest/gtest.h>

#include "support/ModalAnswers.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QSettings>

#include <cstdlib>

namespace {

// Answers a test queued but did not use fail it, and end with it. Test ends
// reach the listeners last added first, so the printers report such a failure
// as the test's own.
class ModalAnswerReaper : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo&) override { test::EndModalAnswers(); }
};

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // The journal of saves the tests' saves write stays the test program's own.
  // Made before the application, they outlive it and what it writes at its end.
  const test::TempDir state;
  ::setenv("XDG_STATE_HOME", state.Path(), 1);
  // So are the settings: the user's own (a column layout, say) never reach a test.
  const test::TempDir config;
  ::setenv("XDG_CONFIG_HOME", config.Path(), 1);
  QApplication app(argc, argv);
  // Qt's own settings (the file dialogs') take their folder once, at first use: this one.
  { const QSettings fixesTheFolder(QSettings::UserScope, "QtProject"); }
  ::testing::InitGoogleTest(&argc, argv);
  test::InstallModalAnswerer();
  ::testing::UnitTest::GetInstance()->listeners().Append(new ModalAnswerReaper);
  return RUN_ALL_TESTS();
}
