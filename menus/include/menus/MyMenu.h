#pragma once
// CMyMenu: a popup menu whose items carry an icon and are painted in four
// configurable colours. It numbers its items itself, counting up from a first
// id, and shows the menu at a point, returning the chosen item.
#include <platform/Menu.h>
#include <base/String.h>
#include <platform/Types.h>

#include <vector>

class CIconMenu;
class CWnd;

class CMyMenu : public CMenu {
  friend class CIconMenu;

 public:
  CMyMenu();
  ~CMyMenu() override;

  // Background, highlighted background, text, disabled text.
  void SetColors(unsigned long back, unsigned long selBack, unsigned long text, unsigned long disabledText);
  void SetMenuItemDim(int minWidth, int minHeight, int margin, int sepHeight);
  void SetIconDim(int width, int height);

  // Appends a text item with the icon resource iconId of the program (0: none).
  void InsertItem(unsigned int iconId, CString text);
  // Appends a text item with icon (may be null; it stays the caller's).
  void InsertItem(CString text, HICON icon);
  void AddSeparator();
  // A separator with its own id; it still uses up one id of the count.
  void AddSeparator(unsigned int id);

  // Positions are one-based (1 is the top item); a position outside
  // 1..CountItems() is ignored, or gives 0 or an empty text.
  void RenameItem(int pos, CString text);
  void RemoveItem(int pos);
  // Removes every item; ids start again at the first id.
  void DeleteAll();
  void EnableItem(unsigned int id, bool enable);
  void EnableItem(int pos, bool enable);
  void CheckItem(unsigned int id, bool check);
  void CheckItem(int pos, bool check);
  // The item's state word; 0xFFFFFFFF for an unknown id, 0 for a bad position.
  unsigned int GetItemState(unsigned int id);
  unsigned int GetItemState(int pos);
  void SaveItemState(unsigned int id);
  void SaveItemState(int pos);
  // The kept state word; it is not applied to any item.
  unsigned int RestoreItemState();
  unsigned int GetItemID(int pos);
  CString GetMenuStr(int pos);
  CString GetMenuStr(unsigned int id);
  int CountItems();
  HMENU GetHandel();

  // true: every item is painted by this object; false: plain text items.
  void ShowIcons(bool on);

  // Show the menu modally ('L', 'C', 'R': left-aligned, centred or
  // right-aligned on the point; another letter keeps the last alignment) and
  // return the chosen id minus the first id, or the id itself in the id mode.
  // A menu closed without a choice gives 0 - first id (0 in the id mode).
  unsigned int Show(CWnd* window, CPoint point, char align);
  // point in the window's client coordinates.
  unsigned int ShowWithMouse(CWnd* window, CPoint point, char align);
  // Over the centre of the window's control with that id.
  unsigned int ShowWithButton(CWnd* window, unsigned int controlId, char align);

 private:
  void Insert(unsigned int id, CString text);
  unsigned int getZBID(int pos);
  void CheckScrPos(char align);
  bool CheckItemPos(int pos);
  void CalcIConPos();
  void MeasureItem(MEASUREITEMSTRUCT* measure) override;
  void DrawItem(DRAWITEMSTRUCT* draw) override;

  unsigned int m_nFirstID = 100;
  bool m_bReturnID = false;
  // One entry per id handed out (null for separators), so that the icon of
  // the item with id first id + k is entry k.
  std::vector<HICON> m_icons;
  COLORREF m_clrBack = 0x00FFFFFF;
  COLORREF m_clrSelBack = 0x00EED2C1;
  COLORREF m_clrText = 0x00000000;
  COLORREF m_clrDisabledText = 0x00000000;
  int m_nMargin = 2;
  int m_nMinWidth = 0;
  int m_nMinHeight = 0;
  int m_nSepHeight = 5;
  CString m_strLongest;
  int m_nIconHeight = 16;
  int m_nIconWidth = 16;
  int m_nIconTop = 0;
  int m_nLongestLen = 0;
  bool m_bShowIcons = false;
  unsigned int m_nSaveState = 0;
  unsigned int m_nAlign = TPM_RIGHTALIGN;
  int m_nCount = 0;
};
