#include "StatusFixture.h"

using StatusTest = StatusFixture;

TEST_F(StatusTest, DoesNothingUntilABarIsMadeAndRetriesAFailedCreate) {
  m_status.Clear();
  m_status.InfoMsg("x");
  m_status.ChangeTitles("a", "b", "c", "d", "e");
  EXPECT_FALSE(m_status.SetupProgress(0, 10));
  EXPECT_FALSE(m_status.SetupProgress(0.0, 1.0));
  EXPECT_FALSE(m_status.StartProgress());
  EXPECT_FALSE(m_status.IncProgress());
  EXPECT_FALSE(m_status.IncProgress(1));
  EXPECT_FALSE(m_status.KillProgress());
  EXPECT_EQ(Bar(), nullptr);

  CWnd noWindow;
  m_status.Create(&noWindow, 0.1, 22);
  m_status.Create(nullptr, 0.1, 0);
  EXPECT_FALSE(m_status.StartProgress());

  m_status.Create(m_parent, 0.1, 22);
  ASSERT_NE(Bar(), nullptr);
  m_status.Clear();
  // The titles changed before the bar existed were never taken.
  EXPECT_EQ(Label(), "Ready");
}

TEST_F(StatusTest, FollowsTheParentsGeometryOnce) {
  m_status.Create(m_parent, 0.1, 22);
  CStatusBarCtrl* bar = Bar();
  ASSERT_NE(bar, nullptr);
  CRect r;
  bar->GetWindowRect(&r);
  m_parent->ScreenToClient(&r);
  EXPECT_EQ(r, CRect(0, kHeight - 22, kWidth, kHeight));
  EXPECT_TRUE(bar->IsWindowVisible());

  CRect pane0;
  CRect pane1;
  ASSERT_TRUE(bar->GetRect(0, &pane0));
  ASSERT_TRUE(bar->GetRect(1, &pane1));
  EXPECT_EQ(pane0.left, 0);
  EXPECT_EQ(pane0.right, kWidth / 10);
  EXPECT_EQ(pane1.right, kWidth);

  // A second Create changes nothing, not even for another fraction.
  m_status.Create(m_parent, 0.5, 40);
  ASSERT_TRUE(Bar()->GetRect(0, &pane0));
  EXPECT_EQ(pane0.right, kWidth / 10);
  EXPECT_EQ(m_top->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size(), 1);
}

TEST_F(StatusTest, HeightZeroLetsTheBarPlaceItselfAndOddFractionsStayInside) {
  CStatus own;
  own.Create(m_parent, 1.0 / 3, 0);
  CStatusBarCtrl* bar = Bar();
  ASSERT_NE(bar, nullptr);
  CRect r;
  bar->GetWindowRect(&r);
  m_parent->ScreenToClient(&r);
  EXPECT_EQ(r.bottom, kHeight);
  EXPECT_EQ(r.Width(), kWidth);
  int edges[2] = {0, 0};
  ASSERT_EQ(bar->GetParts(2, edges), 2);
  EXPECT_EQ(edges[0], 213);  // truncated, not rounded
  EXPECT_EQ(edges[1], -1);

  QWidget other;
  other.resize(100, 50);
  CStatus huge;
  huge.Create(CWnd::FromWidget(&other), 1e30, 20);
  auto* hugeBar = dynamic_cast<CStatusBarCtrl*>(CWnd::FromWidget(&other)->GetDlgItem(517));
  ASSERT_NE(hugeBar, nullptr);
  ASSERT_EQ(hugeBar->GetParts(2, edges), 2);
  EXPECT_EQ(edges[0], 100);
}

TEST_F(StatusTest, EachStateShowsItsIconLabelAndText) {
  m_status.Create(m_parent, 0.1, 22);
  m_status.Clear();
  EXPECT_EQ(ShownIcon(), 203);
  EXPECT_EQ(Label(), "Ready");
  EXPECT_EQ(Text(), "");

  m_status.ErrorMsg("Cannot open the folder.");
  EXPECT_EQ(ShownIcon(), 202);
  EXPECT_EQ(Label(), "Error");
  EXPECT_EQ(Text(), "Cannot open the folder.");

  m_status.ErrorMsg("");
  EXPECT_EQ(ShownIcon(), 203);
  EXPECT_EQ(Label(), "Ready");
  EXPECT_EQ(Text(), "");

  m_status.InfoMsg("12 files");
  EXPECT_EQ(ShownIcon(), 205);
  EXPECT_EQ(Label(), "OK");
  EXPECT_EQ(Text(), "12 files");

  m_status.Done("");
  EXPECT_EQ(ShownIcon(), 204);
  EXPECT_EQ(Label(), "Done");
  EXPECT_EQ(Text(), "");

  m_status.Message("Scan", "Ärger & <Lärm>");
  EXPECT_EQ(ShownIcon(), 206);
  EXPECT_EQ(Label(), "Scan");
  EXPECT_EQ(Text(), "Ärger & <Lärm>");
}

TEST_F(StatusTest, NewTitlesShowFromTheNextStateChange) {
  m_status.Create(m_parent, 0.1, 22);
  m_status.InfoMsg("before");
  m_status.ChangeTitles("", "", "", "", "Finished");
  EXPECT_EQ(Label(), "OK");
  EXPECT_EQ(Text(), "before");

  m_status.Done("saved");
  EXPECT_EQ(Label(), "Finished");
  m_status.ErrorMsg("e");
  EXPECT_EQ(Label(), "Error");
  m_status.ChangeTitles("Idle", "Fault", "Note", "Careful", "");
  m_status.Clear();
  EXPECT_EQ(Label(), "Idle");
  m_status.InfoMsg("i");
  EXPECT_EQ(Label(), "Note");
  m_status.Done("d");
  EXPECT_EQ(Label(), "Finished");
}

TEST_F(StatusTest, IconsCanBeSwitchedOffForLaterStates) {
  m_status.Create(m_parent, 0.1, 22);
  m_status.Done("d");
  m_status.ShowIcons(false);
  EXPECT_EQ(ShownIcon(), 204);  // the icon on show stays

  m_status.InfoMsg("no icon");
  EXPECT_EQ(Label(), "OK");
  EXPECT_EQ(Text(), "no icon");
  EXPECT_EQ(Bar()->GetIcon(0), nullptr);
  EXPECT_EQ(ShownIcon(), 0);

  m_status.ShowIcons(true);
  m_status.ErrorMsg("back");
  EXPECT_EQ(ShownIcon(), 202);
}

TEST_F(StatusTest, TheBarGoesWithTheObjectAndSurvivesItsParent) {
  {
    CStatus local;
    local.Create(m_parent, 0.1, 22);
    ASSERT_NE(Bar(), nullptr);
  }
  EXPECT_EQ(Bar(), nullptr);

  m_status.Create(m_parent, 0.1, 22);
  ASSERT_TRUE(m_status.SetupProgress(0, 2));
  ASSERT_TRUE(m_status.StartProgress());
  // The window that held the bar closes first; the object must stay safe.
  m_top.reset();
  m_status.InfoMsg("after");
  EXPECT_TRUE(m_status.IncProgress());
  EXPECT_TRUE(m_status.KillProgress());
}
