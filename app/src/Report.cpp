// The HTML report of the loaded folder.
#include "QuilloryDlg.h"

#include <statusbar/Status.h>

void CQuilloryDlg::WriteReport() {
  m_pStatus->Clear();
  m_pStatus->InfoMsg("Not available yet");
}
