// Editing in the tag panel: one row, several together, and the apply-to-all rules.
#include "QuilloryDlg.h"

#include "FieldBoxes.h"
#include "RowSelection.h"
#include "RowsDialogs.h"
#include "Resource.h"
#include <core/RowCommands.h>
#include <core/TagVersions.h>

#include <statusbar/Status.h>
#include <table/Gridora.h>

#include <algorithm>

namespace {

bool SameRows(std::vector<RowId> a, std::vector<RowId> b) {
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  return a == b;
}

}  // namespace

void CQuilloryDlg::OnListDblClk(NMHDR* header, LRESULT* pResult) {
  *pResult = 0;
  // The Tag cell opens every field the file stores.
  if (reinterpret_cast<const NMITEMACTIVATE*>(header)->iSubItem == ColumnOf(kTagVersion) &&
      reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem >= 0) {
    m_pRowsDialogs->AllFields();
    return;
  }
  EditSelectedRows();
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
  if (!EditSelectedRows()) return;
  if (CWnd* first = GetDlgItem(BoxOf(kEditableFields.front()).edit.nId); first && !m_panel.Text(kFileName).IsEmpty()) {
    first->SetFocus();
    // Several rows' common text is replaced more often than added to.
    if (auto* edit = dynamic_cast<CEdit*>(first); edit && m_panel.Rows().size() > 1) edit->SetSel(0, -1);
  }
}

void CQuilloryDlg::OnUpdateRow() {
  m_pStatus->Clear();
  m_panel.Read();
  if (m_panel.Text(kFileName).IsEmpty()) {
    m_pStatus->ErrorMsg("Select a file from list.");
    return;
  }
  const int row = m_pTable->GetSelectedRow();
  if (row < 0) {
    m_pStatus->ErrorMsg("No data selected.");
    return;
  }
  if (m_panel.Rows().size() > 1) {
    UpdatePanelRows();
    return;
  }
  // The boxes belong to the row they were filled from, known by its id (a
  // file name that is not UTF-8 does not come back from its box as it went
  // in); another selected row keeps its cells, and the user is told.
  const RowId held = m_panel.Rows().empty() ? 0 : m_panel.Rows().front();
  const int heldRow = m_pRows->RowOf(held);
  const CString key = heldRow >= 0 ? m_pTable->GetValStr(heldRow, ColumnOf(kFileName)) : m_panel.Text(kFileName);
  if (m_pRows->IdOf(row) != held) {
    m_pStatus->ErrorMsg("The boxes hold \"" + key +
                        "\"; Update writes them into that row \u2014 double-click or press F2 on another row to edit it");
    return;
  }
  // Only the boxes the user changed are written: a genre shown by its name
  // keeps its stored form. Values the row holds already change nothing, and
  // leave nothing to undo.
  const CPackedCells typed = m_panel.TypedCells();
  m_pSession->SetCells({held}, typed, "Update (" + key + ")");
  ShowTableState();
  ClearEditBoxes();
  // What the file's ID3v1 tag will not hold is said before the save.
  const CString lost = V1LossText(V1LossesOf(m_pTable->GetValStr(heldRow, ColumnOf(kTagVersion)), typed));
  m_pStatus->Done(lost.IsEmpty() ? CString("Data updated successfully.") : "Data updated" + lost + ".");
  if (m_bBoxesFollow) FillEditBoxes();
  // Back to the row, for the next Enter or F2.
  m_list.SetFocus();
}

void CQuilloryDlg::UpdatePanelRows() {
  // The boxes belong to the rows they were filled from: another selection keeps its cells.
  if (!SameRows(IdsOf(m_pTable->GetSelectedRows()), m_panel.Rows())) {
    m_pStatus->ErrorMsg("The selected rows are not the ones the edit boxes were filled from: press F2 to fill "
                        "them from the selected rows.");
    return;
  }
  const CPackedCells typed = m_panel.TypedCells();
  if (!typed.IsEmpty()) {
    m_list.SetRedraw(FALSE);
    m_pSession->SetCells(m_panel.Rows(), typed, CString::Formatted("Update (%d rows)", static_cast<int>(m_panel.Rows().size())));
    m_list.SetRedraw(TRUE);
    ShowTableState();
  }
  // What the files' ID3v1 tags will not hold is said before the save.
  std::vector<Field> lost;
  for (RowId id : m_panel.Rows())
    if (const int row = m_pRows->RowOf(id); row >= 0 && lost.empty())
      lost = V1LossesOf(m_pTable->GetValStr(row, ColumnOf(kTagVersion)), typed);
  ClearEditBoxes();
  m_pStatus->Done(lost.empty() ? CString("Data updated successfully.") : "Data updated" + V1LossText(lost) + ".");
  if (m_bBoxesFollow) FillEditBoxes();
  m_list.SetFocus();
}

void CQuilloryDlg::FollowSelection() {
  const std::vector<RowId> selected = IdsOf(m_pTable->GetSelectedRows());
  const std::vector<RowId> held = m_panel.Rows();
  if (SameRows(selected, held)) return;
  // What was typed for the rows the boxes hold goes into them first, as
  // Update would put it, so moving on loses nothing (Undo takes it back).
  ApplyTyping();
  if (selected.empty()) {
    ClearEditBoxes();
    return;
  }
  FillEditBoxes();
}

bool CQuilloryDlg::ApplyTyping() {
  if (m_panel.Rows().empty() || !HasTyping()) return false;
  const int first = m_pRows->RowOf(m_panel.Rows().front());
  if (first < 0) return false;
  m_panel.Read();
  m_pSession->SetCells(m_panel.Rows(), m_panel.TypedCells(), "Update (%d rows)",
                       "Update (" + m_pTable->GetValStr(first, ColumnOf(kFileName)) + ")");
  // The boxes' texts are in the table now: leaving does not ask for them.
  m_panel.NoteShown();
  ShowTableState();
  return true;
}

bool CQuilloryDlg::EditSelectedRows() {
  if (m_pTable->GetNumOfRow() <= 0 || m_pTable->GetSelectedRow() < 0) return false;
  // Typing for the rows the boxes hold (not into boxes that hold no row).
  if (!m_panel.Rows().empty() && HasTyping()) {
    // Asked again for the rows it holds, the typing stays, to be finished.
    if (SameRows(IdsOf(m_pTable->GetSelectedRows()), m_panel.Rows())) return true;
    if (!ConfirmDiscardTyping("Do you want to edit other rows?")) return false;
  }
  FillEditBoxes();
  return true;
}

void CQuilloryDlg::SelectRowsOfKeys(const std::vector<CString>& keys) {
  if (!m_pSelection->Select(keys)) return;
  ShowCover();
  if (m_bBoxesFollow) FillEditBoxes();
}

void CQuilloryDlg::FillEditBoxes() {
  const int row = m_pTable->GetSelectedRow();
  if (m_pTable->GetNumOfRow() <= 0 || row < 0) return;
  const std::vector<int> rows = m_pTable->GetSelectedRows();
  m_panel.Fill(*m_pSession, rows.size() > 1 ? rows : std::vector<int>{row});
}

void CQuilloryDlg::ClearEditBoxes() {
  m_panel.Clear();
  m_pStatus->InfoMsg("All edit boxes have been cleared.");
}

void CQuilloryDlg::CheckAllRules(bool checked) {
  m_pStatus->Clear();
  m_panel.CheckAllRules(checked);
  m_pStatus->InfoMsg(checked ? "All check boxes gave been checked." : "All check boxes gave been unchecked.");
}

void CQuilloryDlg::OnUpdateList() {
  m_pStatus->Clear();
  if (m_pTable->GetNumOfRow() <= 0) {
    m_pStatus->ErrorMsg("Nothing in list to be updated.");
    return;
  }
  m_panel.Read();
  m_list.SetRedraw(FALSE);
  m_pSession->ApplyRules(m_panel.RuleChoices());
  m_list.SetRedraw(TRUE);
  // The boxes' texts are now in the table: leaving does not ask for them.
  m_panel.NoteShown();
  ShowTableState();
}
