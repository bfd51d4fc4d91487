#pragma once
// Edits of many rows at once, as pure functions of the rows' texts: what the
// tag panel shows for several rows, and what "Tags from file names" and
// "Format fields" would give each row. The dialogs preview these; the main
// window applies them as one step of the history.
#include <core/FieldFormat.h>
#include <core/Patterns.h>
#include <core/Renaming.h>

#include <optional>
#include <vector>

// The rows an edit reads, by index from 0.
class CRowTexts {
 public:
  virtual ~CRowTexts() = default;
  virtual int Count() const = 0;
  // The row's key: its file's name below the folder, without ".mp3", as the
  // File name column shows it.
  virtual CString KeyOf(int row) const = 0;
  // The key of the file as it is named on disk: KeyOf, unless the row has a
  // rename that is not saved yet.
  virtual CString FileKeyOf(int row) const { return KeyOf(row); }
  // The field's text as the tag panel shows it (a genre by its name).
  virtual CString TextOf(int row, Field field) const = 0;
  // The row's place in the table, for rows read from one; else the row itself.
  virtual int Place(int row) const { return row; }
};

// For each field, the text every row has, or nothing where the rows differ
// (nothing for every field when there are no rows). A field is read only
// up to the first row that differs from the first.
std::vector<std::optional<CString>> CommonTexts(const CRowTexts& rows, const std::vector<Field>& fields);

// What an edit gives one row.
struct CRowEdit {
  bool bMatched = true;  // false: the row's name does not fit the pattern; the row stays as it is
  FieldValues values;    // fields and their new texts, in the order the edit names them
  // Why the edit cannot be worked out for this row (a regular expression
  // too costly for one of its texts); then values is empty, and the edit as
  // a whole is refused for the reason.
  CString strProblem;
};

// The tags the row's name gives: every field the pattern names.
CRowEdit TagsFromNameOf(const NamePattern& pattern, const CRowTexts& rows, int row);

// The renames a kMakeName pattern gives the rows (PlanRenames), in their
// order: each row is known by its file's name on disk, so a rename not saved
// yet is planned anew from it. namesPresent as PlanRenames takes it.
std::vector<RenameStep> RenamesOf(const NamePattern& pattern, const CRowTexts& rows,
                                  const std::vector<CString>& namesPresent);
// What a rename gives its row: the File name cell's new key. A refused row
// is unmatched and stays as it is; a row whose name does not change gets
// its file's own name (so a pending rename is dropped).
CRowEdit RenameEditOf(const RenameStep& step);

// A format of fields: a replacement, a letter case, or both. The
// replacement comes first, so that it finds the text as the user sees it.
class CFieldsFormat {
 public:
  // Takes the fields to format and what to do to them. False, with a
  // message naming the problem, when there is nothing to do or the
  // replacement cannot be prepared (see CTextReplace::Prepare); the format
  // then changes nothing.
  bool Prepare(std::vector<Field> fields, std::optional<TextCase> textCase, const CString& find,
               const CString& replaceWith, bool bRegex, CString& error);
  // The row's fields whose text the format changes, with their new texts. A
  // field that holds nothing (the empty-value marker "-") stays as it is:
  // the marker is no tag text to format. A replacement refused for a
  // field's text (CTextReplace::Apply; the row's fields share one time
  // limit) gives the edit its problem, naming the field and the row.
  CRowEdit FormatOf(const CRowTexts& rows, int row) const;

 private:
  std::vector<Field> m_fields;
  std::optional<TextCase> m_case;
  CTextReplace m_replace;
  bool m_bReplace = false;
};
