#pragma once
// CMenuBar: the menu bar of a dialog's window, above its controls. Its menus
// hold command items with shortcuts: choosing an item, or pressing one of its
// shortcuts while the window is active and the item enabled, sends the item's
// command id to the dialog (OnCommand with BN_CLICKED), as a button with that
// id would. The menus and items are the desktop's own, found by their texts
// by screen readers and test robots.
#include <platform/Types.h>

#include <memory>

class CDialog;

class CMenuBar {
 public:
  CMenuBar();
  ~CMenuBar();
  CMenuBar(const CMenuBar&) = delete;
  CMenuBar& operator=(const CMenuBar&) = delete;

  // Puts the bar at the top of the dialog's window: the window grows by the
  // bar's height and every control moves down by it, so the controls keep
  // their places relative to each other. False when the dialog has no window
  // or the bar was made already.
  BOOL Create(CDialog* dialog);
  // Appends a menu ("&File": Alt+F opens it); returns its index, -1 without a bar.
  int AddMenu(const char* title);
  // Appends an item to the menu with that index: its text, command id and
  // shortcuts (key names as "Ctrl+O", several separated by ';', or null).
  // A null text appends a separator. False when there is no such menu.
  BOOL AddItem(int menu, const char* text, UINT id = 0, const char* shortcuts = nullptr);
  // Appends a submenu to the menu with that index; returns the submenu's
  // index, for AddItem, or -1 when there is no such menu.
  int AddSubmenu(int menu, const char* title);
  // Removes every item of the menu (a submenu's list that changes).
  void ClearMenu(int menu);
  // A submenu is enabled when made; a disabled one cannot be opened.
  void EnableMenu(int menu, BOOL enable);
  // An item is enabled when made; a disabled one cannot be chosen, nor its shortcut pressed.
  void EnableItem(UINT id, BOOL enable);
  // Makes the item one that shows a tick, shown or not; choosing it sends its
  // command, and the owner sets the tick again to what the command made of it.
  void CheckItem(UINT id, BOOL check);

 private:
  struct Impl;
  std::unique_ptr<Impl> m_pImpl;
};
