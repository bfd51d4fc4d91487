#pragma once
// The framework's basic types: integers, colours, geometry, handles, notifications.
#include <cstdint>

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using UINT_PTR = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

#define CALLBACK

// A colour as 0x00BBGGRR: red in the low byte.
using COLORREF = DWORD;
constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
// "The control's own colour" where a colour may be set per item.
constexpr COLORREF CLR_DEFAULT = 0xFF000000;
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }

struct POINT {
  LONG x = 0;
  LONG y = 0;
};

struct RECT {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;
};

class CPoint : public POINT {
 public:
  CPoint() = default;
  CPoint(int px, int py) { x = px; y = py; }
};

class CSize {
 public:
  CSize() = default;
  CSize(int w, int h) : cx(w), cy(h) {}
  LONG cx = 0;
  LONG cy = 0;
};

class CRect : public RECT {
 public:
  CRect() = default;
  CRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
  CRect(const RECT& r) : RECT(r) {}
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  CPoint TopLeft() const { return {left, top}; }
  bool IsRectEmpty() const { return right <= left || bottom <= top; }
  bool operator==(const CRect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};

class CWnd;
// A window handle is the window object itself on this platform.
using HWND = CWnd*;

struct HICON__;
using HICON = HICON__*;
using HCURSOR = HICON;
struct HBITMAP__;
using HBITMAP = HBITMAP__*;
struct AFX_MODULE_STATE;
using HINSTANCE = const AFX_MODULE_STATE*;

struct NMHDR {
  HWND hwndFrom = nullptr;
  UINT_PTR idFrom = 0;
  int code = 0;
};

constexpr int NM_DBLCLK = -3;
constexpr int NM_RCLICK = -5;
constexpr int LVN_HOTTRACK = -121;
constexpr int LVN_ITEMCHANGED = -101;
constexpr int LVN_KEYDOWN = -155;
constexpr int HDN_ITEMCLICKA = -302;

// NM_DBLCLK, NM_RCLICK, LVN_HOTTRACK and LVN_ITEMCHANGED of a list view.
struct NMLISTVIEW {
  NMHDR hdr;
  int iItem = -1;
  int iSubItem = -1;
  UINT uNewState = 0;
  POINT ptAction;
  LPARAM lParam = 0;
};
using NMITEMACTIVATE = NMLISTVIEW;

// LVN_KEYDOWN of a list view: the virtual key pressed.
struct NMLVKEYDOWN {
  NMHDR hdr;
  WORD wVKey = 0;
  UINT flags = 0;
};

constexpr WORD VK_RETURN = 0x0D;
constexpr WORD VK_DELETE = 0x2E;
constexpr WORD VK_F2 = 0x71;

// HDN_ITEMCLICKA of a list view's header.
struct NMHEADER {
  NMHDR hdr;
  int iItem = -1;
};

// Window styles the libraries set or test.
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_TABSTOP = 0x00010000;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOW = 5;

constexpr UINT GW_HWNDNEXT = 2;
constexpr UINT GW_CHILD = 5;

constexpr int RT_BITMAP = 2;
constexpr int RT_GROUP_ICON = 14;
