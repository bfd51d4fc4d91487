// The About box: its links open the maker's addresses through the shell and
// leave the box open, do nothing without a shell object, are blue and show a
// hand; Enter and Escape close the box.
#include "AboutDlg.h"
#include "Resource.h"
#include "ShellRecorder.h"

#include "support/ModalAnswers.h"
#include "support/TestSupport.h"

#include <platform/MessageBox.h>
#include <platform/WinApp.h>

#include <shell/Shellcmd.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTest>

namespace {

class TestAbout : public CAboutDlg {
 public:
  using CAboutDlg::m_lnkSite;
  using CAboutDlg::m_lnkSite2;
};

QWidget* Item(CDialog& dlg, int id) { return dlg.GetDlgItem(id)->GetWidget(); }

}  // namespace

TEST(AboutDlgTest, LinksOpenTheirAddressesAndLeaveTheBoxOpen) {
  test::ShellRecorder recorder;
  CShellcmd shell;
  TestAbout about;
  about.m_pShell = &shell;
  ASSERT_TRUE(about.Create());
  EXPECT_EQ(about.GetWindowText(), "About Quillory");
  QTest::mouseClick(Item(about, IDC_LINK_SITE), Qt::LeftButton);
  QTest::mouseClick(Item(about, IDC_LINK_SITE2), Qt::LeftButton);
  EXPECT_EQ(recorder.Opened(), (std::vector<std::string>{kWebSite, kIssueTracker}));
  EXPECT_TRUE(about.IsWindowVisible());
  EXPECT_EQ(about.GetEndResult(), -1);
  EXPECT_EQ(about.m_lnkSite.GetWindowText(), kWebSite);
  EXPECT_EQ(about.m_lnkSite2.GetWindowText(), kIssueTracker);
  // Every text of the box is shown whole.
  for (const QLabel* label : about.GetWidget()->findChildren<QLabel*>()) {
    if (label->text().isEmpty()) continue;
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width())
        << label->text().toStdString();
  }
}

TEST(AboutDlgTest, WithoutAShellObjectTheLinksDoNothing) {
  test::ShellRecorder recorder;
  TestAbout about;
  ASSERT_TRUE(about.Create());
  QTest::mouseClick(Item(about, IDC_LINK_SITE), Qt::LeftButton);
  EXPECT_TRUE(recorder.Opened().empty());
  EXPECT_TRUE(about.IsWindowVisible());
}

TEST(AboutDlgTest, LinksAloneAreBlueWithAHand) {
  TestAbout about;
  ASSERT_TRUE(about.Create());
  const QColor normal = about.GetWidget()->palette().color(QPalette::WindowText);
  EXPECT_EQ(Item(about, IDC_LINK_SITE)->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  EXPECT_EQ(Item(about, IDC_LINK_SITE2)->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  EXPECT_EQ(Item(about, IDC_ABOUT_PICTURE)->palette().color(QPalette::WindowText), normal);
  // The picture is our own bitmap at its own size.
  EXPECT_EQ(qobject_cast<QLabel*>(Item(about, IDC_ABOUT_PICTURE))->pixmap().size(), QSize(254, 85));

  for (int id : {IDC_LINK_SITE, IDC_LINK_SITE2, IDC_ABOUT_PICTURE}) {
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(Item(about, id), &enter);
  }
  EXPECT_EQ(Item(about, IDC_LINK_SITE)->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(Item(about, IDC_LINK_SITE2)->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(Item(about, IDC_ABOUT_PICTURE)->cursor().shape(), Qt::ArrowCursor);
}

TEST(AboutDlgTest, EnterAndEscapeCloseTheModalBox) {
  for (auto key : {Qt::Key_Return, Qt::Key_Escape}) {
    CAboutDlg about;
    test::DriveModal(test::ModalKind::Dialog, [key](QWidget* w) { QTest::keyClick(w, key); });
    EXPECT_EQ(about.DoModal(), key == Qt::Key_Return ? IDOK : IDCANCEL);
  }
}
