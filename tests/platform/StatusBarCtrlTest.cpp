#include <platform/ImageList.h>
#include <platform/Resources.h>
#include <platform/StatusBarCtrl.h>

#include <gtest/gtest.h>

#include <QWidget>

#include <memory>

namespace {

class CStatusBarCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_top = std::make_unique<QWidget>();
    m_top->resize(400, 300);
    m_top->show();
    m_parent = CWnd::FromWidget(m_top.get());
  }

  std::unique_ptr<QWidget> m_top;
  CWnd* m_parent = nullptr;
};

}  // namespace

TEST_F(CStatusBarCtrlTest, PlacesItselfAlongTheParentsBottomOrKeepsItsRectangle) {
  CStatusBarCtrl placed;
  ASSERT_TRUE(placed.Create(WS_CHILD | WS_VISIBLE, CRect(), m_parent, 517));
  EXPECT_FALSE(placed.Create(WS_CHILD | WS_VISIBLE, CRect(), m_parent, 517));
  CRect r;
  placed.GetClientRect(&r);
  EXPECT_EQ(r.Width(), 400);
  EXPECT_GE(r.Height(), 20);
  CRect onScreen;
  placed.GetWindowRect(&onScreen);
  m_parent->ScreenToClient(&onScreen);
  EXPECT_EQ(onScreen.bottom, 300);
  EXPECT_EQ(m_parent->GetDlgItem(517), &placed);
  EXPECT_TRUE(placed.IsWindowVisible());

  CStatusBarCtrl fixed;
  ASSERT_TRUE(fixed.Create(WS_CHILD | WS_VISIBLE | CCS_NORESIZE, CRect(0, 278, 400, 300), m_parent, 518));
  fixed.GetWindowRect(&onScreen);
  m_parent->ScreenToClient(&onScreen);
  EXPECT_EQ(onScreen, CRect(0, 278, 400, 300));

  CWnd noWindow;
  CStatusBarCtrl orphan;
  EXPECT_FALSE(orphan.Create(WS_CHILD, CRect(), &noWindow, 1));
  EXPECT_FALSE(orphan.Create(WS_CHILD, CRect(), nullptr, 1));
  EXPECT_FALSE(orphan.SetText("x", 0));
  EXPECT_EQ(orphan.GetParts(0, nullptr), 0);
}

TEST_F(CStatusBarCtrlTest, PartsByRightEdgesWithTextsTypesAndRectangles) {
  CStatusBarCtrl bar;
  ASSERT_TRUE(bar.Create(WS_CHILD | WS_VISIBLE | CCS_NORESIZE, CRect(0, 278, 400, 300), m_parent, 517));
  EXPECT_EQ(bar.GetParts(0, nullptr), 1);
  EXPECT_FALSE(bar.SetText("beyond", 1));

  const int edges[] = {40, -1};
  ASSERT_TRUE(bar.SetParts(2, edges));
  EXPECT_FALSE(bar.SetParts(0, edges));
  EXPECT_FALSE(bar.SetParts(2, nullptr));
  int readBack[3] = {0, 0, 0};
  EXPECT_EQ(bar.GetParts(3, readBack), 2);
  EXPECT_EQ(readBack[0], 40);
  EXPECT_EQ(readBack[1], -1);

  CRect pane0;
  CRect pane1;
  ASSERT_TRUE(bar.GetRect(0, &pane0));
  ASSERT_TRUE(bar.GetRect(1, &pane1));
  EXPECT_EQ(pane0.left, 0);
  EXPECT_EQ(pane0.right, 40);
  EXPECT_GT(pane1.left, pane0.right - 1);
  EXPECT_EQ(pane1.right, 400);  // -1 runs to the bar's right edge
  EXPECT_EQ(pane1.bottom, 22);
  EXPECT_FALSE(bar.GetRect(2, &pane1));

  ASSERT_TRUE(bar.SetText("Ready", 0));
  ASSERT_TRUE(bar.SetText("Größe 3 MB", 1));
  EXPECT_EQ(bar.GetText(0), "Ready");
  EXPECT_EQ(bar.GetText(1), "Größe 3 MB");
  EXPECT_EQ(bar.GetText(5), "");

  // Fewer parts drop the texts of the parts that went.
  const int one[] = {-1};
  ASSERT_TRUE(bar.SetParts(1, one));
  EXPECT_EQ(bar.GetText(1), "");
  EXPECT_EQ(bar.GetText(0), "Ready");
}

TEST_F(CStatusBarCtrlTest, IconsAreCopiedAndCanBeRemoved) {
  CStatusBarCtrl bar;
  ASSERT_TRUE(bar.Create(WS_CHILD | WS_VISIBLE, CRect(), m_parent, 517));
  CImageList list;
  ASSERT_TRUE(list.Create(2, 2, ILC_COLOR8 | ILC_MASK, 1, 1));
  HBITMAP bitmap = LoadBitmap(AfxFindResourceHandle(7, RT_BITMAP), 7);
  ASSERT_EQ(list.Add(bitmap, RGB(255, 0, 255)), 0);
  DeleteObject(bitmap);

  EXPECT_EQ(bar.GetIcon(0), nullptr);
  HICON icon = list.ExtractIcon(0);
  ASSERT_TRUE(bar.SetIcon(0, icon));
  // The caller's icon may go at once: the bar shows its own copy.
  DestroyIcon(icon);
  EXPECT_NE(bar.GetIcon(0), nullptr);
  EXPECT_NE(bar.GetIcon(0), icon);
  EXPECT_FALSE(bar.SetIcon(3, nullptr));

  ASSERT_TRUE(bar.SetIcon(0, nullptr));
  EXPECT_EQ(bar.GetIcon(0), nullptr);
}
