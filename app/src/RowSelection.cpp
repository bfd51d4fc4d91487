#include "RowSelection.h"

#include "WindowWork.h"

#include <platform/ListCtrl.h>
#include <table/Gridora.h>

#include <string>
#include <unordered_map>

std::vector<CString> CRowSelection::Keys() const {
  std::vector<CString> keys;
  const int focused = m_list.GetNextItem(-1, LVNI_FOCUSED | LVNI_SELECTED);
  if (focused >= 0) keys.push_back(KeyOf(focused));
  for (int row : m_table.GetSelectedRows())
    if (row != focused) keys.push_back(KeyOf(row));
  return keys;
}

bool CRowSelection::Select(const std::vector<CString>& keys) {
  if (keys.empty()) return false;
  std::unordered_map<std::string, std::vector<int>> rowsOf;
  const int count = m_table.GetNumOfRow();
  for (int row = 0; row < count; ++row) rowsOf[KeyOf(row).Str()].push_back(row);
  std::vector<int> rows;
  for (const CString& key : keys)
    if (const auto found = rowsOf.find(key.Str()); found != rowsOf.end())
      rows.insert(rows.end(), found->second.begin(), found->second.end());
  if (rows.empty()) return false;
  // One notice for the whole selection, not one per row.
  const CWindowWork::CQuiet quiet(m_work);
  m_list.SelectItems(rows);
  // The focused row before is focused again (the first key is its).
  m_list.SetItemState(rows.front(), LVIS_FOCUSED, LVIS_FOCUSED);
  m_list.SetSelectionMark(rows.front());
  return true;
}
