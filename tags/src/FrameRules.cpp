#include "FrameRules.h"

#include "TextCodec.h"

namespace framerules {

bool IsFieldFrame(const std::string& description) { return description.empty(); }

std::string CommentLanguage(const std::vector<std::string>& languages) {
  for (const std::string& code : languages) {
    bool letters = code.size() == 3;
    for (char c : code) letters = letters && c >= 'a' && c <= 'z';
    if (letters) return code;
  }
  return "eng";
}

CString StoredUrl(const CString& url) {
  std::string latin;
  if (textcodec::Utf8ToLatin1(url, &latin)) return url;
  static const char kHex[] = "0123456789ABCDEF";
  std::string uri;
  for (unsigned char c : url.Str()) {
    if (c < 0x80) {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 0x0F];
    }
  }
  return CString(uri);
}

}  // namespace framerules
