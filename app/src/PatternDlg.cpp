#include "PatternDlg.h"

#include "Resource.h"

#include <platform/MessageBox.h>
#include <platform/Settings.h>

#include <algorithm>
#include <map>

namespace {

// The dialog's controls: the pattern's box and its help line above the preview.
const platform::DialogTemplate& TemplateOf(UINT id, const char* caption) {
  constexpr DWORD kVisible = WS_CHILD | WS_VISIBLE;
  static std::map<UINT, platform::DialogTemplate> templates;  // a dialog keeps a reference to its own
  auto found = templates.find(id);
  if (found == templates.end())
    found = templates.emplace(id, CPreviewDlg::MakeTemplate(
                                      id, caption,
                                      {
                                          {IDC_STATIC, "Static", "&Pattern:", 7, 9, 32, 8, kVisible | SS_LEFT},
                                          {IDC_PATTERN, "ComboBox", "", 42, 7, 371, 12,
                                           kVisible | WS_TABSTOP | CBS_DROPDOWN},
                                          // Three lines, as wide as the pattern's box.
                                          {IDC_PATTERN_HELP, "Static", "", 42, 22, 371, 26, kVisible | SS_LEFT},
                                      },
                                      51)).first;
  return found->second;
}

// The patterns kept in setting, one a line, most recent first.
std::vector<CString> RecentPatterns(const char* setting) {
  std::vector<CString> patterns;
  const std::string text = platform::ReadSetting(setting).Str();
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    if (end > at) patterns.emplace_back(text.substr(at, end - at));
    at = end + 1;
  }
  return patterns;
}

}  // namespace

CString CPatternDlg::PlaceholderHelp(bool skip) {
  CString help = "Placeholders:";
  const std::vector<CString> names = PlaceholderNames();
  for (std::size_t k = 0; k + 1 < names.size(); ++k) help += " " + names[k];
  return skip ? help + "; " + names.back() + " skips a part." : help + ".";
}

CPatternDlg::CPatternDlg(UINT id, const char* caption, const char* setting, CString help, const CRowTexts& rows,
                         CWnd* parent)
    : CPreviewDlg(TemplateOf(id, caption), rows, parent), m_strSetting(setting), m_strHelp(std::move(help)) {
  RefreshOn(IDC_PATTERN, CBN_EDITCHANGE);
}

CString CPatternDlg::PatternText() { return GetDlgItemText(IDC_PATTERN); }

void CPatternDlg::DoDataExchange(CDataExchange* pDX) {
  CPreviewDlg::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_PATTERN, m_cmbPattern);
}

BOOL CPatternDlg::OnInitDialog() {
  CPreviewDlg::OnInitDialog();
  SetWrappedText(IDC_PATTERN_HELP, m_strHelp);
  const std::vector<CString> recent = RecentPatterns(m_strSetting);
  for (const CString& pattern : recent) m_cmbPattern.AddString(pattern);
  // The last pattern applied is offered first; typing replaces it.
  if (!recent.empty()) m_cmbPattern.SetCurSel(0);
  Refresh();
  m_cmbPattern.SetFocus();
  return TRUE;
}

void CPatternDlg::OnOK() {
  CPreviewDlg::OnOK();
  if (GetEndResult() != IDOK) return;
  CString text;
  for (const CString& kept : RememberPattern(RecentPatterns(m_strSetting), PatternText()))
    text += (text.IsEmpty() ? "" : "\n") + kept;
  platform::WriteSetting(m_strSetting, text);
}
