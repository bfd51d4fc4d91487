#pragma once
// An HTML page shown in a window of the program's own.
#include <base/String.h>

class CWnd;

namespace platform {

// Shows the HTML file in a window of its own, titled title, beside owner's
// (not modal; it closes with owner); its links to other sites go to the
// desktop. A second call shows the file in the same window. False when the
// file cannot be read.
bool ShowHtmlWindow(const CString& path, const CString& title, CWnd* owner);

}  // namespace platform
