#include <platform/ProgressCtrl.h>

#include "Handles.h"

#include <QProgressBar>

#include <algorithm>

namespace {

// The bar's widget keeps range, position and step, so that a bar made by a
// dialog template and every wrapper of it share one state.
class ProgressBarWidget : public QProgressBar {
 public:
  explicit ProgressBarWidget(QWidget* parent) : QProgressBar(parent) {
    setTextVisible(false);
    Show();
  }

  int low = 0;
  int high = 100;
  int pos = 0;
  int step = 10;
  bool marquee = false;

  void SetRange(int lower, int upper) {
    low = lower;
    high = std::max(lower, upper);
    pos = std::clamp(pos, low, high);
    Show();
  }

  void SetPos(int newPos) {
    pos = std::clamp(newPos, low, high);
    Show();
  }

  void SetMarquee(bool on) {
    marquee = on;
    Show();
  }

 private:
  // A marquee bar is Qt's busy bar (an empty range); otherwise the kept state.
  // A new value is painted with the window's next deferred update, like every
  // other widget's change: the bar's own setValue repaints at once, which in a
  // loop stepping it a hundred times cost more than the loop's work.
  void Show() {
    const int shownLow = marquee ? 0 : low, shownHigh = marquee ? 0 : high;
    if (minimum() == shownLow && maximum() == shownHigh && (marquee || value() == pos)) return;
    const bool deferPaint = updatesEnabled();
    if (deferPaint) setUpdatesEnabled(false);
    setRange(shownLow, shownHigh);
    if (!marquee) setValue(pos);
    if (deferPaint) setUpdatesEnabled(true);  // schedules the update
  }
};

ProgressBarWidget* BarOf(const CWnd* wnd) { return dynamic_cast<ProgressBarWidget*>(wnd->GetWidget()); }

}  // namespace

QWidget* platform::MakeProgressBar(QWidget* parent, DWORD style) {
  auto* bar = new ProgressBarWidget(parent);
  bar->SetMarquee((style & PBS_MARQUEE) != 0);
  return bar;
}

CProgressCtrl::CProgressCtrl() = default;
CProgressCtrl::~CProgressCtrl() = default;

BOOL CProgressCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  QWidget* parentWidget = parent ? parent->GetWidget() : nullptr;
  if (!parentWidget || IsWindow()) return 0;
  auto* bar = new ProgressBarWidget(parentWidget);
  const CRect r(rect);
  bar->setGeometry(r.left, r.top, r.Width(), r.Height());
  AttachOwned(bar);
  SetDlgCtrlID(static_cast<int>(id));
  ModifyStyle(0, style);
  return 1;
}

void CProgressCtrl::SetRange32(int lower, int upper) {
  if (ProgressBarWidget* bar = BarOf(this)) bar->SetRange(lower, upper);
}

void CProgressCtrl::GetRange(int& lower, int& upper) const {
  const ProgressBarWidget* bar = BarOf(this);
  lower = bar ? bar->low : 0;
  upper = bar ? bar->high : 0;
}

int CProgressCtrl::SetPos(int pos) {
  ProgressBarWidget* bar = BarOf(this);
  if (!bar) return 0;
  const int previous = bar->pos;
  bar->SetPos(pos);
  return previous;
}

int CProgressCtrl::GetPos() const {
  const ProgressBarWidget* bar = BarOf(this);
  return bar ? bar->pos : 0;
}

int CProgressCtrl::SetStep(int step) {
  ProgressBarWidget* bar = BarOf(this);
  if (!bar) return 0;
  const int previous = bar->step;
  bar->step = step;
  return previous;
}

int CProgressCtrl::StepIt() {
  ProgressBarWidget* bar = BarOf(this);
  if (!bar) return 0;
  const int previous = bar->pos;
  // Summed in 64 bits: a step near the integer limits must not overflow.
  bar->SetPos(static_cast<int>(std::clamp<long long>(static_cast<long long>(previous) + bar->step, bar->low,
                                                      bar->high)));
  return previous;
}

void CProgressCtrl::OnStyleChanged(DWORD oldStyle, DWORD newStyle) {
  if (((oldStyle ^ newStyle) & PBS_MARQUEE) == 0) return;
  if (ProgressBarWidget* bar = BarOf(this)) bar->SetMarquee((newStyle & PBS_MARQUEE) != 0);
}
