#include <platform/DC.h>
#include <platform/Wnd.h>

#include "Handles.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <utility>

using platform::ColorOf;

CDC::CDC(QPainter* painter) : m_pPainter(painter) {}

CDC::~CDC() = default;

CSize CDC::GetTextExtent(const CString& text) const {
  if (!m_pPainter) return {};
  const QFontMetrics fm(m_pPainter->font());
  return {fm.horizontalAdvance(platform::ToQt(text)), fm.height()};
}

BOOL CDC::GetTextMetrics(TEXTMETRIC* metrics) const {
  if (!metrics || !m_pPainter) return FALSE;
  const QFontMetrics fm(m_pPainter->font());
  metrics->tmHeight = fm.height();
  return TRUE;
}

void CDC::FillSolidRect(const RECT& rect, COLORREF colour) {
  if (!m_pPainter) return;
  m_pPainter->fillRect(QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top),
                             ColorOf(colour));
}

COLORREF CDC::SetTextColor(COLORREF colour) { return std::exchange(m_crText, colour); }

BOOL CDC::TextOut(int x, int y, const CString& text) {
  QPainter* p = m_pPainter;
  if (!p) return FALSE;
  const QString s = platform::ToQt(text);
  const QFontMetrics fm(p->font());
  p->save();
  p->setPen(ColorOf(m_crText));
  p->drawText(QPoint(x, y + fm.ascent()), s);
  p->restore();
  return TRUE;
}

struct CClientDC::Surface {
  QImage image{1, 1, QImage::Format_ARGB32};
  QPainter painter;
};

CClientDC::CClientDC(CWnd* window) : CDC(nullptr), m_pSurface(std::make_unique<Surface>()) {
  m_pSurface->painter.begin(&m_pSurface->image);
  QWidget* w = window ? window->GetWidget() : nullptr;
  m_pSurface->painter.setFont(w ? w->font() : QApplication::font());
  m_pPainter = &m_pSurface->painter;
}

CClientDC::~CClientDC() { m_pSurface->painter.end(); }

BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT, void*, UINT) {
  QPainter* p = dc ? dc->GetPainter() : nullptr;
  const QIcon qicon = platform::IconOf(icon);
  if (!p || qicon.isNull()) return FALSE;
  QSize size(cx, cy);
  if (cx <= 0 || cy <= 0) {
    const auto sizes = qicon.availableSizes();
    size = sizes.isEmpty() ? QSize(32, 32) : sizes.first();
  }
  p->drawPixmap(QRect(QPoint(x, y), size), qicon.pixmap(size));
  return TRUE;
}

CWnd* AfxGetMainWnd() {
  QWidget* w = QApplication::activeWindow();
  if (!w)
    for (QWidget* top : QApplication::topLevelWidgets())
      if (top->isVisible() && !(top->windowFlags() & Qt::Popup)) {
        w = top;
        break;
      }
  return CWnd::FromWidget(w);
}
