#include <platform/String.h>

#include <QString>

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace {

QString ToQt(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

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
  const int r = ToQt(m_str).compare(QString::fromUtf8(other ? other : ""), Qt::CaseInsensitive);
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
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
