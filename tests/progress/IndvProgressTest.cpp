#include <platform/ProgressCtrl.h>
#include <progress/IndvProgress.h>

#include <gtest/gtest.h>

#include <QProgressBar>
#include <QWidget>

#include <memory>

namespace {

// A dialog's progress bar, made as the dialog makes it, and the wrapper over it.
class IndvProgressTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_top = std::make_unique<QWidget>();
    ASSERT_EQ(m_ctrl.Create(WS_CHILD, CRect(118, 351, 318, 363), CWnd::FromWidget(m_top.get()), 1064), 1);
  }

  int Shown() const { return qobject_cast<QProgressBar*>(m_ctrl.GetWidget())->value(); }

  std::unique_ptr<QWidget> m_top;
  CProgressCtrl m_ctrl;
  CIndvProgress m_progress;
};

}  // namespace

TEST_F(IndvProgressTest, DoesNothingUntilBoundAndBindsOnce) {
  m_ctrl.SetPos(7);
  m_progress.SetRange(0, 14, 1);
  m_progress.SetPos(3);
  m_progress.Inc();
  m_progress.Dec();
  m_progress.SetMarqueeStyle(true);
  EXPECT_EQ(m_progress.GetPos(), -1);
  EXPECT_EQ(m_ctrl.GetPos(), 7);
  EXPECT_EQ(m_ctrl.GetStyle() & PBS_MARQUEE, 0u);

  m_progress.Init(nullptr);
  EXPECT_EQ(m_progress.GetPos(), -1);
  m_progress.Init(&m_ctrl);
  EXPECT_EQ(m_progress.GetPos(), 7);

  CProgressCtrl other;
  ASSERT_EQ(other.Create(WS_CHILD, CRect(0, 0, 10, 10), CWnd::FromWidget(m_top.get()), 2), 1);
  m_progress.Init(&other);
  m_progress.SetPos(9);
  EXPECT_EQ(m_ctrl.GetPos(), 9);
  EXPECT_EQ(other.GetPos(), 0);
}

TEST_F(IndvProgressTest, FourteenFieldsFillTheBarAndItStopsThere) {
  m_progress.Init(&m_ctrl);
  m_progress.SetRange(0, 14, 1);
  m_ctrl.SetPos(0);
  for (int i = 1; i <= 14; ++i) {
    m_progress.Inc();
    EXPECT_EQ(m_progress.GetPos(), i);
  }
  m_progress.Inc();
  EXPECT_EQ(m_progress.GetPos(), 14);
  EXPECT_EQ(Shown(), 14);
  m_progress.Dec();
  EXPECT_EQ(m_progress.GetPos(), 13);
}

TEST_F(IndvProgressTest, InvalidRangesChangeNothingNotEvenTheStep) {
  m_progress.Init(&m_ctrl);
  m_progress.SetRange(0, 20, 4);
  m_progress.SetRange(5, 5, 1);
  m_progress.SetRange(9, 3, 1);
  int low = -1;
  int high = -1;
  m_ctrl.GetRange(low, high);
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 20);
  m_progress.Inc();
  EXPECT_EQ(m_progress.GetPos(), 4);
  m_progress.SetPos(20);  // the high end itself is in the range
  m_progress.Dec();
  EXPECT_EQ(m_progress.GetPos(), 16);
}

TEST_F(IndvProgressTest, StepZeroKeepsTheBarsStepAndDecDoesNothing) {
  m_progress.Init(&m_ctrl);
  m_progress.SetRange(0, 100, 0);
  m_progress.Inc();
  EXPECT_EQ(m_progress.GetPos(), 10);  // the bar's own default step
  m_progress.Dec();
  EXPECT_EQ(m_progress.GetPos(), 10);

  m_progress.SetRange(0, 100, 10);
  m_progress.SetPos(150);
  m_progress.SetPos(-1);
  EXPECT_EQ(m_progress.GetPos(), 10);
  m_progress.SetPos(100);
  EXPECT_EQ(m_progress.GetPos(), 100);
  EXPECT_EQ(Shown(), 100);
}

TEST_F(IndvProgressTest, RangesBeyondSixteenBitsAreKeptWhole) {
  m_progress.Init(&m_ctrl);
  m_progress.SetRange(-5, 70000, 35000);
  int low = 0;
  int high = 0;
  m_ctrl.GetRange(low, high);
  EXPECT_EQ(low, -5);
  EXPECT_EQ(high, 70000);
  m_progress.SetPos(-5);
  for (int i = 0; i < 5; ++i) m_progress.Inc();
  EXPECT_EQ(m_progress.GetPos(), 70000);
  m_progress.SetPos(65536);
  EXPECT_EQ(m_progress.GetPos(), 65536);
}

TEST_F(IndvProgressTest, MarqueeOnAndOffRestoresTheStyle) {
  m_progress.Init(&m_ctrl);
  const DWORD before = m_ctrl.GetStyle();
  m_progress.SetMarqueeStyle(true);
  EXPECT_EQ(m_ctrl.GetStyle(), before | PBS_MARQUEE);
  m_progress.SetRange(0, 14, 1);
  m_progress.Inc();
  EXPECT_EQ(m_progress.GetPos(), 1);  // still counted while the bar shows busy
  m_progress.SetMarqueeStyle(false);
  EXPECT_EQ(m_ctrl.GetStyle(), before);
  EXPECT_EQ(Shown(), 1);
}
