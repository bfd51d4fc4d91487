#pragma once
// CRowsDialogs: the dialogs that edit many rows at once — "Tags from file
// names", "Format fields", "File names from tags", "Number tracks", "Tag
// version", "All fields…" — and the runner that shows one of them over the
// selected rows and applies what it gives as one step of the session's
// history. changed is called after a step, to show the table's new state.
#include <core/FolderSession.h>

#include <functional>
#include <memory>
#include <vector>

class CGridora;
class CListCtrl;
class CPreviewDlg;
class CRowTexts;
class CStatus;
class CWnd;

class CRowsDialogs {
 public:
  CRowsDialogs(CWnd& parent, CFolderSession& session, CGridora& table, CListCtrl& list, CStatus& status,
               std::function<void()> changed);

  // Runs the dialog make gives over the selected rows (all rows when none
  // is, or with everyRow) and applies what it gives them as one step named name.
  using DialogMaker = std::function<std::unique_ptr<CPreviewDlg>(const CRowTexts&)>;
  void Run(const char* name, const DialogMaker& make, bool everyRow = false);

  void TagsFromNames();
  void FormatFields();
  // New names wait in the File name column until a save.
  void NamesFromTags();
  void NumberTracks();
  void TagVersion();
  // Every field the selected files store, each change a step of the history.
  void AllFields();

 private:
  CWnd& m_parent;
  CFolderSession& m_session;
  CGridora& m_table;
  CListCtrl& m_list;
  CStatus& m_status;
  std::function<void()> m_changed;
};
