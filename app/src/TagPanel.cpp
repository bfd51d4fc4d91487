#include "TagPanel.h"

#include "Resource.h"

#include <core/RowEdits.h>
#include <core/TableRows.h>
#include <tags/MyMP3Tags.h>

#include <algorithm>
#include <cctype>

namespace {

constexpr const char* kDifferentValues = "(different values)";
// How a cell shows a field the file does not have.
constexpr const char* kEmptyMarker = "-";

}  // namespace

void CTagPanel::Exchange(CDataExchange* pDX) {
  for (Field field : kPanelFields) DDX_Text(pDX, BoxOf(field).edit.nId, m_texts[static_cast<std::size_t>(field)]);
}

void CTagPanel::SetUp() {
  for (Field field : kEditableFields) {
    CWnd* box = m_dlg.GetDlgItem(BoxOf(field).edit.nId);
    if (field == kGenre) {
      m_genre.Attach(box->GetWidget());
      m_genre.SetReplacedByTyping(kEmptyMarker);
    } else {
      m_edits.emplace_back(std::make_unique<CEdit>())->Attach(box->GetWidget());
      m_edits.back()->SetReplacedByTyping(kEmptyMarker);
    }
  }
  // The names of ID3v1's genres to choose from, in alphabetical order.
  std::vector<CString> names = CMyMP3Tags::GetGenreNames();
  std::sort(names.begin(), names.end(), [](const CString& a, const CString& b) {
    return std::lexicographical_compare(a.Str().begin(), a.Str().end(), b.Str().begin(), b.Str().end(),
                                        [](char x, char y) { return std::tolower(x) < std::tolower(y); });
  });
  for (const CString& name : names) m_genre.AddString(name);
}

void CTagPanel::Fill(CFolderSession& session, const std::vector<int>& rows) {
  CTableRows& table = session.Table();
  std::vector<RowId> ids;
  for (int row : rows) ids.push_back(table.IdOf(row));
  if (rows.size() == 1) {
    for (Field field : kPanelFields) {
      const CString cell = CellOf(session.Rows(), rows.front(), ColumnOf(field));
      m_texts[static_cast<std::size_t>(field)] = field == kGenre ? CMyMP3Tags::GenreName(cell) : cell;
    }
    Show({}, std::move(ids));
    return;
  }
  const std::vector<Field> fields(kEditableFields.begin(), kEditableFields.end());
  const std::vector<std::optional<CString>> common = CommonTexts(*session.TextsOf(rows), fields);
  m_texts[kFileName] = CString::Formatted("%d files selected", static_cast<int>(rows.size()));
  std::vector<bool> differs;
  for (std::size_t k = 0; k < fields.size(); ++k) {
    m_texts[static_cast<std::size_t>(fields[k])] = common[k].value_or(CString());
    differs.push_back(!common[k]);
  }
  Show(differs, std::move(ids));
}

void CTagPanel::Clear() {
  for (CString& text : m_texts) text.Empty();
  Show({}, {});
}

void CTagPanel::Show(const std::vector<bool>& differs, std::vector<RowId> rows) {
  m_dlg.UpdateData(FALSE);
  NoteShown();
  EnableUpdate();
  for (std::size_t k = 0; k < kEditableFields.size(); ++k) {
    const CString hint = k < differs.size() && differs[k] ? kDifferentValues : "";
    CWnd* box = m_dlg.GetDlgItem(BoxOf(kEditableFields[k]).edit.nId);
    if (auto* edit = dynamic_cast<CEdit*>(box)) edit->SetCueBanner(hint);
    if (auto* combo = dynamic_cast<CComboBox*>(box)) combo->SetCueBanner(hint);
  }
  m_rows = std::move(rows);
  m_filled = m_rows.empty() ? std::vector<CString>() : m_shown;
}

CPackedCells CTagPanel::TypedCells() const {
  CPackedCells cells;
  for (std::size_t k = 0; k < kEditableFields.size() && k < m_filled.size(); ++k) {
    const Field field = kEditableFields[k];
    if (Text(field) != m_filled[k]) cells.Set(ColumnOf(field), Text(field));
  }
  return cells;
}

bool CTagPanel::HasTyping() const {
  for (std::size_t k = 0; k < m_shown.size(); ++k)
    if (m_dlg.GetDlgItemText(BoxOf(kEditableFields[k]).edit.nId) != m_shown[k]) return true;
  return false;
}

void CTagPanel::NoteShown() {
  m_shown.clear();
  for (Field field : kEditableFields) m_shown.push_back(m_dlg.GetDlgItemText(BoxOf(field).edit.nId));
}

void CTagPanel::EnableUpdate() {
  // The read-only file-name box names the row the boxes were filled from.
  if (CWnd* update = m_dlg.GetDlgItem(IDC_UPDATE_ROW)) update->EnableWindow(Text(kFileName).IsEmpty() ? FALSE : TRUE);
}

void CTagPanel::CheckAllRules(bool checked) {
  for (Field field : kRuleFields) m_dlg.CheckDlgButton(BoxOf(field).rule.nId, checked ? BST_CHECKED : BST_UNCHECKED);
}

std::array<CRuleChoice, kRuleCount> CTagPanel::RuleChoices() const {
  std::array<CRuleChoice, kRuleCount> rules;
  for (std::size_t k = 0; k < rules.size(); ++k) {
    const Field field = kRuleFields[k];
    const FieldRule& rule = SpecOf(field).rule;
    rules[k] = {m_dlg.IsDlgButtonChecked(BoxOf(field).rule.nId) == BST_CHECKED ? rule.checked : rule.unchecked,
                Text(field)};
  }
  return rules;
}
