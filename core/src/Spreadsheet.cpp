#include <core/Spreadsheet.h>

#include <core/FolderSession.h>
#include <core/Patterns.h>

#include <base/Utf8.h>

#include <tags/MyMP3Tags.h>

#include <algorithm>
#include <cctype>
#include <map>

namespace {

std::string Lowered(std::string text) {
  for (char& ch : text) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return text;
}

// The column title in lower case without its spaces and dots ("Size kb" -> "sizekb").
CString TitleName(Field field) {
  std::string name;
  for (const char* at = SpecOf(field).strTitle; *at; ++at)
    if (*at != ' ' && *at != '.') name += static_cast<char>(std::tolower(static_cast<unsigned char>(*at)));
  return name;
}

// The length of the UTF-8 sequence at text[at], or 0 when it is not one
// (overlong forms, surrogates and values past U+10FFFF included).
std::size_t Utf8Length(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  if (length == 0 || lead > 0xF4 || at + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k)
    if ((byte(k) & 0xC0) != 0x80) return 0;
  if (lead == 0xE0 && byte(1) < 0xA0) return 0;  // overlong
  if (lead == 0xED && byte(1) >= 0xA0) return 0;  // a surrogate
  if (lead == 0xF0 && byte(1) < 0x90) return 0;  // overlong
  if (lead == 0xF4 && byte(1) >= 0x90) return 0;  // past U+10FFFF
  return length;
}

}  // namespace

CString FieldNameOf(Field field) {
  if (field == kFileName) return "key";
  const CString placeholder = PlaceholderOf(field);
  return placeholder.IsEmpty() ? TitleName(field) : placeholder.Mid(1, placeholder.GetLength() - 2);
}

std::optional<Field> FieldNamed(const CString& name) {
  const CString lowered = Lowered(name.Str());
  if (lowered.IsEmpty() || lowered == "key" || lowered.Find('%') >= 0 || lowered.Find(':') >= 0) return std::nullopt;
  for (int f = kFileName + 1; f < kFieldCount; ++f) {
    const auto field = static_cast<Field>(f);
    if (lowered == FieldNameOf(field) || lowered == TitleName(field)) return field;
  }
  // The other names placeholders go by.
  NamePattern pattern;
  if (ParseNamePattern("%" + lowered + "%", PatternUse::kMakeName, pattern).IsEmpty() && pattern.pieces.size() == 1 &&
      pattern.pieces.front().kind == PatternPiece::kField)
    return pattern.pieces.front().field;
  return std::nullopt;
}

std::vector<CString> EditableFieldNames() {
  std::vector<CString> names;
  for (Field field : kEditableFields) names.push_back(FieldNameOf(field));
  return names;
}

bool IsUtf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = Utf8Length(text, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

CString SheetCell(const CString& text) {
  if (IsUtf8(text.Str())) return text;
  std::wstring characters = utf8::Decode(text.Str());
  for (wchar_t& ch : characters) ch = utf8::CharacterOf(ch);
  return CString(utf8::Encode(characters));
}

std::vector<Field> SpreadsheetFields(bool facts) {
  std::vector<Field> fields{kFileName};
  for (int f = kEditableFirst; f < (facts ? kFieldCount : kEditableEnd); ++f) fields.push_back(static_cast<Field>(f));
  return fields;
}

std::string CsvRecord(const std::vector<CString>& cells) {
  std::string line;
  for (std::size_t k = 0; k < cells.size(); ++k) {
    if (k > 0) line += ',';
    const std::string& cell = cells[k].Str();
    const bool quoted = cell.find_first_of(",\"\r\n") != std::string::npos ||
                        (!cell.empty() && (cell.front() == ' ' || cell.back() == ' '));
    if (!quoted) {
      line += cell;
      continue;
    }
    line += '"';
    for (char ch : cell) {
      if (ch == '"') line += '"';
      line += ch;
    }
    line += '"';
  }
  line += "\r\n";
  return line;
}

bool ParseCsv(std::string_view text, std::vector<CCsvRecord>& records, CString& error) {
  records.clear();
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  const auto fail = [&](int line, const char* problem) {
    records.clear();
    error = CString::Formatted("line %d: %s", line, problem);
    return false;
  };
  int line = 1;
  std::size_t at = 0;
  while (at < text.size()) {
    CCsvRecord record{line, {}};
    std::string cell;
    bool inQuotes = false, wasQuoted = false, ended = false;
    int quoteLine = line;
    while (at < text.size() && !ended) {
      const char ch = text[at];
      const std::size_t length = Utf8Length(text, at);
      if (length == 0) return fail(line, "the text is not UTF-8");
      if (inQuotes) {
        if (ch == '"' && at + 1 < text.size() && text[at + 1] == '"') {
          cell += '"';
          at += 2;
        } else if (ch == '"') {
          inQuotes = false;
          ++at;
        } else {
          if (ch == '\n') ++line;
          cell.append(text.substr(at, length));
          at += length;
        }
        continue;
      }
      if (ch == ',' || ch == '\n' || (ch == '\r' && at + 1 < text.size() && text[at + 1] == '\n')) {
        record.cells.emplace_back(std::move(cell));
        cell.clear();
        wasQuoted = false;
        if (ch == ',') {
          ++at;
        } else {
          at += ch == '\r' ? 2 : 1;
          ++line;
          ended = true;
        }
        continue;
      }
      if (ch == '"') {
        if (!cell.empty() || wasQuoted) return fail(line, "a quote inside a cell that is not quoted");
        inQuotes = wasQuoted = true;
        quoteLine = line;
        ++at;
        continue;
      }
      if (wasQuoted) return fail(line, "text after a quoted cell's closing quote");
      cell.append(text.substr(at, length));
      at += length;
    }
    if (inQuotes) return fail(quoteLine, "a quoted cell is not closed");
    if (!ended) record.cells.emplace_back(std::move(cell));
    records.push_back(std::move(record));
  }
  return true;
}

std::string JsonString(std::string_view raw) {
  const CString cell = SheetCell(CString(std::string(raw)));
  const std::string_view text = cell.Str();
  std::string out = "\"";
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = std::max<std::size_t>(Utf8Length(text, at), 1);  // UTF-8 throughout now
    const auto ch = static_cast<unsigned char>(text[at]);
    if (ch == '"' || ch == '\\') {
      out += '\\';
      out += static_cast<char>(ch);
    } else if (ch == '\n') {
      out += "\\n";
    } else if (ch == '\r') {
      out += "\\r";
    } else if (ch == '\t') {
      out += "\\t";
    } else if (ch < 0x20 || ch == 0x7F) {
      out += CString::Formatted("\\u%04x", ch).Str();
    } else {
      out.append(text.substr(at, length));
    }
    at += length;
  }
  return out + "\"";
}

namespace {

// True when key names a path below the folder: relative, without empty, "." or ".." parts.
bool StaysInside(const std::string& key) {
  if (key.empty() || key.front() == '/') return false;
  for (std::size_t at = 0; at <= key.size();) {
    const std::size_t end = std::min(key.find('/', at), key.size());
    const std::string_view part = std::string_view(key).substr(at, end - at);
    if (part.empty() || part == "." || part == "..") return false;
    at = end + 1;
  }
  return true;
}

bool IsBlank(const CCsvRecord& record) { return record.cells.size() == 1 && record.cells.front().IsEmpty(); }

}  // namespace

CSheetImport ReadSheetImport(std::string_view csv) {
  CSheetImport import;
  std::vector<CCsvRecord> records;
  if (!ParseCsv(csv, records, import.strError)) return import;
  const auto refuse = [&](const CString& error) {
    import.strError = error;
    import.rows.clear();
    import.leftOut.clear();
    return import;
  };
  if (records.empty()) return refuse("line 1: there is no header row");
  // The header: key first, then fields; the facts are read-only and skipped.
  const std::vector<CString>& header = records.front().cells;
  const int headerLine = records.front().nLine;
  std::vector<std::optional<Field>> columns{std::nullopt};
  std::vector<bool> seen(kFieldCount, false);
  if (header.front().CompareNoCase("key") != 0)
    return refuse(CString::Formatted("line %d, column 1: \"%s\" where the header must begin with key", headerLine,
                                     header.front().GetString()));
  for (std::size_t col = 1; col < header.size(); ++col) {
    const std::optional<Field> field = FieldNamed(header[col]);
    if (!field)
      return refuse(CString::Formatted("line %d, column %zu: no field is called \"%s\"", headerLine, col + 1,
                                       header[col].GetString()));
    if (seen[static_cast<std::size_t>(*field)])
      return refuse(CString::Formatted("line %d, column %zu: the field \"%s\" is there twice", headerLine, col + 1,
                                       header[col].GetString()));
    seen[static_cast<std::size_t>(*field)] = true;
    columns.push_back(*field >= kEditableFirst && *field < kEditableEnd ? field : std::nullopt);
  }
  std::map<CString, std::vector<int>> linesOfKey;
  for (std::size_t r = 1; r < records.size(); ++r) {
    const CCsvRecord& record = records[r];
    if (IsBlank(record)) continue;
    if (record.cells.size() != header.size())
      return refuse(CString::Formatted("line %d: %zu %s where the header has %zu", record.nLine, record.cells.size(),
                                       record.cells.size() == 1 ? "cell" : "cells", header.size()));
    const CString& key = record.cells.front();
    if (!StaysInside(key.Str()))
      return refuse(CString::Formatted("line %d: the key \"%s\" names no file inside the folder", record.nLine, key.GetString()));
    import.bSubfolders = import.bSubfolders || key.Find('/') >= 0;
    linesOfKey[key].push_back(record.nLine);
  }
  for (std::size_t r = 1; r < records.size(); ++r) {
    const CCsvRecord& record = records[r];
    if (IsBlank(record)) continue;
    const CString& key = record.cells.front();
    const std::vector<int>& lines = linesOfKey[key];
    if (lines.size() > 1) {
      CString others;
      for (int line : lines)
        if (line != record.nLine) others += CString::Formatted("%s%d", others.IsEmpty() ? "" : ", ", line);
      import.leftOut.emplace_back(record.nLine, "the key \"" + key + "\" is on line " + others + " too: neither row is imported.");
      continue;
    }
    CImportRow row{record.nLine, key, {}};
    for (std::size_t col = 1; col < columns.size(); ++col)
      if (columns[col]) row.values.emplace_back(*columns[col], record.cells[col]);
    import.rows.push_back(std::move(row));
  }
  return import;
}

FieldValues ImportedValues(const CImportRow& import, const CRowTexts& rows, int r) {
  FieldValues values;
  for (const auto& [field, text] : import.values) {
    const CString shown = SheetCell(rows.TextOf(r, field));
    if (text != shown && !(text.IsEmpty() && shown == "-")) values.emplace_back(field, text);
  }
  return values;
}

std::string SheetText(CFolderSession& session, const std::vector<RowId>& ids, const std::vector<Field>& fields,
                      const std::string& format, bool bom) {
  std::string text = bom ? "\xEF\xBB\xBF" : "";
  std::vector<CString> header;
  for (Field field : fields) header.push_back(FieldNameOf(field));
  if (format == "csv") text += CsvRecord(header);
  if (format == "tsv") {
    for (std::size_t k = 0; k < header.size(); ++k) text += (k ? "\t" : "") + header[k].Str();
    text += '\n';
  }
  if (format == "json") text += "[";
  bool first = true;
  CTableRows& table = session.Table();
  for (RowId id : ids) {
    std::vector<CString> cells;
    const int row = table.RowOf(id);
    for (Field field : fields) {
      const CString cell = CellOf(session.Rows(), row, ColumnOf(field));
      cells.push_back(
          SheetCell(field == kFileName ? session.FileKeyOf(id) : field == kGenre ? CMyMP3Tags::GenreName(cell) : cell));
    }
    if (format == "csv") {
      text += CsvRecord(cells);
    } else if (format == "json") {
      text += first ? "\n  {" : ",\n  {";
      for (std::size_t k = 0; k < cells.size(); ++k)
        text += (k ? ", " : "") + JsonString(header[k].Str()) + ": " + JsonString(cells[k].Str());
      text += "}";
    } else {
      for (std::size_t k = 0; k < cells.size(); ++k) {
        std::string cell = cells[k].Str();
        for (char& ch : cell)
          if (ch == '\t' || ch == '\n' || ch == '\r') ch = ' ';
        text += (k ? "\t" : "") + cell;
      }
      text += '\n';
    }
    first = false;
  }
  if (format == "json") text += first ? "]\n" : "\n]\n";
  return text;
}
