#include "TagsFromNamesDlg.h"

#include "Resource.h"

#include <platform/MessageBox.h>
#include <platform/Settings.h>

namespace {

constexpr const char* kRecentSetting = "tagsFromNamesPatterns";

// The recent patterns as the settings keep them, one a line.
std::vector<CString> RecentPatterns() {
  std::vector<CString> patterns;
  const std::string text = platform::ReadSetting(kRecentSetting).Str();
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    if (end > at) patterns.emplace_back(text.substr(at, end - at));
    at = end + 1;
  }
  return patterns;
}

void KeepPatterns(const std::vector<CString>& patterns) {
  CString text;
  for (const CString& pattern : patterns) text += (text.IsEmpty() ? "" : "\n") + pattern;
  platform::WriteSetting(kRecentSetting, text);
}

CString PlaceholderHelp() {
  CString help = "Placeholders:";
  const std::vector<CString> names = PlaceholderNames();
  for (std::size_t k = 0; k + 1 < names.size(); ++k) help += (k == 8 ? "\n" : " ") + names[k];
  return help + "; " + names.back() + " skips a part.";
}

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

CTagsFromNamesDlg::CTagsFromNamesDlg(const CRowTexts& rows, CWnd* parent) : CPreviewDlg(Template(), rows, parent) {
  RefreshOn(IDC_PATTERN, CBN_EDITCHANGE);
}

void CTagsFromNamesDlg::DoDataExchange(CDataExchange* pDX) {
  CPreviewDlg::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_PATTERN, m_cmbPattern);
}

BOOL CTagsFromNamesDlg::OnInitDialog() {
  CPreviewDlg::OnInitDialog();
  SetDlgItemText(IDC_PATTERN_HELP, PlaceholderHelp());
  const std::vector<CString> recent = RecentPatterns();
  for (const CString& pattern : recent) m_cmbPattern.AddString(pattern);
  // The last pattern applied is offered first; typing replaces it.
  if (!recent.empty()) m_cmbPattern.SetCurSel(0);
  Refresh();
  m_cmbPattern.SetFocus();
  return TRUE;
}

void CTagsFromNamesDlg::OnOK() {
  CPreviewDlg::OnOK();
  if (GetEndResult() == IDOK) KeepPatterns(RememberPattern(RecentPatterns(), GetDlgItemText(IDC_PATTERN)));
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
