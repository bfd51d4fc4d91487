#pragma once
// CTagsFromNamesDlg: "Tags from file names". A pattern such as
// "%track% - %artist% - %title%" reads fields out of each row's file name; the
// preview shows what every row would get, and which rows' names do not fit
// (those stay as they are). The last ten patterns applied are offered again.
#include "PreviewDlg.h"

#include <platform/Controls.h>

class CTagsFromNamesDlg : public CPreviewDlg {
 public:
  CTagsFromNamesDlg(const CRowTexts& rows, CWnd* parent);

  CRowEdit EditOf(int row) const override { return TagsFromNameOf(m_pattern, m_rows, row); }
  // The placeholders to type, as the dialog's help line lists them (with
  // skip, %dummy% too: the last name, which skips a part of a name).
  static CString PlaceholderHelp(bool skip);

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  void OnOK() override;
  CString ReadInputs() override;
  std::vector<CString> Columns() const override;
  void AddLines(int row, const CRowEdit& edit, std::vector<CPreviewLine>& lines) const override;

 private:
  CComboBox m_cmbPattern;
  NamePattern m_pattern;
};
