// Editing one row in the tag panel.
#include "QuilloryDlg.h"

#include "Resource.h"

#include <statusbar/Status.h>

void CQuilloryDlg::OnListDblClk(NMHDR*, LRESULT* pResult) {
  FillEditBoxes();
  *pResult = 0;
}

void CQuilloryDlg::OnClear() { ClearEditBoxes(); }

void CQuilloryDlg::OnUpdateRow() {
  m_pStatus->Clear();
  m_pStatus->InfoMsg("Not available yet");
}

void CQuilloryDlg::FillEditBoxes() {}

void CQuilloryDlg::ClearEditBoxes() {
  for (CString* value : {&m_strFileName, &m_strArtist, &m_strAlbum, &m_strTitle, &m_strTrack, &m_strYear,
                         &m_strOrigArtist, &m_strComment, &m_strComposer, &m_strEncodedBy, &m_strCopyright,
                         &m_strURL, &m_strBand, &m_strPublisher, &m_strConductor})
    value->Empty();
  UpdateData(FALSE);
  if (CWnd* update = GetDlgItem(IDC_UPDATE_ROW)) update->EnableWindow(FALSE);
}
