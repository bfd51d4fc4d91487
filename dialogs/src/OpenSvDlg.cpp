#include <dialogs/OpenSvDlg.h>

#include <platform/FileDialog.h>
#include <platform/MessageBox.h>
#include <base/Path.h>

COpenSvDlg::COpenSvDlg() = default;

COpenSvDlg::~COpenSvDlg() = default;

void COpenSvDlg::AddFilter(CString description, CString ext) {
  m_strFilter.AppendFormat("%s (*.%s)|*.%s|", description, ext, ext);
  m_bFilterEnded = false;
}

void COpenSvDlg::AddFilter_AllFiles(CString description) {
  m_strFilter.AppendFormat("%s (*.*)|*.*|", description);
  m_bFilterEnded = false;
}

void COpenSvDlg::AddFilter_AllFiles() { AddFilter_AllFiles("All Files"); }

void COpenSvDlg::AddFilter_End() {
  m_strFilter += "|";
  m_bFilterEnded = true;
}

bool COpenSvDlg::Open(CWnd* parent) { return Init(true, parent); }

bool COpenSvDlg::Open(CString defaultExt, CString initialName, CWnd* parent) {
  return Init(true, defaultExt, initialName, parent);
}

bool COpenSvDlg::SaveAs(CWnd* parent) { return Init(false, parent); }

bool COpenSvDlg::SaveAs(CString defaultExt, CString initialName, CWnd* parent) {
  return Init(false, defaultExt, initialName, parent);
}

CString COpenSvDlg::GetFullPath() { return m_strFullPath; }

CString COpenSvDlg::GetFileFolderPath() { return m_strFolder; }

CString COpenSvDlg::GetFileName() { return m_strTitle; }

CString COpenSvDlg::GetFileNameWext() { return m_strNameExt; }

CString COpenSvDlg::GetExt() { return m_strExt; }

bool COpenSvDlg::Init(bool open, CWnd* parent) { return Init(open, CString(), CString(), parent); }

bool COpenSvDlg::Init(bool open, CString defaultExt, CString initialName, CWnd* parent) {
  if (!m_bFilterEnded) m_strFilter.Empty();
  CFileDialog dialog(open, defaultExt, initialName, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, m_strFilter, parent);
  if (dialog.DoModal() != IDOK) return false;
  m_strFullPath = dialog.GetPathName();
  m_strTitle = dialog.GetFileTitle();
  m_strExt = dialog.GetFileExt();
  // A name without an extension keeps no bare dot.
  m_strNameExt = m_strExt.IsEmpty() ? m_strTitle : m_strTitle + "." + m_strExt;
  m_strFolder = base::FolderOf(m_strFullPath);
  if (m_strFolder.IsEmpty()) m_strFolder = "/";
  return true;
}
