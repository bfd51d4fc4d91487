#include <platform/Html.h>

#include "Handles.h"

#include <platform/Wnd.h>

#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>

namespace platform {

bool ShowHtmlWindow(const CString& path, const CString& title, CWnd* owner) {
  const QFileInfo file(ToQt(path));
  if (!file.isFile() || !file.isReadable()) return false;
  // One window, kept until the user closes it or its owner goes.
  static QPointer<QTextBrowser> window;
  QWidget* parent = owner ? owner->GetWidget() : nullptr;
  if (window && window->parentWidget() != parent) delete window;
  if (!window) {
    window = new QTextBrowser(parent);
    window->setWindowFlag(Qt::Window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setOpenExternalLinks(true);
    window->resize(720, 640);
  }
  window->setWindowTitle(ToQt(title));
  window->setAccessibleName(ToQt(title));
  window->setSource(QUrl::fromLocalFile(file.absoluteFilePath()));
  window->show();
  window->raise();
  window->activateWindow();
  return true;
}

}  // namespace platform
