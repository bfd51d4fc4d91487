#pragma once
// CNamesFromTagsDlg: "File names from tags". A pattern such as
// "%track:2% - %title%" makes each row's file name from its fields; the
// preview shows every row's name on disk and its new one, and the rows that
// keep theirs with the reason (a field missing, a name taken). Applied, the
// new names wait in the File name column until the rows are saved.
#include "PatternDlg.h"
#include <core/Renaming.h>

class CNamesFromTagsDlg : public CPatternDlg {
 public:
  // namesPresent: the names no row may take (as PlanRenames takes them).
  CNamesFromTagsDlg(const CRowTexts& rows, std::vector<CString> namesPresent, CWnd* parent);

  CRowEdit MakeEdit(int row) const override { return RenameEditOf(m_plan[static_cast<std::size_t>(row)]); }
  CString UnmatchedText(int n) const override;
  CString UnmatchedDone(int n) const override;

 protected:
  CString ReadInputs() override;
  std::vector<CString> Columns() const override;
  void AddLines(int row, const CRowEdit& edit, std::vector<CPreviewLine>& lines) const override;

 private:
  std::vector<CString> m_names;
  std::vector<RenameStep> m_plan;  // by row, for the pattern as last read
};
