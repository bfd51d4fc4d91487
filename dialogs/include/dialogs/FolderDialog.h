#pragma once
// CFolderDialog: lets the user pick a folder in the folder browser, starting
// at a given folder, with a status line that shows the current selection
// shortened, and hands back the chosen folder's path.
#include <platform/FolderBrowser.h>
#include <base/String.h>
#include <platform/Types.h>

class CWnd;

class CFolderDialog {
 public:
  // initial: the folder to start at (null: none); flags are added to the
  // browser's own; parent may be null.
  CFolderDialog(const char* initial, unsigned long flags, CWnd* parent);
  virtual ~CFolderDialog();
  // The browse record points into the object itself.
  CFolderDialog(const CFolderDialog&) = delete;
  CFolderDialog& operator=(const CFolderDialog&) = delete;

  // Runs the browser modally; true when a folder was chosen. Afterwards
  // GetPathName gives it, or after false the starting folder (or the last
  // selection, if the user moved it before cancelling).
  virtual bool Show();
  CString GetPathName() const;

  // An option of the folder to choose ("Include subfolders"), shown as a
  // check box under the tree, ticked or not at the start; call before Show.
  void AddCheckBox(const char* caption, bool checked);
  // The check box as the browser left it (as it started, when cancelled).
  bool IsChecked() const { return m_bChecked != FALSE; }

 protected:
  virtual void OnInitDialog();
  virtual void OnSelChanged(ITEMIDLIST* item);
  virtual void CallbackFunction(HWND browser, unsigned int notification, long parameter);

  // Requests to the open browser.
  void SetSelection(const char* path);
  void SetSelection(ITEMIDLIST* item);
  void SetStatusText(const char* text);
  void EnableOK(int enable);
  // The path as the status line shows it: at most 35 characters, a longer
  // one cut to its first 35 and "..." added.
  CString ShortName(const CString& path);

  BROWSEINFOA m_bi;
  CString m_strInitial;
  CString m_strPath;
  char m_szDisplayName[MAX_PATH];
  char m_szPath[MAX_PATH];
  HWND m_hDlg = nullptr;

 private:
  CString m_strCheckBox;  // the option's caption; empty: no check box
  BOOL m_bChecked = FALSE;

  static int BrowseCallback(HWND browser, UINT notification, LPARAM parameter, LPARAM data);
};
