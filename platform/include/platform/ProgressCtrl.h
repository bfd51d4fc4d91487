#pragma once
// CProgressCtrl: a bar that shows a position within a range. It starts with
// the range 0..100, step 10 and position 0.
#include <platform/Wnd.h>

// Progress styles, set at creation or with ModifyStyle.
// Kept in the style word only: bars on this desktop are always drawn continuous.
constexpr DWORD PBS_SMOOTH = 0x01;
// A busy bar that shows activity rather than the position (which is still kept).
constexpr DWORD PBS_MARQUEE = 0x08;

class CProgressCtrl : public CWnd {
 public:
  CProgressCtrl();
  ~CProgressCtrl() override;

  // Makes the bar as a child of parent: exactly 1 on success, 0 when the
  // parent has no window or the bar exists already.
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

  // The range; the position is kept inside it. A low end above the high end
  // is taken as an empty range at the low end.
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
