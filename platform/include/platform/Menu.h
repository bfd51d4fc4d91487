#pragma once
// CMenu: a popup menu of the desktop framework. The menu's items live behind
// its handle as data (id, text, type word, state word); while the menu is
// tracked they are shown in a real popup menu, and items of the owner-drawn
// type are measured and painted by the CMenu object attached to the handle,
// through its MeasureItem and DrawItem.
#include <platform/DC.h>
#include <base/String.h>
#include <platform/Types.h>

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

// TrackPopupMenuEx flags.
constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_CENTERALIGN = 0x0004;
constexpr UINT TPM_RIGHTALIGN = 0x0008;
constexpr UINT TPM_RETURNCMD = 0x0100;

// Owner-draw requests.
constexpr UINT ODT_MENU = 1;
constexpr UINT ODA_DRAWENTIRE = 0x0001;
constexpr UINT ODA_SELECT = 0x0002;
constexpr UINT ODS_SELECTED = 0x0001;
constexpr UINT ODS_GRAYED = 0x0002;
constexpr UINT ODS_DISABLED = 0x0004;

// An item's type word (MIIM_FTYPE), read and changed in place.
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

  // The object attached to a handle; null when none is.
  static CMenu* FromHandle(HMENU menu);

  // Makes a new empty popup menu, attached to this object.
  BOOL CreatePopupMenu();
  // Destroys the attached menu and its items.
  BOOL DestroyMenu();
  HMENU GetSafeHmenu() const { return m_hMenu; }

  // Items are named by command id (MF_BYCOMMAND) or zero-based position
  // (MF_BYPOSITION). The operations fail (FALSE, 0xFFFFFFFF, -1 or an empty
  // text) for an item the menu does not have.
  BOOL AppendMenu(UINT flags, UINT_PTR id = 0, const char* text = nullptr);
  BOOL ModifyMenu(UINT item, UINT flags, UINT_PTR newId = 0, const char* text = nullptr);
  BOOL RemoveMenu(UINT item, UINT flags);
  int GetMenuItemCount() const;
  // Command id at a position (a separator's too); 0xFFFFFFFF out of range.
  UINT GetMenuItemID(int position) const;
  // The type and state bits of an item; 0xFFFFFFFF when there is none.
  UINT GetMenuState(UINT item, UINT flags) const;
  // Each returns the previous state (MF_GRAYED or MF_CHECKED bit), or 0xFFFFFFFF.
  UINT EnableMenuItem(UINT item, UINT enable);
  UINT CheckMenuItem(UINT item, UINT check);
  int GetMenuString(UINT item, CString& text, UINT flags) const;
  BOOL GetMenuItemInfo(UINT item, MENUITEMINFOA* info, BOOL byPosition = FALSE) const;
  BOOL SetMenuItemInfo(UINT item, const MENUITEMINFOA* info, BOOL byPosition = FALSE);

  // Shows the menu modally at the screen point x, y, aligned on it as flags
  // say and kept on the screen; with TPM_RETURNCMD returns the chosen command
  // id, or 0 when the menu was closed without a choice.
  BOOL TrackPopupMenuEx(UINT flags, int x, int y, CWnd* owner, void* params = nullptr);

  // Owner drawing: called for items of type MFT_OWNERDRAW while the menu is shown.
  virtual void MeasureItem(MEASUREITEMSTRUCT* measure);
  virtual void DrawItem(DRAWITEMSTRUCT* draw);

 protected:
  HMENU m_hMenu = nullptr;
};
