#pragma once
// CFormatFieldsDlg: "Format fields". Changes the letter case of the rows'
// fields (all text fields, or one), replaces text in them (plainly or by a
// regular expression), or both; the preview lists every field that would
// change, with its text now and after.
#include "PreviewDlg.h"

#include <platform/Controls.h>

class CFormatFieldsDlg : public CPreviewDlg {
 public:
  CFormatFieldsDlg(const CRowTexts& rows, CWnd* parent);

  CRowEdit MakeEdit(int row) const override { return m_format.FormatOf(m_rows, row); }

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  CString ReadInputs() override;
  std::vector<CString> Columns() const override;
  void AddLines(int row, const CRowEdit& edit, std::vector<CPreviewLine>& lines) const override;

 private:
  CComboBox m_cmbField;
  CComboBox m_cmbCase;
  CFieldsFormat m_format;
};
