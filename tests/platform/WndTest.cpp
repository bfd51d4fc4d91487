#include <platform/Wnd.h>

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <memory>

namespace {

struct Parent : CWnd {
  int lastCommand = 0;
  int lastCode = 0;
  BOOL OnNotify(NMHDR* header, LRESULT* result) override {
    lastCode = header->code;
    *result = 42;
    return TRUE;
  }
  BOOL OnCommand(int id, int) override {
    lastCommand = id;
    return TRUE;
  }
};

}  // namespace

TEST(CWndTest, WrapsWidgetsAndFindsChildrenById) {
  auto top = std::make_unique<QWidget>();
  auto* button = new QPushButton("Reload", top.get());
  auto* label = new QLabel("--", top.get());
  Parent parent;
  ASSERT_TRUE(parent.Attach(top.get()));
  CWnd::FromWidget(button)->SetDlgCtrlID(1001);
  CWnd::FromWidget(label)->SetDlgCtrlID(1037);

  CWnd* item = parent.GetDlgItem(1037);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->GetWindowText(), "--");
  item->SetWindowText("3");
  EXPECT_EQ(label->text(), "3");
  EXPECT_EQ(parent.GetDlgItem(1001)->GetWindowText(), "Reload");
  EXPECT_EQ(parent.GetDlgItem(999), nullptr);

  // Children are walked in creation order.
  CWnd* first = parent.GetWindow(GW_CHILD);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->GetDlgCtrlID(), 1001);
  EXPECT_EQ(first->GetWindow(GW_HWNDNEXT)->GetDlgCtrlID(), 1037);
  EXPECT_EQ(first->GetWindow(GW_HWNDNEXT)->GetWindow(GW_HWNDNEXT), nullptr);
  parent.Detach();
}

TEST(CWndTest, EnableShowMoveAndStyleReadBack) {
  auto top = std::make_unique<QWidget>();
  auto* child = new QWidget(top.get());
  top->resize(300, 200);
  top->show();
  CWnd* wnd = CWnd::FromWidget(child);

  EXPECT_FALSE(wnd->EnableWindow(FALSE));
  EXPECT_FALSE(wnd->IsWindowEnabled());
  EXPECT_TRUE(wnd->GetStyle() & WS_DISABLED);
  EXPECT_TRUE(wnd->EnableWindow(TRUE));

  wnd->MoveWindow(10, 20, 30, 40);
  CRect rc;
  wnd->GetClientRect(&rc);
  EXPECT_EQ(rc, CRect(0, 0, 30, 40));
  wnd->GetWindowRect(&rc);
  CWnd::FromWidget(top.get())->ScreenToClient(&rc);
  EXPECT_EQ(rc, CRect(10, 20, 40, 60));

  EXPECT_TRUE(wnd->ShowWindow(SW_HIDE));
  EXPECT_FALSE(wnd->IsWindowVisible());
  EXPECT_FALSE(wnd->GetStyle() & WS_VISIBLE);
  EXPECT_FALSE(wnd->ShowWindow(SW_SHOW));
  EXPECT_TRUE(wnd->IsWindowVisible());

  EXPECT_TRUE(wnd->ModifyStyle(0, 0x08));
  EXPECT_TRUE(CWnd::FromWidget(child)->GetStyle() & 0x08);
  EXPECT_FALSE(wnd->ModifyStyle(0, 0x08));
  EXPECT_TRUE(wnd->ModifyStyle(0x08, 0));
  EXPECT_FALSE(wnd->GetStyle() & 0x08);
}

TEST(CWndTest, NotificationsAndCommandsGoToTheParent) {
  auto top = std::make_unique<QWidget>();
  auto* child = new QWidget(top.get());
  Parent parent;
  parent.Attach(top.get());
  CWnd control;
  control.Attach(child);
  control.SetDlgCtrlID(1002);

  NMHDR header;
  EXPECT_EQ(control.SendNotify(NM_DBLCLK, &header), 42);
  EXPECT_EQ(parent.lastCode, NM_DBLCLK);
  EXPECT_EQ(header.idFrom, 1002u);
  EXPECT_EQ(header.hwndFrom, &control);

  control.SendCommand();
  EXPECT_EQ(parent.lastCommand, 1002);
  control.Detach();
  parent.Detach();
}

TEST(CWndTest, AWrapperForgetsAWidgetThatIsGone) {
  CWnd control;
  {
    auto widget = std::make_unique<QWidget>();
    control.Attach(widget.get());
    EXPECT_TRUE(control.IsWindow());
  }
  EXPECT_FALSE(control.IsWindow());
  EXPECT_EQ(control.GetWindowText(), "");
}
