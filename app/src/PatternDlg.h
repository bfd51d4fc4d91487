#pragma once
// CPatternDlg: a preview dialog whose input is one pattern of placeholders:
// a box that offers the last ten patterns applied (each kind of dialog keeps
// its own), the placeholders listed below it, the focus in the box when the
// dialog opens, and the preview following the typing.
#include "PreviewDlg.h"

#include <platform/Controls.h>

class CPatternDlg : public CPreviewDlg {
 public:
  // The placeholders to type, as a help line lists them (with skip,
  // %dummy% too: the last name, which skips a part of a name).
  static CString PlaceholderHelp(bool skip);

 protected:
  // id and caption: the dialog's; setting: where its patterns are kept;
  // help: the line below the box.
  CPatternDlg(UINT id, const char* caption, const char* setting, CString help, const CRowTexts& rows, CWnd* parent);

  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  void OnOK() override;
  // The pattern as typed.
  CString PatternText();

 private:
  const char* m_strSetting;
  CString m_strHelp;
  CComboBox m_cmbPattern;
};
