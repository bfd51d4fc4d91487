#include <shell/Shellcmd.h>

#include <platform/FileDialog.h>
#include <platform/MessageBox.h>
#include <base/Path.h>
#include <platform/ShellApi.h>

namespace {

const char* MessageFor(int code) {
  switch (code) {
    case 0: return "The operating system is out of memory or resources.";
    case 2: return "The specified file was not found.";
    case 3: return "The specified path was not found.";
    case 5: return "The operating system denied access to the specified file.";
    case 8: return "There was not enough memory to complete the operation.";
    case 11: return "The .exe file is invalid (non-Microsoft Win32 .exe or error in .exe image).";
    case 26: return "A sharing violation occurred.";
    case 27: return "The file name association is incomplete or invalid.";
    case 28: return "The DDE transaction could not be completed because the request timed out.";
    case 29: return "The DDE transaction failed.";
    case 30:
      return "The Dynamic Data Exchange (DDE) transaction could not be completed because other DDE transactions "
             "were being processed.";
    case 31:
      return "There is no application associated with the given file name extension. This error will also be "
             "returned if you attempt to print a file that is not printable.";
    case 32: return "The specified dynamic-link library (DLL) was not found.";
    default: return "";
  }
}

}  // namespace

CShellcmd::CShellcmd() = default;

CShellcmd::~CShellcmd() = default;

void CShellcmd::Init(HWND owner) { m_hWndOwner = owner; }

bool CShellcmd::Run(CString path) { return myShell("open", path); }

bool CShellcmd::OpenFolder(CString path) { return Run(path); }

bool CShellcmd::exploreFolder(CString path) { return myShell("explore", path); }

bool CShellcmd::Find(CString path) { return myShell("find", path); }

bool CShellcmd::Prop(CString path) { return myShell("properties", path); }

bool CShellcmd::Print(CString path) { return myShell("print", path); }

CString CShellcmd::GetLastErr() { return m_strLastErr; }

bool CShellcmd::myShell(CString verb, CString path) {
  const INT_PTR result = ShellExecuteA(m_hWndOwner, verb, path, nullptr, nullptr, SW_SHOWNORMAL);
  m_strLastTarget = path;
  const bool done = ShowError(static_cast<int>(result));
  m_strLastTarget.Empty();
  return done;
}

bool CShellcmd::ShowError(int code) {
  m_strLastErr = MessageFor(code);
  if (m_strLastErr.IsEmpty()) return true;
  // The box names what could not be opened: a message alone does not say
  // whether the player, the browser or the report was missing.
  if (m_bShowErrors)
    AfxMessageBox(m_strLastTarget.IsEmpty() ? m_strLastErr : m_strLastErr + "\n\n" + m_strLastTarget, MB_OK, 0);
  return false;
}

void CShellcmd::FileExt_reset() { m_strFilter.Empty(); }

void CShellcmd::FileExt_add(CString description, CString ext) {
  m_strFilter.AppendFormat("%s (*.%s)|*.%s|", description, ext, ext);
}

void CShellcmd::FileExt_Allfiles() { m_strFilter += "All Files (*.*)|*.*|"; }

bool CShellcmd::OpenFile(CWnd* parent) { return FileDialog(parent, 1); }

bool CShellcmd::SaveAs(CWnd* parent) { return FileDialog(parent, 0); }

bool CShellcmd::FileDialog(CWnd* parent, int open) {
  m_strFileName.Empty();
  m_strExt.Empty();
  m_strFolder.Empty();
  CFileDialog dialog(open, nullptr, nullptr, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, m_strFilter, parent);
  if (dialog.DoModal() != IDOK) return false;
  m_strFileName = dialog.GetFileName();
  m_strExt = dialog.GetFileExt();
  m_strFolder = GetFileFolder(dialog.GetPathName());
  return true;
}

CString CShellcmd::GetFileFolder(CString path) {
  const int last = path.ReverseFind(base::kPathSeparator);
  if (last == 0) return path.Left(1);  // a file in the root folder: the root stays
  return last < 0 ? path : path.Left(last);
}
