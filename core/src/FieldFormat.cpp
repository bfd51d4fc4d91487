#include <core/FieldFormat.h>

#include <base/Utf8.h>

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <locale.h>
#include <wctype.h>

#include <chrono>

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
// A word's first letter: "ǆ" becomes "ǅ", where upper case gives "Ǆ".
wchar_t Title(wchar_t ch) {
  locale_t locale = Utf8Locale();
  static const wctrans_t title = locale ? wctrans_l("totitle", locale) : wctrans_t();
  return title ? static_cast<wchar_t>(towctrans_l(static_cast<wint_t>(ch), title, locale)) : Upper(ch);
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
    if (textCase == TextCase::kUpper) {
      ch = Upper(ch);
    } else {
      ch = bUp ? Title(ch) : Lower(ch);
    }
    bFirstSeen = bFirstSeen || IsLetter(ch);
  }
  // Greek writes a sigma that ends a word as "ς"; the tables lower every sigma to "σ".
  constexpr wchar_t kSigma = L'\u03C3', kFinalSigma = L'\u03C2';
  if (textCase != TextCase::kUpper)
    for (std::size_t i = 1; i < chars.size(); ++i)
      if (chars[i] == kSigma && IsLetter(chars[i - 1]) && (i + 1 == chars.size() || !IsLetter(chars[i + 1])))
        chars[i] = kFinalSigma;
  return CString(utf8::Encode(chars));
}

namespace {

// The matcher's stack for compiled expressions, one per thread (a match runs
// on the thread that asks for it); deep enough for a repeat over 100,000
// characters.
pcre2_jit_stack* JitStack(void*) {
  struct Holder {
    pcre2_jit_stack* stack = pcre2_jit_stack_create(32 * 1024, 8 * 1024 * 1024, nullptr);
    ~Holder() { pcre2_jit_stack_free(stack); }
  };
  thread_local Holder holder;
  return holder.stack;
}

using Clock = std::chrono::steady_clock;

// Called before each place of the text a match is tried from.
struct CCalloutState {
  Clock::time_point deadline;
  bool bLate = false;
};
int CheckTime(pcre2_callout_block*, void* data) {
  auto* state = static_cast<CCalloutState*>(data);
  if (Clock::now() < state->deadline) return 0;
  state->bLate = true;
  return PCRE2_ERROR_CALLOUT;  // ends the match
}

constexpr std::uint32_t kCompileOptions = PCRE2_UTF | PCRE2_UCP | PCRE2_MATCH_INVALID_UTF | PCRE2_DOLLAR_ENDONLY |
                                          PCRE2_ALT_BSUX | PCRE2_NEVER_BACKSLASH_C;

pcre2_code* Compile(const std::string& pattern, int& errorCode, PCRE2_SIZE& errorAt) {
  pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
  // A line ends at CR or LF, as "." knows it in ECMAScript.
  pcre2_set_newline(context, PCRE2_NEWLINE_ANYCRLF);
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), kCompileOptions,
                                   &errorCode, &errorAt, context);
  pcre2_compile_context_free(context);
  return code;
}

std::uint32_t CaptureCount(const pcre2_code* code) {
  std::uint32_t count = 0;
  pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &count);
  return count;
}

std::string ErrorText(int code) {
  PCRE2_UCHAR text[256];
  if (pcre2_get_error_message(code, text, sizeof text) < 0) return "error " + std::to_string(code);
  return reinterpret_cast<const char*>(text);
}

std::size_t Characters(const std::string& text, std::size_t bytes) {
  std::size_t count = 0;
  for (std::size_t k = 0; k < bytes && k < text.size(); ++k) count += !utf8::IsContinuation(static_cast<unsigned char>(text[k]));
  return count;
}

// Where the character at byte at ends (a byte that is not UTF-8 is one of its own).
std::size_t NextCharacter(const std::string& text, std::size_t at) {
  std::size_t next = at + 1;
  while (next < text.size() && next - at < 4 && utf8::IsContinuation(static_cast<unsigned char>(text[next]))) ++next;
  return next;
}

// Appends the replacement for one match, its "$" forms as ECMAScript reads
// them: "$$", "$&", "$`" (the text since the last match), "$'" (the text
// after this one), "$n" and "$nn" (a group; nothing for one that did not
// take part or does not exist); any other "$" stands for itself.
void AppendReplacement(std::string& out, const std::string& with, const std::string& text, const PCRE2_SIZE* groups,
                       std::uint32_t groupCount, std::size_t since) {
  const auto group = [&](std::size_t n) {
    if (n > groupCount || groups[2 * n] == PCRE2_UNSET) return;
    out.append(text, groups[2 * n], groups[2 * n + 1] - groups[2 * n]);
  };
  const auto isDigit = [](char ch) { return ch >= '0' && ch <= '9'; };
  for (std::size_t k = 0; k < with.size(); ++k) {
    if (with[k] != '$' || k + 1 == with.size()) {
      out += with[k];
      continue;
    }
    const char next = with[k + 1];
    if (next == '$') {
      out += '$';
      ++k;
    } else if (next == '&') {
      group(0);
      ++k;
    } else if (next == '`') {
      out.append(text, since, groups[0] - since);
      ++k;
    } else if (next == '\'') {
      out.append(text, groups[1], std::string::npos);
      ++k;
    } else if (isDigit(next)) {
      std::size_t n = static_cast<std::size_t>(next - '0');
      ++k;
      if (k + 1 < with.size() && isDigit(with[k + 1])) n = n * 10 + static_cast<std::size_t>(with[++k] - '0');
      group(n);
    } else {
      out += '$';
    }
  }
}

}  // namespace

struct CTextReplace::Impl {
  bool bRegex = false;
  std::string find;  // the plain text to find, or the expression as typed
  std::string with;
  pcre2_code* pCode = nullptr;
  std::uint32_t nGroups = 0;
  bool bTimed = false;  // the expression calls CheckTime before each place it tries

  ~Impl() { pcre2_code_free(pCode); }
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
    int code = 0;
    PCRE2_SIZE at = 0;
    pcre2_code* plain = Compile(impl->find, code, at);
    if (!plain) {
      error.Format("The regular expression \"%s\" is not valid: %s (at character %zu).", find.GetString(),
                   ErrorText(code).c_str(), Characters(impl->find, at) + 1);
      return false;
    }
    impl->nGroups = CaptureCount(plain);
    // The same expression with a call at its start, which each place tried
    // from passes, so a text's time can be kept to. Taken only when it means
    // the same (an expression that ends in a comment or an open \Q does not).
    pcre2_code* timed = Compile("(?C1)(?:" + impl->find + ")", code, at);
    if (timed && CaptureCount(timed) == impl->nGroups) {
      pcre2_code_free(plain);
      impl->pCode = timed;
      impl->bTimed = true;
    } else {
      pcre2_code_free(timed);
      impl->pCode = plain;
    }
    // Compiled to machine code where the library can (several times faster); else interpreted.
    pcre2_jit_compile(impl->pCode, PCRE2_JIT_COMPLETE);
  }
  m_pImpl = std::move(impl);
  return true;
}

CString CTextReplace::Apply(const CString& text, CString& problem) const {
  return Apply(text, problem, Clock::now() + std::chrono::milliseconds(kTimeLimitMs));
}

CString CTextReplace::Apply(const CString& text, CString& problem, Clock::time_point deadline) const {
  problem.Empty();
  if (!m_pImpl) return text;
  const std::string& in = text.Str();
  if (!m_pImpl->bRegex) {
    std::string out;
    std::size_t from = 0;
    for (std::size_t at; (at = in.find(m_pImpl->find, from)) != std::string::npos; from = at + m_pImpl->find.size())
      out.append(in, from, at - from).append(m_pImpl->with);
    out.append(in, from, std::string::npos);
    return CString(std::move(out));
  }

  CCalloutState state{deadline};
  pcre2_match_context* context = pcre2_match_context_create(nullptr);
  pcre2_set_match_limit(context, kMatchLimit);
  pcre2_set_depth_limit(context, kMatchLimit);
  pcre2_set_heap_limit(context, 64 * 1024);  // KiB
  pcre2_jit_stack_assign(context, JitStack, nullptr);
  if (m_pImpl->bTimed) pcre2_set_callout(context, CheckTime, &state);
  pcre2_match_data* match = pcre2_match_data_create_from_pattern(m_pImpl->pCode, nullptr);
  const auto* subject = reinterpret_cast<PCRE2_SPTR>(in.data());
  const PCRE2_SIZE* groups = pcre2_get_ovector_pointer(match);

  // Matches in turn, as ECMAScript finds them: after an empty match, a
  // non-empty one at the same place, else the search goes on a character later.
  std::string out;
  std::size_t since = 0;  // the end of the last match
  std::size_t at = 0;     // where the next search begins
  std::uint32_t options = 0;
  int result = 0;
  for (;;) {
    result = pcre2_match(m_pImpl->pCode, subject, in.size(), at, options, match, context);
    if (result == PCRE2_ERROR_NOMATCH && options != 0 && at < in.size()) {
      at = NextCharacter(in, at);
      options = 0;
      continue;
    }
    if (result < 0) break;
    const std::size_t start = groups[0], end = groups[1];
    out.append(in, since, start - since);
    AppendReplacement(out, m_pImpl->with, in, groups, m_pImpl->nGroups, since);
    since = at = end;
    options = start == end ? PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED : 0;
    if (start == end && end == in.size()) break;
  }
  pcre2_match_data_free(match);
  pcre2_match_context_free(context);

  if (result >= 0 || result == PCRE2_ERROR_NOMATCH) {
    out.append(in, since, std::string::npos);
    return CString(std::move(out));
  }
  const std::size_t length = Characters(in, in.size());
  switch (result) {
    case PCRE2_ERROR_MATCHLIMIT:
    case PCRE2_ERROR_DEPTHLIMIT:
    case PCRE2_ERROR_HEAPLIMIT:
    case PCRE2_ERROR_JIT_STACKLIMIT:
    case PCRE2_ERROR_NOMEMORY:
      problem.Format("The regular expression \"%s\" is refused: it tries too many ways to match a text of %zu characters",
                     m_pImpl->find.c_str(), length);
      break;
    case PCRE2_ERROR_CALLOUT:
      if (state.bLate) {
        problem.Format("The regular expression \"%s\" is refused: it takes too long on a text of %zu characters",
                       m_pImpl->find.c_str(), length);
        break;
      }
      [[fallthrough]];
    default:
      problem.Format("The regular expression \"%s\" cannot be applied to a text of %zu characters: %s",
                     m_pImpl->find.c_str(), length, ErrorText(result).c_str());
      break;
  }
  return text;
}
