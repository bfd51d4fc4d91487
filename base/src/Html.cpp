#include <base/Html.h>

#include <string>

namespace base {

CString HtmlEscape(const CString& text) {
  std::string out;
  out.reserve(text.Str().size());
  for (const char ch : text.Str()) {
    switch (ch) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += ch;
    }
  }
  return CString(std::move(out));
}

// Encoded from the bytes themselves, so a name that is not valid UTF-8 still
// links to its file.
CString PercentEncodePath(const CString& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char ch : path.Str()) {
    const auto byte = static_cast<unsigned char>(ch);
    const bool keep = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
                      byte == '-' || byte == '.' || byte == '_' || byte == '~' || byte == '/';
    if (keep) {
      out += ch;
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    }
  }
  return CString(std::move(out));
}

}  // namespace base
