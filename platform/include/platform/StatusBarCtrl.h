#pragma once
// CStatusBarCtrl: a strip of parts along a window's bottom edge. Each part has
// a text with a drawing type and may show an icon before it.
#include <platform/Wnd.h>

// Common-control styles: with CCS_NORESIZE the bar keeps the rectangle it was
// created with, without it the bar places itself along its parent's bottom.
constexpr DWORD CCS_NORESIZE = 0x0004;

class CStatusBarCtrl : public CWnd {
 public:
  CStatusBarCtrl();
  ~CStatusBarCtrl() override;

  // Makes the bar as a child of parent; non-zero on success, 0 when the parent
  // has no window or the bar exists already. Until SetParts the bar has one
  // part as wide as itself.
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

  // Sets count parts by their right edges in client coordinates; -1 runs a
  // part to the bar's right edge. False for a count outside 1..256 or no edges.
  BOOL SetParts(int count, const int* rightEdges);
  // Copies up to count right edges into rightEdges (may be null); returns the
  // number of parts, 0 without a window.
  int GetParts(int count, int* rightEdges) const;

  // Text of a part (every part is drawn as a sunken panel); false for a part
  // that does not exist.
  BOOL SetText(const CString& text, int pane);
  CString GetText(int pane) const;

  // Shows icon before the part's text, or no icon for null. The bar keeps its
  // own copy, so the caller may release hers at once.
  BOOL SetIcon(int pane, HICON icon);
  // The bar's copy of the part's icon (valid until that part's icon changes),
  // or null when the part shows none.
  HICON GetIcon(int pane) const;

  // The part's rectangle in the bar's client coordinates; false for a part
  // that does not exist.
  BOOL GetRect(int pane, RECT* rect) const;
};
