#include "TagsFromNamesDlg.h"

#include "Resource.h"

CTagsFromNamesDlg::CTagsFromNamesDlg(const CRowTexts& rows, CWnd* parent)
    : CPatternDlg(IDD_TAGS_FROM_NAMES, "Tags from file names", "tagsFromNamesPatterns", PlaceholderHelp(true), rows,
                  parent) {}

CString CTagsFromNamesDlg::ReadInputs() { return ParseNamePattern(PatternText(), PatternUse::kReadName, m_pattern); }

std::vector<CString> CTagsFromNamesDlg::Columns() const {
  std::vector<CString> titles{"File name"};
  for (const PatternPiece& piece : m_pattern.pieces)
    if (piece.kind == PatternPiece::kField) titles.push_back(FieldName(piece.field));
  return titles;
}

void CTagsFromNamesDlg::AddLines(int row, const CRowEdit& edit, std::vector<CPreviewLine>& lines) const {
  std::vector<CString>& line = lines.emplace_back().texts;
  line.push_back(m_rows.KeyOf(row));
  if (!edit.bMatched) {
    line.push_back("(does not fit: unchanged)");
    return;
  }
  for (const auto& [field, text] : edit.values) line.push_back(text);
}
