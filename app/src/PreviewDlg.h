#pragma once
// CPreviewDlg: a dialog that shows what an edit of many rows would do before
// it is made. Its inputs sit above a list of the rows and what each would
// get; a line between them names what is wrong with the inputs, or says how
// many rows would change. The list follows the typing, worked out a slice at
// a time so the dialog keeps answering while an edit takes long. Apply
// (Enter) works the edit out for every row (Escape or Cancel stops that) and
// ends the dialog only while nothing is wrong; Cancel (Escape) changes nothing.
#include <core/RowEdits.h>

#include <platform/Dialog.h>
#include <platform/ListCtrl.h>

#include <vector>

// One line of the preview: its texts by column (greyed when its row's edit
// leaves the row as it is).
struct CPreviewLine {
  std::vector<CString> texts;
};

class CPreviewDlg : public CDialog {
 public:
  // rows: the rows the edit works on; they stay the caller's.
  CPreviewDlg(const platform::DialogTemplate& dialogTemplate, const CRowTexts& rows, CWnd* parent);

  // Said after the dialog's title, on its first line: which rows it acts on
  // when that is not plain ("all 38 rows, as none is selected").
  void SetScope(const CString& scope) { m_strScope = scope; }

  // What the edit does to a row, as the dialog's inputs are when it ends
  // with IDOK (then worked out already for every row).
  CRowEdit EditOf(int row) const;

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
  // A preview dialog's template: its inputs (above messageTop, in dialog
  // units), then the message (up to three lines), the preview, Apply and Cancel.
  static platform::DialogTemplate MakeTemplate(UINT id, const char* caption, std::vector<platform::DialogItem> inputs,
                                               int messageTop = 44);

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  void OnOK() override;
  HBRUSH OnCtlColor(CCtlColorDC* pDC, CWnd* pWnd, UINT nCtlColor) override;
  void OnTimer(UINT_PTR id) override;

  // Works out what the edit does to a row, as the inputs were last read.
  virtual CRowEdit MakeEdit(int row) const = 0;

  // Reads the inputs from their controls: empty, or the message naming what is wrong.
  virtual CString ReadInputs() = 0;

  // Shows text in the static control id, broken at its spaces into lines
  // as wide as the control, so that none runs past the dialog's edge.
  void SetWrappedText(int id, const CString& text);
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
  // Works the edit out for the next row; false when it cannot be (the
  // problem is then m_strProblem, and shown).
  bool WorkOutNext();
  void ShowProblem();
  // Lists the next rows of the preview for a slice of time; goes on later
  // (on the timer) until every previewed row is listed.
  void ContinuePreview();
  // Works the edit out for every row before Apply, keeping the dialog
  // painted; false when it was stopped or a row cannot be worked out.
  bool WorkOutAll();
  // The inputs' texts and checks, to know whether they changed since the preview.
  CString InputsNow() const;

  std::vector<CString> m_columns;  // the titles shown
  bool m_bRefused = false;         // Apply was refused for the problem shown
  bool m_bWorkingAll = false;      // WorkOutAll runs: the preview waits
  // The edits of the first rows, as the inputs are now, and how many of
  // them the preview lists, with its counts.
  std::vector<CRowEdit> m_edits;
  CString m_strInputs;  // InputsNow as the preview read them
  int m_nListed = 0, m_nChanged = 0, m_nUnmatched = 0;
  CString m_strScope;
  // Shows the preview's summary on the message line, after the scope when there is one.
  void ShowSummary(const CString& text);
};
