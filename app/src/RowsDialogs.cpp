#include "RowsDialogs.h"

#include "AllFieldsDlg.h"
#include "FormatFieldsDlg.h"
#include "NamesFromTagsDlg.h"
#include "NumberTracksDlg.h"
#include "Resource.h"
#include "TagVersionDlg.h"
#include "TagsFromNamesDlg.h"

#include <base/FolderWalk.h>
#include <core/RowEdits.h>
#include <core/TagVersions.h>

#include <platform/ListCtrl.h>
#include <platform/MessageBox.h>
#include <statusbar/Status.h>
#include <table/Gridora.h>

CRowsDialogs::CRowsDialogs(CWnd& parent, CFolderSession& session, CGridora& table, CListCtrl& list, CStatus& status,
                           std::function<void()> changed)
    : m_parent(parent), m_session(session), m_table(table), m_list(list), m_status(status),
      m_changed(std::move(changed)) {}

void CRowsDialogs::Run(const char* name, const DialogMaker& make, bool everyRow) {
  m_status.Clear();
  const int count = m_table.GetNumOfRow();
  if (count <= 0) {
    m_status.ErrorMsg("Open a folder first: there are no rows to edit.");
    return;
  }
  std::vector<int> rows = everyRow ? std::vector<int>() : m_table.GetSelectedRows();
  const bool all = rows.empty();
  if (all) {
    rows.resize(static_cast<std::size_t>(count));
    for (int row = 0; row < count; ++row) rows[static_cast<std::size_t>(row)] = row;
  }
  const std::unique_ptr<CRowTexts> read = m_session.TextsOf(std::move(rows));
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
    m_status.InfoMsg(CString(name) + ": nothing was changed.");
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
    if (!cells.IsEmpty()) wanted.emplace_back(m_session.Table().IdOf(texts.Place(row)), std::move(cells));
  }
  m_list.SetRedraw(FALSE);
  const int changed = m_session.SetRowsCells(wanted, name);
  m_list.SetRedraw(TRUE);
  m_changed();
  CString summary = CString::Formatted("%s: %d %s changed", name, changed, changed == 1 ? "row" : "rows");
  if (unmatched > 0) summary += "; " + dialog.UnmatchedDone(unmatched);
  if (changed > 0)
    m_status.Done(summary + ".");
  else
    m_status.InfoMsg(summary + ".");
}

void CRowsDialogs::TagsFromNames() {
  Run("Tags from file names",
      [this](const CRowTexts& rows) { return std::make_unique<CTagsFromNamesDlg>(rows, &m_parent); });
}

void CRowsDialogs::FormatFields() {
  Run("Format fields", [this](const CRowTexts& rows) { return std::make_unique<CFormatFieldsDlg>(rows, &m_parent); });
}

void CRowsDialogs::NamesFromTags() {
  Run("File names from tags", [this](const CRowTexts& rows) {
    return std::make_unique<CNamesFromTagsDlg>(rows, m_session.NamesTakenBeside(rows), &m_parent);
  });
}

void CRowsDialogs::NumberTracks() {
  Run("Number tracks", [this](const CRowTexts& rows) { return std::make_unique<CNumberTracksDlg>(rows, &m_parent); });
}

void CRowsDialogs::TagVersion() {
  Run("Tag version", [this](const CRowTexts& rows) {
    return std::make_unique<CTagVersionDlg>(
        rows, [this, &rows](int row) { return m_session.FilePathOf(m_session.Table().IdOf(rows.Place(row))); },
        &m_parent);
  });
}

void CRowsDialogs::AllFields() {
  const std::vector<int> rows = m_table.GetSelectedRows();
  if (rows.empty()) {
    m_status.ErrorMsg("Select the rows whose fields to see.");
    return;
  }
  std::vector<RowId> ids;
  for (int row : rows) ids.push_back(m_session.Table().IdOf(row));
  const CString first = m_session.FileKeyOf(ids.front());
  const CString scope = ids.size() == 1 ? FileNameOfKey(first, m_session.FilePathOf(ids.front()))
                                        : CString::Formatted("%d files; a change is made in each of them",
                                                             static_cast<int>(ids.size()));
  CAllFieldsDlg dialog(
      scope, [&](CString* problem) { return m_session.StoredFieldsOf(ids, problem); },
      [&](const CString& key, const std::vector<CString>& values) {
        std::vector<CString> refused;
        const int changed = m_session.SetStoredField(ids, key, values, &refused);
        m_changed();
        CString text = CString::Formatted("%s %s in %d %s.", values.empty() ? "Deleted" : "Set", key.GetString(),
                                          changed, changed == 1 ? "file" : "files");
        if (!refused.empty())
          text += " Not changed: " + refused.front() +
                  (refused.size() > 1 ? CString::Formatted(" (and %d more)", static_cast<int>(refused.size() - 1))
                                      : CString());
        return text;
      },
      SuggestedFieldKeys(m_list.GetItemText(rows.front(), ColumnOf(kTagVersion))), &m_parent);
  dialog.DoModal();
  m_list.SetFocus();
}
