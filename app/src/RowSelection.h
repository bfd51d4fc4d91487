#pragma once
// CRowSelection: the selected rows across a reload of the folder, by their
// files' keys — the rows are new objects after it, in another order perhaps,
// but the files are the same.
#include <core/FolderSession.h>

#include <vector>

class CGridora;
class CListCtrl;
class CWindowWork;

class CRowSelection {
 public:
  CRowSelection(CListCtrl& list, CGridora& table, CFolderSession& session, CWindowWork& work)
      : m_list(list), m_table(table), m_session(session), m_work(work) {}

  // The selected rows' file keys; the first is the focused row's.
  std::vector<CString> Keys() const;
  // Selects the rows of keys, the first key's row focused; false when none
  // of them is in the table (the selection is then left as it is).
  bool Select(const std::vector<CString>& keys);

 private:
  CString KeyOf(int row) const { return m_session.FileKeyOf(m_session.Table().IdOf(row)); }

  CListCtrl& m_list;
  CGridora& m_table;
  CFolderSession& m_session;
  CWindowWork& m_work;
};
