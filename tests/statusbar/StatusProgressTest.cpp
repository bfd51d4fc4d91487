#include "StatusFixture.h"

#include <climits>
#include <cmath>

namespace {

class StatusProgressTest : public StatusFixture {
 protected:
  void SetUp() override {
    StatusFixture::SetUp();
    m_status.Create(m_parent, 0.1, 22);
    m_status.Clear();
  }

  int Pos() const { return Progress() ? Progress()->GetPos() : -1; }
};

}  // namespace

TEST_F(StatusProgressTest, StartLaysTheControlOverTheTextPane) {
  EXPECT_EQ(Progress(), nullptr);
  ASSERT_TRUE(m_status.StartProgress());
  CProgressCtrl* progress = Progress();
  ASSERT_NE(progress, nullptr);
  EXPECT_TRUE(progress->IsWindowVisible());
  EXPECT_EQ(progress->GetStyle() & PBS_SMOOTH, PBS_SMOOTH);
  CRect pane;
  Bar()->GetRect(1, &pane);
  CRect r;
  progress->GetWindowRect(&r);
  Bar()->ScreenToClient(&r);
  EXPECT_EQ(r, pane);
  int low = -1;
  int high = -1;
  progress->GetRange(low, high);
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 100);
  EXPECT_EQ(Pos(), 0);
  EXPECT_EQ(Label(), "Progress");
  EXPECT_EQ(Text(), "");
  EXPECT_EQ(ShownIcon(), 206);

  // No range yet: nothing moves.
  EXPECT_FALSE(m_status.IncProgress(50));
  EXPECT_EQ(Pos(), 0);
}

TEST_F(StatusProgressTest, StepsCountFromTheLowEndAndStopAtAHundred) {
  ASSERT_TRUE(m_status.SetupProgress(0, 4));
  ASSERT_TRUE(m_status.StartProgress());
  for (int expected : {25, 50, 75, 100}) {
    EXPECT_TRUE(m_status.IncProgress());
    EXPECT_EQ(Pos(), expected);
  }
  EXPECT_TRUE(m_status.IncProgress());
  EXPECT_EQ(Pos(), 100);

  ASSERT_TRUE(m_status.SetupProgress(0, 3));
  ASSERT_TRUE(m_status.StartProgress());  // shown already: restarts the count only
  EXPECT_EQ(Pos(), 100);
  EXPECT_TRUE(m_status.IncProgress());
  EXPECT_EQ(Pos(), 33);  // the fraction is dropped
}

TEST_F(StatusProgressTest, SpansOfEitherFormAndOddRanges) {
  ASSERT_TRUE(m_status.StartProgress());
  ASSERT_TRUE(m_status.SetupProgress(5, 5));  // empty: a span of 100
  EXPECT_TRUE(m_status.IncProgress(35));
  EXPECT_EQ(Pos(), 30);

  ASSERT_TRUE(m_status.SetupProgress(10, 0));  // span 10 from the low end 10
  EXPECT_TRUE(m_status.IncProgress(5));
  EXPECT_EQ(Pos(), 0);
  EXPECT_TRUE(m_status.IncProgress(17));
  EXPECT_EQ(Pos(), 70);

  ASSERT_TRUE(m_status.SetupProgress(1.0, 3.0));
  EXPECT_TRUE(m_status.IncProgress(1.5));
  EXPECT_EQ(Pos(), 25);
  // The span is shared, each form keeps its low end: 10 + 0.4 of 2.
  EXPECT_TRUE(m_status.IncProgress(10));
  EXPECT_EQ(Pos(), 0);
  EXPECT_TRUE(m_status.IncProgress(11));
  EXPECT_EQ(Pos(), 50);

  ASSERT_TRUE(m_status.SetupProgress(INT_MIN, INT_MAX));
  EXPECT_TRUE(m_status.IncProgress(INT_MAX));
  EXPECT_EQ(Pos(), 100);
  ASSERT_TRUE(m_status.SetupProgress(0.0, 1e-300));
  EXPECT_TRUE(m_status.IncProgress(1e300));
  EXPECT_EQ(Pos(), 100);
  EXPECT_TRUE(m_status.IncProgress(std::nan("")));
  EXPECT_EQ(Pos(), 0);
}

TEST_F(StatusProgressTest, KillRemovesTheControlAndTheRange) {
  ASSERT_TRUE(m_status.SetupProgress(0, 10));
  ASSERT_TRUE(m_status.StartProgress());
  EXPECT_TRUE(m_status.IncProgress());
  ASSERT_TRUE(m_status.KillProgress());
  EXPECT_EQ(Progress(), nullptr);
  EXPECT_EQ(Label(), "Ready");
  EXPECT_EQ(Text(), "");
  EXPECT_EQ(ShownIcon(), 203);

  EXPECT_FALSE(m_status.IncProgress());
  ASSERT_TRUE(m_status.StartProgress());
  // The range went with the control: nothing moves until a new one is set.
  EXPECT_FALSE(m_status.IncProgress());
  EXPECT_FALSE(m_status.IncProgress(5));
  EXPECT_FALSE(m_status.IncProgress(5.0));
  EXPECT_EQ(Pos(), 0);
  ASSERT_TRUE(m_status.SetupProgress(0, 10));
  EXPECT_TRUE(m_status.IncProgress());
  // The counter ran on through the refused step after the restart: this is the second.
  EXPECT_EQ(Pos(), 20);
}

TEST_F(StatusProgressTest, KillWithoutAControlStillClearsTheRangeAndCounter) {
  ASSERT_TRUE(m_status.SetupProgress(0, 10));
  m_status.InfoMsg("kept");
  EXPECT_FALSE(m_status.KillProgress());
  EXPECT_EQ(Label(), "OK");  // the panes keep what they showed
  EXPECT_EQ(Text(), "kept");
  ASSERT_TRUE(m_status.StartProgress());
  EXPECT_FALSE(m_status.IncProgress());
  ASSERT_TRUE(m_status.SetupProgress(0, 10));
  EXPECT_TRUE(m_status.IncProgress());
  EXPECT_EQ(Pos(), 20);
}
