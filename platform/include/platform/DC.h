#pragma once
// CDC: a device context painting through a QPainter, lent by owner drawing
// or made over a scratch image to measure text (CClientDC).
#include <base/String.h>
#include <platform/Types.h>

#include <memory>

class CDC;
class CWnd;
class QPainter;
using HDC = CDC*;

constexpr UINT DI_NORMAL = 0x0003;

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
  QPainter* GetPainter() const { return m_pPainter; }

  CSize GetTextExtent(const CString& text) const;
  BOOL GetTextMetrics(TEXTMETRIC* metrics) const;

  void FillSolidRect(const RECT& rect, COLORREF colour);
  COLORREF SetTextColor(COLORREF colour);
  // An ampersand is a character, not a mnemonic; x, y is the top-left corner.
  BOOL TextOut(int x, int y, const CString& text);

 protected:
  QPainter* m_pPainter;

 private:
  COLORREF m_crText = RGB(0, 0, 0);
};

// Measures in the window's font (no window: the desktop's); draws nowhere.
class CClientDC : public CDC {
 public:
  explicit CClientDC(CWnd* window);
  ~CClientDC() override;

 private:
  struct Surface;
  std::unique_ptr<Surface> m_pSurface;
};

// cx, cy 0: the icon's own size. FALSE for a null icon.
BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT step, void* flickerBrush, UINT flags);

// The program's main window: the active top-level window, else the first
// visible one; null when no window is shown.
CWnd* AfxGetMainWnd();
