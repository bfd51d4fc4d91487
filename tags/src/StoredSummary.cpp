#include "StoredSummary.h"

#include <iterator>

CString PictureSummary(const CString& mime, int type, std::size_t bytes) {
  static const char* const kTypes[] = {
      "other picture",     "file icon",         "other file icon",    "front cover",        "back cover",
      "leaflet page",      "media",             "lead artist",        "artist",             "conductor",
      "band",              "composer",          "lyricist",           "recording location", "during recording",
      "during performance", "video capture",    "bright coloured fish", "illustration",     "band logo",
      "publisher logo"};
  const char* name = type >= 0 && type < static_cast<int>(std::size(kTypes)) ? kTypes[type] : "picture";
  return CString::Formatted("%s, %s, %zu bytes", mime.IsEmpty() ? "image" : mime.GetString(), name, bytes);
}

CString BinarySummary(std::size_t bytes) { return CString::Formatted("binary, %zu bytes", bytes); }
