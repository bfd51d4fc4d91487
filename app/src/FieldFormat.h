#pragma once
// Formatting a field's text: changing its letter case, and replacing text in
// it, plainly or by a regular expression. Plain functions on UTF-8 text,
// with no window; the "Format fields" command shows their results as a
// preview and applies them as one step.
#include <platform/String.h>

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
CString ChangeCase(const CString& text, TextCase textCase);

// Replacing every occurrence of a text, or every match of a regular
// expression (ECMAScript syntax: "$1" and "$&" in the replacement name
// groups). Matches are found by an automaton, not by backtracking, so no
// expression or text can hang it or overflow the stack; in return
// back-references (\1) inside the expression are refused, and of
// alternatives the longest match is taken.
class CTextReplace {
 public:
  CTextReplace();
  ~CTextReplace();
  CTextReplace(CTextReplace&&) noexcept;
  CTextReplace& operator=(CTextReplace&&) noexcept;

  // Takes what to find and what to put in its place. False, with a message
  // naming the problem, when there is nothing to find or the expression is
  // not valid; the object then replaces nothing.
  bool Prepare(const CString& find, const CString& replaceWith, bool bRegex, CString& error);

  // The text with every occurrence replaced; the text itself when nothing
  // matches or nothing was prepared.
  CString Apply(const CString& text) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_pImpl;
};
