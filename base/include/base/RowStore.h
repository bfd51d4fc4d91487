#pragma once
// The rows of a table as data: each row's cells packed into one allocation,
// an integer of row data (a row's id), an image index, a text colour and
// which cells are emphasised. The folder session keeps its rows here and the
// list view shows them as they are, so a row costs its strings once, and a
// sort is a sort of data. Whoever shows the rows is told of every change
// through one observer, before and after it happens.
#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <numeric>
#include <string_view>
#include <utility>
#include <vector>

namespace base {

// The texts of a row's cells: each cell is its length (seven bits a byte,
// the high bit set when more follow) and its bytes. A cell past the last one
// stored is empty.
class CellTexts {
 public:
  CellTexts() = default;
  CellTexts(CellTexts&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
  CellTexts& operator=(CellTexts&& other) noexcept {
    std::swap(m_p, other.m_p);
    return *this;
  }
  ~CellTexts();

  std::string_view Get(int col) const;
  void Set(int col, std::string_view text);
  // An empty cell at col, the later ones moving right; or the cell at col
  // removed, the later ones moving left.
  void InsertCell(int col);
  void RemoveCell(int col);

 private:
  // Bytes [begin, end) of the cells, and where cell col starts (the end when
  // there are fewer cells; *missing tells how many are lacking).
  const unsigned char* Begin() const;
  const unsigned char* End() const;
  const unsigned char* Find(int col, int* missing = nullptr) const;
  // Replaces bytes [from, to) of the cells with emptyCells empty cells and a
  // cell holding text, in a new block.
  void Splice(const unsigned char* from, const unsigned char* to, int emptyCells, std::string_view text);

  unsigned char* m_p = nullptr;  // the cells' size (4 bytes), then the cells
};

// The text colour of a row that has none of its own (the table's).
constexpr std::uint32_t kDefaultRowColour = 0xFF000000;

struct TableRow {
  CellTexts cells;
  std::intptr_t data = 0;      // the owner's number for the row (its id)
  std::uint64_t emphasis = 0;  // bit c: cell c is emphasised (columns 0 to 63)
  std::uint32_t crText = kDefaultRowColour;
  int nImage = -1;
  std::uint8_t marks = 0;  // the view's selection, kept across a reset
};

// A set of rows as runs [first, last], in order, none touching another.
using RowRuns = std::vector<std::pair<int, int>>;
// Sorts runs and joins those that overlap or touch.
RowRuns JoinRuns(RowRuns runs);
// The runs of these rows, in any order, repeats allowed.
RowRuns RunsOfRows(std::vector<int> rows);
int RowsIn(const RowRuns& runs);
bool RunsHold(const RowRuns& runs, int row);
// The first row of the runs at or after from, or -1.
int FirstRowFrom(const RowRuns& runs, int from);

// The rank of each of count items in the order compare(a, b) gives (below 0:
// a first): 0 for the first, equal items share a rank, and the next
// different item takes the next rank.
template <class Compare>
std::vector<int> RanksOf(std::size_t count, Compare compare) {
  std::vector<std::size_t> order(count);
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return compare(a, b) < 0; });
  std::vector<int> ranks(count, 0);
  int rank = 0;
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (i > 0 && compare(order[i - 1], order[i]) != 0) ++rank;
    ranks[order[i]] = rank;
  }
  return ranks;
}

class RowStore {
 public:
  // Told of each change; the rows are as before in the About calls and as
  // after in the others.
  class Observer {
   public:
    virtual ~Observer() = default;
    virtual void RowsChanged(int first, int last) = 0;
    virtual void AboutToInsert(int row) = 0;
    virtual void Inserted() = 0;
    virtual void AboutToRemove(int row) = 0;
    virtual void Removed() = 0;
    virtual void AboutToReset() = 0;
    virtual void WasReset() = 0;
    virtual void AboutToReorder() = 0;
    // newRowOf[old row] is the row's place now.
    virtual void Reordered(const std::vector<int>& newRowOf) = 0;
    // The store is going away.
    virtual void Detached() = 0;
  };

  RowStore() = default;
  ~RowStore();
  RowStore(const RowStore&) = delete;
  RowStore& operator=(const RowStore&) = delete;

  // One observer at a time (null: none); the last one set is told.
  void SetObserver(Observer* observer) { m_pObserver = observer; }
  Observer* GetObserver() const { return m_pObserver; }

  int Rows() const { return static_cast<int>(m_rows.size()); }
  bool IsRow(int row) const { return row >= 0 && row < Rows(); }
  const TableRow& Row(int row) const { return m_rows[static_cast<std::size_t>(row)]; }
  std::string_view Text(int row, int col) const { return IsRow(row) ? Row(row).cells.Get(col) : std::string_view(); }

  // change gets the row to change; shows false: nothing the view draws changed.
  void Change(int row, const std::function<void(TableRow&)>& change, bool shows = true);
  void ChangeAll(const std::function<void(TableRow&)>& change);
  void SetText(int row, int col, std::string_view text);
  // At row (clamped to the end); returns where it went.
  int Insert(int row, TableRow item);
  void Remove(int row);
  void Clear();
  // A stable sort by less.
  void Sort(const std::function<bool(const TableRow&, const TableRow&)>& less);
  // Rows in the given order: order[k] is the row (as it is now) that goes to place k.
  void Reorder(const std::vector<int>& order);
  // An empty cell at col in every row, or col removed from every row (the
  // view's columns); emphasis moves with the cells.
  void InsertCell(int col);
  void RemoveCell(int col);

  // The view's marks (its selection across a reset).
  void Mark(int row, std::uint8_t marks);
  void TakeMarks(const std::function<void(int row, std::uint8_t marks)>& take);

 private:
  std::deque<TableRow> m_rows;
  Observer* m_pObserver = nullptr;
  int m_nMarked = 0;
};

}  // namespace base
