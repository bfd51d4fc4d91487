// The apply-to-all rules.
#include "QuilloryDlg.h"

#include "Resource.h"
#include "TagFields.h"

#include <statusbar/Status.h>
#include <table/Gridora.h>

#include <array>

void CQuilloryDlg::OnCheckAll() {
  m_pStatus->Clear();
  SetAllRuleChecks(BST_CHECKED);
  m_pStatus->InfoMsg("All check boxes gave been checked.");
}

void CQuilloryDlg::OnUncheckAll() {
  m_pStatus->Clear();
  SetAllRuleChecks(BST_UNCHECKED);
  m_pStatus->InfoMsg("All check boxes gave been unchecked.");
}

void CQuilloryDlg::SetAllRuleChecks(int state) {
  for (int id = IDC_RULE_FIRST; id <= IDC_RULE_LAST; ++id) CheckDlgButton(id, static_cast<UINT>(state));
}

void CQuilloryDlg::OnUpdateList() {
  m_pStatus->Clear();
  if (m_pTable->GetNumOfRow() <= 0) {
    m_pStatus->ErrorMsg("Nothing in list to be updated.");
    return;
  }
  const int rows = m_pTable->GetNumOfRow();
  UpdateData(TRUE);
  const auto edits = EditValues();
  // Nothing can change a box while the rows are walked, so each box is read
  // once; finding a control by its id costs more than a row's whole update.
  std::array<bool, std::tuple_size_v<decltype(kTagFields)>> rules{};
  for (std::size_t k = 0; k < rules.size(); ++k)
    rules[k] = IsDlgButtonChecked(IDC_RULE_FIRST + static_cast<int>(k)) == BST_CHECKED;
  m_list.SetRedraw(FALSE);
  for (int row = 0; row < rows; ++row) {
    for (int k = 0; k < static_cast<int>(kTagFields.size()); ++k) {
      const int column = kTagFields[static_cast<size_t>(k)].nColumn;
      const CString& edit = *edits[static_cast<size_t>(k)];
      const bool checked = rules[static_cast<size_t>(k)];
      switch (k) {
        case kFieldArtist:  // unchecked, the artist becomes the file name
          m_pTable->UpdateRow(row, column, checked ? edit : m_pTable->GetValStr(row, kKeyColumn));
          break;
        case kFieldAlbum:
        case kFieldTitle:
          m_pTable->UpdateRow(row, column, checked ? m_pTable->GetValStr(row, kKeyColumn) : edit);
          break;
        case kFieldTrack:
          if (checked)
            m_pTable->UpdateRow(row, column, row + 1);
          else
            m_pTable->UpdateRow(row, column, edit);
          break;
        case kFieldOrigArtist:  // the artist the first rule has just written
          m_pTable->UpdateRow(row, column,
                              checked ? m_pTable->GetValStr(row, kTagFields[kFieldArtist].nColumn) : edit);
          break;
        default:  // the same-for-all rules write only when checked
          if (checked) m_pTable->UpdateRow(row, column, edit);
          break;
      }
    }
  }
  m_list.SetRedraw(TRUE);
  m_bDataChanged = true;
}
