#pragma once
// CIndvProgress: drives a progress bar that belongs to a dialog and keeps the
// range it gave the bar, so that stepping never runs past the high end.
// Until Init binds a bar every operation does nothing.
class CProgressCtrl;

class CIndvProgress {
 public:
  CIndvProgress();
  // The bar stays its owner's.
  ~CIndvProgress();
  CIndvProgress(const CIndvProgress&) = delete;
  CIndvProgress& operator=(const CIndvProgress&) = delete;

  // Binds the bar once; null is ignored, and so is any later call.
  void Init(CProgressCtrl* pCtrl);
  // Shows the bar busy (true) or by its position (false).
  void SetMarqueeStyle(bool on);
  // Range and step, only when low < high; step 0 keeps the bar's own step.
  void SetRange(int low, int high, int step);
  // Moves to pos when it lies in the range, else nothing.
  void SetPos(int pos);
  // One step forward while the position is below the high end.
  void Inc();
  // One step back by the step last given to SetRange (none when that was 0).
  void Dec();
  // The bar's position, -1 without a bar.
  int GetPos();

 private:
  CProgressCtrl* m_pCtrl = nullptr;
  bool m_bInit = false;
  int m_nLow = 0;
  int m_nHigh = 100;
  int m_nStep = 0;
};
