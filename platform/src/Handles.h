#pragma once
// What stands behind the framework's opaque handles on Qt. Internal to the
// platform layer: the libraries only pass the handles around.
#include <base/String.h>
#include <platform/Types.h>

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QString>

struct HICON__ {
  QIcon icon;
  bool shared = false;  // made by SharedIcon: DestroyIcon leaves it alone
};

struct HBITMAP__ {
  QImage image;
};

namespace platform {

inline QString ToQt(const CString& s) { return QString::fromUtf8(s.GetString(), s.GetLength()); }
inline CString FromQt(const QString& s) { return CString(s.toUtf8().toStdString()); }
inline QColor ColorOf(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

// A new icon handle the caller owns (DestroyIcon releases it).
HICON MakeIcon(const QIcon& icon);
// Icons shared by every caller under a key (a resource path, a file type):
// the platform owns them and releases them when the application object goes;
// DestroyIcon ignores them. Find gives null for a key not added yet.
HICON FindSharedIcon(const QString& key);
HICON AddSharedIcon(const QString& key, const QIcon& icon);
// The Qt icon behind a handle; a null icon for null.
QIcon IconOf(HICON icon);

}  // namespace platform
