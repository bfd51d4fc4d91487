#pragma once
// A dialog's simple controls and their template style bits; bound with DDX_Control.
#include <platform/Wnd.h>

constexpr DWORD BS_PUSHBUTTON = 0x0000;
constexpr DWORD BS_DEFPUSHBUTTON = 0x0001;
constexpr DWORD BS_AUTOCHECKBOX = 0x0003;
constexpr DWORD BS_GROUPBOX = 0x0007;
constexpr DWORD BS_TYPEMASK = 0x000F;

constexpr UINT BST_UNCHECKED = 0;
constexpr UINT BST_CHECKED = 1;

constexpr DWORD ES_MULTILINE = 0x0004;
constexpr DWORD ES_AUTOHSCROLL = 0x0080;
constexpr DWORD ES_READONLY = 0x0800;

// A template's rectangle of a combo box is the box's, without the list.
constexpr DWORD CBS_DROPDOWN = 0x0002;
constexpr DWORD CBS_DROPDOWNLIST = 0x0003;
constexpr DWORD CBS_TYPEMASK = 0x0003;

constexpr DWORD SS_LEFT = 0x0000;
constexpr DWORD SS_CENTER = 0x0001;
constexpr DWORD SS_RIGHT = 0x0002;
constexpr DWORD SS_ICON = 0x0003;
constexpr DWORD SS_BITMAP = 0x000E;
constexpr DWORD SS_TYPEMASK = 0x001F;
constexpr DWORD SS_NOTIFY = 0x0100;
constexpr DWORD SS_CENTERIMAGE = 0x0200;
constexpr DWORD SS_REALSIZEIMAGE = 0x0800;

constexpr int BN_CLICKED = 0;
constexpr int STN_CLICKED = 0;
// EN_CHANGE: typed or set by the program.
constexpr int EN_CHANGE = 0x0300;
constexpr int CBN_SELCHANGE = 1;
constexpr int CBN_EDITCHANGE = 5;
constexpr int CB_ERR = -1;

class CButton : public CWnd {};

class CStatic : public CWnd {
 public:
  // The icon stays the caller's; returns the previous one.
  HICON SetIcon(HICON icon);
};

class CEdit : public CWnd {
 public:
  // end -1: to the end of the text.
  void SetSel(int start, int end);
  // A grey hint shown while the box is empty.
  BOOL SetCueBanner(const CString& text);
  // While the box shows exactly text (a marker for "nothing here"), what the
  // user types or pastes replaces it rather than joining it; empty: never.
  void SetReplacedByTyping(const CString& text);
};

class CComboBox : public CWnd {
 public:
  int AddString(const CString& text);
  // The chosen item, or CB_ERR; choosing -1 empties the choice.
  int GetCurSel() const;
  int SetCurSel(int index);
  BOOL SetCueBanner(const CString& text);
  void SetReplacedByTyping(const CString& text);
};
