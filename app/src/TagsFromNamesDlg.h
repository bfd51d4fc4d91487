#pragma once
// CTagsFromNamesDlg: "Tags from file names". A pattern such as
// "%track% - %artist% - %title%" reads fields out of each row's file name; the
// preview shows what every row would get, and which rows' names do not fit
// (those stay as they are).
#include "PatternDlg.h"

class CTagsFromNamesDlg : public CPatternDlg {
 public:
  CTagsFromNamesDlg(const CRowTexts& rows, CWnd* parent);

  CRowEdit MakeEdit(int row) const override { return TagsFromNameOf(m_pattern, m_rows, row); }

 protected:
  CString ReadInputs() override;
  std::vector<CString> Columns() const override;
  void AddLines(int row, const CRowEdit& edit, std::vector<CPreviewLine>& lines) const override;

 private:
  NamePattern m_pattern;
};
