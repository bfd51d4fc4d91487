#pragma once
// CAllFieldsDlg: "All fields…". Every field the selected rows' files store
// (ID3 frames with their description and language, Vorbis comments, MP4
// atoms), with "(different values)" where the rows differ; a field is
// chosen from the list or named in the Field box (a custom TXXX:Name or key
// too), given a value with Set, or deleted. Each change is one step of the
// history, written by the next save; the list shows the rows as they will be.
#include <core/FolderSession.h>

#include <platform/Controls.h>
#include <platform/Dialog.h>
#include <platform/ListCtrl.h>

#include <functional>
#include <vector>

class CAllFieldsDlg : public CDialog {
 public:
  // load: the rows' fields now (problem: a file that could not be read);
  // change: sets a key to values (none: deletes it), returning what the
  // status line says; suggested: field names offered in the Field box.
  using Load = std::function<std::vector<CCommonField>(CString* problem)>;
  using Change = std::function<CString(const CString& key, const std::vector<CString>& values)>;
  CAllFieldsDlg(const CString& rows, Load load, Change change, std::vector<CString> suggested, CWnd* parent);

  // A value box's text as values: "; " parts, except for the keys of one
  // long text (lyrics, comments), which keep it whole.
  static std::vector<CString> ValuesOf(const CString& key, const CString& text);

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;

 private:
  void Reload();
  void OnChosen();
  void Apply(bool remove);

  CString m_strRows;
  Load m_load;
  Change m_change;
  std::vector<CString> m_suggested;
  std::vector<CCommonField> m_fields;
  CListCtrl m_list;
  CComboBox m_cmbKey;
};
