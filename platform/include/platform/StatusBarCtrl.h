#pragma once
// CStatusBarCtrl: a strip of sunken parts along a window's bottom edge, each
// with a text and an optional icon before it.
#include <platform/Wnd.h>

// Common-control styles: with CCS_NORESIZE the bar keeps the rectangle it was
// created with, without it the bar places itself along its parent's bottom.
constexpr DWORD CCS_NORESIZE = 0x0004;

class CStatusBarCtrl : public CWnd {
 public:
  CStatusBarCtrl();
  ~CStatusBarCtrl() override;

  // 0 when the parent has no window or the bar exists; one full-width part until SetParts.
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

  // Sets count parts by their right edges in client coordinates; -1 runs a
  // part to the bar's right edge. False for a count outside 1..256 or no edges.
  BOOL SetParts(int count, const int* rightEdges);
  // Copies up to count edges (rightEdges may be null); returns the number of parts.
  int GetParts(int count, int* rightEdges) const;

  BOOL SetText(const CString& text, int pane);
  CString GetText(int pane) const;

  // The bar keeps its own copy of icon (null: none).
  BOOL SetIcon(int pane, HICON icon);
  HICON GetIcon(int pane) const;

  // In the bar's client coordinates.
  BOOL GetRect(int pane, RECT* rect) const;
};
