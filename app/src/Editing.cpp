// Editing one row in the tag panel.
#include "QuilloryDlg.h"

#include "Resource.h"
#include "TagFields.h"

#include <statusbar/Status.h>
#include <table/Gridora.h>

std::array<CString*, 14> CQuilloryDlg::EditValues() {
  return {&m_strArtist,     &m_strAlbum,     &m_strTitle,     &m_strTrack,      &m_strYear,
          &m_strOrigArtist, &m_strComment,   &m_strComposer,  &m_strEncodedBy,  &m_strCopyright,
          &m_strURL,        &m_strBand,      &m_strPublisher, &m_strConductor};
}

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
  if (m_pTable->GetValStr(row, kKeyColumn) != m_strFileName) return;
  const auto values = EditValues();
  for (size_t k = 0; k < kTagFields.size(); ++k) m_pTable->UpdateRow(row, kTagFields[k].nColumn, *values[k]);
  ClearEditBoxes();
  m_pStatus->Done("Data updated successfully.");
  m_bDataChanged = true;
}

void CQuilloryDlg::FillEditBoxes() {
  const int row = m_pTable->GetSelectedRow();
  if (m_pTable->GetNumOfRow() <= 0 || row < 0) return;
  m_strFileName = m_pTable->GetValStr(row, kKeyColumn);
  const auto values = EditValues();
  for (size_t k = 0; k < kTagFields.size(); ++k) *values[k] = m_pTable->GetValStr(row, kTagFields[k].nColumn);
  UpdateData(FALSE);
  EnableUpdateForBoxes();
}

void CQuilloryDlg::ClearEditBoxes() {
  m_strFileName.Empty();
  for (CString* value : EditValues()) value->Empty();
  UpdateData(FALSE);
  EnableUpdateForBoxes();
  m_pStatus->InfoMsg("All edit boxes have been cleared.");
}

void CQuilloryDlg::EnableUpdateForBoxes() {
  // The read-only file-name box names the row the boxes were filled from.
  if (CWnd* update = GetDlgItem(IDC_UPDATE_ROW)) update->EnableWindow(m_strFileName.IsEmpty() ? FALSE : TRUE);
}
