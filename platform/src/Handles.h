#pragma once
// What stands behind the framework's opaque handles on Qt, and the helpers
// the platform's classes share. Internal to the platform layer: the
// libraries only pass the handles around.
#include <platform/ImageList.h>
#include <platform/ModalSeam.h>

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QString>

#include <functional>

class QObject;
class QWidget;

struct HICON__ {
  QIcon icon;
  bool shared = false;  // made by SharedIcon: DestroyIcon leaves it alone
};

struct HBITMAP__ {
  QImage image;
};

struct CImageList::Impl {
  int cx = 0;
  int cy = 0;
  UINT flags = 0;
  QList<QPixmap> images;
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

// Image index of a list as a pixmap; a null pixmap when there is none.
inline QPixmap PixmapOf(const CImageList* list, int index) {
  if (!list || !list->GetImpl()) return {};
  const auto& images = list->GetImpl()->images;
  return index >= 0 && index < images.size() ? images[index] : QPixmap();
}

// The widgets of the window classes dialog templates name, made from the
// template's style word.
QWidget* MakeButton(QWidget* parent, DWORD style);
QWidget* MakeEdit(QWidget* parent, DWORD style);
QWidget* MakeStatic(QWidget* parent, DWORD style);
QWidget* MakeComboBox(QWidget* parent, DWORD style);
QWidget* MakeListView(QWidget* parent, DWORD style);
QWidget* MakeProgressBar(QWidget* parent, DWORD style);
QWidget* MakePicture(QWidget* parent, DWORD style);

void SetIconOf(QWidget* label, HICON icon);
// While the line edit shows exactly text, what is typed, pasted or composed
// into it replaces text whole (an empty text: nothing is replaced).
void ReplaceOnTyping(QWidget* lineEdit, const CString& text);

// Accessible names that follow a control's caption (or an edit box's label)
// as it changes; names given otherwise are left alone.
void NameAfterCaption(QWidget* control, const QString& caption);
// Names an edit box after its label, and keeps it so.
void NameAfterLabel(QWidget* edit, QWidget* label);

// Calls resized after every resize of widget while the watcher it returns
// lives (a child of parent, or the caller's when parent is null).
QObject* WatchResizes(QWidget* widget, QObject* parent, std::function<void()> resized);

// What became of a modal put through the seam.
enum class ModalRun {
  Ran,        // its own loop ran; read the result from the widget
  Answered,   // answered without being shown; the result is in *result
  Dismissed,  // closed unseen, as Escape would
};

// Puts question to the answerer (if any), then runs modal as it says: exec
// runs its loop, close ends it as Escape would.
ModalRun RunModal(const ModalQuestion& question, QWidget* modal, const std::function<void()>& exec,
                  const std::function<void()>& close, int* result = nullptr);

}  // namespace platform
