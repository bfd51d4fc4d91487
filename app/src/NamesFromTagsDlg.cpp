#include "NamesFromTagsDlg.h"

#include "Resource.h"

#include <base/FolderWalk.h>

#include <algorithm>

namespace {

CString Shown(const CString& key) { return key.IsEmpty() ? key : FileNameOfKey(key); }

}  // namespace

CNamesFromTagsDlg::CNamesFromTagsDlg(const CRowTexts& rows, std::vector<CString> namesPresent, CWnd* parent)
    : CPatternDlg(IDD_NAMES_FROM_TAGS, "File names from tags", "namesFromTagsPatterns",
                  PlaceholderHelp(false) + " %track:2% gives 05.", rows, parent),
      m_names(std::move(namesPresent)) {}

CString CNamesFromTagsDlg::ReadInputs() {
  m_plan.clear();
  NamePattern pattern;
  const CString problem = ParseNamePattern(PatternText(), PatternUse::kMakeName, pattern);
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
