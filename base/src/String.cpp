#include <base/String.h>

#include <base/Utf8.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string_view>

#include <locale.h>
#include <wctype.h>

namespace {

// The Unicode letter cases of the C library's UTF-8 locale, whatever locale
// the program runs in; without that locale only ASCII letters fold.
locale_t CaseLocale() {
  static const locale_t locale = [] {
    locale_t made = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return made ? made : ::newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr));
  }();
  return locale;
}

wchar_t Folded(wchar_t ch) {
  if (ch < 0x80) return ch >= 'A' && ch <= 'Z' ? ch + ('a' - 'A') : ch;
  const locale_t locale = CaseLocale();
  return locale ? static_cast<wchar_t>(::towlower_l(static_cast<wint_t>(ch), locale)) : ch;
}

}  // namespace

CString::CString(const char* text, int length) {
  if (text && length > 0) m_str.assign(text, static_cast<std::size_t>(length));
}

CString::CString(char ch, int repeat) {
  if (repeat > 0) m_str.assign(static_cast<std::size_t>(repeat), ch);
}

char CString::GetAt(int index) const {
  if (index < 0 || index >= GetLength()) return '\0';
  return m_str[static_cast<std::size_t>(index)];
}

CString CString::Left(int count) const {
  count = std::clamp(count, 0, GetLength());
  return CString(m_str.substr(0, static_cast<std::size_t>(count)));
}

CString CString::Mid(int start) const { return Mid(start, GetLength()); }

CString CString::Mid(int start, int count) const {
  start = std::clamp(start, 0, GetLength());
  count = std::clamp(count, 0, GetLength() - start);
  return CString(m_str.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(count)));
}

CString CString::Right(int count) const {
  count = std::clamp(count, 0, GetLength());
  return CString(m_str.substr(m_str.size() - static_cast<std::size_t>(count)));
}

int CString::Find(const char* sub, int start) const {
  if (!sub || start < 0 || start > GetLength()) return -1;
  const auto pos = m_str.find(sub, static_cast<std::size_t>(start));
  return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(char ch, int start) const {
  if (start < 0 || start > GetLength()) return -1;
  const auto pos = m_str.find(ch, static_cast<std::size_t>(start));
  return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(char ch) const {
  const auto pos = m_str.rfind(ch);
  return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::CompareNoCase(const char* other) const {
  // Character by character with letter case folded; a byte that is not
  // UTF-8 compares as itself. Names mostly differ early: nothing is copied.
  const std::string_view a(m_str), b(other ? other : "");
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const wchar_t x = Folded(utf8::Next(a, i)), y = Folded(utf8::Next(b, j));
    if (x != y) return x < y ? -1 : 1;
  }
  return i == a.size() && j == b.size() ? 0 : (i == a.size() ? -1 : 1);
}

void CString::FormatRaw(const char* format, ...) {
  if (!format) {
    m_str.clear();
    return;
  }
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int needed = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (needed < 0) {
    m_str.clear();
  } else {
    std::string out(static_cast<std::size_t>(needed) + 1, '\0');
    std::vsnprintf(out.data(), out.size(), format, args);
    out.resize(static_cast<std::size_t>(needed));
    m_str = std::move(out);
  }
  va_end(args);
}
