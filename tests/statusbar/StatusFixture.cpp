#include "StatusFixture.h"

#include "support/TestSupport.h"

#include <QColor>

namespace {

const char* const kIconFiles[] = {"error", "ready", "done", "info", "progress"};

QImage IconPicture(int id) {
  return QImage(QString("%1/statusbar/res/%2.bmp").arg(QUILLORY_SOURCE_DIR, kIconFiles[id - 202]));
}

// Whether every non-magenta pixel of picture appears at (x, y) of shot.
bool DrawnAt(const QImage& shot, const QImage& picture, int x, int y) {
  for (int py = 0; py < picture.height(); ++py)
    for (int px = 0; px < picture.width(); ++px) {
      const QRgb p = picture.pixel(px, py);
      if (p == qRgb(255, 0, 255)) continue;
      if (shot.pixel(x + px, y + py) != p) return false;
    }
  return true;
}

}  // namespace

void StatusFixture::SetUp() {
  m_top = std::make_unique<QWidget>();
  m_top->resize(kWidth, kHeight);
  m_top->show();
  m_parent = CWnd::FromWidget(m_top.get());
}

CStatusBarCtrl* StatusFixture::Bar() const { return dynamic_cast<CStatusBarCtrl*>(m_parent->GetDlgItem(517)); }

CProgressCtrl* StatusFixture::Progress() const {
  return Bar() ? dynamic_cast<CProgressCtrl*>(Bar()->GetDlgItem(1)) : nullptr;
}

int StatusFixture::ShownIcon() const {
  test::ProcessEvents();
  const QImage shot = Bar()->GetWidget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  CRect pane;
  Bar()->GetRect(0, &pane);
  for (int id = 202; id <= 206; ++id) {
    const QImage picture = IconPicture(id).convertToFormat(QImage::Format_RGB32);
    for (int y = pane.top; y + picture.height() <= pane.bottom; ++y)
      for (int x = pane.left; x + picture.width() <= pane.right; ++x)
        if (DrawnAt(shot, picture, x, y)) return id;
  }
  return 0;
}
