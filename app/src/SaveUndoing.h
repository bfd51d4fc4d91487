#pragma once
// CSaveUndoing: "Undo last save". Each save records in the folder's journal
// what it replaces before it writes; this puts the newest save of the folder
// back, after asking, and has the window read the folder again with the rows
// selected before still selected. A journal entry that cannot be trusted is
// set aside, so that the save before it can be undone.
#include <core/FolderSession.h>

#include <functional>
#include <vector>

class CStatus;
class CWindowWork;
class CWnd;

class CSaveUndoing {
 public:
  // The selected rows' file keys, and the reload of the folder that says
  // done and then selects the rows of keys.
  using SelectedKeys = std::function<std::vector<CString>()>;
  using Reload = std::function<void(const CString& done, const std::vector<CString>& keys)>;
  CSaveUndoing(CWnd& parent, CFolderSession& session, CWindowWork& work, CStatus& status, SelectedKeys selected,
               Reload reload)
      : m_parent(parent), m_session(session), m_work(work), m_status(status), m_selected(std::move(selected)),
        m_reload(std::move(reload)) {}

  // Undoes the newest save when the user agrees (editsPending: the table or
  // the edit boxes hold edits that the undo loses). False when the user
  // declined and nothing changed.
  bool Run(bool editsPending);

 private:
  CWnd& m_parent;
  CFolderSession& m_session;
  CWindowWork& m_work;
  CStatus& m_status;
  SelectedKeys m_selected;
  Reload m_reload;
};
