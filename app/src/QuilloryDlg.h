#pragma once
// CQuilloryDlg: the main window. The whole program is this one dialog: a
// folder's music files in a table, the tag panel that edits one row, the
// apply-to-all rules and saving. It wires the controls to the folder session,
// which does the work, and to the classes it owns for groups of commands (the
// cover, the many-rows dialogs, the folder's documents, undo of a save, the
// desktop, the rows' menu, recent folders). Its own handlers live in one
// source file per area (folder loading, editing, saving, the list).
#include <core/FolderSession.h>
#include "RecentFolders.h"
#include "TableColumns.h"
#include "TagPanel.h"
#include "WindowLayout.h"
#include "WindowWork.h"

#include <platform/Dialog.h>
#include <platform/ImageList.h>
#include <platform/ListCtrl.h>
#include <platform/ProgressCtrl.h>

#include <memory>
#include <vector>

class CGridora;
class CStatus;
class CTextColor;
class CFolderDialog;
class CIndvProgress;
class CShellcmd;
class CRowMenu;
class CFailedRows;
class CMenuBar;
class CTableRows;
class CCoverGroup;
class CRowsDialogs;
class CFolderDocuments;
class CSaveUndoing;
class CDesktopCommands;
class CRowSelection;

class CQuilloryDlg : public CDialog {
 public:
  explicit CQuilloryDlg(CWnd* parent = nullptr);
  ~CQuilloryDlg() override;

  // A folder given on the command line, loaded when the window opens (with
  // the folders below it when subfolders is true).
  void SetStartFolder(const CString& folder, bool subfolders = false) {
    m_strStartFolder = folder;
    m_bStartSubfolders = subfolders;
  }
  // Started without a folder: when a folder was opened before, the window
  // opens with the folder browser at it (nothing is loaded unless chosen).
  void BrowseAtStart() { m_bBrowseAtStart = true; }
  // The folder's rows and operations the window shows and hands work to.
  CFolderSession& Session() { return *m_pSession; }

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  HBRUSH OnCtlColor(CCtlColorDC* pDC, CWnd* pWnd, UINT nCtlColor) override;
  // Escape and the window manager's close ask as Exit does while edits are pending.
  void OnCancel() override;
  void OnClose() override;
  // While a save or a folder load runs, its loop lets posted events through to
  // keep the window painted; the commands, notifications and close requests
  // among them are dropped, so nothing starts or ends in the middle of it.
  // Escape and Cancel stop the work (CWindowWork).
  BOOL OnCommand(int id, int code) override;
  BOOL OnNotify(NMHDR* header, LRESULT* result) override;
  void OnSize(UINT type, int cx, int cy) override;

  // The window itself (start-up, the menu bar, Exit).
  void CreateMenuBar();
  void OnExit();
  // Asks question (captioned "Data not saved") when a cell of the table
  // differs from its file or the edit boxes hold typing not yet put into
  // the table; true when the edits may go.
  bool ConfirmDiscardEdits(const char* question = "Do you want to exit?");
  // The same question, asked only for typing in the boxes not yet put into the table.
  bool ConfirmDiscardTyping(const char* question);
  // "Data not saved": question asked when unsaved; true when it is not, or the answer is Yes.
  bool ConfirmDiscard(bool unsaved, const char* question);
  // A cell of the table differs from what its file holds.
  bool IsDataChanged() const;

  // The session's command history: every change of the table can be undone and redone.
  void OnUndo();
  void OnRedo();
  void StepHistory(bool redo);
  // After the table changed: the unsaved files' count and the menu items.
  void ShowTableState();

  // Folder loading and the totals.
  void OnOpenFolder();
  void OnReload();
  void OpenStartFolder();
  // The reload that ends Save all: the folder is read again only when it no
  // longer lists the table's files in the table's order.
  void ReloadAfterSaveAll();
  HICON GetSmallShellIcon(const CString& path);
  void UpdateFolderTotals();
  // Reads folder (with subfolders, the folders below it too) into the table
  // and shows its totals. Then says doneText, what was skipped, or how far a
  // stopped load came. False, with the folder forgotten, when it holds no
  // music file.
  bool LoadFolder(CString folder, bool subfolders, const CString& doneText);
  // The row's file as it is named on disk (CRowFiles::PathOf its key). Empty when no such file exists, or when several do (so no
  // write can go to another row's file).
  CString RowFilePath(int row);
  // The row's key as its file is named on disk: the File name cell, or the
  // name the cell had before a rename that is not saved yet.
  CString FileKeyOf(int row);
  // The rows' ids, as the session names them.
  std::vector<RowId> IdsOf(const std::vector<int>& rows);
  // The folder the table shows; empty when none.
  const CString& Folder() const { return m_pSession->Folder(); }

  // Editing in the tag panel.
  void OnListDblClk(NMHDR* pNMHDR, LRESULT* pResult);
  // Enter and F2 on a row fill the edit boxes; Delete removes the row.
  void OnListKeyDown(NMHDR* pNMHDR, LRESULT* pResult);
  void OnUpdateRow();
  // Update of a panel filled from several rows.
  void UpdatePanelRows();
  // The panel from the selected rows (one row, or several edited together).
  void FillEditBoxes();
  // The user's request to edit the selected rows (a double-click, Enter, F2,
  // the row menu's Edit). Typing not yet put into the table is never dropped
  // silently: for the rows the boxes hold already it stays as typed, and
  // before other rows replace it the user is asked. True when the boxes hold
  // the selected rows afterwards.
  bool EditSelectedRows();
  // Puts what was typed into the rows the boxes hold, as Update would (one
  // step of the history); false when there was nothing to put there.
  bool ApplyTyping();
  void ClearEditBoxes();
  // The boxes hold typing not yet put into the table.
  bool HasTyping() const { return m_panel.HasTyping(); }

  // Apply-to-all rules.
  void CheckAllRules(bool checked);
  void OnUpdateList();

  // Saving.
  void OnSaveAll();
  void SaveSelectedRow();
  // Saves the rows (the window busy meanwhile; Escape or Cancel stop it
  // between two files), marks the rows not saved and shows the progress.
  CSaveReport SaveRows(const std::vector<int>& rows);
  void EnableAllControls(bool on);

  // The list's context menu, delete and sort.
  void OnHeaderItemClick(NMHDR* pNMHDR, LRESULT* pResult);
  // A right click on the header: the columns to show or hide.
  void OnHeaderRClick(NMHDR* pNMHDR, LRESULT* pResult);
  // A row became selected: a row whose file was not saved says why.
  void OnListItemChanged(NMHDR* pNMHDR, LRESULT* pResult);
  void OnDeleteRow();

  // The thumbnail, its caption and the cover commands, for the selection.
  void ShowCover();
  // Edit > Boxes follow the selection: the tag panel is filled from the rows
  // as they are selected (typing not yet put into its rows goes there first).
  void OnBoxesFollowSelection();
  void FollowSelection();
  bool m_bBoxesFollow = false;
  // The selection across a reload: the selected rows' files by key (the
  // first is the focused row's), and the rows of those keys selected again.
  std::vector<CString> SelectedFileKeys();
  void SelectRowsOfKeys(const std::vector<CString>& keys);

  // Members in the order the design lists them.
  HICON m_hIcon;
  std::unique_ptr<CGridora> m_pTable;
  CWindowLayout m_layout{*this};
  std::unique_ptr<CStatus> m_pStatus;
  std::unique_ptr<CTextColor> m_pTextColor;
  CImageList m_imageList;
  CFolderDialog* m_pFolderDlg = nullptr;  // exists only while Open Folder runs
  std::unique_ptr<CIndvProgress> m_pProgress;
  CListCtrl m_list;
  CTableColumns m_columns{m_list};
  std::unique_ptr<CShellcmd> m_pShell;
  // A load or a save running: the window busy, Cancel shown, the work's reports.
  std::unique_ptr<CWindowWork> m_pWork;

  CTagPanel m_panel{*this};
  CStatic m_grpTags;
  std::unique_ptr<CRowMenu> m_pRowMenu;
  CProgressCtrl m_progressCtrl;
  // The rows whose files the last saves could not write, drawn in red.
  std::unique_ptr<CFailedRows> m_pFailedRows;
  // The folder's rows, the history and every operation on them.
  std::unique_ptr<CFolderSession> m_pSession;
  CTableRows* m_pRows = nullptr;  // the session's rows by id
  std::unique_ptr<CMenuBar> m_pMenuBar;
  // File > Recent folders.
  std::unique_ptr<CRecentMenu> m_pRecent;
  // The Cover group: the selected rows' cover, and its commands.
  std::unique_ptr<CCoverGroup> m_pCovers;
  // The dialogs that edit many rows at once.
  std::unique_ptr<CRowsDialogs> m_pRowsDialogs;
  // Export, import, playlist and report of the rows.
  std::unique_ptr<CFolderDocuments> m_pDocuments;
  // Undo last save, from the folder's journal.
  std::unique_ptr<CSaveUndoing> m_pSaveUndoing;
  // Play, the file manager, the web site, the user guide, About.
  std::unique_ptr<CDesktopCommands> m_pDesktop;
  // The selected rows by their files, across a reload.
  std::unique_ptr<CRowSelection> m_pSelection;
  int m_nFilesWritten = -1;   // by the last save, for the status bar; -1: no save since the folder was read

 private:
  CString m_strStartFolder;
  bool m_bStartSubfolders = false;
  bool m_bBrowseAtStart = false;
};
