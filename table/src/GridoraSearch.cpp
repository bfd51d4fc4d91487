// Looking across all rows of one column: search, extremes, average, sorting.
#include <table/Gridora.h>

#include "NumberText.h"

#include <platform/Collator.h>
#include <platform/ListCtrl.h>

#include <vector>

namespace {

// Shared by every table of the process, as the header click of one table
// toggles the direction for all of them.
int g_nLastSortCol = -1;
bool g_bAscending = true;

// The first row from the top whose cell satisfies match, or -1.
template <typename Match>
int FirstRow(CListCtrl* list, int col, Match match) {
  const int rows = list->GetItemCount();
  for (int row = 0; row < rows; ++row)
    if (match(list->GetItemText(row, col))) return row;
  return -1;
}

// The row whose value no later row beats (strictly), so ties go to the top;
// -1 for an empty list.
template <typename Read, typename Beats>
int BestRow(CListCtrl* list, int col, Read read, Beats beats) {
  const int rows = list->GetItemCount();
  if (rows <= 0) return -1;
  int best = 0;
  auto bestValue = read(list->GetItemText(0, col));
  for (int row = 1; row < rows; ++row) {
    const auto value = read(list->GetItemText(row, col));
    if (beats(value, bestValue)) {
      best = row;
      bestValue = value;
    }
  }
  return best;
}

auto Less = [](auto a, auto b) { return a < b; };
auto Greater = [](auto a, auto b) { return a > b; };

}  // namespace

int CGridora::GetRowIndex(CString value, int col) {
  if (!m_bSetup) return -1;
  return FirstRow(m_pList, col, [&](const CString& cell) { return cell == value; });
}

int CGridora::GetRowIndex(int value, int col) {
  if (!m_bSetup) return -1;
  return FirstRow(m_pList, col, [&](const CString& cell) { return gridora::ReadInt(cell) == value; });
}

int CGridora::GetRowIndex(double value, int col) {
  if (!m_bSetup) return -1;
  return FirstRow(m_pList, col, [&](const CString& cell) { return gridora::ReadReal(cell) == value; });
}

int CGridora::GetMaxIntValIndex(int col) {
  return m_bSetup ? BestRow(m_pList, col, gridora::ReadInt, Greater) : -1;
}

int CGridora::GetMinIntValIndex(int col) {
  return m_bSetup ? BestRow(m_pList, col, gridora::ReadInt, Less) : -1;
}

int CGridora::GetMaxDblValIndex(int col) {
  return m_bSetup ? BestRow(m_pList, col, gridora::ReadReal, Greater) : -1;
}

int CGridora::GetMinDblValIndex(int col) {
  return m_bSetup ? BestRow(m_pList, col, gridora::ReadReal, Less) : -1;
}

double CGridora::GetAvrgVal(int col) {
  if (!m_bSetup) return 0.0;
  const int rows = m_pList->GetItemCount();
  if (rows <= 0) return 0.0;
  double sum = 0.0;
  for (int row = 0; row < rows; ++row) sum += gridora::ReadReal(m_pList->GetItemText(row, col));
  return sum / rows;
}

void CGridora::SortData(NMHDR* header, LRESULT*) {
  if (!m_bSetup || !header) return;
  const int col = reinterpret_cast<const NMHEADER*>(header)->iItem;
  SortBy(col, col == g_nLastSortCol ? !g_bAscending : true);
}

void CGridora::SortBy(int col, bool ascending) {
  if (!m_bSetup) return;
  g_nLastSortCol = m_nSortCol = col;
  g_bAscending = m_bSortAscending = ascending;

  // Each row's key is its cell's rank in natural order, so sizes, bit rates,
  // durations and names all sort the way a person reads them. The list sorts
  // by item data, which is the rows' own data: during the sort it holds each
  // row's place instead, the compare looks the key up by it, and afterwards
  // every row gets its data back.
  const int rows = m_pList->GetItemCount();
  std::vector<CString> cells;
  std::vector<LPARAM> data;
  cells.reserve(rows > 0 ? rows : 0);
  data.reserve(rows > 0 ? rows : 0);
  for (int row = 0; row < rows; ++row) cells.push_back(m_pList->GetItemText(row, col));
  // The ranking lets the window paint, so the rows keep their data until it is done.
  std::vector<int> keys = platform::RankNatural(cells);
  for (int row = 0; row < rows; ++row) {
    data.push_back(m_pList->GetItemData(row));
    m_pList->SetItemData(row, row);
  }
  if (!ascending)
    for (int& key : keys) key = -key;
  m_pList->SortItems(
      [](LPARAM a, LPARAM b, LPARAM sortData) {
        const auto& keys = *reinterpret_cast<const std::vector<int>*>(sortData);
        return MyCompareProc(keys[static_cast<std::size_t>(a)], keys[static_cast<std::size_t>(b)], 0);
      },
      reinterpret_cast<LPARAM>(&keys));
  for (int row = 0; row < rows; ++row)
    m_pList->SetItemData(row, data[static_cast<std::size_t>(m_pList->GetItemData(row))]);
  m_pList->SetSortIndicator(col, ascending ? TRUE : FALSE);
}

int CGridora::GetSortCol() { return m_nSortCol; }

bool CGridora::GetSortAscending() { return m_bSortAscending; }

int CALLBACK CGridora::MyCompareProc(LPARAM a, LPARAM b, LPARAM) {
  if (a < b) return -1;
  if (a > b) return 1;
  return 0;
}
