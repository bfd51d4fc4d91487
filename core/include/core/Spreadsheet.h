#pragma once
// The folder as a spreadsheet: the names fields go by outside the window
// (command line, CSV headers, JSON keys), and CSV text (RFC 4180) and JSON
// strings read and written as plain functions, with no files involved.
#include <core/Fields.h>
#include <core/Patterns.h>
#include <core/RowEdits.h>
#include <core/TableRows.h>

#include <base/String.h>


#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A field's name: its placeholder without the percent signs ("artist",
// "origartist", "genre"); for a field without one, its column title in lower
// case without spaces or dots ("sizekb", "bitrate"). The key is "key".
CString FieldNameOf(Field field);
// The field a name means, in any letter case: the names above, every other
// placeholder ("albumartist", "tracknumber") and the column titles written
// the same way ("originalartist"). Nothing for any other name or for "key".
std::optional<Field> FieldNamed(const CString& name);
// The names of the editable fields, in the table's order, for help texts.
std::vector<CString> EditableFieldNames();
// The columns of a spreadsheet of the files: the key, the editable fields,
// and with facts the others (size, bit rate, ..., tag, cover), in the table's order.
std::vector<Field> SpreadsheetFields(bool facts);

// True when text is UTF-8 throughout (no overlong forms, surrogates or
// values past U+10FFFF): what a tag's text must be before it is written.
bool IsUtf8(std::string_view text);

// text as a sheet holds it: UTF-8 throughout, each byte that is not UTF-8
// (a Latin-1 file name, a tag written in the wrong encoding) as the Latin-1
// character of its value, as the program reads such bytes everywhere. An
// import compares and finds keys in this form, so a sheet exported and read
// back changes nothing.
CString SheetCell(const CString& text);

// One CSV record: the cells quoted where RFC 4180 needs it (a comma, a
// quote, a line break, or a space at either end), ended by CRLF.
std::string CsvRecord(const std::vector<CString>& cells);

struct CCsvRecord {
  int nLine = 0;  // the line it starts on, from 1
  std::vector<CString> cells;
};

// The records of CSV text: a byte-order mark at the start is skipped, CRLF
// and LF both end a record, an empty last line is no record. False, with
// the problem and its line in error ("line 4: a quoted cell is not
// closed"), for text that is not UTF-8, a quote left open, or text after a
// closing quote; then records holds nothing.
bool ParseCsv(std::string_view text, std::vector<CCsvRecord>& records, CString& error);

// text as a JSON string, quotes included (control characters escaped, the
// rest kept as UTF-8; bytes that are not UTF-8 as SheetCell gives them).
std::string JsonString(std::string_view text);

// A spreadsheet read for an import: each row's key and the editable fields
// its header names (the facts are left out), checked before any file is.
struct CImportRow {
  int nLine = 0;
  CString strKey;     // a path below the folder without ".mp3"; never leaves the folder
  FieldValues values;  // in the header's order
};
struct CSheetImport {
  // Why nothing at all may be imported, with its line ("line 1, column 3:
  // no field is called \"artst\"", "line 7: the key \"../x\" names no file
  // inside the folder"); empty when the rows may be.
  CString strError;
  std::vector<CImportRow> rows;  // keys that appear once, in the text's order
  // Rows left out, with why: a key that appears twice leaves out both.
  std::vector<std::pair<int, CString>> leftOut;
  bool bSubfolders = false;  // some key lies in a folder below
};
// The CSV text read as above (ParseCsv's refusals included); blank lines
// are skipped. The header is "key" then field names, each at most once.
CSheetImport ReadSheetImport(std::string_view csv);

// What an import row gives row r of rows: its values that change what the
// row shows (a genre given by its name, as the row shows it, is no change;
// nor is an empty cell over a field the file does not have, shown "-").
FieldValues ImportedValues(const CImportRow& import, const CRowTexts& rows, int r);

class CFolderSession;
// The session's rows as a sheet: a header of the fields' names ("key" for
// the file name), then a row per id with its key and what the fields show
// (a genre by its name). format is "csv" (RFC 4180, CRLF), "json" (an array
// of objects) or "tsv" (tabs; tabs and line breaks in a text become spaces);
// bom puts a byte-order mark first.
std::string SheetText(CFolderSession& session, const std::vector<RowId>& ids, const std::vector<Field>& fields,
                      const std::string& format, bool bom);
