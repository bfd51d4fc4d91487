#pragma once
// CIconMenu: the facade through which programs use the owner-drawn menu. It
// owns one CMyMenu and adds the two settings the menu has no setter for.
#include <base/String.h>
#include <platform/Types.h>

#include <memory>

class CMyMenu;
class CWnd;
struct HMENU__;
using HMENU = HMENU__*;

class CIconMenu {
 public:
  CIconMenu();
  ~CIconMenu();
  CIconMenu(const CIconMenu&) = delete;
  CIconMenu& operator=(const CIconMenu&) = delete;

  // Items added afterwards count from id; Show subtracts it.
  void SetFirstID(unsigned int id);
  // true: the show operations return command ids (0 when nothing was chosen);
  // false: zero-based indices.
  void SetReturnVal(bool returnId);

  // The operations of CMyMenu, on the owned menu.
  void SetColors(unsigned long back, unsigned long selBack, unsigned long text, unsigned long disabledText);
  void SetMenuItemDim(int minWidth, int minHeight, int margin, int sepHeight);
  void SetIconDim(int width, int height);
  void InsertItem(unsigned int iconId, CString text);
  void InsertItem(CString text, HICON icon);
  void AddSeparator();
  void AddSeparator(unsigned int id);
  void RenameItem(int pos, CString text);
  void RemoveItem(int pos);
  void DeleteAll();
  void EnableItem(unsigned int id, bool enable);
  void EnableItem(int pos, bool enable);
  void CheckItem(unsigned int id, bool check);
  void CheckItem(int pos, bool check);
  unsigned int GetItemState(unsigned int id);
  unsigned int GetItemState(int pos);
  void SaveItemState(unsigned int id);
  void SaveItemState(int pos);
  unsigned int RestoreItemState();
  unsigned int GetItemID(int pos);
  CString GetMenuStr(int pos);
  CString GetMenuStr(unsigned int id);
  int CountItems();
  // Null when there is no menu.
  HMENU GetHandel();
  void ShowIcons(bool on);
  unsigned int Show(CWnd* window, CPoint point, char align);
  unsigned int ShowWithMouse(CWnd* window, CPoint point, char align);
  unsigned int ShowWithButton(CWnd* window, unsigned int controlId, char align);

 private:
  std::unique_ptr<CMyMenu> m_pMenu;
};
