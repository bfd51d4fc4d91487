// The main of every test program: a real QApplication on the offscreen
// platform, so widget tests need no display.
#include <gtest/gtest.h>

#include "support/TestSupport.h"

#include <QApplication>

#include <cstdlib>

namespace {

// Answers to modal UI that a test queued but did not use end with the test.
class ModalAnswerReaper : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo&) override { test::CancelPendingModalAnswers(); }
};

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new ModalAnswerReaper);
  return RUN_ALL_TESTS();
}
