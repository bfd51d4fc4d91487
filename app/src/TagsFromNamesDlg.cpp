#include "TagsFromNamesDlg.h"

#include "Resource.h"

#include <platform/MessageBox.h>

namespace {

constexpr const char* kRecentSetting = "tagsFromNamesPatterns";

const platform::DialogTemplate& Template() {
  constexpr DWORD kVisible = WS_CHILD | WS_VISIBLE;
  static const platform::DialogTemplate t = CPreviewDlg::MakeTemplate(
      IDD_TAGS_FROM_NAMES, "Tags from file names",
      {
          {IDC_STATIC, "Static", "&Pattern:", 7, 9, 32, 8, kVisible | SS_LEFT},
          {IDC_PATTERN, "ComboBox", "", 42, 7, 371, 12, kVisible | WS_TABSTOP | CBS_DROPDOWN},
          {IDC_PATTERN_HELP, "Static", "", 42, 22, 371, 18, kVisible | SS_LEFT},
      });
  return t;
}

}  // namespace

CString CTagsFromNamesDlg::PlaceholderHelp(bool skip) {
  CString help = "Placeholders:";
  const std::vector<CString> names = PlaceholderNames();
  for (std::size_t k = 0; k + 1 < names.size(); ++k) help += (k == 8 ? "\n" : " ") + names[k];
  return skip ? help + "; " + names.back() + " skips a part." : help + ".";
}

CTagsFromNamesDlg::CTagsFromNamesDlg(const CRowTexts& rows, CWnd* parent) : CPreviewDlg(Template(), rows, parent) {
  RefreshOn(IDC_PATTERN, CBN_EDITCHANGE);
}

void CTagsFromNamesDlg::DoDataExchange(CDataExchange* pDX) {
  CPreviewDlg::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_PATTERN, m_cmbPattern);
}

BOOL CTagsFromNamesDlg::OnInitDialog() {
  CPreviewDlg::OnInitDialog();
  SetDlgItemText(IDC_PATTERN_HELP, PlaceholderHelp(true));
  const std::vector<CString> recent = RecentPatterns(kRecentSetting);
  for (const CString& pattern : recent) m_cmbPattern.AddString(pattern);
  // The last pattern applied is offered first; typing replaces it.
  if (!recent.empty()) m_cmbPattern.SetCurSel(0);
  Refresh();
  m_cmbPattern.SetFocus();
  return TRUE;
}

void CTagsFromNamesDlg::OnOK() {
  CPreviewDlg::OnOK();
  if (GetEndResult() == IDOK) KeepPattern(kRecentSetting, GetDlgItemText(IDC_PATTERN));
}

CString CTagsFromNamesDlg::ReadInputs() { return ParseNamePattern(GetDlgItemText(IDC_PATTERN), PatternUse::kReadName, m_pattern); }

std::vector<CString> CTagsFromNamesDlg::Columns() const {
  std::vector<CString> titles{"File name"};
  for (const PatternPiece& piece : m_pattern.pieces)
    if (piece.kind == PatternPiece::kField) titles.push_back(FieldName(piece.field));
  return titles;
}

void CTagsFromNamesDlg::AddLines(int row, const CRowEdit& edit, std::vector<CPreviewLine>& lines) const {
  std::vector<CString>& line = lines.emplace_back().texts;
  line.push_back(m_rows.KeyOf(row));
  if (!edit.bMatched) {
    line.push_back("(does not fit: unchanged)");
    return;
  }
  for (const auto& [field, text] : edit.values) line.push_back(text);
}
