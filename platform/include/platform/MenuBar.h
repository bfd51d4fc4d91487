#pragma once
// CMenuBar: the menu bar of a dialog's window. Choosing an enabled item, or
// pressing its shortcut while the window is active, sends the item's command
// id to the dialog's OnCommand, as a button with that id would.
#include <platform/Types.h>

#include <memory>

class CDialog;

class CMenuBar {
 public:
  CMenuBar();
  ~CMenuBar();
  CMenuBar(const CMenuBar&) = delete;
  CMenuBar& operator=(const CMenuBar&) = delete;

  // Puts the bar atop the dialog's window, which grows by the bar's height
  // while its controls move down by it. False without a window or when made already.
  BOOL Create(CDialog* dialog);
  // Appends a menu ("&File": Alt+F opens it); returns its index, -1 without a bar.
  int AddMenu(const char* title);
  // shortcuts: key names as "Ctrl+O", separated by ';'. A null text appends a
  // separator. False when there is no such menu.
  BOOL AddItem(int menu, const char* text, UINT id = 0, const char* shortcuts = nullptr);
  // Returns the submenu's index, or -1 when there is no such menu.
  int AddSubmenu(int menu, const char* title);
  void ClearMenu(int menu);
  void EnableMenu(int menu, BOOL enable);
  void EnableItem(UINT id, BOOL enable);
  // Makes the item checkable; the owner sets the tick after each command.
  void CheckItem(UINT id, BOOL check);

 private:
  struct Impl;
  std::unique_ptr<Impl> m_pImpl;
};
