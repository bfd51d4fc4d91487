#pragma once
// Formatting a field's text: changing its letter case, and replacing text in
// it, plainly or by a regular expression. Plain functions on UTF-8 text,
// with no window; the "Format fields" command shows their results as a
// preview and applies them as one step.
#include <base/String.h>

#include <chrono>
#include <memory>

enum class TextCase {
  kTitle,        // "élan VITAL" -> "Élan Vital": every word's first letter up, the rest down
  kLower,        // every letter down
  kUpper,        // every letter up
  kFirstLetter,  // "élan VITAL" -> "Élan vital": the text's first letter up, the rest down
};

// The text in that case. Letters of every script convert (by the C
// library's Unicode tables); a letter whose other case is longer (ß) stays as
// it is, and bytes that are not UTF-8 are kept. A word starts after anything
// but a letter, a digit or an apostrophe between letters ("don't", "1st").
// A word's first letter takes its title case (the digraph "ǆ" gives "ǅ", not
// "Ǆ"), and a Greek sigma lowered at the end of a word is the final "ς".
CString ChangeCase(const CString& text, TextCase textCase);

// Replacing every occurrence of a text, or every match of a regular
// expression (Perl syntax, which takes ECMAScript's too: "\w", "\u00e9",
// "(?i)"; "$1", "$&", "$`", "$'" and "$$" in the replacement as ECMAScript
// has them). Letters, "\w" and "\b" are Unicode's; "." matches anything but
// a line break, "$" only the end of the text. A match is worked out within a
// limit of steps from each place of the text, and a text within a limit of
// time, so no expression can hang a caller or overflow the stack: one that
// needs more is refused for that text, with the reason.
class CTextReplace {
 public:
  // Steps of the matcher from one place of a text.
  static constexpr unsigned kMatchLimit = 1000000;
  // Milliseconds one text (or row of texts) may take, all its matches together.
  static constexpr int kTimeLimitMs = 40;

  CTextReplace();
  ~CTextReplace();
  CTextReplace(CTextReplace&&) noexcept;
  CTextReplace& operator=(CTextReplace&&) noexcept;

  // Takes what to find and what to put in its place. False, with a message
  // naming the problem, when there is nothing to find or the expression is
  // not valid; the object then replaces nothing.
  bool Prepare(const CString& find, const CString& replaceWith, bool bRegex, CString& error);

  // The text with every occurrence replaced; the text itself when nothing
  // matches or nothing was prepared. When the expression exceeds a limit on
  // this text, the text itself, with the reason in problem ("The regular
  // expression "(a+)+$" is refused: it tries too many ways to match a text
  // of 30001 characters", no full stop); else problem is emptied.
  CString Apply(const CString& text, CString& problem) const;
  // The same within a time shared with other texts (the fields of one row):
  // past deadline the expression is refused as taking too long.
  CString Apply(const CString& text, CString& problem, std::chrono::steady_clock::time_point deadline) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_pImpl;
};
