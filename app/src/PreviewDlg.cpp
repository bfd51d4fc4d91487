#include "PreviewDlg.h"

#include "Resource.h"

#include <platform/MessageBox.h>

#include <algorithm>

namespace {

constexpr COLORREF kProblemText = RGB(204, 0, 0);
constexpr COLORREF kUnmatchedText = RGB(128, 128, 128);

}  // namespace

CPreviewDlg::CPreviewDlg(const platform::DialogTemplate& dialogTemplate, const CRowTexts& rows, CWnd* parent)
    : CDialog(dialogTemplate, parent), m_rows(rows) {}

CString CPreviewDlg::FieldName(Field field) {
  // The genre's column keeps its old title; the field is the genre all the same.
  return field == kGenre ? CString("Genre") : CString(SpecOf(field).strTitle);
}

platform::DialogTemplate CPreviewDlg::MakeTemplate(UINT id, const char* caption,
                                                   std::vector<platform::DialogItem> inputs) {
  constexpr DWORD kVisible = WS_CHILD | WS_VISIBLE;
  constexpr DWORD kButton = kVisible | WS_TABSTOP | BS_PUSHBUTTON;
  inputs.insert(inputs.end(),
                {
                    {IDC_PREVIEW_MESSAGE, "Static", "", 7, 44, 406, 8, kVisible | SS_LEFT},
                    {IDC_PREVIEW, "SysListView32", "", 7, 56, 406, 166,
                     kVisible | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS},
                    {IDOK, "Button", "Apply", 309, 229, 50, 14, kButton | BS_DEFPUSHBUTTON},
                    {IDCANCEL, "Button", "Cancel", 363, 229, 50, 14, kButton},
                });
  return {id, caption, 420, 250, "MS Shell Dlg", 8, DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
          std::move(inputs)};
}

void CPreviewDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_PREVIEW, m_preview);
}

BOOL CPreviewDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  if (!m_strScope.IsEmpty()) SetWindowText(GetWindowText() + " \u2014 " + m_strScope);
  m_preview.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  Refresh();
  return TRUE;
}

void CPreviewDlg::OnOK() {
  Refresh();
  if (m_strProblem.IsEmpty()) {
    EndDialog(IDOK);
    return;
  }
  // Refused: the message turns red until the inputs are mended.
  m_bRefused = true;
  UpdateCtlColors();
}

HBRUSH CPreviewDlg::OnCtlColor(CCtlColorDC* pDC, CWnd* pWnd, UINT nCtlColor) {
  HBRUSH brush = CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
  if (nCtlColor == CTLCOLOR_STATIC && pWnd->GetDlgCtrlID() == IDC_PREVIEW_MESSAGE && m_bRefused)
    pDC->SetTextColor(kProblemText);
  return brush;
}

void CPreviewDlg::Refresh() {
  if (!m_preview.IsWindow()) return;  // the controls are still being made
  m_strProblem = ReadInputs();
  m_bRefused = m_bRefused && !m_strProblem.IsEmpty();
  m_preview.SetRedraw(FALSE);
  m_preview.DeleteAllItems();
  if (!m_strProblem.IsEmpty()) {
    m_preview.SetRedraw(TRUE);
    SetDlgItemText(IDC_PREVIEW_MESSAGE, m_strProblem);
    UpdateCtlColors();
    return;
  }
  ShowColumns(Columns());
  const int previewed = std::min(m_rows.Count(), kPreviewRows);
  int changed = 0;
  int unmatched = 0;
  std::vector<CPreviewLine> lines;
  for (int row = 0; row < previewed; ++row) {
    const CRowEdit edit = EditOf(row);
    unmatched += edit.bMatched ? 0 : 1;
    for (const auto& [field, text] : edit.values)
      if (text != m_rows.TextOf(row, field)) {
        ++changed;
        break;
      }
    const std::size_t first = lines.size();
    AddLines(row, edit, lines);
    for (std::size_t k = first; k < lines.size(); ++k) lines[k].bMatched = edit.bMatched;
  }
  for (const CPreviewLine& line : lines) {
    const int item = m_preview.InsertItem(m_preview.GetItemCount(), line.texts.front());
    for (std::size_t col = 1; col < line.texts.size(); ++col)
      m_preview.SetItemText(item, static_cast<int>(col), line.texts[col]);
    // A row the edit leaves alone is greyed.
    if (!line.bMatched) m_preview.SetItemTextColor(item, kUnmatchedText);
  }
  m_preview.SetRedraw(TRUE);
  SetDlgItemText(IDC_PREVIEW_MESSAGE, Summary(changed, unmatched, previewed));
  UpdateCtlColors();
}

void CPreviewDlg::ShowColumns(const std::vector<CString>& titles) {
  if (titles == m_columns) return;
  while (m_preview.DeleteColumn(0)) {
  }
  CRect client;
  m_preview.GetClientRect(&client);
  // The file name gets a third of the width, the other columns share the rest.
  const int width = client.Width() - 24;  // room for the vertical scroll bar, so none is needed across
  const int first = width / 3;
  const int others = titles.size() > 1 ? (width - first) / static_cast<int>(titles.size() - 1) : 0;
  for (std::size_t col = 0; col < titles.size(); ++col)
    m_preview.InsertColumn(static_cast<int>(col), titles[col], LVCFMT_LEFT, col == 0 ? first : others);
  m_columns = titles;
}

CString CPreviewDlg::Summary(int changed, int unmatched, int previewed) const {
  const int total = m_rows.Count();
  CString text = previewed < total ? CString::Formatted("Of the first %d of %d rows, ", previewed, total)
                                   : CString::Formatted("Of %d %s, ", total, total == 1 ? "row" : "rows");
  text += CString::Formatted("%d %s", changed, changed == 1 ? "changes" : "change");
  if (unmatched > 0) text += "; " + UnmatchedText(unmatched);
  return text + ".";
}

CString CPreviewDlg::UnmatchedText(int n) const {
  return CString::Formatted("%d %s not fit the pattern and %s as %s %s", n, n == 1 ? "does" : "do",
                            n == 1 ? "stays" : "stay", n == 1 ? "it" : "they", n == 1 ? "is" : "are");
}

CString CPreviewDlg::UnmatchedDone(int n) const {
  return n == 1 ? CString("1 row whose name does not fit the pattern stays as it was")
                : CString::Formatted("%d rows whose names do not fit the pattern stay as they were", n);
}
