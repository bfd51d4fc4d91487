#include <menus/MyMenu.h>

#include "support/ModalAnswers.h"
#include "support/TestSupport.h"

#include <platform/Wnd.h>

#include <gtest/gtest.h>

#include <QPushButton>
#include <QWidget>

#include <memory>

namespace {

constexpr unsigned int kCancelled = 4294967196u;  // 0 - 100 in unsigned arithmetic

class MyMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_window = std::make_unique<QWidget>();
    m_window->setGeometry(100, 100, 300, 200);
    m_window->show();
    m_pWnd = CWnd::FromWidget(m_window.get());
  }
  void AddThree(CMyMenu& menu) {
    menu.InsertItem(0u, "Play");
    menu.InsertItem(0u, "Delete");
    menu.InsertItem(0u, "Edit");
  }
  std::unique_ptr<QWidget> m_window;
  CWnd* m_pWnd = nullptr;
};

bool Near(QRgb pixel, COLORREF colour, int tolerance = 0) {
  return std::abs(qRed(pixel) - GetRValue(colour)) <= tolerance &&
         std::abs(qGreen(pixel) - GetGValue(colour)) <= tolerance &&
         std::abs(qBlue(pixel) - GetBValue(colour)) <= tolerance;
}

// True when some pixel of rect in image is (nearly) colour.
bool Contains(const QImage& image, const QRect& rect, COLORREF colour, int tolerance) {
  for (int y = rect.top(); y <= rect.bottom(); ++y)
    for (int x = rect.left(); x <= rect.right(); ++x)
      if (Near(image.pixel(x, y), colour, tolerance)) return true;
  return false;
}

}  // namespace

TEST_F(MyMenuTest, ItemsAreNumberedFromTheFirstIdAndShowReturnsIndices) {
  CMyMenu menu;
  AddThree(menu);
  EXPECT_EQ(menu.CountItems(), 3);
  EXPECT_EQ(menu.GetItemID(1), 100u);
  EXPECT_EQ(menu.GetItemID(3), 102u);
  EXPECT_EQ(menu.GetMenuStr(102u), "Edit");

  test::MenuSeen seen;
  test::ChooseInMenu(1, &seen);
  EXPECT_EQ(menu.Show(m_pWnd, CPoint(200, 200), 'L'), 1u);
  EXPECT_EQ(seen.texts, (QStringList{"Play", "Delete", "Edit"}));

  test::ChooseInMenu(-1);
  EXPECT_EQ(menu.Show(m_pWnd, CPoint(200, 200), 'L'), kCancelled);
}

TEST_F(MyMenuTest, PositionsOutsideTheMenuAreIgnored) {
  CMyMenu menu;
  AddThree(menu);
  EXPECT_EQ(menu.GetItemID(0), 0u);
  EXPECT_EQ(menu.GetItemID(4), 0u);
  EXPECT_EQ(menu.GetMenuStr(0), "");
  EXPECT_EQ(menu.GetItemState(4), 0u);
  menu.RenameItem(4, "Nothing");
  menu.RemoveItem(0);
  menu.EnableItem(4, false);
  EXPECT_EQ(menu.CountItems(), 3);
  EXPECT_EQ(menu.GetItemState(999u), 0xFFFFFFFFu);

  menu.EnableItem(2, false);
  menu.CheckItem(103u, true);  // no such id: nothing happens
  menu.CheckItem(3, true);
  EXPECT_EQ(menu.GetItemState(101u), MF_GRAYED);
  EXPECT_EQ(menu.GetItemState(3), MF_CHECKED);
  menu.SaveItemState(2);
  menu.EnableItem(101u, true);
  EXPECT_EQ(menu.GetItemState(2), 0u);
  EXPECT_EQ(menu.RestoreItemState(), MF_GRAYED);  // kept, not applied
  EXPECT_EQ(menu.GetItemState(2), 0u);

  menu.RenameItem(1, "Play all");
  EXPECT_EQ(menu.GetMenuStr(1), "Play all");
  EXPECT_EQ(menu.GetItemID(1), 100u);
  menu.RemoveItem(2);
  EXPECT_EQ(menu.CountItems(), 2);
  EXPECT_EQ(menu.GetMenuStr(2), "Edit");
}

TEST_F(MyMenuTest, SeparatorsUseIdsAndDeleteAllStartsAgain) {
  CMyMenu menu;
  menu.InsertItem(0u, "One");
  menu.AddSeparator(7);
  menu.InsertItem(0u, "Two");
  EXPECT_EQ(menu.GetItemID(2), 7u);
  EXPECT_EQ(menu.GetItemID(3), 102u);  // the separator used up id 101
  EXPECT_TRUE(menu.GetItemState(2) & MF_SEPARATOR);

  // With owner drawing on, a separator is still not something to choose.
  menu.ShowIcons(true);
  EXPECT_TRUE(menu.GetItemState(2) & MF_SEPARATOR);
  test::ChooseInMenu(1);
  EXPECT_EQ(menu.Show(m_pWnd, CPoint(200, 200), 'L'), kCancelled);
  test::ChooseInMenu(2);
  EXPECT_EQ(menu.Show(m_pWnd, CPoint(200, 200), 'L'), 2u);

  menu.DeleteAll();
  EXPECT_EQ(menu.CountItems(), 0);
  menu.InsertItem(0u, "Again");
  EXPECT_EQ(menu.GetItemID(1), 100u);
}

TEST_F(MyMenuTest, AlignmentLetterPlacesTheMenuAndPersists) {
  CMyMenu menu;
  AddThree(menu);
  const CPoint at(400, 300);
  test::MenuSeen seen;
  test::ChooseInMenu(-1, &seen);
  menu.Show(m_pWnd, at, 'x');  // a fresh menu is right-aligned
  EXPECT_EQ(seen.geometry.right() + 1, at.x);
  EXPECT_EQ(seen.geometry.top(), at.y);

  seen = {};
  test::ChooseInMenu(-1, &seen);
  menu.Show(m_pWnd, at, 'L');
  EXPECT_EQ(seen.geometry.left(), at.x);

  seen = {};
  test::ChooseInMenu(-1, &seen);
  menu.Show(m_pWnd, at, '?');  // keeps left
  EXPECT_EQ(seen.geometry.left(), at.x);

  seen = {};
  test::ChooseInMenu(-1, &seen);
  menu.Show(m_pWnd, at, 'C');
  EXPECT_NEAR(seen.geometry.center().x(), at.x, 1);
}

TEST_F(MyMenuTest, ShowWithMouseAndWithButtonTakeWindowCoordinates) {
  auto* button = new QPushButton("Menu", m_window.get());
  button->setGeometry(20, 40, 100, 30);
  button->show();
  CWnd::FromWidget(button)->SetDlgCtrlID(1043);
  CMyMenu menu;
  AddThree(menu);

  test::MenuSeen seen;
  test::ChooseInMenu(0, &seen);
  EXPECT_EQ(menu.ShowWithMouse(m_pWnd, CPoint(10, 20), 'L'), 0u);
  const QPoint origin = m_window->mapToGlobal(QPoint(0, 0));
  EXPECT_EQ(seen.geometry.topLeft(), origin + QPoint(10, 20));

  seen = {};
  test::ChooseInMenu(2, &seen);
  EXPECT_EQ(menu.ShowWithButton(m_pWnd, 1043, 'L'), 2u);
  EXPECT_EQ(seen.geometry.topLeft(), origin + QPoint(20 + 50, 40 + 15));

  // A control the window does not have: nothing is shown, nothing chosen.
  EXPECT_EQ(menu.ShowWithButton(m_pWnd, 9999, 'L'), kCancelled);
}

TEST_F(MyMenuTest, OwnerDrawnItemsArePaintedInTheFourColours) {
  const COLORREF back = RGB(250, 250, 200), selBack = RGB(40, 160, 40), text = RGB(0, 0, 255),
                 disabled = RGB(255, 0, 0);
  CMyMenu menu;
  menu.SetColors(back, selBack, text, disabled);
  menu.SetMenuItemDim(0, 22, 5, 5);
  menu.InsertItem(132u, "Play");  // the test program's green 16 x 16 icon
  menu.InsertItem(0u, "Delete");
  menu.InsertItem(0u, "Locked");
  menu.EnableItem(3, false);
  menu.ShowIcons(true);
  EXPECT_EQ(menu.GetItemState(1) & MF_OWNERDRAW, MF_OWNERDRAW);

  test::MenuSeen seen;
  test::ChooseInMenu(2, &seen);  // highlight the grayed item; Return cannot choose it
  menu.Show(m_pWnd, CPoint(200, 200), 'L');
  ASSERT_EQ(seen.itemRects.size(), 3);
  const QImage& img = seen.image;
  const QRect play = seen.itemRects[0], del = seen.itemRects[1], locked = seen.itemRects[2];
  EXPECT_EQ(play.height(), 22);
  EXPECT_EQ(del.height(), 22);

  // Background at the item's right end, text in the text colour after the icon column.
  EXPECT_TRUE(Near(img.pixel(play.right() - 1, play.center().y()), back));
  const QRect playText(play.left() + 16 + 2 * 5, play.top(), play.width() - 26, play.height());
  EXPECT_TRUE(Contains(img, playText, text, 60));
  EXPECT_FALSE(Contains(img, playText, disabled, 60));
  // The icon sits margin from the left and (22 - 16) / 2 = 3 below the top.
  EXPECT_TRUE(Near(img.pixel(play.left() + 5, play.top() + 3), RGB(0, 255, 0)));
  EXPECT_TRUE(Near(img.pixel(play.left() + 5 + 15, play.top() + 3 + 15), RGB(0, 255, 0)));
  EXPECT_FALSE(Near(img.pixel(play.left() + 5, play.top() + 2), RGB(0, 255, 0)));
  EXPECT_FALSE(Contains(img, del, RGB(0, 255, 0), 0));  // no icon for the second item

  // The highlighted grayed item: highlight background, disabled-text colour.
  EXPECT_TRUE(Near(img.pixel(locked.right() - 1, locked.center().y()), selBack));
  EXPECT_TRUE(Contains(img, locked, disabled, 60));
  EXPECT_FALSE(Contains(img, locked, text, 60));
}

TEST_F(MyMenuTest, OwnerDrawingCanBeSwitchedOffAndSurvivesRenaming) {
  CMyMenu menu;
  AddThree(menu);
  menu.ShowIcons(true);
  menu.RenameItem(2, "Remove & forget");
  EXPECT_EQ(menu.GetItemState(2) & MF_OWNERDRAW, MF_OWNERDRAW);
  EXPECT_EQ(menu.GetMenuStr(101u), "Remove & forget");

  menu.ShowIcons(false);
  for (int pos = 1; pos <= 3; ++pos) EXPECT_EQ(menu.GetItemState(pos) & MF_OWNERDRAW, 0u);
  test::MenuSeen seen;
  test::ChooseInMenu(0, &seen);
  EXPECT_EQ(menu.Show(m_pWnd, CPoint(200, 200), 'L'), 0u);
  EXPECT_EQ(seen.texts[1], "Remove & forget");
}

TEST_F(MyMenuTest, LeastHeightRisesToTheIconHeightOnShow) {
  CMyMenu menu;
  menu.InsertItem(0u, "A");
  menu.ShowIcons(true);
  test::MenuSeen seen;
  test::ChooseInMenu(-1, &seen);
  menu.Show(m_pWnd, CPoint(200, 200), 'L');
  // The text height of the desktop font is at least 16, so an item is never lower than the icon.
  ASSERT_EQ(seen.itemRects.size(), 1);
  EXPECT_GE(seen.itemRects[0].height(), 16);
}
