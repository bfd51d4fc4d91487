#include <core/RowCommands.h>

std::optional<CRowChange> ChangeTo(CTableRows& rows, RowId id, const CPackedCells& wanted) {
  CRowChange change{id, rows.StateOf(id, wanted.Mask()), {}};
  for (int col = 0; col < CPackedCells::kMaxColumns; ++col) {
    if (!wanted.Has(col)) continue;
    if (change.before.cells.Get(col) == wanted.Get(col))
      change.before.cells.Remove(col);
    else
      change.after.cells.Set(col, wanted.Get(col));
  }
  if (change.after.cells.IsEmpty()) return std::nullopt;
  return change;
}

void CRowsEdit::Do() {
  for (const CRowChange& change : m_changes) m_rows.SetState(change.id, change.after);
}

void CRowsEdit::Undo() {
  for (const CRowChange& change : m_changes) m_rows.SetState(change.id, change.before);
}
