#pragma once
// CProgressCtrl: a bar that shows a position within a range. It starts with
// the range 0..100, step 10 and position 0.
#include <platform/Wnd.h>

// Kept in the style word only: bars here are always continuous.
constexpr DWORD PBS_SMOOTH = 0x01;
// A busy bar that shows activity rather than the position (which is still kept).
constexpr DWORD PBS_MARQUEE = 0x08;

class CProgressCtrl : public CWnd {
 public:
  CProgressCtrl();
  ~CProgressCtrl() override;

  // 0 when the parent has no window or the bar exists already.
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

  // A low end above the high end is an empty range at the low end.
  void SetRange32(int lower, int upper);
  void GetRange(int& lower, int& upper) const;

  // Each returns the previous position (0 without a window). Positions are
  // clamped to the range; stepping stops at the high end.
  int SetPos(int pos);
  int GetPos() const;
  int SetStep(int step);
  int StepIt();

 protected:
  void OnStyleChanged(DWORD oldStyle, DWORD newStyle) override;
};
