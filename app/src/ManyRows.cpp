// Editing several rows at once: Update of the panel filled from several rows,
// and the pattern dialogs ("Tags from file names", "Format fields", "File
// names from tags"). The pieces that decide what the rows get are the core's;
// this file wires them to the window and applies what they give as one step.
#include "QuilloryDlg.h"

#include "FieldBoxes.h"
#include "FormatFieldsDlg.h"
#include "NamesFromTagsDlg.h"
#include "AllFieldsDlg.h"
#include "NumberTracksDlg.h"
#include "TagVersionDlg.h"

#include <core/TagVersions.h>
#include "Resource.h"
#include <core/RowCommands.h>
#include <core/RowEdits.h>
#include "TagsFromNamesDlg.h"

#include <platform/MessageBox.h>
#include <base/Path.h>
#include <statusbar/Status.h>
#include <table/Gridora.h>

#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <set>

namespace {

std::vector<LPARAM> Sorted(std::vector<LPARAM> ids) {
  std::sort(ids.begin(), ids.end());
  return ids;
}

}  // namespace

void CQuilloryDlg::UpdatePanelRows() {
  // The boxes belong to the rows they were filled from: another selection keeps its cells.
  std::vector<LPARAM> selected;
  for (int row : m_pTable->GetSelectedRows()) selected.push_back(m_pRows->IdOf(row));
  if (Sorted(selected) != Sorted(m_panel.Rows())) {
    m_pStatus->ErrorMsg("The selected rows are not the ones the edit boxes were filled from: press F2 to fill "
                        "them from the selected rows.");
    return;
  }
  const CPackedCells typed = m_panel.TypedCells();
  if (!typed.IsEmpty()) {
    m_list.SetRedraw(FALSE);
    m_pSession->SetCells(m_panel.Rows(), typed, CString::Formatted("Update (%d rows)", static_cast<int>(m_panel.Rows().size())));
    m_list.SetRedraw(TRUE);
    ShowTableState();
  }
  // What the files' ID3v1 tags will not hold is said before the save.
  std::vector<Field> lost;
  for (RowId id : m_panel.Rows())
    if (const int row = m_pRows->RowOf(id); row >= 0 && lost.empty())
      lost = V1LossesOf(m_pTable->GetValStr(row, ColumnOf(kTagVersion)), typed);
  ClearEditBoxes();
  m_pStatus->Done(lost.empty() ? CString("Data updated successfully.") : "Data updated" + V1LossText(lost) + ".");
  if (m_bBoxesFollow) FillEditBoxes();
  m_list.SetFocus();
}

void CQuilloryDlg::EditRowsInDialog(const char* name, const DialogMaker& make, bool everyRow) {
  m_pStatus->Clear();
  const int count = m_pTable->GetNumOfRow();
  if (count <= 0) {
    m_pStatus->ErrorMsg("Open a folder first: there are no rows to edit.");
    return;
  }
  std::vector<int> rows = everyRow ? std::vector<int>() : m_pTable->GetSelectedRows();
  const bool all = rows.empty();
  if (all) {
    rows.resize(static_cast<std::size_t>(count));
    for (int row = 0; row < count; ++row) rows[static_cast<std::size_t>(row)] = row;
  }
  const std::unique_ptr<CRowTexts> read = m_pSession->TextsOf(std::move(rows));
  const CRowTexts& texts = *read;
  const std::unique_ptr<CPreviewDlg> made = make(texts);
  CPreviewDlg& dialog = *made;
  // Nothing selected means every row: the dialog says so before anything else.
  if (all && !everyRow)
    dialog.SetScope(count == 1 ? CString("the only row, as none is selected")
                               : CString::Formatted("all %d rows, as none is selected", count));
  const INT_PTR result = dialog.DoModal();
  m_list.SetFocus();  // back to the rows
  if (result != IDOK) {
    m_pStatus->InfoMsg(CString(name) + ": nothing was changed.");
    return;
  }
  std::vector<std::pair<RowId, CPackedCells>> wanted;
  int unmatched = 0;
  for (int row = 0; row < texts.Count(); ++row) {
    const CRowEdit edit = dialog.EditOf(row);
    unmatched += edit.bMatched ? 0 : 1;
    // A text the row shows already is no change: a stored genre "(17)" stays when the edit gives "Rock".
    CPackedCells cells;
    for (const auto& [field, text] : edit.values)
      if (text != texts.TextOf(row, field)) cells.Set(ColumnOf(field), text);
    if (!cells.IsEmpty()) wanted.emplace_back(m_pRows->IdOf(texts.Place(row)), std::move(cells));
  }
  m_list.SetRedraw(FALSE);
  const int changed = m_pSession->SetRowsCells(wanted, name);
  m_list.SetRedraw(TRUE);
  ShowTableState();
  CString summary = CString::Formatted("%s: %d %s changed", name, changed, changed == 1 ? "row" : "rows");
  if (unmatched > 0) summary += "; " + dialog.UnmatchedDone(unmatched);
  if (changed > 0)
    m_pStatus->Done(summary + ".");
  else
    m_pStatus->InfoMsg(summary + ".");
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
    return std::make_unique<CNamesFromTagsDlg>(rows, m_pSession->NamesTakenBeside(rows), this);
  });
}

void CQuilloryDlg::OnNumberTracks() {
  EditRowsInDialog("Number tracks",
                   [this](const CRowTexts& rows) { return std::make_unique<CNumberTracksDlg>(rows, this); });
}

void CQuilloryDlg::OnAllFields() {
  const std::vector<int> rows = m_pTable->GetSelectedRows();
  if (rows.empty()) {
    m_pStatus->ErrorMsg("Select the rows whose fields to see.");
    return;
  }
  std::vector<RowId> ids;
  for (int row : rows) ids.push_back(m_pRows->IdOf(row));
  const CString first = m_pSession->FileKeyOf(ids.front());
  const CString scope = ids.size() == 1 ? FileNameOfKey(first, m_pSession->FilePathOf(ids.front()))
                                        : CString::Formatted("%d files; a change is made in each of them", static_cast<int>(ids.size()));
  CAllFieldsDlg dialog(
      scope, [&](CString* problem) { return m_pSession->StoredFieldsOf(ids, problem); },
      [&](const CString& key, const std::vector<CString>& values) {
        std::vector<CString> refused;
        const int changed = m_pSession->SetStoredField(ids, key, values, &refused);
        ShowTableState();
        CString text = CString::Formatted("%s %s in %d %s.", values.empty() ? "Deleted" : "Set", key.GetString(), changed,
                                          changed == 1 ? "file" : "files");
        if (!refused.empty()) text += " Not changed: " + refused.front() + (refused.size() > 1 ? CString::Formatted(" (and %d more)", static_cast<int>(refused.size() - 1)) : CString());
        return text;
      },
      SuggestedFieldKeys(m_list.GetItemText(rows.front(), ColumnOf(kTagVersion))), this);
  dialog.DoModal();
  m_list.SetFocus();
}

void CQuilloryDlg::OnTagVersion() {
  EditRowsInDialog("Tag version", [this](const CRowTexts& rows) {
    return std::make_unique<CTagVersionDlg>(
        rows, [this, &rows](int row) { return m_pSession->FilePathOf(m_pRows->IdOf(rows.Place(row))); }, this);
  });
}
