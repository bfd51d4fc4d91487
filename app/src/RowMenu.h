#pragma once
// CRowMenu: the rows' context menu. It follows the cell under the mouse and
// opens there on a right click; a choice is a command id, which the window
// routes as the button or the menu bar item of the same command.
#include <platform/Types.h>

#include <memory>

class CIconMenu;
class CListCtrl;

class CRowMenu {
 public:
  explicit CRowMenu(CListCtrl& list);
  ~CRowMenu();

  // Adds the items and their icons (once the list exists).
  void SetUp();
  // The mouse is over another cell.
  void Track(const NMLISTVIEW& item);
  // Shows the menu at the hot cell; when that cell is gone (its row deleted
  // since the mouse was over it), where the mouse was clicked. The command
  // chosen; 0 when the menu was closed without one or no cell was hot.
  int Choose(const NMITEMACTIVATE& click);

  // The cell the mouse was last over; -1 when it was outside the rows.
  int m_nHotItem = 0;
  int m_nHotSubItem = 0;

 private:
  CListCtrl& m_list;
  std::unique_ptr<CIconMenu> m_pMenu;
};
