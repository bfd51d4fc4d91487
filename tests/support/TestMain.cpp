// The main of every test program: a real QApplication on the offscreen
// platform, so widget tests need no display, and every modal question put to
// the test's queued answers.
#include <gtest/gtest.h>

#include "support/ModalAnswers.h"

#include <QApplication>

#include <cstdlib>

namespace {

// Answers a test queued but did not use fail it, and end with it. It listens
// ahead of the printers, so such a failure is reported as the test's own.
class ModalAnswerReaper : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo&) override { test::EndModalAnswers(); }
};

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  test::InstallModalAnswerer();
  auto& listeners = ::testing::UnitTest::GetInstance()->listeners();
  auto* printer = listeners.Release(listeners.default_result_printer());
  auto* xml = listeners.Release(listeners.default_xml_generator());
  listeners.Append(new ModalAnswerReaper);
  if (printer) listeners.Append(printer);
  if (xml) listeners.Append(xml);
  return RUN_ALL_TESTS();
}
