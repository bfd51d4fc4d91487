// The list's context menu, play, delete, column sort and the panel toggle.
#include "QuilloryDlg.h"

#include "Resource.h"

#include <shell/Shellcmd.h>
#include <statusbar/Status.h>

void CQuilloryDlg::OnListRClick(NMHDR*, LRESULT* pResult) { *pResult = 0; }

void CQuilloryDlg::OnListHotTrack(NMHDR* pNMHDR, LRESULT* pResult) {
  const auto* item = reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
  m_nHotItem = item->iItem;
  m_nHotSubItem = item->iSubItem;
  *pResult = 0;
}

void CQuilloryDlg::OnHeaderItemClick(NMHDR*, LRESULT* pResult) { *pResult = 0; }

void CQuilloryDlg::OnPlay() {
  m_pStatus->Clear();
  m_pStatus->InfoMsg("Not available yet");
}

void CQuilloryDlg::OnDeleteRow() {
  m_pStatus->Clear();
  m_pStatus->InfoMsg("Not available yet");
}

// The design keeps the button without a command of its own.
void CQuilloryDlg::OnExplore() {}

void CQuilloryDlg::OnTogglePanel() {
  m_pStatus->Clear();
  m_pStatus->InfoMsg("Not available yet");
}

void CQuilloryDlg::OnWebSite() { m_pShell->Run(kWebSite); }
