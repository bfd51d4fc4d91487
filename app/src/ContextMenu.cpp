// The list's context menu, delete and column sort.
#include "QuilloryDlg.h"

#include "FailedRows.h"
#include <base/FolderWalk.h>
#include <core/Fields.h>
#include "Resource.h"

#include <statusbar/Status.h>
#include <table/Gridora.h>

void CQuilloryDlg::OnListItemChanged(NMHDR* pNMHDR, LRESULT* pResult) {
  *pResult = 0;
  ShowCover();
  if (m_bBoxesFollow) FollowSelection();
  const auto* item = reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
  if (!(item->uNewState & LVIS_SELECTED)) return;
  CString message = m_pFailedRows->MessageOf(item->iItem);
  // A file the load could not read whole says why its cells show "-".
  const RowId id = m_pRows->IdOf(item->iItem);
  if (const CString reason = m_pSession->ReadRefusalOf(id); message.IsEmpty() && !reason.IsEmpty())
    message = FileNameOfKey(m_pSession->FileKeyOf(id)) + ": " + reason + ".";
  if (!message.IsEmpty()) m_pStatus->ErrorMsg(message);
}

void CQuilloryDlg::OnHeaderItemClick(NMHDR* pNMHDR, LRESULT* pResult) {
  m_pTable->SortData(pNMHDR, pResult);
  *pResult = 0;
}

void CQuilloryDlg::OnHeaderRClick(NMHDR* pNMHDR, LRESULT* pResult) {
  *pResult = 0;
  const auto* click = reinterpret_cast<const NMITEMACTIVATE*>(pNMHDR);
  m_columns.OfferColumns(CPoint(click->ptAction.x, click->ptAction.y));
}

void CQuilloryDlg::OnDeleteRow() {
  m_pStatus->Clear();
  const std::vector<int> rows = m_pTable->GetSelectedRows();
  if (rows.empty()) {
    m_pStatus->ErrorMsg("Select a file from list.");
    return;
  }
  // Only the rows go; the files stay on disk, and Undo or a Reload brings the rows back.
  std::vector<RowId> ids;
  for (int row : rows) ids.push_back(m_pRows->IdOf(row));
  const int count = static_cast<int>(ids.size());
  const CString name = count == 1 ? "Delete (" + m_pTable->GetValStr(rows.front(), ColumnOf(kFileName)) + ")"
                                  : CString::Formatted("Delete (%d rows)", count);
  m_list.SetRedraw(FALSE);
  m_pSession->DeleteRows(ids, name);
  ShowTableState();
  m_list.SetRedraw(TRUE);
  ClearEditBoxes();
  // The totals clear the status bar first, so the message comes after them.
  UpdateFolderTotals();
  m_pStatus->InfoMsg(count == 1 ? CString("1 data item has been deleted.")
                                : CString::Formatted("%d data items have been deleted.", count));
}
