#include "NamesFromTagsDlg.h"

#include "Resource.h"

#include <platform/MessageBox.h>
#include "TagsFromNamesDlg.h"

#include <algorithm>

namespace {

constexpr const char* kRecentSetting = "namesFromTagsPatterns";

const platform::DialogTemplate& Template() {
  constexpr DWORD kVisible = WS_CHILD | WS_VISIBLE;
  static const platform::DialogTemplate t = CPreviewDlg::MakeTemplate(
      IDD_NAMES_FROM_TAGS, "File names from tags",
      {
          {IDC_STATIC, "Static", "&Pattern:", 7, 9, 32, 8, kVisible | SS_LEFT},
          {IDC_PATTERN, "ComboBox", "", 42, 7, 371, 12, kVisible | WS_TABSTOP | CBS_DROPDOWN},
          {IDC_PATTERN_HELP, "Static", "", 42, 22, 371, 18, kVisible | SS_LEFT},
      });
  return t;
}

CString Shown(const CString& key) { return key.IsEmpty() ? key : key + ".mp3"; }

}  // namespace

CNamesFromTagsDlg::CNamesFromTagsDlg(const CRowTexts& rows, std::vector<CString> namesPresent, CWnd* parent)
    : CPreviewDlg(Template(), rows, parent), m_names(std::move(namesPresent)) {
  RefreshOn(IDC_PATTERN, CBN_EDITCHANGE);
}

void CNamesFromTagsDlg::DoDataExchange(CDataExchange* pDX) {
  CPreviewDlg::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_PATTERN, m_cmbPattern);
}

BOOL CNamesFromTagsDlg::OnInitDialog() {
  CPreviewDlg::OnInitDialog();
  SetDlgItemText(IDC_PATTERN_HELP, CTagsFromNamesDlg::PlaceholderHelp(false) + " %track:2% gives 05.");
  const std::vector<CString> recent = RecentPatterns(kRecentSetting);
  for (const CString& pattern : recent) m_cmbPattern.AddString(pattern);
  if (!recent.empty()) m_cmbPattern.SetCurSel(0);
  Refresh();
  m_cmbPattern.SetFocus();
  return TRUE;
}

void CNamesFromTagsDlg::OnOK() {
  CPreviewDlg::OnOK();
  if (GetEndResult() == IDOK) KeepPattern(kRecentSetting, GetDlgItemText(IDC_PATTERN));
}

CString CNamesFromTagsDlg::ReadInputs() {
  m_plan.clear();
  NamePattern pattern;
  const CString problem = ParseNamePattern(GetDlgItemText(IDC_PATTERN), PatternUse::kMakeName, pattern);
  if (!problem.IsEmpty()) return problem;
  m_plan = RenamesOf(pattern, m_rows, m_names);
  // A pattern that names no file at all is a mistake in the pattern, not in
  // the rows; other refusals are the rows', and the preview names them.
  const bool nameless = !m_plan.empty() && std::all_of(m_plan.begin(), m_plan.end(), [](const RenameStep& step) {
    return step.strNewKey.IsEmpty() && step.strRefusal == kEmptyNameRefusal;
  });
  if (nameless) {
    m_plan.clear();
    return "The pattern gives every file an empty name.";
  }
  return CString();
}

std::vector<CString> CNamesFromTagsDlg::Columns() const { return {"File name", "New name", "Why it keeps its name"}; }

void CNamesFromTagsDlg::AddLines(int row, const CRowEdit&, std::vector<CPreviewLine>& lines) const {
  const RenameStep& step = m_plan[static_cast<std::size_t>(row)];
  lines.emplace_back().texts = {Shown(step.strOldKey), Shown(step.strNewKey), step.strRefusal};
}

CString CNamesFromTagsDlg::UnmatchedText(int n) const {
  return n == 1 ? CString("1 is refused and keeps its name")
                : CString::Formatted("%d are refused and keep their names", n);
}

CString CNamesFromTagsDlg::UnmatchedDone(int n) const {
  return n == 1 ? CString("1 row is refused and keeps its name (the preview says why)")
                : CString::Formatted("%d rows are refused and keep their names (the preview says why)", n);
}
