#include <platform/MessageBox.h>

#include "support/ModalAnswers.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

TEST(MessageBoxTest, ButtonsAnswerWithTheFrameworksCodes) {
  // NoButton: the box is closed with Escape.
  const struct {
    UINT type;
    QMessageBox::StandardButton press;
    int expected;
  } cases[] = {
      {MB_YESNO | MB_ICONQUESTION, QMessageBox::No, IDNO},
      {MB_YESNO | MB_ICONQUESTION, QMessageBox::Yes, IDYES},
      {MB_YESNO, QMessageBox::NoButton, IDNO},
      {MB_OK, QMessageBox::Ok, IDOK},
      {MB_OK | MB_ICONQUESTION, QMessageBox::NoButton, IDOK},
      {MB_OKCANCEL, QMessageBox::Cancel, IDCANCEL},
      {MB_OKCANCEL, QMessageBox::Ok, IDOK},
      {MB_OKCANCEL, QMessageBox::NoButton, IDCANCEL},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << ", button " << c.press);
    QString caption, text;
    int width = 0;
    test::DriveModal(test::ModalKind::MessageBox, [&](QWidget* w) {
      auto* box = qobject_cast<QMessageBox*>(w);
      ASSERT_NE(box, nullptr);
      ASSERT_TRUE(box->isVisible());
      caption = box->windowTitle();
      width = box->width();
      text = box->text();
      if (c.press == QMessageBox::NoButton)
        QTest::keyClick(box, Qt::Key_Escape);
      else
        box->button(c.press)->click();
    });
    EXPECT_EQ(MessageBoxA(nullptr, "Do you want to exit?", "Data not saved", c.type), c.expected);
    EXPECT_EQ(caption, "Data not saved");
    EXPECT_EQ(text, "Do you want to exit?");
    // Wide enough for the title beside the title bar's buttons, not cut short.
    EXPECT_GE(width, QFontMetrics(QApplication::font()).horizontalAdvance(caption) + 100);
  }
}
