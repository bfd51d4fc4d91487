#include <core/TableRows.h>

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
  m_fields.clear();
  m_nLastId = 0;
  const int rows = m_rows.Rows();
  m_rowOf.assign(static_cast<std::size_t>(std::max(rows, 0)) + 1, -1);
  for (int row = 0; row < rows; ++row) {
    m_rows.Change(row, [id = ++m_nLastId](base::TableRow& r) { r.data = id; }, false);
    m_rowOf[static_cast<std::size_t>(m_nLastId)] = row;
  }
}

RowId CTableRows::IdOf(int row) {
  if (row < 0 || row >= m_rows.Rows()) return 0;
  RowId id = m_rows.Row(row).data;
  if (id <= 0) {
    id = ++m_nLastId;
    m_rows.Change(row, [id](base::TableRow& r) { r.data = id; }, false);
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
  if (slot < m_rowOf.size() && m_rowOf[slot] >= 0 && m_rows.Row(m_rowOf[slot]).data == id) return m_rowOf[slot];
  std::fill(m_rowOf.begin(), m_rowOf.end(), -1);
  for (int row = 0, rows = m_rows.Rows(); row < rows; ++row) IdOf(row);
  return slot < m_rowOf.size() ? m_rowOf[slot] : -1;
}

CRowState CTableRows::StateOf(RowId id, std::uint32_t mask) {
  CRowState state;
  const int row = RowOf(id);
  if (row >= 0) ForEachColumn(mask, [&](int col) { state.cells.Set(col, CellOf(m_rows, row, col)); });
  return state;
}

void CTableRows::SetState(RowId id, const CRowState& state) {
  const int row = RowOf(id);
  if (row < 0) return;
  std::uint32_t changed = 0;
  ForEachColumn(state.cells.Mask(), [&](int col) {
    const CString text = state.cells.Get(col);
    const CString now = CellOf(m_rows, row, col);
    if (text == now) return;
    if (m_nEditable >> col & 1u) {
      // The first change of a cell keeps what its file holds; a change back
      // to that value drops it again.
      CPackedCells& file = m_fileValues[id];
      if (!file.Has(col)) file.Set(col, now);
      else if (file.Get(col) == text) file.Remove(col);
      changed |= 1u << col;
    }
    m_rows.SetText(row, col, text.Str());
  });
  if (state.cover && SetCover(id, row, *state.cover)) changed |= 1u << m_nCoverColumn;
  if (state.fields && SetFields(id, row, *state.fields)) changed |= 1u << m_nFieldsColumn;
  // Stored fields' edits keep the row unsaved whatever its cells say.
  if (m_nFieldsColumn >= 0 && m_fields.count(id) && !m_fileValues[id].Has(m_nFieldsColumn))
    m_fileValues[id].Set(m_nFieldsColumn, CellOf(m_rows, row, m_nFieldsColumn));
  const auto found = m_fileValues.find(id);
  if (found != m_fileValues.end() && found->second.IsEmpty()) m_fileValues.erase(found);
  const CPackedCells* file = FileValuesOf(id);
  ForEachColumn(changed, [&](int col) { SetEmphasis(row, col, file && file->Has(col)); });
}

bool CTableRows::SetCover(RowId id, int row, const PendingCoverPtr& cover) {
  const auto found = m_covers.find(id);
  if (m_nCoverColumn < 0 || (found != m_covers.end() ? found->second : nullptr) == cover) return false;
  // While a change waits, the cover column's file value is kept as an
  // edited cell's is, so the row counts as unsaved whatever the texts say.
  CPackedCells& file = m_fileValues[id];
  if (!file.Has(m_nCoverColumn)) file.Set(m_nCoverColumn, CellOf(m_rows, row, m_nCoverColumn));
  CString shown = cover ? cover->strSummary : file.Get(m_nCoverColumn);
  if (cover) {
    m_covers[id] = cover;
  } else {
    m_covers.erase(id);
    file.Remove(m_nCoverColumn);
  }
  m_rows.SetText(row, m_nCoverColumn, shown.Str());
  return true;
}

bool CTableRows::SetFields(RowId id, int row, const PendingFieldsPtr& fields) {
  const auto found = m_fields.find(id);
  if (m_nFieldsColumn < 0 || (found != m_fields.end() ? found->second : nullptr) == fields) return false;
  // While edits wait, the column's file value is kept (as for a cover), so
  // the row counts as unsaved; it goes with them unless the cell itself
  // differs from the file.
  CPackedCells& file = m_fileValues[id];
  if (!file.Has(m_nFieldsColumn)) file.Set(m_nFieldsColumn, CellOf(m_rows, row, m_nFieldsColumn));
  if (fields) {
    m_fields[id] = fields;
  } else {
    m_fields.erase(id);
    if (file.Get(m_nFieldsColumn) == CellOf(m_rows, row, m_nFieldsColumn)) file.Remove(m_nFieldsColumn);
  }
  return true;
}

PendingFieldsPtr CTableRows::FieldsOf(RowId id) const {
  const auto found = m_fields.find(id);
  return found != m_fields.end() ? found->second : nullptr;
}

PendingCoverPtr CTableRows::CoverOf(RowId id) const {
  const auto found = m_covers.find(id);
  return found != m_covers.end() ? found->second : nullptr;
}

CString CTableRows::FileCellOf(RowId id, int col) {
  if (const CPackedCells* file = FileValuesOf(id); file && file->Has(col)) return file->Get(col);
  const int row = RowOf(id);
  return row >= 0 ? CellOf(m_rows, row, col) : CString();
}

const CPackedCells* CTableRows::FileValuesOf(RowId id) const {
  const auto found = m_fileValues.find(id);
  return found != m_fileValues.end() ? &found->second : nullptr;
}

void CTableRows::NoteSaved(RowId id) {
  m_covers.erase(id);
  m_fields.erase(id);
  if (!m_fileValues.erase(id)) return;
  const int row = RowOf(id);
  if (row >= 0) SetEmphasis(row, -1, false);
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
    if (const int row = RowOf(id); row >= 0) removed.push_back({row, {}});
  // From the bottom up, so that each row's index holds until it goes.
  std::sort(removed.begin(), removed.end(), [](const CRemovedRow& a, const CRemovedRow& b) { return a.nRow > b.nRow; });
  for (CRemovedRow& row : removed) {
    m_rows.Change(row.nRow, [&](base::TableRow& r) { row.row = std::move(r); }, false);
    m_removed.insert(row.row.data);
    m_rows.Remove(row.nRow);
  }
  std::reverse(removed.begin(), removed.end());
  return removed;
}

void CTableRows::Restore(std::vector<CRemovedRow>&& rows) {
  for (CRemovedRow& removed : rows) {
    const RowId id = removed.row.data;
    removed.row.marks = 0;
    const int row = m_rows.Insert(removed.nRow, std::move(removed.row));
    m_removed.erase(id);
    if (static_cast<std::size_t>(id) >= m_rowOf.size()) m_rowOf.resize(static_cast<std::size_t>(id) + 1, -1);
    m_rowOf[static_cast<std::size_t>(id)] = row;
  }
  rows.clear();
}

void CTableRows::SetEmphasis(int row, int col, bool on) {
  const std::uint64_t bits = col < 0 ? ~std::uint64_t{0} : std::uint64_t{1} << col;
  m_rows.Change(row, [&](base::TableRow& r) { r.emphasis = on ? r.emphasis | bits : r.emphasis & ~bits; });
}
