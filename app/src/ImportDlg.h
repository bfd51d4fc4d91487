#pragma once
// CImportDlg: "Import…". Each row of a spreadsheet goes into the row whose
// file its key names; the preview lists every field that would change, with
// its text now and the imported one, and the line above it what the sheet
// leaves out (keys that name no file here, keys given twice).
#include "PreviewDlg.h"

#include <core/Spreadsheet.h>

#include <map>

class CImportDlg : public CPreviewDlg {
 public:
  // sheet: read and checked already; source names it for the dialog.
  CImportDlg(const CRowTexts& rows, CSheetImport sheet, const CString& source, CWnd* parent);

  CRowEdit MakeEdit(int row) const override;
  CString UnmatchedText(int n) const override;
  CString UnmatchedDone(int n) const override;

 protected:
  BOOL OnInitDialog() override;
  CString ReadInputs() override { return CString(); }
  std::vector<CString> Columns() const override;
  void AddLines(int row, const CRowEdit& edit, std::vector<CPreviewLine>& lines) const override;

 private:
  CSheetImport m_sheet;
  CString m_strSource;
  std::map<CString, const CImportRow*> m_byKey;
};
