#pragma once
// The dialog's simple controls: buttons (push buttons, check boxes, group
// boxes), edit boxes, combo boxes and static controls (labels and pictures),
// with the style bits a dialog template gives them. Dialogs bind them with
// DDX_Control.
#include <platform/Wnd.h>

// Button styles (the low four bits pick the kind).
constexpr DWORD BS_PUSHBUTTON = 0x0000;
constexpr DWORD BS_DEFPUSHBUTTON = 0x0001;
constexpr DWORD BS_AUTOCHECKBOX = 0x0003;
constexpr DWORD BS_GROUPBOX = 0x0007;
constexpr DWORD BS_TYPEMASK = 0x000F;

// Check states of a check box.
constexpr UINT BST_UNCHECKED = 0;
constexpr UINT BST_CHECKED = 1;

// Edit styles.
constexpr DWORD ES_MULTILINE = 0x0004;
constexpr DWORD ES_AUTOHSCROLL = 0x0080;
constexpr DWORD ES_READONLY = 0x0800;

// Combo box styles ("ComboBox"): an edit box with a list to choose from, or
// a list alone. A template's rectangle is the box's, without the list.
constexpr DWORD CBS_DROPDOWN = 0x0002;
constexpr DWORD CBS_DROPDOWNLIST = 0x0003;
constexpr DWORD CBS_TYPEMASK = 0x0003;

// Static styles (the low five bits pick the kind).
constexpr DWORD SS_LEFT = 0x0000;
constexpr DWORD SS_CENTER = 0x0001;
constexpr DWORD SS_RIGHT = 0x0002;
constexpr DWORD SS_ICON = 0x0003;
constexpr DWORD SS_BITMAP = 0x000E;
constexpr DWORD SS_TYPEMASK = 0x001F;
constexpr DWORD SS_NOTIFY = 0x0100;
constexpr DWORD SS_CENTERIMAGE = 0x0200;
constexpr DWORD SS_REALSIZEIMAGE = 0x0800;

// Notification code of a click on a button or a notifying static.
constexpr int BN_CLICKED = 0;
constexpr int STN_CLICKED = 0;
// Commands of edit and combo boxes: the text changed (typed or set by the
// program), a combo box's choice changed, its text was typed.
constexpr int EN_CHANGE = 0x0300;
constexpr int CBN_SELCHANGE = 1;
constexpr int CBN_EDITCHANGE = 5;
constexpr int CB_ERR = -1;

class CButton : public CWnd {};

class CStatic : public CWnd {
 public:
  // Shows the icon (null shows nothing); returns the previous one. The icon
  // stays the caller's.
  HICON SetIcon(HICON icon);
};

class CEdit : public CWnd {
 public:
  // Selects characters start to end of the text (-1: to its end).
  void SetSel(int start, int end);
  // A grey hint shown while the box is empty; an empty text shows none.
  BOOL SetCueBanner(const CString& text);
  // While the box shows exactly text (a marker for "nothing here"), what the
  // user types or pastes replaces it rather than joining it; empty: never.
  void SetReplacedByTyping(const CString& text);
};

class CComboBox : public CWnd {
 public:
  // Appends an item; returns its index, or CB_ERR.
  int AddString(const CString& text);
  // The chosen item, or CB_ERR; choosing -1 empties the choice.
  int GetCurSel() const;
  int SetCurSel(int index);
  // As CEdit's, for a combo box with an edit box.
  BOOL SetCueBanner(const CString& text);
  void SetReplacedByTyping(const CString& text);
};
