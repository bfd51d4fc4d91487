#pragma once
// CShellcmd: hands a file, folder or address to the desktop shell with a verb,
// keeps the shell's failure as a fixed English message (and shows it), and
// runs an open/save file dialog over a filter list the caller builds.
#include <base/String.h>
#include <platform/Types.h>

class CWnd;

class CShellcmd {
 public:
  CShellcmd();
  ~CShellcmd();

  void Init(HWND owner);

  // Each returns true on success; a failure also leaves its message in
  // GetLastErr and, with m_bShowErrors, shows it in a message box, followed
  // by the file, folder or address that could not be handed over.
  bool Run(CString path);  // the default action: open
  bool OpenFolder(CString path);
  bool exploreFolder(CString path);
  bool Find(CString path);
  bool Prop(CString path);
  bool Print(CString path);
  // The message of the last shell call; empty after a success.
  CString GetLastErr();

  void FileExt_reset();
  // Appends "description (*.ext)|*.ext|".
  void FileExt_add(CString description, CString ext);
  void FileExt_Allfiles();
  // True when the user chose a file; its name, folder and extension are then
  // in m_strFileName, m_strFolder and m_strExt (all empty otherwise).
  bool OpenFile(CWnd* parent);
  bool SaveAs(CWnd* parent);

  bool m_bShowErrors = true;
  CString m_strFileName;
  CString m_strFolder;
  CString m_strExt;
  HWND m_hWndOwner = nullptr;
  CString m_strLastErr;
  CString m_strFilter;

 private:
  bool myShell(CString verb, CString path);
  bool ShowError(int code);
  bool FileDialog(CWnd* parent, int open);
  CString GetFileFolder(CString path);

  CString m_strLastTarget;  // what the verb running now hands to the shell
};
