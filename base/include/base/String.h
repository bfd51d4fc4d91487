#pragma once
// CString: the text value type of every library. It holds UTF-8, the code page
// of a Linux desktop; lengths and positions count bytes.
#include <cstddef>
#include <string>
#include <utility>

class CString {
 public:
  CString() = default;
  CString(const char* text) : m_str(text ? text : "") {}
  CString(const char* text, int length);
  CString(const std::string& text) : m_str(text) {}
  CString(std::string&& text) : m_str(std::move(text)) {}
  CString(char ch, int repeat = 1);

  operator const char*() const { return m_str.c_str(); }
  const char* GetString() const { return m_str.c_str(); }
  const std::string& Str() const { return m_str; }

  int GetLength() const { return static_cast<int>(m_str.size()); }
  bool IsEmpty() const { return m_str.empty(); }
  void Empty() { m_str.clear(); }
  char GetAt(int index) const;

  // Left(n), Mid(start[, n]) and Right(n) clamp their arguments as the
  // framework does: a count past the end takes what there is.
  CString Left(int count) const;
  CString Mid(int start) const;
  CString Mid(int start, int count) const;
  CString Right(int count) const;

  // Position of the first match at or after start, or -1.
  int Find(const char* sub, int start = 0) const;
  int Find(char ch, int start = 0) const;
  // Position of the last occurrence of ch, or -1.
  int ReverseFind(char ch) const;

  int CompareNoCase(const char* other) const;

  // printf-style formatting; CString arguments may be passed as they are.
  template <typename... Args>
  void Format(const char* format, const Args&... args) {
    FormatRaw(format, Pass(args)...);
  }
  template <typename... Args>
  void AppendFormat(const char* format, const Args&... args) {
    CString part;
    part.Format(format, args...);
    m_str += part.m_str;
  }
  template <typename... Args>
  static CString Formatted(const char* format, const Args&... args) {
    CString s;
    s.Format(format, args...);
    return s;
  }

  CString& operator+=(const CString& other) { m_str += other.m_str; return *this; }
  CString& operator+=(const char* other) { m_str += other ? other : ""; return *this; }
  CString& operator+=(char ch) { m_str += ch; return *this; }

  friend CString operator+(const CString& a, const CString& b) { return CString(a.m_str + b.m_str); }
  friend CString operator+(const CString& a, const char* b) { return CString(a.m_str + (b ? b : "")); }
  friend CString operator+(const char* a, const CString& b) { return CString((a ? a : "") + b.m_str); }
  friend CString operator+(const CString& a, char b) { return CString(a.m_str + b); }

  friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
  friend bool operator==(const CString& a, const char* b) { return a.m_str == (b ? b : ""); }
  friend bool operator==(const char* a, const CString& b) { return b == a; }
  friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
  friend bool operator!=(const CString& a, const char* b) { return !(a == b); }
  friend bool operator!=(const char* a, const CString& b) { return !(b == a); }
  friend bool operator<(const CString& a, const CString& b) { return a.m_str < b.m_str; }

 private:
  template <typename T>
  static const T& Pass(const T& v) { return v; }
  static const char* Pass(const CString& s) { return s.GetString(); }
  void FormatRaw(const char* format, ...) __attribute__((format(printf, 2, 3)));

  std::string m_str;
};
