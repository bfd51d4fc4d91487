#pragma once
// The file table's commands, kept by the command history: a change of rows'
// states (Update, Update list, and every later edit of rows) and a removal
// of rows (Delete). Each names its rows by id, so it finds them wherever a
// sort has put them, and undoing it restores the exact cells and marks.
#include <core/CommandHistory.h>
#include <core/TableRows.h>

#include <optional>
#include <vector>

// One row a command changes: its state before and after, of the same columns.
struct CRowChange {
  RowId id = 0;
  CRowState before;
  CRowState after;
};

// The change that gives the row the wanted cells: only the columns whose
// cells differ, and nothing when none does.
std::optional<CRowChange> ChangeTo(CTableRows& rows, RowId id, const CPackedCells& wanted);

class CRowsEdit : public CCommand {
 public:
  CRowsEdit(CTableRows& rows, CString name, std::vector<CRowChange> changes)
      : m_rows(rows), m_strName(std::move(name)), m_changes(std::move(changes)) {}
  CString Name() const override { return m_strName; }
  void Do() override;
  void Undo() override;

 private:
  CTableRows& m_rows;
  CString m_strName;
  std::vector<CRowChange> m_changes;
};

class CRowsDelete : public CCommand {
 public:
  CRowsDelete(CTableRows& rows, CString name, std::vector<RowId> ids)
      : m_rows(rows), m_strName(std::move(name)), m_ids(std::move(ids)) {}
  CString Name() const override { return m_strName; }
  void Do() override { m_removed = m_rows.Remove(m_ids); }
  void Undo() override { m_rows.Restore(std::move(m_removed)); }

 private:
  CTableRows& m_rows;
  CString m_strName;
  std::vector<RowId> m_ids;
  std::vector<CRemovedRow> m_removed;  // as the last Do took them out
};
