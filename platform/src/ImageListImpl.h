#pragma once
#include <platform/ImageList.h>

#include <QList>
#include <QPixmap>

struct CImageList::Impl {
  int cx = 0;
  int cy = 0;
  UINT flags = 0;
  QList<QPixmap> images;
};

namespace platform {

// Image index of a list as a pixmap; a null pixmap when there is none.
inline QPixmap PixmapOf(const CImageList* list, int index) {
  if (!list || !list->GetImpl()) return {};
  const auto& images = list->GetImpl()->images;
  return index >= 0 && index < images.size() ? images[index] : QPixmap();
}

}  // namespace platform
