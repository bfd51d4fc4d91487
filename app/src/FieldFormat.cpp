#include "FieldFormat.h"

#include "Utf8.h"

#include <locale.h>
#include <wctype.h>

#include <regex>

namespace {

// The C library's Unicode tables, through a locale of our own so the
// program's global locale is neither needed nor changed. Null when the
// system has no UTF-8 locale; then only ASCII letters convert.
locale_t Utf8Locale() {
  static const locale_t locale = [] {
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"})
      if (locale_t found = newlocale(LC_CTYPE_MASK, name, static_cast<locale_t>(nullptr))) return found;
    return static_cast<locale_t>(nullptr);
  }();
  return locale;
}

// The same tables for the regular expressions' classes; the classic locale
// (ASCII only) when there is none.
std::locale RegexLocale() {
  try {
    return std::locale("C.UTF-8");
  } catch (const std::exception&) {
    return std::locale::classic();
  }
}

bool IsLetter(wchar_t ch) {
  locale_t locale = Utf8Locale();
  return locale ? iswalpha_l(static_cast<wint_t>(ch), locale) != 0 : (ch < 0x80 && iswalpha(static_cast<wint_t>(ch)));
}
bool IsDigit(wchar_t ch) { return ch >= L'0' && ch <= L'9'; }
bool IsApostrophe(wchar_t ch) { return ch == L'\'' || ch == L'\u2019'; }

wchar_t Upper(wchar_t ch) {
  locale_t locale = Utf8Locale();
  if (locale) return static_cast<wchar_t>(towupper_l(static_cast<wint_t>(ch), locale));
  return ch < 0x80 ? static_cast<wchar_t>(towupper(static_cast<wint_t>(ch))) : ch;
}
wchar_t Lower(wchar_t ch) {
  locale_t locale = Utf8Locale();
  if (locale) return static_cast<wchar_t>(towlower_l(static_cast<wint_t>(ch), locale));
  return ch < 0x80 ? static_cast<wchar_t>(towlower(static_cast<wint_t>(ch))) : ch;
}

}  // namespace

CString ChangeCase(const CString& text, TextCase textCase) {
  std::wstring chars = utf8::Decode(text.Str());
  bool bFirstSeen = false;
  for (std::size_t i = 0; i < chars.size(); ++i) {
    wchar_t& ch = chars[i];
    bool bUp = false;
    switch (textCase) {
      case TextCase::kLower: break;
      case TextCase::kUpper: bUp = true; break;
      case TextCase::kFirstLetter: bUp = !bFirstSeen && IsLetter(ch); break;
      case TextCase::kTitle: {
        const wchar_t before = i > 0 ? chars[i - 1] : L' ';
        const bool bInsideWord = IsLetter(before) || IsDigit(before) ||
                                 (IsApostrophe(before) && i > 1 && IsLetter(chars[i - 2]));
        bUp = !bInsideWord;
        break;
      }
    }
    ch = bUp ? Upper(ch) : Lower(ch);
    bFirstSeen = bFirstSeen || IsLetter(ch);
  }
  return CString(utf8::Encode(chars));
}

struct CTextReplace::Impl {
  bool bRegex = false;
  std::string find;  // the plain text to find
  std::string with;
  std::wregex expression;
  std::wstring expressionWith;
};

CTextReplace::CTextReplace() = default;
CTextReplace::~CTextReplace() = default;
CTextReplace::CTextReplace(CTextReplace&&) noexcept = default;
CTextReplace& CTextReplace::operator=(CTextReplace&&) noexcept = default;

bool CTextReplace::Prepare(const CString& find, const CString& replaceWith, bool bRegex, CString& error) {
  m_pImpl.reset();
  if (find.IsEmpty()) {
    error = "Nothing to find: the text to replace is empty.";
    return false;
  }
  auto impl = std::make_unique<Impl>();
  impl->bRegex = bRegex;
  impl->find = find.Str();
  impl->with = replaceWith.Str();
  if (bRegex) {
    try {
      // libstdc++'s polynomial mode runs the expression as an automaton
      // instead of by recursion, which overflows the stack on a few
      // thousand characters; Unicode classes (\w, [[:upper:]]) need a UTF-8
      // locale's tables.
      impl->expression.imbue(RegexLocale());
      impl->expression.assign(utf8::Decode(find.Str()),
                              std::regex_constants::ECMAScript | std::regex_constants::__polynomial);
    } catch (const std::exception& problem) {
      std::string reason = problem.what();
      while (!reason.empty() && reason.back() == '.') reason.pop_back();
      error.Format("The regular expression \"%s\" is not valid: %s.", find.GetString(), reason.c_str());
      return false;
    }
    impl->expressionWith = utf8::Decode(replaceWith.Str());
  }
  m_pImpl = std::move(impl);
  return true;
}

CString CTextReplace::Apply(const CString& text) const {
  if (!m_pImpl) return text;
  if (m_pImpl->bRegex) {
    try {
      return CString(utf8::Encode(std::regex_replace(utf8::Decode(text.Str()), m_pImpl->expression,
                                                     m_pImpl->expressionWith)));
    } catch (const std::exception&) {
      return text;  // the library gave up on this text (too complex): left as it was
    }
  }
  std::string out;
  const std::string& in = text.Str();
  std::size_t from = 0;
  for (std::size_t at; (at = in.find(m_pImpl->find, from)) != std::string::npos; from = at + m_pImpl->find.size())
    out.append(in, from, at - from).append(m_pImpl->with);
  out.append(in, from, std::string::npos);
  return CString(std::move(out));
}
