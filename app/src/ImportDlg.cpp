#include "ImportDlg.h"

#include "Resource.h"

#include <base/FolderWalk.h>

#include <core/Summaries.h>

#include <platform/MessageBox.h>

#include <set>

namespace {

const platform::DialogTemplate& Template() {
  constexpr DWORD kVisible = WS_CHILD | WS_VISIBLE;
  static const platform::DialogTemplate t = CPreviewDlg::MakeTemplate(
      IDD_IMPORT, "Import", {{IDC_IMPORT_SOURCE, "Static", "", 7, 7, 406, 32, kVisible | SS_LEFT}});
  return t;
}

}  // namespace

CImportDlg::CImportDlg(const CRowTexts& rows, CSheetImport sheet, const CString& source, CWnd* parent)
    : CPreviewDlg(Template(), rows, parent), m_sheet(std::move(sheet)), m_strSource(source) {
  for (const CImportRow& row : m_sheet.rows) m_byKey[row.strKey] = &row;
}

BOOL CImportDlg::OnInitDialog() {
  // What the sheet holds that no row takes: said before the preview.
  std::set<CString> keys;
  for (int row = 0; row < m_rows.Count(); ++row) keys.insert(SheetCell(m_rows.FileKeyOf(row)));
  std::vector<CString> left;
  for (const auto& [line, reason] : m_sheet.leftOut) left.push_back(CString::Formatted("line %d: ", line) + reason);
  for (const CImportRow& row : m_sheet.rows)
    if (!keys.count(row.strKey))
      left.push_back(CString::Formatted("line %d: no file \"%s\" is listed", row.nLine, FileNameOfKey(row.strKey).GetString()));
  CString text = "From " + m_strSource + ": " + FilesText(m_sheet.rows.size()) + " in the sheet.";
  if (!left.empty()) text += " Left out:" + ListedText(left);
  SetDlgItemText(IDC_IMPORT_SOURCE, text);
  CPreviewDlg::OnInitDialog();
  // Nothing to type: Enter applies.
  GetDlgItem(IDOK)->SetFocus();
  return FALSE;
}

CRowEdit CImportDlg::MakeEdit(int row) const {
  const auto found = m_byKey.find(SheetCell(m_rows.FileKeyOf(row)));
  if (found == m_byKey.end()) return {false, {}, {}};
  return {true, ImportedValues(*found->second, m_rows, row), {}};
}

std::vector<CString> CImportDlg::Columns() const { return {"File name", "Field", "Now", "Imported"}; }

void CImportDlg::AddLines(int row, const CRowEdit& edit, std::vector<CPreviewLine>& lines) const {
  for (const auto& [field, text] : edit.values)
    lines.push_back({{m_rows.KeyOf(row), FieldName(field), m_rows.TextOf(row, field), text}});
}

CString CImportDlg::UnmatchedText(int n) const {
  return n == 1 ? CString("1 is not in the sheet and stays as it is")
                : CString::Formatted("%d are not in the sheet and stay as they are", n);
}

CString CImportDlg::UnmatchedDone(int n) const {
  return n == 1 ? CString("1 row is not in the sheet and stays as it was")
                : CString::Formatted("%d rows are not in the sheet and stay as they were", n);
}
