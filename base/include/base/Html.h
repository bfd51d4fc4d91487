#pragma once
// Text made safe for an HTML page: escaped for element text and attribute
// values, and percent-encoded for a link target.
#include <base/String.h>

namespace base {

// Replaces &, <, > and " with their character references; every other byte
// is kept as it is.
CString HtmlEscape(const CString& text);
// Percent-encodes every byte of a UTF-8 path except the unreserved characters
// and '/', so that a relative link reaches exactly that file.
CString PercentEncodePath(const CString& path);

}  // namespace base
