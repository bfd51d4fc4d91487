#include <core/RowEdits.h>

#include <utility>

namespace {

constexpr const char* kNoValue = "-";

}  // namespace

std::vector<std::optional<CString>> CommonTexts(const CRowTexts& rows, const std::vector<Field>& fields) {
  std::vector<std::optional<CString>> common(fields.size());
  if (rows.Count() <= 0) return common;
  for (std::size_t k = 0; k < fields.size(); ++k) {
    CString first = rows.TextOf(0, fields[k]);
    int row = 1;
    while (row < rows.Count() && rows.TextOf(row, fields[k]) == first) ++row;
    if (row == rows.Count()) common[k] = std::move(first);
  }
  return common;
}

CRowEdit TagsFromNameOf(const NamePattern& pattern, const CRowTexts& rows, int row) {
  std::optional<FieldValues> values = TagsFromName(pattern, rows.KeyOf(row));
  if (!values) return {false, {}, {}};
  return {true, std::move(*values), {}};
}

std::vector<RenameStep> RenamesOf(const NamePattern& pattern, const CRowTexts& rows,
                                  const std::vector<CString>& namesPresent) {
  std::vector<RowFields> fields(static_cast<std::size_t>(rows.Count()));
  for (int row = 0; row < rows.Count(); ++row) {
    RowFields& cells = fields[static_cast<std::size_t>(row)];
    cells[kFileName] = rows.FileKeyOf(row);
    for (Field field : kEditableFields) cells[field] = rows.TextOf(row, field);
  }
  return PlanRenames(pattern, fields, namesPresent);
}

CRowEdit RenameEditOf(const RenameStep& step) {
  if (!step.strRefusal.IsEmpty()) return {false, {}, {}};
  return {true, {{kFileName, step.IsRename() ? step.strNewKey : step.strOldKey}}, {}};
}

bool CFieldsFormat::Prepare(std::vector<Field> fields, std::optional<TextCase> textCase, const CString& find,
                            const CString& replaceWith, bool bRegex, CString& error) {
  m_fields.clear();
  m_case.reset();
  m_bReplace = false;
  if (fields.empty()) {
    error = "Choose the fields to format.";
    return false;
  }
  const bool replace = !find.IsEmpty() || !replaceWith.IsEmpty();
  if (!textCase && !replace) {
    error = "Choose a case, or a text to replace: there is nothing to do.";
    return false;
  }
  if (replace && !m_replace.Prepare(find, replaceWith, bRegex, error)) return false;
  m_fields = std::move(fields);
  m_case = textCase;
  m_bReplace = replace;
  return true;
}

CRowEdit CFieldsFormat::FormatOf(const CRowTexts& rows, int row) const {
  CRowEdit edit;
  // The row's fields share one time limit, so no row keeps a caller waiting long.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(CTextReplace::kTimeLimitMs);
  for (Field field : m_fields) {
    const CString text = rows.TextOf(row, field);
    if (text == kNoValue) continue;
    CString problem;
    CString formatted = m_bReplace ? m_replace.Apply(text, problem, deadline) : text;
    if (!problem.IsEmpty()) {
      edit.values.clear();
      const std::string name = PlaceholderOf(field).Str();  // "%comment%"
      edit.strProblem.Format("%s (the %s of \"%s\"). A repeat inside a repeat, such as (a+)+, tries every way "
                             "of cutting a text: make the expression simpler.",
                             problem.GetString(), name.substr(1, name.size() - 2).c_str(), rows.KeyOf(row).GetString());
      return edit;
    }
    if (m_case) formatted = ChangeCase(formatted, *m_case);
    if (formatted != text) edit.values.emplace_back(field, std::move(formatted));
  }
  return edit;
}
