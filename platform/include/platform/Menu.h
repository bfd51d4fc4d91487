#pragma once
// CMenu: a popup menu whose items are data behind its handle, shown in a real
// popup while tracked; owner-drawn items go to MeasureItem and DrawItem.
#include <platform/DC.h>

struct HMENU__;
using HMENU = HMENU__*;

// Item types and states (AppendMenu, ModifyMenu, GetMenuState).
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_OWNERDRAW = 0x0100;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_SEPARATOR = 0x0800;

constexpr UINT MFT_STRING = 0x0000;
constexpr UINT MFT_OWNERDRAW = 0x0100;
constexpr UINT MFT_SEPARATOR = 0x0800;
constexpr UINT MIIM_FTYPE = 0x0100;

constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_CENTERALIGN = 0x0004;
constexpr UINT TPM_RIGHTALIGN = 0x0008;
constexpr UINT TPM_RETURNCMD = 0x0100;

constexpr UINT ODT_MENU = 1;
constexpr UINT ODA_DRAWENTIRE = 0x0001;
constexpr UINT ODA_SELECT = 0x0002;
constexpr UINT ODS_SELECTED = 0x0001;
constexpr UINT ODS_GRAYED = 0x0002;
constexpr UINT ODS_DISABLED = 0x0004;

struct MENUITEMINFOA {
  UINT fMask = 0;
  UINT fType = 0;
};

struct MEASUREITEMSTRUCT {
  UINT CtlType = ODT_MENU;
  UINT itemID = 0;
  UINT itemWidth = 0;
  UINT itemHeight = 0;
  UINT_PTR itemData = 0;
};

struct DRAWITEMSTRUCT {
  UINT CtlType = ODT_MENU;
  UINT itemID = 0;
  UINT itemAction = 0;
  UINT itemState = 0;
  HMENU hwndItem = nullptr;
  HDC hDC = nullptr;
  RECT rcItem;
  UINT_PTR itemData = 0;
};

class CMenu {
 public:
  CMenu();
  virtual ~CMenu();
  CMenu(const CMenu&) = delete;
  CMenu& operator=(const CMenu&) = delete;

  static CMenu* FromHandle(HMENU menu);

  BOOL CreatePopupMenu();
  BOOL DestroyMenu();
  HMENU GetSafeHmenu() const { return m_hMenu; }

  // Items by command id or (MF_BYPOSITION) position; a missing item gives
  // FALSE, 0xFFFFFFFF, -1 or an empty text.
  BOOL AppendMenu(UINT flags, UINT_PTR id = 0, const char* text = nullptr);
  BOOL ModifyMenu(UINT item, UINT flags, UINT_PTR newId = 0, const char* text = nullptr);
  BOOL RemoveMenu(UINT item, UINT flags);
  int GetMenuItemCount() const;
  UINT GetMenuItemID(int position) const;
  UINT GetMenuState(UINT item, UINT flags) const;
  // Each returns the previous bit.
  UINT EnableMenuItem(UINT item, UINT enable);
  UINT CheckMenuItem(UINT item, UINT check);
  int GetMenuString(UINT item, CString& text, UINT flags) const;
  BOOL GetMenuItemInfo(UINT item, MENUITEMINFOA* info, BOOL byPosition = FALSE) const;
  BOOL SetMenuItemInfo(UINT item, const MENUITEMINFOA* info, BOOL byPosition = FALSE);

  // Modal at screen point x, y; with TPM_RETURNCMD returns the chosen id (0: none),
  // else sends it to owner's OnCommand.
  BOOL TrackPopupMenuEx(UINT flags, int x, int y, CWnd* owner, void* params = nullptr);

  virtual void MeasureItem(MEASUREITEMSTRUCT* measure);
  virtual void DrawItem(DRAWITEMSTRUCT* draw);

 protected:
  HMENU m_hMenu = nullptr;
};
