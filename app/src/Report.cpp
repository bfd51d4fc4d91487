// The HTML report of the loaded folder: report.html beside the music files,
// opened in the web browser.
#include "QuilloryDlg.h"

#include <core/FolderReport.h>
#include "Resource.h"

#include <base/Path.h>
#include <shell/Shellcmd.h>
#include <statusbar/Status.h>

void CQuilloryDlg::WriteReport() {
  // Without a folder there is nowhere beside the files to put the page.
  const CString path = Folder().IsEmpty() ? CString() : base::JoinPath(Folder(), "report.html");
  bool created = false;
  if (path.IsEmpty() || !WriteFolderReport(*m_pSession, path, kWebSite, &created)) {
    m_pStatus->ErrorMsg(created ? "Couldn't write the report" : "Couldn't create the report");
    return;
  }
  m_pShell->Run(path);
}
