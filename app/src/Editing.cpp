// Editing one row in the tag panel.
#include "QuilloryDlg.h"

#include "Fields.h"
#include "Resource.h"
#include "RowCommands.h"

#include <statusbar/Status.h>
#include <table/Gridora.h>
#include <tags/MyMP3Tags.h>

void CQuilloryDlg::OnListDblClk(NMHDR*, LRESULT* pResult) {
  FillEditBoxes();
  *pResult = 0;
}

void CQuilloryDlg::OnListKeyDown(NMHDR* pNMHDR, LRESULT* pResult) {
  *pResult = 0;
  const WORD key = reinterpret_cast<const NMLVKEYDOWN*>(pNMHDR)->wVKey;
  if (key == VK_DELETE) {
    OnDeleteRow();
    return;
  }
  if (key != VK_RETURN && key != VK_F2) return;
  // As a double-click does; the typing that follows goes into the first box.
  FillEditBoxes();
  if (CWnd* first = GetDlgItem(SpecOf(kEditableFields.front()).edit.nId); first && !m_strFileName.IsEmpty()) {
    first->SetFocus();
    // Several rows' common text is replaced more often than added to.
    if (auto* edit = dynamic_cast<CEdit*>(first); edit && m_panel.rows.size() > 1) edit->SetSel(0, -1);
  }
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
  if (m_panel.rows.size() > 1) {
    UpdatePanelRows();
    return;
  }
  // The boxes belong to the row they were filled from; another selected row keeps its cells.
  if (m_pTable->GetValStr(row, ColumnOf(kFileName)) != m_strFileName) return;
  // Only the boxes the user changed are written: a genre shown by its name
  // keeps its stored form. Values the row holds already change nothing, and
  // leave nothing to undo.
  if (auto change = ChangeTo(*m_pRows, m_pRows->IdOf(row), TypedCells()))
    DoCommand(std::make_unique<CRowsEdit>(*m_pRows, "Update (" + m_strFileName + ")",
                                          std::vector<CRowChange>{std::move(*change)}));
  ClearEditBoxes();
  m_pStatus->Done("Data updated successfully.");
  // Back to the row, for the next Enter or F2.
  m_list.SetFocus();
}

void CQuilloryDlg::FillEditBoxes() {
  const int row = m_pTable->GetSelectedRow();
  if (m_pTable->GetNumOfRow() <= 0 || row < 0) return;
  // Several selected rows are edited together.
  if (const std::vector<int> rows = m_pTable->GetSelectedRows(); rows.size() > 1) {
    FillEditBoxesFromRows(rows);
    return;
  }
  for (Field field : kPanelFields) {
    const CString cell = m_pTable->GetValStr(row, ColumnOf(field));
    this->*SpecOf(field).edit.pValue = field == kGenre ? CMyMP3Tags::GenreName(cell) : cell;
  }
  UpdateData(FALSE);
  NoteBoxesShown();
  EnableUpdateForBoxes();
  ShowDifferingHints({});
  m_panel = {{m_pRows->IdOf(row)}, m_boxesShown};
}

void CQuilloryDlg::ClearEditBoxes() {
  for (Field field : kPanelFields) (this->*SpecOf(field).edit.pValue).Empty();
  UpdateData(FALSE);
  NoteBoxesShown();
  EnableUpdateForBoxes();
  ShowDifferingHints({});
  m_panel = {};
  m_pStatus->InfoMsg("All edit boxes have been cleared.");
}

void CQuilloryDlg::EnableUpdateForBoxes() {
  // The read-only file-name box names the row the boxes were filled from.
  if (CWnd* update = GetDlgItem(IDC_UPDATE_ROW)) update->EnableWindow(m_strFileName.IsEmpty() ? FALSE : TRUE);
}

void CQuilloryDlg::NoteBoxesShown() {
  m_boxesShown.clear();
  for (Field field : kEditableFields) m_boxesShown.push_back(GetDlgItemText(SpecOf(field).edit.nId));
}

bool CQuilloryDlg::HasTyping() {
  for (std::size_t k = 0; k < m_boxesShown.size(); ++k)
    if (GetDlgItemText(SpecOf(kEditableFields[k]).edit.nId) != m_boxesShown[k]) return true;
  return false;
}
