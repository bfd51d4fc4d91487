// Editing several rows at once: the tag panel over the selected rows, the
// genre box, "Tags from file names" and "Format fields". The pieces that
// decide what the rows get are RowEdits.h's; this file wires them to the
// window and applies what they give as one step of the history.
#include "QuilloryDlg.h"

#include "Fields.h"
#include "FormatFieldsDlg.h"
#include "NamesFromTagsDlg.h"
#include "Resource.h"
#include "RowCommands.h"
#include "RowEdits.h"
#include "TagsFromNamesDlg.h"

#include <platform/MessageBox.h>
#include <base/Path.h>
#include <statusbar/Status.h>
#include <table/Gridora.h>
#include <tags/MyMP3Tags.h>

#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <set>

namespace {

constexpr const char* kDifferentValues = "(different values)";
// How a cell shows a field the file does not have.
constexpr const char* kEmptyMarker = "-";

// What a field's box shows of a cell: a genre by its name ("(17)" as "Rock").
CString PanelText(const CString& cell, Field field) {
  return field == kGenre ? CMyMP3Tags::GenreName(cell) : cell;
}

// Rows of the table, by their places in it, as the edits read them.
class CTableTexts : public CRowTexts {
 public:
  CTableTexts(CGridora& table, CTableRows& ids, std::vector<int> rows)
      : m_table(table), m_ids(ids), m_rows(std::move(rows)) {}
  int Count() const override { return static_cast<int>(m_rows.size()); }
  CString KeyOf(int row) const override { return m_table.GetValStr(Place(row), ColumnOf(kFileName)); }
  CString FileKeyOf(int row) const override {
    return m_ids.FileCellOf(m_ids.IdOf(Place(row)), ColumnOf(kFileName));
  }
  CString TextOf(int row, Field field) const override {
    return PanelText(m_table.GetValStr(Place(row), ColumnOf(field)), field);
  }
  int Place(int row) const { return m_rows[static_cast<std::size_t>(row)]; }

 private:
  CGridora& m_table;
  CTableRows& m_ids;
  std::vector<int> m_rows;
};

// The names in the folder below the loaded one (sub empty: the loaded one
// itself), each as "sub/name".
void AddNamesIn(const CString& folder, const CString& sub, std::vector<CString>& names) {
  DIR* dir = opendir(sub.IsEmpty() ? folder : base::JoinPath(folder, sub));
  if (!dir) return;
  while (const dirent* entry = readdir(dir)) {
    const CString name(entry->d_name);
    if (name == "." || name == "..") continue;
    names.push_back(sub.IsEmpty() ? name : sub + "/" + name);
  }
  closedir(dir);
}

std::vector<LPARAM> Sorted(std::vector<LPARAM> ids) {
  std::sort(ids.begin(), ids.end());
  return ids;
}

}  // namespace

void CQuilloryDlg::SetUpManyRows() {
  for (Field field : kEditableFields) {
    if (field == kGenre) continue;
    auto& edit = m_panelEdits.emplace_back(std::make_unique<CEdit>());
    edit->Attach(GetDlgItem(SpecOf(field).edit.nId)->GetWidget());
  }
  m_cmbGenre.Attach(GetDlgItem(IDC_EDIT_GENRE)->GetWidget());
  // A box shows a missing field as the marker: typing replaces it, so it never joins a value.
  for (Field field : kEditableFields) {
    CWnd* box = GetDlgItem(SpecOf(field).edit.nId);
    if (auto* edit = dynamic_cast<CEdit*>(box)) edit->SetReplacedByTyping(kEmptyMarker);
    if (auto* combo = dynamic_cast<CComboBox*>(box)) combo->SetReplacedByTyping(kEmptyMarker);
  }
  // The names of ID3v1's genres to choose from, in alphabetical order.
  std::vector<CString> names = CMyMP3Tags::GetGenreNames();
  std::sort(names.begin(), names.end(), [](const CString& a, const CString& b) {
    return std::lexicographical_compare(a.Str().begin(), a.Str().end(), b.Str().begin(), b.Str().end(),
                                        [](char x, char y) { return std::tolower(x) < std::tolower(y); });
  });
  for (const CString& name : names) m_cmbGenre.AddString(name);
}

void CQuilloryDlg::FillEditBoxesFromRows(const std::vector<int>& rows) {
  const CTableTexts texts(*m_pTable, *m_pRows, rows);
  const std::vector<Field> fields(kEditableFields.begin(), kEditableFields.end());
  const std::vector<std::optional<CString>> common = CommonTexts(texts, fields);
  m_strFileName = CString::Formatted("%d files selected", static_cast<int>(rows.size()));
  std::vector<bool> differs;
  for (std::size_t k = 0; k < fields.size(); ++k) {
    this->*SpecOf(fields[k]).edit.pValue = common[k].value_or(CString());
    differs.push_back(!common[k]);
  }
  UpdateData(FALSE);
  NoteBoxesShown();
  EnableUpdateForBoxes();
  ShowDifferingHints(differs);
  m_panel.rows.clear();
  for (int row : rows) m_panel.rows.push_back(m_pRows->IdOf(row));
  m_panel.texts = m_boxesShown;
}

void CQuilloryDlg::ShowDifferingHints(const std::vector<bool>& differs) {
  for (std::size_t k = 0; k < kEditableFields.size(); ++k) {
    const CString hint = k < differs.size() && differs[k] ? kDifferentValues : "";
    CWnd* box = GetDlgItem(SpecOf(kEditableFields[k]).edit.nId);
    if (auto* edit = dynamic_cast<CEdit*>(box)) edit->SetCueBanner(hint);
    if (auto* combo = dynamic_cast<CComboBox*>(box)) combo->SetCueBanner(hint);
  }
}

CPackedCells CQuilloryDlg::TypedCells() {
  CPackedCells cells;
  for (std::size_t k = 0; k < kEditableFields.size() && k < m_panel.texts.size(); ++k) {
    const Field field = kEditableFields[k];
    const CString& typed = this->*SpecOf(field).edit.pValue;
    if (typed != m_panel.texts[k]) cells.Set(ColumnOf(field), typed);
  }
  return cells;
}

void CQuilloryDlg::UpdatePanelRows() {
  // The boxes belong to the rows they were filled from: another selection keeps its cells.
  std::vector<LPARAM> selected;
  for (int row : m_pTable->GetSelectedRows()) selected.push_back(m_pRows->IdOf(row));
  if (Sorted(selected) != Sorted(m_panel.rows)) {
    m_pStatus->ErrorMsg("The selected rows are not the ones the edit boxes were filled from: press F2 to fill "
                        "them from the selected rows.");
    return;
  }
  const CPackedCells typed = TypedCells();
  std::vector<CRowChange> changes;
  if (!typed.IsEmpty())
    for (LPARAM id : m_panel.rows)
      if (auto change = ChangeTo(*m_pRows, id, typed)) changes.push_back(std::move(*change));
  if (!changes.empty()) {
    const int count = static_cast<int>(m_panel.rows.size());
    m_list.SetRedraw(FALSE);
    DoCommand(std::make_unique<CRowsEdit>(*m_pRows, CString::Formatted("Update (%d rows)", count), std::move(changes)));
    m_list.SetRedraw(TRUE);
  }
  ClearEditBoxes();
  m_pStatus->Done("Data updated successfully.");
  if (m_bBoxesFollow) FillEditBoxes();
  m_list.SetFocus();
}

void CQuilloryDlg::EditRowsInDialog(const char* name, const DialogMaker& make) {
  m_pStatus->Clear();
  const int count = m_pTable->GetNumOfRow();
  if (count <= 0) {
    m_pStatus->ErrorMsg("Open a folder first: there are no rows to edit.");
    return;
  }
  std::vector<int> rows = m_pTable->GetSelectedRows();
  const bool all = rows.empty();
  if (all) {
    rows.resize(static_cast<std::size_t>(count));
    for (int row = 0; row < count; ++row) rows[static_cast<std::size_t>(row)] = row;
  }
  const CTableTexts texts(*m_pTable, *m_pRows, std::move(rows));
  const std::unique_ptr<CPreviewDlg> made = make(texts);
  CPreviewDlg& dialog = *made;
  // Nothing selected means every row: the dialog says so before anything else.
  if (all)
    dialog.SetScope(count == 1 ? CString("the only row, as none is selected")
                               : CString::Formatted("all %d rows, as none is selected", count));
  const INT_PTR result = dialog.DoModal();
  m_list.SetFocus();  // back to the rows
  if (result != IDOK) {
    m_pStatus->InfoMsg(CString(name) + ": nothing was changed.");
    return;
  }
  std::vector<CRowChange> changes;
  int unmatched = 0;
  for (int row = 0; row < texts.Count(); ++row) {
    const CRowEdit edit = dialog.EditOf(row);
    unmatched += edit.bMatched ? 0 : 1;
    // A text the row shows already is no change: a stored genre "(17)" stays when the edit gives "Rock".
    CPackedCells wanted;
    for (const auto& [field, text] : edit.values)
      if (text != texts.TextOf(row, field)) wanted.Set(ColumnOf(field), text);
    if (wanted.IsEmpty()) continue;
    if (auto change = ChangeTo(*m_pRows, m_pRows->IdOf(texts.Place(row)), wanted)) changes.push_back(std::move(*change));
  }
  const int changed = static_cast<int>(changes.size());
  CString summary = CString::Formatted("%s: %d %s changed", name, changed, changed == 1 ? "row" : "rows");
  if (unmatched > 0) summary += "; " + dialog.UnmatchedDone(unmatched);
  if (changed > 0) {
    m_list.SetRedraw(FALSE);
    DoCommand(std::make_unique<CRowsEdit>(*m_pRows, CString::Formatted("%s (%d %s)", name, changed, changed == 1 ? "row" : "rows"),
                                          std::move(changes)));
    m_list.SetRedraw(TRUE);
    m_pStatus->Done(summary + ".");
  } else {
    m_pStatus->InfoMsg(summary + ".");
  }
}

void CQuilloryDlg::OnTagsFromNames() {
  EditRowsInDialog("Tags from file names",
                   [this](const CRowTexts& rows) { return std::make_unique<CTagsFromNamesDlg>(rows, this); });
}

void CQuilloryDlg::OnFormatFields() {
  EditRowsInDialog("Format fields",
                   [this](const CRowTexts& rows) { return std::make_unique<CFormatFieldsDlg>(rows, this); });
}

void CQuilloryDlg::OnNamesFromTags() {
  EditRowsInDialog("File names from tags", [this](const CRowTexts& rows) {
    return std::make_unique<CNamesFromTagsDlg>(rows, NamesTakenBeside(rows), this);
  });
}

std::vector<CString> CQuilloryDlg::NamesTakenBeside(const CRowTexts& rows) {
  std::vector<CString> names;
  std::set<CString> folders, renamed;
  for (int row = 0; row < rows.Count(); ++row) {
    const CString key = rows.FileKeyOf(row);
    folders.insert(base::FolderOf(key));
    renamed.insert(key);
  }
  for (const CString& sub : folders) AddNamesIn(m_strFolder, sub, names);
  // Another row's new name is taken as soon as it is saved.
  for (int row = 0, count = m_pTable->GetNumOfRow(); row < count; ++row) {
    const CString key = FileKeyOf(row);
    const CString shown = m_pTable->GetValStr(row, ColumnOf(kFileName));
    if (shown != key && !renamed.count(key)) names.push_back(shown + ".mp3");
  }
  return names;
}
