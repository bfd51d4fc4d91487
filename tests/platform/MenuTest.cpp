#include <platform/DC.h>
#include <platform/Menu.h>
#include <platform/Wnd.h>

#include "support/ModalAnswers.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QWidget>

namespace {

struct Owner : CWnd {
  int command = 0;
  BOOL OnCommand(int id, int) override {
    command = id;
    return TRUE;
  }
};

}  // namespace

TEST(CMenuTest, StateWordsAndLookupsByIdOrPosition) {
  CMenu menu;
  ASSERT_TRUE(menu.CreatePopupMenu());
  EXPECT_EQ(CMenu::FromHandle(menu.GetSafeHmenu()), &menu);
  menu.AppendMenu(MF_STRING, 10, "Ten");
  menu.AppendMenu(MF_SEPARATOR, 11);
  menu.AppendMenu(MF_STRING | MF_GRAYED, 12, "Twelve");
  EXPECT_EQ(menu.GetMenuItemCount(), 3);
  EXPECT_EQ(menu.GetMenuItemID(1), 11u);
  EXPECT_EQ(menu.GetMenuItemID(3), 0xFFFFFFFFu);
  EXPECT_EQ(menu.GetMenuState(11, MF_BYCOMMAND), MF_SEPARATOR);
  EXPECT_EQ(menu.GetMenuState(2, MF_BYPOSITION), MF_GRAYED);
  EXPECT_EQ(menu.EnableMenuItem(12, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
  EXPECT_EQ(menu.CheckMenuItem(10, MF_BYCOMMAND | MF_CHECKED), 0u);
  EXPECT_EQ(menu.CheckMenuItem(99, MF_BYCOMMAND | MF_CHECKED), 0xFFFFFFFFu);
  CString text;
  EXPECT_EQ(menu.GetMenuString(2, text, MF_BYPOSITION), 6);
  EXPECT_EQ(text, "Twelve");
  EXPECT_TRUE(menu.RemoveMenu(10, MF_BYCOMMAND));
  EXPECT_FALSE(menu.RemoveMenu(10, MF_BYCOMMAND));
  EXPECT_EQ(menu.GetMenuItemCount(), 2);
  menu.DestroyMenu();
  EXPECT_EQ(menu.GetMenuItemCount(), -1);
}

TEST(CMenuTest, TrackingWithoutReturnCmdSendsTheCommandToTheOwner) {
  QWidget window;
  window.show();
  Owner owner;
  ASSERT_TRUE(owner.Attach(&window));
  CMenu menu;
  menu.CreatePopupMenu();
  menu.AppendMenu(MF_STRING, 21, "&Open");
  menu.AppendMenu(MF_STRING, 22, "Close");
  test::ChooseInMenu(1);
  EXPECT_TRUE(menu.TrackPopupMenuEx(TPM_LEFTALIGN, 10, 10, &owner));
  EXPECT_EQ(owner.command, 22);
  test::ChooseInMenu(-1);
  EXPECT_EQ(menu.TrackPopupMenuEx(TPM_RETURNCMD, 10, 10, &owner), 0);
  owner.Detach();
}

TEST(CDCTest, TextOutPutsTheTopLeftCornerAtThePoint) {
  QImage image(100, 40, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    CDC dc(&painter);
    EXPECT_EQ(dc.SetTextColor(RGB(0, 0, 255)), RGB(0, 0, 0));
    const CSize extent = dc.GetTextExtent("Hi");
    TEXTMETRIC metrics;
    ASSERT_TRUE(dc.GetTextMetrics(&metrics));
    EXPECT_EQ(extent.cy, metrics.tmHeight);
    dc.TextOut(10, 5, "Hi");  // drawn over the white, inside the text's box
    bool inked = false;
    for (int x = 0; x < 100; ++x)
      for (int y = 0; y < 40; ++y) {
        const bool inBox = x >= 10 && x < 10 + extent.cx && y >= 5 && y < 5 + extent.cy;
        if (QColor(image.pixel(x, y)) != QColor(Qt::white)) {
          EXPECT_TRUE(inBox) << x << "," << y;
          inked = true;
        }
      }
    EXPECT_TRUE(inked);
    dc.FillSolidRect(RECT{50, 0, 60, 10}, RGB(255, 0, 0));
    EXPECT_EQ(QColor(image.pixel(59, 9)), QColor(255, 0, 0));
    EXPECT_EQ(QColor(image.pixel(60, 10)), QColor(Qt::white));
  }
}
