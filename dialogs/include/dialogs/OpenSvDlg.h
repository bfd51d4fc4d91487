#pragma once
// COpenSvDlg: runs the open-file or save-file dialog over a filter list the
// caller builds, then gives the chosen file's full path, folder, name with and
// without extension, and extension.
#include <base/String.h>

class CWnd;

class COpenSvDlg {
 public:
  COpenSvDlg();
  ~COpenSvDlg();

  // Appends "description (*.ext)|*.ext|"; the list must be ended again.
  void AddFilter(CString description, CString ext);
  void AddFilter_AllFiles(CString description);
  void AddFilter_AllFiles();
  // Closes the list; a list not closed is discarded at the next dialog.
  void AddFilter_End();

  // True when the user confirmed a file; a cancelled dialog keeps the
  // results of the last confirmed one.
  bool Open(CWnd* parent);
  bool Open(CString defaultExt, CString initialName, CWnd* parent);
  bool SaveAs(CWnd* parent);
  bool SaveAs(CString defaultExt, CString initialName, CWnd* parent);

  CString GetFullPath();
  CString GetFileFolderPath();
  CString GetFileName();  // without extension
  CString GetFileNameWext();
  CString GetExt();

 private:
  bool Init(bool open, CString defaultExt, CString initialName, CWnd* parent);
  bool Init(bool open, CWnd* parent);

  CString m_strFilter;
  CString m_strFolder;
  CString m_strFullPath;
  CString m_strNameExt;
  CString m_strTitle;
  CString m_strExt;
  bool m_bFilterEnded = false;
};
