#include <platform/ImageList.h>

#include "Handles.h"

CImageList::CImageList() = default;
CImageList::~CImageList() = default;

BOOL CImageList::Create(int cx, int cy, UINT flags, int initial, int) {
  if (m_pImpl || cx <= 0 || cy <= 0) return FALSE;
  m_pImpl = std::make_unique<Impl>();
  m_pImpl->cx = cx;
  m_pImpl->cy = cy;
  m_pImpl->flags = flags;
  if (initial > 0) m_pImpl->images.reserve(initial);
  return TRUE;
}

bool CImageList::IsCreated() const { return m_pImpl != nullptr; }

int CImageList::Add(HBITMAP bitmap, COLORREF mask) {
  if (!m_pImpl || !bitmap || bitmap->image.isNull()) return -1;
  QImage image = bitmap->image.convertToFormat(QImage::Format_ARGB32);
  if (m_pImpl->flags & ILC_MASK) {
    const QRgb key = qRgb(GetRValue(mask), GetGValue(mask), GetBValue(mask));
    for (int y = 0; y < image.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int x = 0; x < image.width(); ++x)
        if ((line[x] & 0x00FFFFFF) == (key & 0x00FFFFFF)) line[x] = 0;
    }
  }
  // A bitmap wider than one image holds several, side by side.
  const int count = std::max(1, image.width() / m_pImpl->cx);
  const int first = static_cast<int>(m_pImpl->images.size());
  for (int i = 0; i < count; ++i) {
    QImage part = image.copy(i * m_pImpl->cx, 0, m_pImpl->cx, m_pImpl->cy);
    m_pImpl->images.push_back(QPixmap::fromImage(part));
  }
  return first;
}

int CImageList::Replace(int index, HICON icon) {
  if (!m_pImpl || !icon) return -1;
  const QPixmap pixmap = icon->icon.pixmap(m_pImpl->cx, m_pImpl->cy);
  if (index == -1) {
    m_pImpl->images.push_back(pixmap);
    return static_cast<int>(m_pImpl->images.size()) - 1;
  }
  if (index < 0 || index >= m_pImpl->images.size()) return -1;
  m_pImpl->images[index] = pixmap;
  return index;
}

BOOL CImageList::Remove(int index) {
  if (!m_pImpl) return FALSE;
  if (index == -1) {
    m_pImpl->images.clear();
    return TRUE;
  }
  if (index < 0 || index >= m_pImpl->images.size()) return FALSE;
  m_pImpl->images.removeAt(index);
  return TRUE;
}

int CImageList::GetImageCount() const { return m_pImpl ? static_cast<int>(m_pImpl->images.size()) : 0; }

HICON CImageList::ExtractIcon(int index) const {
  const QPixmap pixmap = platform::PixmapOf(this, index);
  return pixmap.isNull() ? nullptr : platform::MakeIcon(QIcon(pixmap));
}
