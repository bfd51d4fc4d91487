#pragma once
// The status-bar window behind CStatus: its labels, its five state icons and
// the progress control laid over the text pane.
#include <platform/ImageList.h>
#include <platform/ProgressCtrl.h>
#include <platform/StatusBarCtrl.h>

#include <memory>

class CMyStatusBar : public CStatusBarCtrl {
 public:
  // Image indexes of the state icons, in the order the bitmaps are added.
  enum Image { kError = 0, kReady = 1, kDone = 2, kInfo = 3, kMonitor = 4 };

  CMyStatusBar();
  ~CMyStatusBar() override;

  // Makes the window; the result is kept, and without a window no state shows.
  BOOL CreateBar(DWORD style, const RECT& rect, CWnd* parent, UINT id);

  void ShowState(int image, const CString& label, const CString& text);
  void ShowReady();
  void ShowError(const CString& text) { ShowState(kError, m_strError, text); }
  void ShowInfo(const CString& text) { ShowState(kInfo, m_strOK, text); }
  void ShowDone(const CString& text) { ShowState(kDone, m_strDone, text); }
  void ChangeTitles(const CString& ready, const CString& error, const CString& ok, const CString& warning,
                    const CString& done);
  void ShowIcons(bool show) { m_bShowIcons = show; }

  bool HasProgress() const { return m_bProgress; }
  // Lays a new progress control over the text pane, at 0 of 0..100.
  bool StartProgress();
  // Moves the control to percent, held inside its range.
  void ShowPercent(double percent);
  // Removes the control and shows Ready; false when there was none.
  bool KillProgress();

 private:
  void AddIconBitmap(UINT id);

  CString m_strReady = "Ready";
  CString m_strError = "Error";
  CString m_strOK = "OK";
  CString m_strWarning = "Warning";  // kept for ChangeTitles; no state shows it
  CString m_strDone = "Done";
  bool m_bShowIcons = true;
  COLORREF m_crMask = RGB(255, 0, 255);
  BOOL m_bCreated = FALSE;
  bool m_bProgress = false;
  short m_nProgMax = 0;
  short m_nProgMin = 0;
  bool m_bImages = false;
  std::unique_ptr<CProgressCtrl> m_pProgress;
  std::unique_ptr<CImageList> m_pImages;
  int m_nLabelPane = 0;
  int m_nTextPane = 1;
  int m_nIconPane = 0;
};
