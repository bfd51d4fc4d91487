// The list's context menu, play, delete and column sort.
#include "QuilloryDlg.h"

#include "CoverGroup.h"
#include "FailedRows.h"
#include <core/Fields.h>
#include "Resource.h"
#include "WindowMenus.h"
#include <core/RowCommands.h>
#include <core/RowFiles.h>

#include <menus/IconMenu.h>
#include <platform/MessageBox.h>
#include <platform/WinApp.h>
#include <shell/Shellcmd.h>
#include <statusbar/Status.h>
#include <table/Gridora.h>

void CQuilloryDlg::OnListRClick(NMHDR* pNMHDR, LRESULT* pResult) {
  *pResult = 0;
  if (m_nHotItem < 0 || m_nHotSubItem < 0) return;

  // The menu opens at the hot cell; when that cell is gone (its row deleted
  // since the mouse was over it) it opens where the mouse was clicked.
  CRect cell;
  CPoint where;
  if (m_list.GetSubItemRect(m_nHotItem, m_nHotSubItem, LVIR_BOUNDS, cell)) {
    where = cell.TopLeft();
  } else {
    const auto* click = reinterpret_cast<const NMITEMACTIVATE*>(pNMHDR);
    where = CPoint(click->ptAction.x, click->ptAction.y);
  }
  m_list.ClientToScreen(&where);

  // A choice goes where its button or menu bar item goes; closed without one, nothing happens.
  if (const int id = RowMenuCommand(m_pMenu->Show(&m_list, where, 'L'))) OnCommand(id, BN_CLICKED);
}

void CQuilloryDlg::OnListHotTrack(NMHDR* pNMHDR, LRESULT* pResult) {
  const auto* item = reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
  m_nHotItem = item->iItem;
  m_nHotSubItem = item->iSubItem;
  *pResult = 0;
}

void CQuilloryDlg::OnListItemChanged(NMHDR* pNMHDR, LRESULT* pResult) {
  *pResult = 0;
  ShowCover();
  if (m_bBoxesFollow) FollowSelection();
  const auto* item = reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
  if (!(item->uNewState & LVIS_SELECTED)) return;
  const CString message = m_pFailedRows->MessageOf(item->iItem);
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

void CQuilloryDlg::OnPlay() {
  m_pStatus->Clear();
  // One file plays: of several selected rows, the focused one.
  const int focused = m_list.GetNextItem(-1, LVNI_FOCUSED | LVNI_SELECTED);
  const int row = focused >= 0 ? focused : m_pTable->GetSelectedRow();
  if (row < 0) {
    m_pStatus->ErrorMsg("Select a file to play.");
    return;
  }
  if (Folder().IsEmpty()) return;
  const CString key = FileKeyOf(row);
  m_pStatus->InfoMsg(CString::Formatted("Now playing file:%s", key));
  m_pShell->Run(CRowFiles(Folder()).OpenPathOf(key));
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

void CQuilloryDlg::OnExplore() {
  m_pStatus->Clear();
  if (Folder().IsEmpty()) {
    m_pStatus->ErrorMsg("Open a folder first: there is nothing to explore.");
    return;
  }
  if (ShellQuietly(&CShellcmd::exploreFolder, Folder()))
    m_pStatus->InfoMsg("The folder opens in your file manager: " + Folder());
  else
    m_pStatus->ErrorMsg("No file manager could be started to show " + Folder() + ".");
}

void CQuilloryDlg::OnWebSite() { m_pShell->Run(kWebSite); }

