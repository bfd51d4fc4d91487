#pragma once
// CFailedRows: the rows whose files the last saves could not write. Each is
// shown in red in the table, so the user sees them at a glance (the colour
// stays with the row when the table is sorted), and keeps its reason, shown
// when the row is selected; the reason is kept by the row's id, so it stays
// with the row whatever its cells say. A save that succeeds, or a table
// filled anew, takes the marks away.
#include <base/String.h>

#include <core/TableRows.h>

#include <map>

class CGridora;

class CFailedRows {
 public:
  CFailedRows(CGridora* table, CTableRows* rows) : m_pTable(table), m_pRows(rows) {}

  // The row's file was not saved: "NAME was not saved: reason." from now on.
  void Mark(int row, const CString& message);
  // The row's file was saved.
  void Unmark(int row);
  // The table was filled anew, with no row marked.
  void Forget() { m_messages.clear(); }
  bool IsMarked(int row);
  // Why a marked row was not saved; empty for any other row.
  CString MessageOf(int row);

 private:
  CGridora* m_pTable;
  CTableRows* m_pRows;
  std::map<RowId, CString> m_messages;
};
