#include <platform/Html.h>

#include "Handles.h"

#include <QByteArray>
#include <QString>

namespace platform {

CString HtmlEscape(const CString& text) { return FromQt(ToQt(text).toHtmlEscaped()); }

// Encoded from the bytes themselves, so a name that is not valid UTF-8 still
// links to its file.
CString PercentEncodePath(const CString& path) {
  return CString(QByteArray(path.GetString(), path.GetLength()).toPercentEncoding("/").toStdString());
}

}  // namespace platform
