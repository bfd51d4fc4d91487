#include "NumberText.h"

#include <charconv>
#include <climits>
#include <cstdlib>
#include <locale.h>

namespace gridora {

CString FormatFixed(double value, int places) {
  // Room for the largest double written out in full, plus the decimals.
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, places);
  return CString(buffer, static_cast<int>(result.ptr - buffer));
}

int ReadInt(const CString& text) {
  const long value = std::strtol(text.GetString(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

double ReadReal(const CString& text) {
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
  return strtod_l(text.GetString(), nullptr, cLocale);
}

}  // namespace gridora
