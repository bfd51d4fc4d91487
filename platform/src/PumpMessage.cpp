#include <platform/PumpMessage.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

namespace platform {

void PumpPaintEvents() {
  if (!QCoreApplication::instance()) return;
  // A screen shows no more than some fifty frames a second; pumping more
  // often would only slow a loop over thousands of files.
  static QElapsedTimer sinceLast;
  if (sinceLast.isValid() && sinceLast.elapsed() < 20) return;
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  sinceLast.start();
}

}  // namespace platform
