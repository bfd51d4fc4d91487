#pragma once
// CStatus: a two-pane status bar at the bottom of a window. Pane 0 shows a
// state icon and a one-word label ("Ready", "Error", "OK", "Done"), pane 1
// the message; while a long task runs a progress control covers pane 1.
#include <base/String.h>
#include <platform/Wnd.h>

#include <memory>

class CMyStatusBar;

class CStatus {
 public:
  CStatus();
  ~CStatus();
  CStatus(const CStatus&) = delete;
  CStatus& operator=(const CStatus&) = delete;

  // Makes the bar once, as a child of parent: pane 0 takes fraction of the
  // bar's width; height in pixels, or 0 for the bar's own height and place.
  // Until a Create succeeds every other operation does nothing (false).
  void Create(CWnd* parent, double fraction, int height);

  // The Error state with text; an empty text shows the Ready state instead.
  void ErrorMsg(CString text);
  void InfoMsg(CString text);
  void Done(CString text);
  // The caller's own label and text beside the monitor icon.
  void Message(CString label, CString text);
  // The Ready state with an empty message.
  void Clear();
  // Replaces the labels given non-empty; they show from the next state change.
  void ChangeTitles(CString ready, CString error, CString ok, CString warning, CString done);
  // Whether later state changes show an icon.
  void ShowIcons(bool show);

  // The range that IncProgress measures against; an empty range counts as a
  // span of 100. Both forms share the span, each keeps its own low end.
  bool SetupProgress(int low, int high);
  bool SetupProgress(double low, double high);
  // Shows the progress control over pane 1 (kept where it is when shown
  // already) and restarts the step counter.
  bool StartProgress();
  // Moves the control to pos (as a whole percentage of the range, 0..100);
  // false while no range is set or no control is shown.
  bool IncProgress(int pos);
  bool IncProgress(double pos);
  // One step more than the previous call since StartProgress.
  bool IncProgress();
  // Removes the control and the range and shows Ready; false when no control
  // was shown (the range and counter are cleared all the same).
  bool KillProgress();

 private:
  bool ShowPercent(double offset);

  std::unique_ptr<CMyStatusBar> m_pBar;
  double m_dSpan = 0;  // 0: no range set
  bool m_bCreated = false;
  int m_nMin = 0;
  int m_nMax = 0;
  int m_nCount = 0;
  double m_dMin = 0;
  double m_dMax = 0;
};
