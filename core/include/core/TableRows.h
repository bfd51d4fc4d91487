#pragma once
// CTableRows: the file table's rows as commands and saving see them. Each row
// has an id of its own that stays with it when the table is sorted, so a
// command names the rows it changed by id, never by an index a sort moves.
// The table keeps what the files hold: for each row edited since its file
// was read or written, the file's values of exactly the cells that differ
// from them, so "unsaved" is a comparison, not a flag. A cell that differs is
// drawn emphasised; a row with such a cell counts as unsaved.
#include <core/CoverEdits.h>
#include <core/PackedCells.h>

#include <base/RowStore.h>

#include <cstdint>
#include <memory>
#include <utility>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

using RowId = std::intptr_t;

// The cell's text as a string of the program's own.
inline CString CellOf(const base::RowStore& rows, int row, int col) {
  const std::string_view text = rows.Text(row, col);
  return CString(text.data(), static_cast<int>(text.size()));
}

// Edits of a file's stored fields ("All fields…") waiting for the next
// save: each key's new values in the order they were made (no values: the
// key is removed). Rows edited alike hold the same object.
struct CFieldsEdit {
  std::vector<std::pair<CString, std::vector<CString>>> edits;
};
using PendingFieldsPtr = std::shared_ptr<const CFieldsEdit>;

// A row's state as commands change it: its cells, by column. An edit that
// is not a cell (a pending cover, say) becomes a member here, set and read
// by SetState (and CoverOf); the commands and the history stay as they are.
struct CRowState {
  CPackedCells cells;
  // The row's pending cover change, when the state speaks of the cover:
  // null for none (the file's cover stands).
  std::optional<PendingCoverPtr> cover;
  // The same for its stored fields' edits: null for none.
  std::optional<PendingFieldsPtr> fields;

  bool operator==(const CRowState&) const = default;
};

// A row taken out of the table, with what puts it back where it was.
struct CRemovedRow {
  int nRow = -1;
  base::TableRow row;  // its cells, id, marks and emphasis
};

class CTableRows {
 public:
  // editable: the mask of the columns whose cells a save writes to the files;
  // coverColumn: the column that shows each row's cover (-1: none).
  // fieldsColumn: the column whose cell is emphasised while the row's
  // stored fields have edits (-1: none).
  CTableRows(base::RowStore& rows, std::uint32_t editable, int coverColumn = -1, int fieldsColumn = -1)
      : m_rows(rows), m_nEditable(editable), m_nCoverColumn(coverColumn), m_nFieldsColumn(fieldsColumn) {}

  // The table was filled anew from the files: its rows are numbered afresh,
  // none is edited, none removed.
  void Reset();
  // The row's id (a row without one gets one); 0 for no such row.
  RowId IdOf(int row);
  // Where the row is now; -1 when it is not in the table.
  int RowOf(RowId id);

  // The row's cells of the columns in mask, as they are now.
  CRowState StateOf(RowId id, std::uint32_t mask);
  // Writes the state's cells into the row. An editable cell that comes to
  // differ from its file is emphasised; one that holds the file's value
  // again is not. A state's cover change is kept for the save, and its
  // summary shown, emphasised, in the cover column; with none, the cell
  // shows the file's cover again. Nothing for a row not in the table.
  void SetState(RowId id, const CRowState& state);
  // The row's pending cover change; null when there is none.
  PendingCoverPtr CoverOf(RowId id) const;
  // The row's pending edits of its stored fields; null when there are none.
  PendingFieldsPtr FieldsOf(RowId id) const;
  // What the row's file holds in the column: the cell, or the file's value
  // where the row was edited.
  CString FileCellOf(RowId id, int col);

  // The file's values of the row's cells that differ from them (null when
  // none does): what the row's file holds where the table was edited.
  const CPackedCells* FileValuesOf(RowId id) const;
  // The row's file now holds its cells and its cover (it was saved).
  void NoteSaved(RowId id);
  // Rows in the table with a cell that differs from its file, or a cover change.
  int UnsavedCount() const;

  // Takes the rows out of the table (their files stay), returning them from
  // the top down with their cells and marks; rows not in the table are left out.
  std::vector<CRemovedRow> Remove(const std::vector<RowId>& ids);
  // Puts rows back where they were, from the top down, with their cells,
  // marks and emphasis.
  void Restore(std::vector<CRemovedRow>&& rows);

 private:
  void SetEmphasis(int row, int col, bool on);
  // Keeps cover as the row's pending change and shows it; true when that changed the cell.
  bool SetCover(RowId id, int row, const PendingCoverPtr& cover);
  // The same for the stored fields' edits.
  bool SetFields(RowId id, int row, const PendingFieldsPtr& fields);

  base::RowStore& m_rows;
  std::uint32_t m_nEditable;
  int m_nCoverColumn;
  int m_nFieldsColumn;
  RowId m_nLastId = 0;
  std::unordered_map<RowId, CPackedCells> m_fileValues;  // rows edited since their file was read
  std::unordered_set<RowId> m_removed;                   // out of the table, kept for an undo
  std::unordered_map<RowId, PendingCoverPtr> m_covers;   // rows with a cover change not saved yet
  std::unordered_map<RowId, PendingFieldsPtr> m_fields;  // rows with stored fields' edits not saved yet
  std::vector<int> m_rowOf;                              // by id: where the row was last seen
};
