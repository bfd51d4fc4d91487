#pragma once
// Text made safe for an HTML page: escaped for element text and attribute
// values, and percent-encoded for a link target.
#include <platform/String.h>

namespace platform {

// Replaces &, <, > and " with their character references.
CString HtmlEscape(const CString& text);
// Percent-encodes every byte of a UTF-8 path except the unreserved characters
// and '/', so that a relative link reaches exactly that file.
CString PercentEncodePath(const CString& path);

}  // namespace platform
