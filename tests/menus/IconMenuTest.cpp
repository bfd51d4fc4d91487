#include <menus/IconMenu.h>

#include "support/ModalAnswers.h"
#include "support/TestSupport.h"

#include <platform/Menu.h>
#include <platform/Wnd.h>

#include <gtest/gtest.h>

#include <QWidget>

#include <memory>

TEST(IconMenuTest, FirstIdAndReturnModeShapeTheResult) {
  QWidget window;
  window.show();
  CWnd* wnd = CWnd::FromWidget(&window);

  CIconMenu fresh;
  test::ChooseInMenu(-1);
  fresh.InsertItem(0u, "Only");
  EXPECT_EQ(fresh.Show(wnd, CPoint(100, 100), 'L'), 4294967196u);
  fresh.SetReturnVal(true);
  test::ChooseInMenu(-1);
  EXPECT_EQ(fresh.Show(wnd, CPoint(100, 100), 'L'), 0u);

  CIconMenu menu;
  menu.SetFirstID(500);
  menu.InsertItem(0u, "Play");
  menu.InsertItem(0u, "Delete");
  menu.InsertItem(0u, "Edit");
  EXPECT_EQ(menu.GetItemID(1), 500u);
  EXPECT_EQ(menu.GetItemID(3), 502u);
  menu.ShowIcons(true);
  test::ChooseInMenu(1);
  EXPECT_EQ(menu.Show(wnd, CPoint(100, 100), 'L'), 1u);
  menu.SetReturnVal(true);
  test::ChooseInMenu(1);
  EXPECT_EQ(menu.ShowWithMouse(wnd, CPoint(5, 5), 'L'), 501u);

  ASSERT_NE(menu.GetHandel(), nullptr);
  EXPECT_NE(menu.GetHandel(), fresh.GetHandel());
  EXPECT_EQ(CMenu::FromHandle(menu.GetHandel())->GetMenuItemCount(), 3);
}
