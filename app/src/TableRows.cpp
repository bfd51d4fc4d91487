#include "TableRows.h"

#include <table/Gridora.h>

#include <algorithm>

namespace {

// Calls take(col) for each column of mask, from the left.
template <typename Take>
void ForEachColumn(std::uint32_t mask, Take take) {
  for (int col = 0; col < CPackedCells::kMaxColumns; ++col)
    if (mask >> col & 1u) take(col);
}

}  // namespace

void CTableRows::Reset() {
  m_fileValues.clear();
  m_removed.clear();
  m_covers.clear();
  m_nLastId = 0;
  const int rows = m_pTable->GetNumOfRow();
  m_rowOf.assign(static_cast<std::size_t>(std::max(rows, 0)) + 1, -1);
  for (int row = 0; row < rows; ++row) {
    m_pTable->SetRowData(row, ++m_nLastId);
    m_rowOf[static_cast<std::size_t>(m_nLastId)] = row;
  }
}

RowId CTableRows::IdOf(int row) {
  if (row < 0 || row >= m_pTable->GetNumOfRow()) return 0;
  RowId id = m_pTable->GetRowData(row);
  if (id <= 0) {
    id = ++m_nLastId;
    m_pTable->SetRowData(row, id);
  }
  if (static_cast<std::size_t>(id) >= m_rowOf.size()) m_rowOf.resize(static_cast<std::size_t>(id) + 1, -1);
  m_rowOf[static_cast<std::size_t>(id)] = row;
  return id;
}

int CTableRows::RowOf(RowId id) {
  if (id <= 0 || m_removed.count(id)) return -1;
  const auto slot = static_cast<std::size_t>(id);
  // Where the row was last seen, if it is still there; else the rows moved
  // (a sort, a removal) and every row's place is looked up again, once.
  if (slot < m_rowOf.size() && m_rowOf[slot] >= 0 && m_pTable->GetRowData(m_rowOf[slot]) == id) return m_rowOf[slot];
  std::fill(m_rowOf.begin(), m_rowOf.end(), -1);
  for (int row = 0, rows = m_pTable->GetNumOfRow(); row < rows; ++row) IdOf(row);
  return slot < m_rowOf.size() ? m_rowOf[slot] : -1;
}

CRowState CTableRows::StateOf(RowId id, std::uint32_t mask) {
  CRowState state;
  const int row = RowOf(id);
  if (row >= 0) ForEachColumn(mask, [&](int col) { state.cells.Set(col, m_pTable->GetValStr(row, col)); });
  return state;
}

void CTableRows::SetState(RowId id, const CRowState& state) {
  const int row = RowOf(id);
  if (row < 0) return;
  std::uint32_t changed = 0;
  ForEachColumn(state.cells.Mask(), [&](int col) {
    const CString text = state.cells.Get(col);
    const CString now = m_pTable->GetValStr(row, col);
    if (text == now) return;
    if (m_nEditable >> col & 1u) {
      // The first change of a cell keeps what its file holds; a change back
      // to that value drops it again.
      CPackedCells& file = m_fileValues[id];
      if (!file.Has(col)) file.Set(col, now);
      else if (file.Get(col) == text) file.Remove(col);
      changed |= 1u << col;
    }
    m_pTable->UpdateRow(row, col, text);
  });
  if (state.cover && SetCover(id, row, *state.cover)) changed |= 1u << m_nCoverColumn;
  const auto found = m_fileValues.find(id);
  if (found != m_fileValues.end() && found->second.IsEmpty()) m_fileValues.erase(found);
  const CPackedCells* file = FileValuesOf(id);
  ForEachColumn(changed, [&](int col) { m_pTable->SetCellEmphasis(row, col, file && file->Has(col)); });
}

bool CTableRows::SetCover(RowId id, int row, const PendingCoverPtr& cover) {
  const auto found = m_covers.find(id);
  if (m_nCoverColumn < 0 || (found != m_covers.end() ? found->second : nullptr) == cover) return false;
  // While a change waits, the cover column's file value is kept as an
  // edited cell's is, so the row counts as unsaved whatever the texts say.
  CPackedCells& file = m_fileValues[id];
  if (!file.Has(m_nCoverColumn)) file.Set(m_nCoverColumn, m_pTable->GetValStr(row, m_nCoverColumn));
  CString shown = cover ? cover->strSummary : file.Get(m_nCoverColumn);
  if (cover) {
    m_covers[id] = cover;
  } else {
    m_covers.erase(id);
    file.Remove(m_nCoverColumn);
  }
  m_pTable->UpdateRow(row, m_nCoverColumn, shown);
  return true;
}

PendingCoverPtr CTableRows::CoverOf(RowId id) const {
  const auto found = m_covers.find(id);
  return found != m_covers.end() ? found->second : nullptr;
}

CString CTableRows::FileCellOf(RowId id, int col) {
  if (const CPackedCells* file = FileValuesOf(id); file && file->Has(col)) return file->Get(col);
  const int row = RowOf(id);
  return row >= 0 ? m_pTable->GetValStr(row, col) : CString();
}

const CPackedCells* CTableRows::FileValuesOf(RowId id) const {
  const auto found = m_fileValues.find(id);
  return found != m_fileValues.end() ? &found->second : nullptr;
}

void CTableRows::NoteSaved(RowId id) {
  m_covers.erase(id);
  if (!m_fileValues.erase(id)) return;
  const int row = RowOf(id);
  if (row >= 0) m_pTable->SetCellEmphasis(row, -1, false);
}

int CTableRows::UnsavedCount() const {
  int count = 0;
  for (const auto& [id, file] : m_fileValues)
    if (!m_removed.count(id)) ++count;
  return count;
}

std::vector<CRemovedRow> CTableRows::Remove(const std::vector<RowId>& ids) {
  std::vector<CRemovedRow> removed;
  for (RowId id : ids)
    if (const int row = RowOf(id); row >= 0) removed.push_back({id, row, {}, -1, CLR_DEFAULT});
  // From the bottom up, so that each row's index holds until it goes.
  std::sort(removed.begin(), removed.end(), [](const CRemovedRow& a, const CRemovedRow& b) { return a.nRow > b.nRow; });
  const int columns = m_pTable->GetNumOfCol();
  for (CRemovedRow& row : removed) {
    for (int col = 0; col < columns; ++col) row.cells.push_back(m_pTable->GetValStr(row.nRow, col));
    row.nImage = m_pTable->GetImage(row.nRow, 0);
    row.crText = m_pTable->GetRowTxtClr(row.nRow);
    m_pTable->DeleteRow(row.nRow);
    m_removed.insert(row.id);
  }
  std::reverse(removed.begin(), removed.end());
  return removed;
}

void CTableRows::Restore(const std::vector<CRemovedRow>& rows) {
  for (const CRemovedRow& removed : rows) {
    const int row = m_pTable->InsertRow(removed.nRow, removed.cells, removed.nImage, removed.id);
    if (row < 0) continue;
    m_removed.erase(removed.id);
    if (static_cast<std::size_t>(removed.id) >= m_rowOf.size()) m_rowOf.resize(static_cast<std::size_t>(removed.id) + 1, -1);
    m_rowOf[static_cast<std::size_t>(removed.id)] = row;
    if (removed.crText != CLR_DEFAULT) m_pTable->SetRowTxtClr(row, removed.crText);
    if (const CPackedCells* file = FileValuesOf(removed.id))
      ForEachColumn(file->Mask(), [&](int col) { m_pTable->SetCellEmphasis(row, col, true); });
  }
}
