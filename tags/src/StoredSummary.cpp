#include "StoredSummary.h"

#include <tags/MyMP3Tags.h>

#include <cctype>
#include <string>

CString PictureSummary(const CString& mime, int type, std::size_t bytes) {
  // The type as the cover caption names it, in lower case: "front cover".
  std::string name = CMyMP3Tags::PictureTypeName(type).Str();
  name[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[0])));
  return CString::Formatted("%s, %s, %zu bytes", mime.IsEmpty() ? "image" : mime.GetString(), name.c_str(), bytes);
}

CString BinarySummary(std::size_t bytes) { return CString::Formatted("binary, %zu bytes", bytes); }
