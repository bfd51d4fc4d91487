#include <base/RowStore.h>

#include <algorithm>
#include <numeric>

#include <cstdlib>
#include <cstring>
#include <new>

namespace base {

namespace {

using Byte = unsigned char;

std::uint32_t SizeAt(const Byte* p) {
  std::uint32_t size = 0;
  std::memcpy(&size, p, sizeof size);
  return size;
}

// Reads a cell's length at p and moves p past it.
std::size_t ReadLength(const Byte*& p) {
  std::size_t length = 0;
  for (int shift = 0;; shift += 7) {
    const Byte b = *p++;
    length |= static_cast<std::size_t>(b & 0x7F) << shift;
    if (!(b & 0x80)) return length;
  }
}

Byte* WriteLength(Byte* p, std::size_t length) {
  for (; length >= 0x80; length >>= 7) *p++ = static_cast<Byte>(length | 0x80);
  *p++ = static_cast<Byte>(length);
  return p;
}

std::size_t LengthBytes(std::size_t length) {
  std::size_t bytes = 1;
  for (; length >= 0x80; length >>= 7) ++bytes;
  return bytes;
}

}  // namespace

CellTexts::~CellTexts() { std::free(m_p); }

const Byte* CellTexts::Begin() const { return m_p ? m_p + sizeof(std::uint32_t) : nullptr; }

const Byte* CellTexts::End() const { return m_p ? Begin() + SizeAt(m_p) : nullptr; }

const Byte* CellTexts::Find(int col, int* missing) const {
  const Byte* p = Begin();
  const Byte* end = End();
  for (; col > 0 && p != end; --col) p += ReadLength(p);
  if (missing) *missing = col;
  return p;
}

std::string_view CellTexts::Get(int col) const {
  int missing = 0;
  const Byte* p = Find(col, &missing);
  if (col < 0 || missing > 0 || p == End()) return {};
  const std::size_t length = ReadLength(p);
  return {reinterpret_cast<const char*>(p), length};
}

void CellTexts::Set(int col, std::string_view text) {
  if (col < 0) return;
  int missing = 0;
  const Byte* from = Find(col, &missing);
  const Byte* to = from;
  if (to != End()) to += ReadLength(to);
  if (text.empty() && to == End() && from == to) return;  // past the end: empty already
  Splice(from, to, missing, text);
}

void CellTexts::InsertCell(int col) {
  int missing = 0;
  const Byte* at = Find(col, &missing);
  if (col >= 0 && missing == 0 && at != End()) Splice(at, at, 0, {});
}

void CellTexts::RemoveCell(int col) {
  int missing = 0;
  const Byte* from = Find(col, &missing);
  if (col < 0 || missing > 0 || from == End()) return;
  const Byte* to = from;
  to += ReadLength(to);
  // Done in place: the block keeps its room, the size says what is used.
  const std::size_t head = static_cast<std::size_t>(from - Begin());
  const std::size_t tail = static_cast<std::size_t>(End() - to);
  std::memmove(m_p + sizeof(std::uint32_t) + head, to, tail);
  const auto size = static_cast<std::uint32_t>(head + tail);
  std::memcpy(m_p, &size, sizeof size);
}

void CellTexts::Splice(const Byte* from, const Byte* to, int emptyCells, std::string_view text) {
  const Byte* begin = Begin();
  const auto head = static_cast<std::size_t>(from - begin);
  const auto tail = static_cast<std::size_t>(End() - to);
  const std::size_t size = head + static_cast<std::size_t>(emptyCells) + LengthBytes(text.size()) + text.size() + tail;
  auto* block = static_cast<Byte*>(std::malloc(sizeof(std::uint32_t) + size));
  if (!block) throw std::bad_alloc();
  const auto size32 = static_cast<std::uint32_t>(size);
  std::memcpy(block, &size32, sizeof size32);
  Byte* out = block + sizeof size32;
  if (head) std::memcpy(out, begin, head);
  out += head;
  std::memset(out, 0, static_cast<std::size_t>(emptyCells));
  out += emptyCells;
  out = WriteLength(out, text.size());
  if (!text.empty()) std::memcpy(out, text.data(), text.size());
  out += text.size();
  if (tail) std::memcpy(out, to, tail);
  // text may lie in the old block; it is freed only now.
  std::free(m_p);
  m_p = block;
}

RowStore::~RowStore() {
  if (m_pObserver) m_pObserver->Detached();
}

void RowStore::Change(int row, const std::function<void(TableRow&)>& change, bool shows) {
  if (!IsRow(row)) return;
  change(m_rows[static_cast<std::size_t>(row)]);
  if (shows && m_pObserver) m_pObserver->RowsChanged(row, row);
}

void RowStore::ChangeAll(const std::function<void(TableRow&)>& change) {
  for (TableRow& row : m_rows) change(row);
  if (!m_rows.empty() && m_pObserver) m_pObserver->RowsChanged(0, Rows() - 1);
}

void RowStore::SetText(int row, int col, std::string_view text) {
  Change(row, [&](TableRow& r) { r.cells.Set(col, text); });
}

int RowStore::Insert(int row, TableRow item) {
  row = std::clamp(row, 0, Rows());
  if (m_pObserver) m_pObserver->AboutToInsert(row);
  if (item.marks) ++m_nMarked;
  m_rows.insert(m_rows.begin() + row, std::move(item));
  if (m_pObserver) m_pObserver->Inserted();
  return row;
}

void RowStore::Remove(int row) {
  if (!IsRow(row)) return;
  if (m_pObserver) m_pObserver->AboutToRemove(row);
  if (m_rows[static_cast<std::size_t>(row)].marks) --m_nMarked;
  m_rows.erase(m_rows.begin() + row);
  if (m_pObserver) m_pObserver->Removed();
}

void RowStore::Clear() {
  if (m_pObserver) m_pObserver->AboutToReset();
  m_rows = std::deque<TableRow>();
  m_nMarked = 0;
  if (m_pObserver) m_pObserver->WasReset();
}

void RowStore::Sort(const std::function<bool(const TableRow&, const TableRow&)>& less) {
  std::vector<int> order(m_rows.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return less(Row(a), Row(b)); });
  Reorder(order);
}

void RowStore::Reorder(const std::vector<int>& order) {
  if (order.size() != m_rows.size()) return;
  if (m_pObserver) m_pObserver->AboutToReorder();
  std::deque<TableRow> sorted;
  std::vector<int> newRowOf(order.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    sorted.push_back(std::move(m_rows[static_cast<std::size_t>(order[i])]));
    newRowOf[static_cast<std::size_t>(order[i])] = static_cast<int>(i);
  }
  m_rows.swap(sorted);
  if (m_pObserver) m_pObserver->Reordered(newRowOf);
}

void RowStore::InsertCell(int col) {
  const std::uint64_t low = col < 64 ? (std::uint64_t{1} << col) - 1 : ~std::uint64_t{0};
  for (TableRow& row : m_rows) {
    row.cells.InsertCell(col);
    row.emphasis = (row.emphasis & low) | ((row.emphasis & ~low) << 1);
  }
}

void RowStore::RemoveCell(int col) {
  const std::uint64_t low = col < 64 ? (std::uint64_t{1} << col) - 1 : ~std::uint64_t{0};
  for (TableRow& row : m_rows) {
    row.cells.RemoveCell(col);
    row.emphasis = (row.emphasis & low) | ((row.emphasis >> 1) & ~low);
  }
}

void RowStore::Mark(int row, std::uint8_t marks) {
  if (!IsRow(row)) return;
  std::uint8_t& slot = m_rows[static_cast<std::size_t>(row)].marks;
  if (!slot && marks) ++m_nMarked;
  slot |= marks;
}

void RowStore::TakeMarks(const std::function<void(int row, std::uint8_t marks)>& take) {
  for (int row = 0; m_nMarked > 0 && row < Rows(); ++row) {
    std::uint8_t& marks = m_rows[static_cast<std::size_t>(row)].marks;
    if (!marks) continue;
    const std::uint8_t taken = std::exchange(marks, 0);
    --m_nMarked;
    take(row, taken);
  }
}

RowRuns JoinRuns(RowRuns runs) {
  std::sort(runs.begin(), runs.end());
  std::size_t kept = 0;
  for (const auto& run : runs) {
    if (kept > 0 && run.first <= runs[kept - 1].second + 1)
      runs[kept - 1].second = std::max(runs[kept - 1].second, run.second);
    else
      runs[kept++] = run;
  }
  runs.resize(kept);
  return runs;
}

RowRuns RunsOfRows(std::vector<int> rows) {
  RowRuns runs;
  for (int row : rows) runs.emplace_back(row, row);
  return JoinRuns(std::move(runs));
}

int RowsIn(const RowRuns& runs) {
  int rows = 0;
  for (const auto& [first, last] : runs) rows += last - first + 1;
  return rows;
}

bool RunsHold(const RowRuns& runs, int row) {
  return FirstRowFrom(runs, row) == row;
}

int FirstRowFrom(const RowRuns& runs, int from) {
  const auto run = std::lower_bound(runs.begin(), runs.end(), from,
                                    [](const std::pair<int, int>& r, int row) { return r.second < row; });
  return run == runs.end() ? -1 : std::max(run->first, from);
}

}  // namespace base
