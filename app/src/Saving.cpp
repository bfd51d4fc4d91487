// Saving the table's tags to the files.
#include "QuilloryDlg.h"

#include <statusbar/Status.h>

void CQuilloryDlg::OnSaveAll() {
  m_pStatus->Clear();
  m_pStatus->InfoMsg("Not available yet");
}

void CQuilloryDlg::SaveSelectedRow() {}

void CQuilloryDlg::SaveRow(int) {}

void CQuilloryDlg::ReportSaveStep(const CString&) {}

void CQuilloryDlg::EnableAllControls(bool) {}
