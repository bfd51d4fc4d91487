#pragma once
// CTagVersionDlg: "Tag version…". The selected MP3 files' ID3v2 tags
// converted to ID3v2.3 or v2.4, their ID3v1 tags added or removed, or every
// tag removed; the preview tries the change on each file (without writing)
// and shows its Tag column after the save, or why the file cannot have it
// (the frame that cannot be kept), and what an ID3v1 tag cannot hold.
#include "PreviewDlg.h"

#include <core/TagVersions.h>

#include <platform/Controls.h>

#include <functional>
#include <optional>

class CTagVersionDlg : public CPreviewDlg {
 public:
  // pathOf: the file of a row, to try the change on.
  CTagVersionDlg(const CRowTexts& rows, std::function<CString(int)> pathOf, CWnd* parent);

  CRowEdit MakeEdit(int row) const override;
  CString UnmatchedText(int n) const override;
  CString UnmatchedDone(int n) const override;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  CString ReadInputs() override;
  std::vector<CString> Columns() const override;
  void AddLines(int row, const CRowEdit& edit, std::vector<CPreviewLine>& lines) const override;

 private:
  const CTagTrial& TrialOf(int row) const;

  std::function<CString(int)> m_pathOf;
  CComboBox m_cmbV2, m_cmbV1;
  CTagChoice m_choice;
  mutable std::vector<std::optional<CTagTrial>> m_trials;  // by row, for the choice read last
};
