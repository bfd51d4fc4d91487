#pragma once
// CNumberTracksDlg: "Number tracks…". The rows of each folder are numbered
// in the table's order from a start number, optionally as "N/total" where
// total is the folder's last number, and, when asked, the disc from a
// folder named "CD1" or "Disc 2"; the preview lists each row's track and
// disc now and the new ones.
#include "PreviewDlg.h"

class CNumberTracksDlg : public CPreviewDlg {
 public:
  CNumberTracksDlg(const CRowTexts& rows, CWnd* parent);

  CRowEdit MakeEdit(int row) const override;

 protected:
  CString ReadInputs() override;
  std::vector<CString> Columns() const override;
  void AddLines(int row, const CRowEdit& edit, std::vector<CPreviewLine>& lines) const override;

 private:
  std::vector<CString> m_tracks;  // by row, as the inputs were last read
  std::vector<CString> m_discs;   // the same, when the disc is numbered too
};
