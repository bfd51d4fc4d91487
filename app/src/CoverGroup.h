#pragma once
// CCoverGroup: the Cover group of the window — the thumbnail of the selected
// rows' front cover with its caption, and adding, extracting and removing
// covers. A change is one step of the session's history, kept with its rows
// until a save writes it; changed is called after each, to show the table's
// new state.
#include <core/FolderSession.h>

#include <platform/Picture.h>

#include <functional>
#include <vector>

class CDataExchange;
class CDialog;
class CGridora;
class CMenuBar;
class CStatus;

class CCoverGroup {
 public:
  CCoverGroup(CDialog& dialog, CFolderSession& session, CGridora& table, CStatus& status,
              std::function<void()> changed);

  // Binds the thumbnail (from the dialog's DoDataExchange).
  void Exchange(CDataExchange* pDX);
  // "Add cover…": a picture chosen in a file dialog.
  void Add();
  // Makes the picture in the file the selected rows' cover; false, with a
  // message naming the file, when it is not one, and nothing changes.
  bool AddFrom(const CString& path);
  // "Extract cover…": the selected rows' common cover into a file.
  void Extract();
  void Remove();
  // The thumbnail, its caption, and the cover commands (buttons and the menu
  // bar's items) enabled for the selection.
  void Show(CMenuBar* menuBar);

 private:
  std::vector<RowId> IdsOf(const std::vector<int>& rows) const;
  // Where the file dialogs open: the row's folder.
  CString FolderOfRow(int row) const;

  CDialog& m_dlg;
  CFolderSession& m_session;
  CTableRows& m_rows;
  CGridora& m_table;
  CStatus& m_status;
  std::function<void()> m_changed;
  CPictureBox m_box;
};
