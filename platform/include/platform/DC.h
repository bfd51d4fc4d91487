#pragma once
// CDC: a device context. On this platform it paints through a QPainter, either
// one lent by the code that paints (owner drawing) or one it makes itself over
// a scratch image to measure text in a window's font (CClientDC).
#include <base/String.h>
#include <platform/Types.h>

#include <memory>

class CDC;
class CWnd;
class QPainter;
using HDC = CDC*;

// DrawIconEx flags.
constexpr UINT DI_NORMAL = 0x0003;

// The metrics of a font that owner drawing reads: the height of a line.
struct TEXTMETRIC {
  LONG tmHeight = 0;
};

class CDC {
 public:
  // Paints through painter, which stays the caller's and must outlive this object.
  explicit CDC(QPainter* painter);
  virtual ~CDC();
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  static CDC* FromHandle(HDC dc) { return dc; }
  HDC GetSafeHdc() const { return const_cast<CDC*>(this); }
  QPainter* GetPainter() const;

  // Width and height of text in the current font.
  CSize GetTextExtent(const CString& text) const;
  BOOL GetTextMetrics(TEXTMETRIC* metrics) const;

  void FillSolidRect(const RECT& rect, COLORREF colour);
  // Returns the previous colour.
  COLORREF SetTextColor(COLORREF colour);
  // Draws text as it stands (an ampersand is a character, not a mnemonic
  // mark) with its top-left corner at x, y, over what is already there.
  BOOL TextOut(int x, int y, const CString& text);

 protected:
  CDC();
  void SetPainter(QPainter* painter);

 private:
  struct Impl;
  std::unique_ptr<Impl> m_pImpl;
};

// Measuring context of a window: the window's font, or the desktop's default
// font when window is null or has no widget. Its drawing goes nowhere.
class CClientDC : public CDC {
 public:
  explicit CClientDC(CWnd* window);
  ~CClientDC() override;

 private:
  struct Surface;
  std::unique_ptr<Surface> m_pSurface;
};

// Draws icon scaled to cx by cy (its own size when both are 0) at x, y. A null
// icon draws nothing and gives FALSE.
BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT step, void* flickerBrush, UINT flags);

// The program's main window: the active top-level window, else the first
// visible one; null when no window is shown.
CWnd* AfxGetMainWnd();
