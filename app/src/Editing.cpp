// Editing one row in the tag panel.
#include "QuilloryDlg.h"

#include "Fields.h"
#include "Resource.h"

#include <statusbar/Status.h>
#include <table/Gridora.h>

void CQuilloryDlg::OnListDblClk(NMHDR*, LRESULT* pResult) {
  FillEditBoxes();
  *pResult = 0;
}

void CQuilloryDlg::OnClear() { ClearEditBoxes(); }

void CQuilloryDlg::OnUpdateRow() {
  m_pStatus->Clear();
  UpdateData(TRUE);
  if (m_strFileName.IsEmpty()) {
    m_pStatus->ErrorMsg("Select a file from list.");
    return;
  }
  const int row = m_pTable->GetSelectedRow();
  if (row < 0) {
    m_pStatus->ErrorMsg("No data selected.");
    return;
  }
  // The boxes belong to the row they were filled from; another selected row keeps its cells.
  if (m_pTable->GetValStr(row, ColumnOf(kFileName)) != m_strFileName) return;
  for (Field field : kEditableFields) m_pTable->UpdateRow(row, ColumnOf(field), this->*SpecOf(field).edit.pValue);
  ClearEditBoxes();
  m_pStatus->Done("Data updated successfully.");
  m_bDataChanged = true;
}

void CQuilloryDlg::FillEditBoxes() {
  const int row = m_pTable->GetSelectedRow();
  if (m_pTable->GetNumOfRow() <= 0 || row < 0) return;
  for (Field field : kPanelFields) this->*SpecOf(field).edit.pValue = m_pTable->GetValStr(row, ColumnOf(field));
  UpdateData(FALSE);
  EnableUpdateForBoxes();
}

void CQuilloryDlg::ClearEditBoxes() {
  for (Field field : kPanelFields) (this->*SpecOf(field).edit.pValue).Empty();
  UpdateData(FALSE);
  EnableUpdateForBoxes();
  m_pStatus->InfoMsg("All edit boxes have been cleared.");
}

void CQuilloryDlg::EnableUpdateForBoxes() {
  // The read-only file-name box names the row the boxes were filled from.
  if (CWnd* update = GetDlgItem(IDC_UPDATE_ROW)) update->EnableWindow(m_strFileName.IsEmpty() ? FALSE : TRUE);
}
