#include "PreviewDlg.h"

#include "Resource.h"
#include <base/Utf8.h>

#include <platform/DC.h>
#include <platform/MessageBox.h>
#include <platform/PumpMessage.h>

#include <algorithm>
#include <chrono>
#include <string>

namespace {

constexpr COLORREF kProblemText = RGB(204, 0, 0);
constexpr COLORREF kUnmatchedText = RGB(128, 128, 128);
constexpr UINT_PTR kPreviewTimer = 1;
// The preview is worked out in slices this long, the dialog answering between them.
constexpr auto kSlice = std::chrono::milliseconds(25);

// A text as a line of the preview shows it: a long comment's first few
// hundred characters, which is all a line has room for (laying out the
// whole of a 30,000-character text would hold the dialog up).
CString Shortened(const CString& text) {
  constexpr std::size_t kShown = 300;
  if (text.Str().size() <= kShown) return text;
  return CString(utf8::CutAtBoundary(text.Str(), kShown) + "\u2026");
}

// text broken into lines of at most width pixels as dc measures them, at
// spaces only (a word wider than that keeps a line of its own); its own
// line breaks stay.
std::string Wrapped(const CDC& dc, const std::string& text, int width) {
  std::string wrapped;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    std::string line;
    for (std::size_t word = start; word <= end;) {
      const std::size_t space = std::min(text.find(' ', word), end);
      const std::string next = text.substr(word, space - word);
      if (word == start)
        line = next;
      else if (dc.GetTextExtent(CString(line + " " + next)).cx > width) {
        wrapped += line + "\n";
        line = next;
      } else
        line += " " + next;
      word = space + 1;
    }
    wrapped += line;
    if (end < text.size()) wrapped += "\n";
    start = end + 1;
  }
  return wrapped;
}

}  // namespace

void CPreviewDlg::SetWrappedText(int id, const CString& text) {
  CWnd* control = GetDlgItem(id);
  if (!control) return;
  CRect room;
  control->GetClientRect(&room);
  const CClientDC dc(control);
  control->SetWindowText(room.Width() > 0 ? CString(Wrapped(dc, text.Str(), room.Width())) : text);
}

CPreviewDlg::CPreviewDlg(const platform::DialogTemplate& dialogTemplate, const CRowTexts& rows, CWnd* parent)
    : CDialog(dialogTemplate, parent), m_rows(rows) {}

CString CPreviewDlg::FieldName(Field field) {
  // The genre's column keeps its old title; the field is the genre all the same.
  return field == kGenre ? CString("Genre") : CString(SpecOf(field).strTitle);
}

platform::DialogTemplate CPreviewDlg::MakeTemplate(UINT id, const char* caption,
                                                   std::vector<platform::DialogItem> inputs, int messageTop) {
  constexpr DWORD kVisible = WS_CHILD | WS_VISIBLE;
  constexpr DWORD kButton = kVisible | WS_TABSTOP | BS_PUSHBUTTON;
  // The message has room for three lines (a refusal names the expression and the row); the dialog grows
  // with the inputs above it, so the preview keeps its size.
  const int listTop = messageTop + 29;
  const int buttonsTop = listTop + 166 + 7;
  inputs.insert(inputs.end(),
                {
                    {IDC_PREVIEW_MESSAGE, "Static", "", 7, messageTop, 406, 26, kVisible | SS_LEFT},
                    {IDC_PREVIEW, "SysListView32", "", 7, listTop, 406, 166,
                     kVisible | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS},
                    {IDOK, "Button", "Apply", 309, buttonsTop, 50, 14, kButton | BS_DEFPUSHBUTTON},
                    {IDCANCEL, "Button", "Cancel", 363, buttonsTop, 50, 14, kButton},
                });
  return {id, caption, 420, buttonsTop + 21, "MS Shell Dlg", 8,
          DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, std::move(inputs)};
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

CString CPreviewDlg::InputsNow() const {
  CString inputs;
  for (const platform::DialogItem& item : GetTemplate().items)
    if (item.id != IDC_STATIC && item.id != IDC_PREVIEW && item.id != IDC_PREVIEW_MESSAGE && item.id != IDOK &&
        item.id != IDCANCEL)
      inputs += GetDlgItemText(item.id) + CString::Formatted("\x1f%u\x1e", IsDlgButtonChecked(item.id));
  return inputs;
}

void CPreviewDlg::OnOK() {
  // Inputs changed without a notice (a pattern chosen from the list) are read again.
  if (InputsNow() != m_strInputs) Refresh();
  if (m_strProblem.IsEmpty() && WorkOutAll()) {
    EndDialog(IDOK);
    return;
  }
  // Refused: the message turns red until the inputs are mended.
  if (!m_strProblem.IsEmpty()) m_bRefused = true;
  UpdateCtlColors();
}

HBRUSH CPreviewDlg::OnCtlColor(CCtlColorDC* pDC, CWnd* pWnd, UINT nCtlColor) {
  HBRUSH brush = CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
  if (nCtlColor == CTLCOLOR_STATIC && pWnd->GetDlgCtrlID() == IDC_PREVIEW_MESSAGE && m_bRefused)
    pDC->SetTextColor(kProblemText);
  return brush;
}

CRowEdit CPreviewDlg::EditOf(int row) const {
  return row >= 0 && row < static_cast<int>(m_edits.size()) ? m_edits[static_cast<std::size_t>(row)] : MakeEdit(row);
}

void CPreviewDlg::Refresh() {
  if (!m_preview.IsWindow()) return;  // the controls are still being made
  KillTimer(kPreviewTimer);
  m_strInputs = InputsNow();
  m_strProblem = ReadInputs();
  m_bRefused = m_bRefused && !m_strProblem.IsEmpty();
  m_edits.clear();
  m_nListed = m_nChanged = m_nUnmatched = 0;
  m_preview.DeleteAllItems();
  if (!m_strProblem.IsEmpty()) {
    ShowProblem();
    return;
  }
  ShowColumns(Columns());
  ContinuePreview();
}

void CPreviewDlg::OnTimer(UINT_PTR id) {
  if (id == kPreviewTimer && !m_bWorkingAll) ContinuePreview();
}

bool CPreviewDlg::WorkOutNext() {
  const int row = static_cast<int>(m_edits.size());
  m_edits.push_back(MakeEdit(row));
  if (m_edits.back().strProblem.IsEmpty()) return true;
  m_strProblem = m_edits.back().strProblem;
  m_edits.pop_back();
  ShowProblem();
  return false;
}

void CPreviewDlg::ShowProblem() {
  KillTimer(kPreviewTimer);
  m_preview.DeleteAllItems();
  SetWrappedText(IDC_PREVIEW_MESSAGE, m_strProblem);
  UpdateCtlColors();
}

void CPreviewDlg::ContinuePreview() {
  const auto end = std::chrono::steady_clock::now() + kSlice;
  const int previewed = std::min(m_rows.Count(), kPreviewRows);
  m_preview.SetRedraw(FALSE);
  for (; m_nListed < previewed && (m_nListed == 0 || std::chrono::steady_clock::now() < end); ++m_nListed) {
    if (m_nListed == static_cast<int>(m_edits.size()) && !WorkOutNext()) {
      m_preview.SetRedraw(TRUE);
      return;
    }
    const CRowEdit& edit = m_edits[static_cast<std::size_t>(m_nListed)];
    m_nUnmatched += edit.bMatched ? 0 : 1;
    for (const auto& [field, text] : edit.values)
      if (text != m_rows.TextOf(m_nListed, field)) {
        ++m_nChanged;
        break;
      }
    std::vector<CPreviewLine> lines;
    AddLines(m_nListed, edit, lines);
    for (const CPreviewLine& line : lines) {
      const int item = m_preview.InsertItem(m_preview.GetItemCount(), Shortened(line.texts.front()));
      for (std::size_t col = 1; col < line.texts.size(); ++col)
        m_preview.SetItemText(item, static_cast<int>(col), Shortened(line.texts[col]));
      // A row the edit leaves alone is greyed.
      if (!edit.bMatched) m_preview.SetItemTextColor(item, kUnmatchedText);
    }
  }
  m_preview.SetRedraw(TRUE);
  if (m_nListed < previewed) {
    SetWrappedText(IDC_PREVIEW_MESSAGE,
                   CString::Formatted("Working out the preview\u2026 %d of %d rows so far.", m_nListed, previewed));
    SetTimer(kPreviewTimer, 0);
  } else {
    KillTimer(kPreviewTimer);
    ShowSummary(Summary(m_nChanged, m_nUnmatched, previewed));
  }
  UpdateCtlColors();
}

bool CPreviewDlg::WorkOutAll() {
  const int total = m_rows.Count();
  if (static_cast<int>(m_edits.size()) >= total) return true;
  m_bWorkingAll = true;
  bool done = true;
  {
    // Escape or Cancel stop the work, and nothing else is taken meanwhile.
    const platform::CStopRequest stop(GetDlgItem(IDCANCEL));
    while (static_cast<int>(m_edits.size()) < total) {
      if (!WorkOutNext()) {
        done = false;
        break;
      }
      if (platform::PaintIsDue()) {
        SetWrappedText(IDC_PREVIEW_MESSAGE,
                       CString::Formatted("Working out the edit\u2026 %zu of %d rows. Escape stops.", m_edits.size(), total));
        platform::PumpPaintEvents();
      }
      if (stop.IsRequested()) {
        done = false;
        SetWrappedText(IDC_PREVIEW_MESSAGE, CString::Formatted("Stopped after %zu of %d rows: nothing is changed yet. "
                                                               "Apply works the rest out; Cancel leaves the rows as "
                                                               "they are.",
                                                               m_edits.size(), total));
        break;
      }
    }
  }
  m_bWorkingAll = false;
  // The preview may still have rows to list.
  if (m_strProblem.IsEmpty() && m_nListed < std::min(total, kPreviewRows)) SetTimer(kPreviewTimer, 0);
  return done;
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

void CPreviewDlg::ShowSummary(const CString& text) {
  // The rows it acts on come first when none was selected ("All 38 rows, as none is selected: Of 38 rows, 32 change").
  if (m_strScope.IsEmpty()) {
    SetWrappedText(IDC_PREVIEW_MESSAGE, text);
    return;
  }
  std::string scope = m_strScope.Str();
  if (scope[0] >= 'a' && scope[0] <= 'z') scope[0] = static_cast<char>(scope[0] - 'a' + 'A');
  SetWrappedText(IDC_PREVIEW_MESSAGE, CString(scope.c_str()) + ": " + text);
}
