// The widget behind the "Picture" window class.
#include <platform/Picture.h>

#include "Handles.h"

#include <QBuffer>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImageReader>
#include <QLabel>
#include <QMimeData>
#include <QPixmap>
#include <QUrl>

namespace {

// Decodes bytes into an image no larger than bound (an empty bound: full size).
QImage Decode(const std::string& bytes, const QSize& bound) {
  QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  QImageReader reader(&buffer);
  const QSize size = reader.size();
  if (!bound.isEmpty() && size.isValid() && (size.width() > bound.width() || size.height() > bound.height()))
    reader.setScaledSize(size.scaled(bound, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
  return reader.read();
}

class PictureBox : public QLabel {
 public:
  explicit PictureBox(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setFrameShape(QFrame::StyledPanel);
    setAcceptDrops(true);
  }

  bool SetImage(const std::string& bytes) {
    // Decoded at the size it is shown at, so a large picture costs no more.
    m_image = bytes.empty() ? QImage() : Decode(bytes, contentsRect().size() * devicePixelRatioF());
    if (m_image.isNull()) {
      setPixmap(QPixmap());
      return false;
    }
    Rescale();
    return true;
  }
  bool HasImage() const { return !pixmap().isNull(); }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QLabel::resizeEvent(event);
    if (HasImage()) Rescale();
  }
  void dragEnterEvent(QDragEnterEvent* event) override {
    if (!DroppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
  }
  void dropEvent(QDropEvent* event) override {
    const QString path = DroppedFile(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    NMFILEDROP drop;
    drop.strPath = CString(path.toUtf8().toStdString());
    CWnd::FromWidget(this)->SendNotify(PBN_FILEDROPPED, &drop.hdr);
  }

 private:
  static QString DroppedFile(const QMimeData* mime) {
    if (!mime || !mime->hasUrls() || mime->urls().isEmpty() || !mime->urls().first().isLocalFile()) return {};
    return mime->urls().first().toLocalFile();
  }
  void Rescale() {
    const qreal ratio = devicePixelRatioF();
    QPixmap shown = QPixmap::fromImage(m_image);
    const QSize room = contentsRect().size() * ratio;
    if (!room.isEmpty()) shown = shown.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    shown.setDevicePixelRatio(ratio);
    setPixmap(shown);
  }

  QImage m_image;  // as decoded, no larger than the box was then
};

PictureBox* BoxOf(const CWnd* wnd) { return dynamic_cast<PictureBox*>(wnd->GetWidget()); }

}  // namespace

QWidget* platform::MakePicture(QWidget* parent, DWORD) { return new PictureBox(parent); }

BOOL CPictureBox::SetImage(const std::string& bytes) {
  PictureBox* box = BoxOf(this);
  return box && box->SetImage(bytes) ? TRUE : FALSE;
}

bool platform::IsDecodableImage(const std::string& bytes) {
  return !bytes.empty() && !Decode(bytes, QSize(64, 64)).isNull();
}
