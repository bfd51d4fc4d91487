#include <platform/Dialog.h>
#include <platform/MessageBox.h>
#include <platform/WinApp.h>

#include "support/ModalAnswers.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <vector>

namespace {

const platform::DialogTemplate kTemplate{
    500, "Sample", 200, 100, "MS Shell Dlg", 8, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
    {
        {IDC_STATIC, "Button", "Group", 4, 4, 190, 60, BS_GROUPBOX | WS_VISIBLE},
        {10, "Static", "&Artist", 8, 16, 40, 8, SS_RIGHT | WS_VISIBLE},
        {11, "Edit", "", 52, 14, 100, 12, ES_AUTOHSCROLL | WS_VISIBLE | WS_TABSTOP},
        {12, "Button", "Same for all", 8, 30, 80, 10, BS_AUTOCHECKBOX | WS_VISIBLE},
        {13, "Button", "Go", 100, 30, 40, 14, BS_PUSHBUTTON | WS_VISIBLE},
        {14, "Static", "link", 8, 46, 60, 8, SS_NOTIFY | WS_VISIBLE},
        {15, "NoSuchClass", "", 8, 66, 60, 20, WS_VISIBLE},
        {16, "Static", "hidden", 100, 66, 40, 8, SS_LEFT},
        {17, "Static", "#7", 150, 66, 40, 20, SS_BITMAP | WS_VISIBLE},
        {IDOK, "Button", "OK", 150, 84, 40, 14, BS_DEFPUSHBUTTON | WS_VISIBLE},
    }};

class SampleDialog : public CDialog {
 public:
  SampleDialog() : CDialog(kTemplate) {
    RouteCommand(13, [this] { calls.push_back("go"); });
    RouteCommand(14, [this] { calls.push_back("link"); });
    RouteNotify(11, NM_DBLCLK, [this](NMHDR*, LRESULT* result) {
      calls.push_back("dblclk");
      *result = 7;
    });
  }
  void DoDataExchange(CDataExchange* pDX) override {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, 12, m_check);
    DDX_Text(pDX, 11, m_strArtist);
  }
  void OnCancel() override {
    calls.push_back("cancel");
    if (allowCancel) CDialog::OnCancel();
  }
  void OnClose() override { calls.push_back("close"); }
  HBRUSH OnCtlColor(CCtlColorDC* dc, CWnd* control, UINT kind) override {
    if (kind == CTLCOLOR_STATIC && control->GetDlgCtrlID() == 10) dc->SetTextColor(RGB(0, 0, 255));
    if (kind == CTLCOLOR_STATIC && control->GetDlgCtrlID() == 14 && greenBack) dc->SetBkColor(RGB(0, 255, 0));
    return CDialog::OnCtlColor(dc, control, kind);
  }
  BOOL OnSetCursor(CWnd* window, UINT, UINT) override {
    SetCursor(LoadCursor(nullptr, window->GetDlgCtrlID() == 14 ? IDC_HAND : IDC_ARROW));
    return TRUE;
  }

  CButton m_check;
  CString m_strArtist;
  std::vector<std::string> calls;
  bool allowCancel = false;
  bool greenBack = false;
};

QWidget* Item(CDialog& dlg, int id) { return dlg.GetDlgItem(id) ? dlg.GetDlgItem(id)->GetWidget() : nullptr; }

}  // namespace

TEST(DialogTest, BuildsTheTemplatesControlsInDialogUnits) {
  SampleDialog dlg;
  ASSERT_TRUE(dlg.Create());
  // Four horizontal and eight vertical units are the font's base units.
  CRect unit(0, 0, 4, 8);
  dlg.MapDialogRect(&unit);
  const CSize base(unit.right, unit.bottom);
  ASSERT_GT(base.cx, 2);
  ASSERT_GT(base.cy, 6);
  CRect rect(52, 14, 152, 26);
  dlg.MapDialogRect(&rect);
  EXPECT_EQ(rect, CRect((52 * base.cx + 2) / 4, (14 * base.cy + 4) / 8, (152 * base.cx + 2) / 4, (26 * base.cy + 4) / 8));

  QWidget* edit = Item(dlg, 11);
  ASSERT_NE(qobject_cast<QLineEdit*>(edit), nullptr);
  EXPECT_EQ(edit->geometry(), QRect(rect.left, rect.top, rect.Width(), rect.Height()));
  CRect client;
  dlg.GetClientRect(&client);
  CRect whole(0, 0, 200, 100);
  dlg.MapDialogRect(&whole);
  EXPECT_EQ(client, whole);

  EXPECT_EQ(dlg.GetDlgItemText(10), "&Artist");
  EXPECT_EQ(Item(dlg, 10)->accessibleName(), "Artist");
  // The edit box is named by its label, and the label's mnemonic reaches it.
  EXPECT_EQ(edit->accessibleName(), "Artist");
  EXPECT_EQ(qobject_cast<QLabel*>(Item(dlg, 10))->buddy(), edit);
  EXPECT_NE(qobject_cast<QCheckBox*>(Item(dlg, 12)), nullptr);
  EXPECT_TRUE(qobject_cast<QPushButton*>(Item(dlg, IDOK))->isDefault());
  // A class nobody registered still gets its place; a control without
  // WS_VISIBLE starts hidden; a picture static shows its bitmap resource.
  ASSERT_NE(Item(dlg, 15), nullptr);
  EXPECT_TRUE(Item(dlg, 15)->isVisible());
  EXPECT_FALSE(dlg.GetDlgItem(16)->IsWindowVisible());
  EXPECT_EQ(dlg.GetDlgItem(16)->GetStyle() & WS_VISIBLE, 0u);
  EXPECT_FALSE(qobject_cast<QLabel*>(Item(dlg, 17))->pixmap().isNull());
  EXPECT_EQ(dlg.GetDlgItem(12)->GetStyle() & BS_TYPEMASK, BS_AUTOCHECKBOX);
  // Children are walked in template order.
  EXPECT_EQ(dlg.GetWindow(GW_CHILD)->GetWindow(GW_HWNDNEXT)->GetDlgCtrlID(), 10);
}

TEST(DialogTest, RoutesCommandsNotificationsAndExchangesData) {
  SampleDialog dlg;
  ASSERT_TRUE(dlg.Create());
  QTest::mouseClick(qobject_cast<QPushButton*>(Item(dlg, 13)), Qt::LeftButton);
  QTest::mouseClick(Item(dlg, 14), Qt::LeftButton);
  NMHDR header;
  EXPECT_EQ(dlg.GetDlgItem(11)->SendNotify(NM_DBLCLK, &header), 7);
  EXPECT_EQ(dlg.GetDlgItem(11)->SendNotify(NM_RCLICK, &header), 0);
  EXPECT_EQ(dlg.calls, (std::vector<std::string>{"go", "link", "dblclk"}));
  EXPECT_FALSE(dlg.OnCommand(999, BN_CLICKED));

  // Data exchange both ways, and the bound check box.
  ASSERT_TRUE(dlg.m_check.IsWindow());
  dlg.m_strArtist = "Nina";
  dlg.UpdateData(FALSE);
  EXPECT_EQ(qobject_cast<QLineEdit*>(Item(dlg, 11))->text(), "Nina");
  qobject_cast<QLineEdit*>(Item(dlg, 11))->setText("Nöel");
  dlg.UpdateData(TRUE);
  EXPECT_EQ(dlg.m_strArtist, "Nöel");
  dlg.CheckDlgButton(12, BST_CHECKED);
  EXPECT_EQ(dlg.IsDlgButtonChecked(12), BST_CHECKED);
  QTest::mouseClick(Item(dlg, 12), Qt::LeftButton, {}, QPoint(4, 4));
  EXPECT_EQ(dlg.IsDlgButtonChecked(12), BST_UNCHECKED);

  // The default OK processing exchanges data and ends with IDOK.
  qobject_cast<QLineEdit*>(Item(dlg, 11))->setText("Last");
  QTest::mouseClick(qobject_cast<QPushButton*>(Item(dlg, IDOK)), Qt::LeftButton);
  EXPECT_EQ(dlg.GetEndResult(), IDOK);
  EXPECT_EQ(dlg.m_strArtist, "Last");
  EXPECT_FALSE(dlg.IsWindowVisible());
}

TEST(DialogTest, EscapeAndCloseRequestGoToOverridableHandlers) {
  SampleDialog dlg;
  ASSERT_TRUE(dlg.Create());
  QWidget* window = dlg.GetWidget();
  QTest::keyClick(window, Qt::Key_Escape);
  QCloseEvent close;
  QApplication::sendEvent(window, &close);
  EXPECT_EQ(dlg.calls, (std::vector<std::string>{"cancel", "close"}));
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(dlg.GetEndResult(), -1);

  dlg.allowCancel = true;
  QTest::keyClick(window, Qt::Key_Escape);
  EXPECT_EQ(dlg.GetEndResult(), IDCANCEL);
  EXPECT_FALSE(window->isVisible());
}

TEST(DialogTest, DoModalReturnsTheEndResultAndDestroysTheWidgets) {
  SampleDialog dlg;
  test::DriveModal(test::ModalKind::Dialog, [](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_FALSE(dlg.IsWindow());
  EXPECT_FALSE(dlg.m_check.IsWindow());
}

TEST(DialogTest, ControlsTakeTheColoursAndCursorsTheDialogChooses) {
  SampleDialog dlg;
  ASSERT_TRUE(dlg.Create());
  const QColor normal = dlg.GetWidget()->palette().color(QPalette::WindowText);
  EXPECT_EQ(Item(dlg, 10)->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  EXPECT_EQ(Item(dlg, 14)->palette().color(QPalette::WindowText), normal);
  // Push buttons ask with their own kind, so the label rule does not reach them.
  EXPECT_EQ(Item(dlg, 13)->palette().color(QPalette::ButtonText),
            dlg.GetWidget()->palette().color(QPalette::ButtonText));
  dlg.greenBack = true;
  dlg.UpdateCtlColors();
  EXPECT_EQ(Item(dlg, 14)->palette().color(QPalette::Window), QColor(0, 255, 0));
  EXPECT_TRUE(Item(dlg, 14)->autoFillBackground());

  QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
  QApplication::sendEvent(Item(dlg, 14), &enter);
  EXPECT_EQ(Item(dlg, 14)->cursor().shape(), Qt::PointingHandCursor);
  QEnterEvent enter2(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
  QApplication::sendEvent(Item(dlg, 10), &enter2);
  EXPECT_EQ(Item(dlg, 10)->cursor().shape(), Qt::ArrowCursor);
}

// What a screen reader reads for a control.
QString SpokenName(QWidget* widget) {
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(widget);
  return a ? a->text(QAccessible::Name) : QString();
}

TEST(DialogTest, AccessibleNamesFollowTheTextTheyWereMadeFrom) {
  SampleDialog dlg;
  ASSERT_TRUE(dlg.Create());
  // Labels, buttons, group boxes and the window: each says its new text.
  const std::vector<std::pair<CWnd*, const char*>> changes = {
      {dlg.GetDlgItem(14), "25"}, {dlg.GetDlgItem(13), "&Stop"}, {dlg.GetDlgItem(12), "Once"}, {&dlg, "Renamed"}};
  for (const auto& [wnd, text] : changes) {
    wnd->SetWindowText(text);
    EXPECT_EQ(SpokenName(wnd->GetWidget()), QString(text).remove('&')) << text;
  }
  // An edit box is named after its label, never after what is typed into it.
  dlg.SetDlgItemText(11, "Ann");
  EXPECT_EQ(SpokenName(Item(dlg, 11)), "Artist");
  dlg.SetDlgItemText(10, "&Band");
  EXPECT_EQ(SpokenName(Item(dlg, 10)), "Band");
  EXPECT_EQ(SpokenName(Item(dlg, 11)), "Band");
}
