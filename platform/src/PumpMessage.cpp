#include <platform/PumpMessage.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

namespace platform {

namespace {

constexpr qint64 kFrameMs = 20;

// Since the last pump; pumping more often would only slow a loop over
// thousands of files.
QElapsedTimer& SinceLastPump() {
  static QElapsedTimer sinceLast;
  return sinceLast;
}

}  // namespace

bool PaintIsDue() {
  const QElapsedTimer& sinceLast = SinceLastPump();
  return QCoreApplication::instance() && (!sinceLast.isValid() || sinceLast.elapsed() >= kFrameMs);
}

void PumpPaintEvents() {
  if (!PaintIsDue()) return;
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  SinceLastPump().start();
}

}  // namespace platform
