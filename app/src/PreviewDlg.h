#pragma once
// CPreviewDlg: a dialog that shows what an edit of many rows would do before
// it is made. Its inputs sit above a list of the rows and what each would
// get; a line between them names what is wrong with the inputs, or says how
// many rows would change. The list follows the typing. Apply (Enter) ends the
// dialog only while nothing is wrong; Cancel (Escape) changes nothing.
#include "RowEdits.h"

#include <platform/Dialog.h>
#include <platform/ListCtrl.h>

#include <vector>

// One line of the preview: its texts by column.
struct CPreviewLine {
  std::vector<CString> texts;
  bool bMatched = true;  // false: the row's name did not fit, the row stays as it is
};

class CPreviewDlg : public CDialog {
 public:
  // rows: the rows the edit works on; they stay the caller's.
  CPreviewDlg(const platform::DialogTemplate& dialogTemplate, const CRowTexts& rows, CWnd* parent);

  // Said after the dialog's title, on its first line: which rows it acts on
  // when that is not plain ("all 38 rows, as none is selected").
  void SetScope(const CString& scope) { m_strScope = scope; }

  // What the edit does to a row, as the dialog's inputs are when it ends with IDOK.
  virtual CRowEdit EditOf(int row) const = 0;

  // The rows the preview lists at most (the first ones); the edit reaches every row.
  static constexpr int kPreviewRows = 1000;
  // A field's name as the preview and the lists of fields show it.
  static CString FieldName(Field field);
  // What becomes of n rows the edit leaves alone, after "; " in a summary
  // ("3 do not fit the pattern and stay as they are").
  virtual CString UnmatchedText(int n) const;
  // The same once the edit is made, for the status bar ("1 row whose name
  // does not fit the pattern stays as it was").
  virtual CString UnmatchedDone(int n) const;
  // A preview dialog's template: its inputs (in the top 40 dialog units),
  // then the message line, the preview, Apply and Cancel.
  static platform::DialogTemplate MakeTemplate(UINT id, const char* caption, std::vector<platform::DialogItem> inputs);

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  void OnOK() override;
  HBRUSH OnCtlColor(CCtlColorDC* pDC, CWnd* pWnd, UINT nCtlColor) override;

  // Reads the inputs from their controls: empty, or the message naming what is wrong.
  virtual CString ReadInputs() = 0;
  // The preview's column titles, the file name's first.
  virtual std::vector<CString> Columns() const = 0;
  // Adds a row's lines to the preview, texts by column: none leaves it out.
  virtual void AddLines(int row, const CRowEdit& edit, std::vector<CPreviewLine>& lines) const = 0;

  // Reads the inputs again and shows what they would do.
  void Refresh();
  // A command of the control (an input changed) refreshes the preview.
  void RefreshOn(int id, int code) {
    RouteCommand(id, [this] { Refresh(); }, code);
  }

  const CRowTexts& m_rows;
  CListCtrl m_preview;
  CString m_strProblem;  // what is wrong with the inputs; empty when nothing is

 private:
  void ShowColumns(const std::vector<CString>& titles);
  // What the message line says of the rows previewed.
  CString Summary(int changed, int unmatched, int previewed) const;

  std::vector<CString> m_columns;  // the titles shown
  bool m_bRefused = false;         // Apply was refused for the problem shown
  CString m_strScope;
};
