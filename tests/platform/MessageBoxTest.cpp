#include <platform/MessageBox.h>

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPushButton>

namespace {

void Press(QMessageBox::StandardButton which, CString* caption, CString* text) {
  test::WhenModal([=](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    *caption = CString(box->windowTitle().toStdString());
    *text = CString(box->text().toStdString());
    box->button(which)->click();
  });
}

}  // namespace

TEST(MessageBoxTest, YesNoAnswersWithTheFrameworksCodes) {
  CString caption, text;
  Press(QMessageBox::No, &caption, &text);
  EXPECT_EQ(MessageBoxA(nullptr, "Do you want to exit?", "Data not saved", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(caption, "Data not saved");
  EXPECT_EQ(text, "Do you want to exit?");
  Press(QMessageBox::Yes, &caption, &text);
  EXPECT_EQ(MessageBoxA(nullptr, "Again?", "Q", MB_YESNO | MB_ICONQUESTION), IDYES);
  Press(QMessageBox::Ok, &caption, &text);
  EXPECT_EQ(MessageBoxA(nullptr, "Done", "Info", MB_OK), IDOK);
}
