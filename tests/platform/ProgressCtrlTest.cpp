#include <platform/ProgressCtrl.h>

#include "Handles.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPaintEvent>
#include <QProgressBar>
#include <QWidget>

#include <memory>
#include <vector>

namespace {

class CProgressCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_top = std::make_unique<QWidget>();
    m_top->resize(300, 100);
    m_parent = CWnd::FromWidget(m_top.get());
  }

  QProgressBar* Shown(const CProgressCtrl& ctrl) const { return qobject_cast<QProgressBar*>(ctrl.GetWidget()); }

  std::unique_ptr<QWidget> m_top;
  CWnd* m_parent = nullptr;
};

}  // namespace

TEST_F(CProgressCtrlTest, CreatesWithDefaultsAndClampsPositions) {
  CProgressCtrl ctrl;
  EXPECT_EQ(ctrl.GetPos(), 0);
  EXPECT_EQ(ctrl.StepIt(), 0);
  EXPECT_EQ(ctrl.Create(WS_CHILD | WS_VISIBLE | PBS_SMOOTH, CRect(10, 10, 210, 30), m_parent, 1), 1);
  EXPECT_EQ(ctrl.Create(WS_CHILD, CRect(), m_parent, 1), 0);
  EXPECT_EQ(ctrl.GetStyle() & PBS_SMOOTH, PBS_SMOOTH);
  EXPECT_EQ(m_parent->GetDlgItem(1), &ctrl);

  int low = -1;
  int high = -1;
  ctrl.GetRange(low, high);
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 100);
  EXPECT_EQ(ctrl.StepIt(), 0);  // default step 10
  EXPECT_EQ(ctrl.GetPos(), 10);
  EXPECT_EQ(Shown(ctrl)->value(), 10);

  EXPECT_EQ(ctrl.SetPos(150), 10);
  EXPECT_EQ(ctrl.GetPos(), 100);
  ctrl.SetPos(-5);
  EXPECT_EQ(ctrl.GetPos(), 0);

  // A narrower range pulls the position into it.
  ctrl.SetPos(90);
  ctrl.SetRange32(0, 14);
  EXPECT_EQ(ctrl.GetPos(), 14);
  EXPECT_EQ(Shown(ctrl)->maximum(), 14);
}

TEST_F(CProgressCtrlTest, StepsStopAtTheHighEndAndRangesReachBeyondSixteenBits) {
  CProgressCtrl ctrl;
  ASSERT_EQ(ctrl.Create(WS_CHILD, CRect(0, 0, 100, 10), m_parent, 1), 1);
  ctrl.SetRange32(-70000, 70000);
  int low = 0;
  int high = 0;
  ctrl.GetRange(low, high);
  EXPECT_EQ(low, -70000);
  EXPECT_EQ(high, 70000);
  EXPECT_EQ(ctrl.GetPos(), 0);
  EXPECT_EQ(ctrl.SetStep(50000), 10);
  ctrl.StepIt();
  EXPECT_EQ(ctrl.GetPos(), 50000);
  ctrl.StepIt();
  EXPECT_EQ(ctrl.GetPos(), 70000);
  ctrl.StepIt();
  EXPECT_EQ(ctrl.GetPos(), 70000);

  // Stepping backwards stops at the low end; huge steps do not overflow.
  ctrl.SetStep(-2147483647);
  ctrl.StepIt();
  ctrl.StepIt();
  EXPECT_EQ(ctrl.GetPos(), -70000);
}

TEST_F(CProgressCtrlTest, MarqueeStyleTurnsTheBarBusyAndBack) {
  CProgressCtrl ctrl;
  ASSERT_EQ(ctrl.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 10), m_parent, 1), 1);
  ctrl.SetRange32(0, 14);
  ctrl.SetStep(1);
  ctrl.SetPos(3);
  const DWORD before = ctrl.GetStyle();

  ASSERT_TRUE(ctrl.ModifyStyle(0, PBS_MARQUEE));
  EXPECT_EQ(ctrl.GetStyle() & PBS_MARQUEE, PBS_MARQUEE);
  EXPECT_EQ(Shown(ctrl)->maximum(), 0);  // Qt's busy bar
  ctrl.StepIt();
  EXPECT_EQ(ctrl.GetPos(), 4);  // the position is still kept

  ASSERT_TRUE(ctrl.ModifyStyle(PBS_MARQUEE, 0));
  EXPECT_EQ(ctrl.GetStyle(), before);
  EXPECT_EQ(Shown(ctrl)->maximum(), 14);
  EXPECT_EQ(Shown(ctrl)->value(), 4);
}

// Records the bar's value at each of its paints.
class PaintedValues : public QObject {
 public:
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() == QEvent::Paint) values.push_back(static_cast<QProgressBar*>(object)->value());
    return false;
  }
  std::vector<int> values;
};

TEST_F(CProgressCtrlTest, NewPositionsArePaintedWithTheNextUpdateNotAtOnce) {
  CProgressCtrl ctrl;
  ASSERT_EQ(ctrl.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 20), m_parent, 1), 1);
  m_top->show();
  QApplication::processEvents();
  PaintedValues painted;
  Shown(ctrl)->installEventFilter(&painted);
  // Every kind of change: position, step, range, marquee and back.
  for (int pos : {10, 50, 99}) ctrl.SetPos(pos);
  ctrl.StepIt();
  ctrl.SetRange32(0, 200);
  ctrl.ModifyStyle(0, PBS_MARQUEE);
  ctrl.ModifyStyle(PBS_MARQUEE, 0);
  EXPECT_TRUE(painted.values.empty());
  EXPECT_TRUE(Shown(ctrl)->updatesEnabled());
  QApplication::processEvents();
  ASSERT_EQ(painted.values.size(), 1u);  // the changes are painted once, together
  EXPECT_EQ(painted.values[0], 100);
  EXPECT_EQ(Shown(ctrl)->value(), 100);
  // A position the bar already shows asks for no paint.
  ctrl.SetPos(100);
  ctrl.SetRange32(0, 200);
  QApplication::processEvents();
  EXPECT_EQ(painted.values.size(), 1u);

  // A bar whose window paints nothing now stays so.
  m_top->setUpdatesEnabled(false);
  ctrl.SetPos(5);
  EXPECT_FALSE(Shown(ctrl)->updatesEnabled());
  m_top->setUpdatesEnabled(true);
  QApplication::processEvents();
  EXPECT_EQ(painted.values.back(), 5);
}

TEST_F(CProgressCtrlTest, BindsToABarMadeFromADialogTemplate) {
  QWidget* made = platform::MakeProgressBar(m_top.get(), WS_CHILD | PBS_MARQUEE);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->parentWidget(), m_top.get());
  EXPECT_EQ(qobject_cast<QProgressBar*>(made)->maximum(), 0);

  CProgressCtrl ctrl;
  ASSERT_TRUE(ctrl.Attach(made));
  ctrl.SetRange32(0, 14);
  ctrl.SetStep(1);
  ctrl.StepIt();
  EXPECT_EQ(ctrl.GetPos(), 1);
  // Another wrapper of the same widget sees the same state.
  CProgressCtrl second;
  EXPECT_FALSE(second.Attach(made));
  ctrl.Detach();
  ASSERT_TRUE(second.Attach(made));
  EXPECT_EQ(second.GetPos(), 1);
  second.Detach();
}
