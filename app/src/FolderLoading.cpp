// Folder loading: Open Folder, Reload and the three folder totals.
#include "QuilloryDlg.h"

#include "Resource.h"

#include <platform/Path.h>
#include <statusbar/Status.h>

void CQuilloryDlg::OnOpenFolder() {
  m_pStatus->Clear();
  m_pStatus->InfoMsg("Not available yet");
}

void CQuilloryDlg::OnReload() {
  m_pStatus->Clear();
  m_pStatus->InfoMsg("Not available yet");
}

void CQuilloryDlg::OpenStartFolder() {
  if (!platform::DirectoryExists(m_strStartFolder)) {
    m_pStatus->ErrorMsg("Folder not found: " + m_strStartFolder);
    return;
  }
  m_strFolder = m_strStartFolder;
  OnReload();
}

bool CQuilloryDlg::IsMp3FileName(const CString& name) {
  return platform::ExtensionOf(name).CompareNoCase(".mp3") == 0;
}

int CQuilloryDlg::CountMp3Files(const CString&) { return 0; }

void CQuilloryDlg::LoadFolder(const CString&) {}

HICON CQuilloryDlg::GetSmallShellIcon(const CString&) { return nullptr; }

void CQuilloryDlg::UpdateFolderTotals() { ShowFolderTotals("--", "--", "--"); }

void CQuilloryDlg::ShowFolderTotals(const CString& count, const CString& size, const CString& time) {
  SetDlgItemText(IDC_TOTAL_FILES, count);
  SetDlgItemText(IDC_TOTAL_SIZE, size);
  SetDlgItemText(IDC_TOTAL_TIME, time);
}
