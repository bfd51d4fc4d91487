#pragma once
// Text made safe for an HTML page: escaped for element text and attribute
// values, and percent-encoded for a link target; and a page shown in a
// window of the program's own.
#include <platform/String.h>

class CWnd;

namespace platform {

// Replaces &, <, > and " with their character references.
CString HtmlEscape(const CString& text);
// Percent-encodes every byte of a UTF-8 path except the unreserved characters
// and '/', so that a relative link reaches exactly that file.
CString PercentEncodePath(const CString& path);

// Shows the HTML file in a window of its own, titled title, beside owner's
// (not modal; it closes with owner); its links to other sites go to the
// desktop. A second call shows the file in the same window. False when the
// file cannot be read.
bool ShowHtmlWindow(const CString& path, const CString& title, CWnd* owner);

}  // namespace platform
