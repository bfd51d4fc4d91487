#include <core/Spreadsheet.h>

#include <core/Patterns.h>

#include <cctype>

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

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = Utf8Length(text, at);
    const auto ch = static_cast<unsigned char>(text[at]);
    if (length == 0) {
      out += "\xEF\xBF\xBD";
      ++at;
      continue;
    }
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
