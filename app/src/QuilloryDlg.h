#pragma once
// CQuilloryDlg: the main window. The whole program is this one dialog: a
// folder's MP3 files in a table, the tag panel that edits one row, the
// apply-to-all rules, saving, the list's context menu and the HTML report.
// Its handlers live in one source file per area (folder loading, editing,
// rules, saving, context menu, report); this header declares them all.
#include "CommandHistory.h"
#include "CoverEdits.h"
#include <base/FolderWalk.h>
#include "LoadedFiles.h"
#include "RecentFolders.h"

#include <platform/Dialog.h>
#include <platform/ImageList.h>
#include <platform/ListCtrl.h>
#include <platform/Picture.h>
#include <platform/ProgressCtrl.h>
#include <platform/PumpMessage.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

class CMyMP3Tags;
struct CCoverArt;
class CGridora;
class CStatus;
class CTextColor;
class CFolderDialog;
class CIndvProgress;
class CShellcmd;
class CIconMenu;
class CFailedRows;
class CMenuBar;
class CTableRows;
class CJournalledSave;
class CPackedCells;
class CPreviewDlg;
class CRowTexts;

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
  // Escape and Cancel stop the work (CWorkScope).
  BOOL OnCommand(int id, int code) override;
  BOOL OnNotify(NMHDR* header, LRESULT* result) override;
  void OnSize(UINT type, int cx, int cy) override;

  // The window itself (start-up, the menu bar, Exit, Help, About).
  void CreateMenuBar();
  void OnExit();
  void OnHelp();
  void OnAbout();
  // Asks question (captioned "Data not saved") when a cell of the table
  // differs from its file or the edit boxes hold typing not yet put into
  // the table; true when the edits may go.
  bool ConfirmDiscardEdits(const char* question = "Do you want to exit?");
  // Runs a shell request without the shell's own message box, for a caller
  // that says in the status bar what could not be done.
  bool ShellQuietly(bool (CShellcmd::*request)(CString), const CString& path);
  // A cell of the table differs from what its file holds.
  bool IsDataChanged() const;

  // The command history: every change of the table is done through DoCommand
  // and can be undone and redone.
  void DoCommand(std::unique_ptr<CCommand> command);
  void OnUndo();
  void OnRedo();
  void StepHistory(bool redo);
  // After the table changed: the unsaved files' count and the menu items.
  void ShowTableState();
  // The status bar's third pane, at its right end: how many files have unsaved edits.
  void LayoutStatusPanes();

  // Folder loading and the totals.
  void OnOpenFolder();
  void OnReload();
  void OpenStartFolder();
  int CountMp3Files(const CString& pattern);
  void LoadFolder(const CString& pattern);
  // The cells of the linked file's row, column by column, as a load shows
  // them; name is the file's name in the folder.
  std::vector<CString> LinkedRowCells(const CString& name);
  // The reload that ends Save all: the folder is read again only when it no
  // longer lists the table's files in the table's order.
  void ReloadAfterSaveAll();
  HICON GetSmallShellIcon(const CString& path);
  void UpdateFolderTotals();
  void ShowFolderTotals(const CString& count, const CString& size, const CString& time);
  // The search pattern of the current folder: every "*.mp3" in it.
  CString FolderPattern() const;
  // Reads the current folder (with m_bSubfolders, the folders below it too)
  // into the table and shows its totals; clears the changed flag. Then says
  // doneText, what was skipped, or how far a stopped load came. False, with
  // the folder forgotten, when it holds no MP3 file.
  bool LoadCurrentFolder(const CString& doneText);
  // The row's file as it is named on disk: the key followed by ".mp3" in any
  // letter case. Empty when no such file exists, or when several do (so no
  // write can go to another row's file).
  CString RowFilePath(int row);
  // The row's key as its file is named on disk: the File name cell, or the
  // name the cell had before a rename that is not saved yet.
  CString FileKeyOf(int row);

  // Editing one row.
  void OnListDblClk(NMHDR* pNMHDR, LRESULT* pResult);
  // Enter and F2 on a row fill the edit boxes; Delete removes the row.
  void OnListKeyDown(NMHDR* pNMHDR, LRESULT* pResult);
  void OnClear();
  void OnUpdateRow();
  void FillEditBoxes();
  void ClearEditBoxes();
  // Update is enabled exactly while the boxes hold a row.
  void EnableUpdateForBoxes();
  // The boxes now show what the user has not typed (or typed and put into
  // the table); HasTyping tells whether they have been typed into since.
  void NoteBoxesShown();
  bool HasTyping();

  // Apply-to-all rules.
  void OnCheckAll();
  void OnUncheckAll();
  void OnUpdateList();
  void SetAllRuleChecks(int state);

  // Saving.
  void OnSaveAll();
  void SaveSelectedRow();
  // A row about to be saved, and its file (empty when the folder holds no
  // single file of the row's name); with a pending rename, the path the
  // file is renamed to once its tags are written. A row with no edit is
  // not written at all; a file a save must never write says why.
  struct PlannedSave {
    int nRow;
    CString strPath;
    CString strNewPath;
    bool bEdited = true;
    CString strRefusal;
  };
  // The rows' files, as a save will write them.
  std::vector<PlannedSave> PlanSaves(const std::vector<int>& rows);
  // A row a save could not write, and why.
  struct SaveFailure {
    int nRow;
    CString strFile, strReason;
  };
  // Saves the rows' files in batches flushed together, the window busy
  // meanwhile (Escape or Cancel stop it between two files). Each saved row
  // shows what its file now holds; each row not saved keeps its edits, is
  // marked and added to failures. Returns how many rows it came to.
  int SaveRows(const std::vector<int>& rows, std::vector<SaveFailure>* failures);
  // Writes one row's file into the tag object's batch; true when nothing
  // failed yet (the file is saved only when the batch is committed).
  bool SaveRow(const PlannedSave& save);
  // Links the row's file and sets, in an open group, everything a save of
  // the row writes: the fields whose cells differ from what the file held,
  // and a pending cover (with report, each step shown as the save's
  // progress). The journal's record and the save both come from here, so
  // they match. Nothing is set, the object unlinked and the reason returned,
  // when the file is not the one the table read (or lies outside the folder).
  CString LinkWithRowFields(const PlannedSave& save, bool report = false);
  // Commits the batch: each row written into it shows what its file now
  // holds, or is marked as not saved and added to failures. With end, the
  // batch is closed.
  void CommitSaves(bool end, std::vector<SaveFailure>* failures);
  void ReportSaveStep(const CString& step);
  void EnableAllControls(bool on);
  // Marks the row as saved or not after SaveRow returned saved.
  void NoteSaveResult(int row, bool saved);
  // The journal of saves (JournalCommands.cpp). Before a save writes, what
  // each file's write replaces is put on the disk (false: nothing may be
  // written); the save then writes only what was recorded (CheckJournalled
  // says why not, in the linked file's open group), and notes each saved
  // file. "Undo last save" puts the folder's newest save back.
  class CWorkScope;
  bool JournalSaves(const std::vector<PlannedSave>& plan, const CWorkScope& work);
  CString CheckJournalled(const CString& path);
  void FinishSaveJournal();
  bool CanUndoLastSave() const;
  void OnUndoLastSave();

  // The list's context menu, play, delete, sort and the panel toggle.
  void OnListRClick(NMHDR* pNMHDR, LRESULT* pResult);
  void OnListHotTrack(NMHDR* pNMHDR, LRESULT* pResult);
  void OnHeaderItemClick(NMHDR* pNMHDR, LRESULT* pResult);
  // A row became selected: a row whose file was not saved says why.
  void OnListItemChanged(NMHDR* pNMHDR, LRESULT* pResult);
  void OnPlay();
  void OnDeleteRow();
  void OnExplore();
  void OnTogglePanel();
  void OnWebSite();
  // Shows (SW_SHOW) or hides (SW_HIDE) the tag panel, Exit and Help.
  void ShowPanel(int command);
  // Lets the window be resized: the list takes the growth, the controls
  // below it move with the bottom edge, the buttons at the right with the
  // right edge.
  void AnchorControls();

  // The HTML report of the folder.
  void WriteReport();

  // Covers (CoverPanel.cpp): the Cover group shows the selected rows' front
  // cover; each command is one step over every selected row, written by the
  // next save of the row.
  void OnAddCover();
  void OnExtractCover();
  void OnRemoveCover();
  void OnCoverDropped(NMHDR* pNMHDR, LRESULT* pResult);
  // Makes the picture in the file the selected rows' cover; false, with a
  // message naming the file, when it is not one, and nothing changes.
  bool AddCoverFrom(const CString& path);
  // The thumbnail, its caption and the cover commands, for the selection.
  void ShowCover();
  // What the rows' covers have in common, pending changes included; first,
  // when given, gets the facts of the first row's file cover when it was read.
  CCommonCover CommonCoverOf(const std::vector<int>& rows, CCoverArt* first = nullptr);
  // The front cover of the row's file as it is on disk; empty when none.
  // facts, when given, gets its facts (type, place, size); bytes false: those alone.
  std::string ReadFileCover(int row, CCoverArt* facts = nullptr, bool bytes = true);
  // Puts the row's pending cover change into the linked tag object's group.
  void ApplyPendingCover(int row);
  // Several rows at once (ManyRows.cpp): the tag panel over the selected
  // rows, the genre box, "Tags from file names" and "Format fields".
  void SetUpManyRows();
  // The panel shows the rows' common texts, grey hints where they differ.
  void FillEditBoxesFromRows(const std::vector<int>& rows);
  // Update of a panel filled from several rows.
  void UpdatePanelRows();
  // The cells of the boxes the user changed since they were filled.
  CPackedCells TypedCells();
  // Shows the hint in each box whose rows differ (the fields in order), none elsewhere.
  void ShowDifferingHints(const std::vector<bool>& differs);
  void OnTagsFromNames();
  void OnFormatFields();
  // "File names from tags": new names wait in the File name column until a save.
  void OnNamesFromTags();
  // The names a rename of rows must not take: what their folders hold, and
  // the new names other rows wait to be saved with.
  std::vector<CString> NamesTakenBeside(const CRowTexts& rows);
  // Runs the dialog make gives over the selected rows (all rows when none
  // is) and applies what it gives them as one step named name.
  using DialogMaker = std::function<std::unique_ptr<CPreviewDlg>(const CRowTexts&)>;
  void EditRowsInDialog(const char* name, const DialogMaker& make);
  // The rows the tag panel was filled from, by id, and the texts its
  // editable boxes showed them with (empty while the boxes hold no row).
  struct PanelFill {
    std::vector<LPARAM> rows;
    std::vector<CString> texts;
  };
  PanelFill m_panel;
  CComboBox m_cmbGenre;
  std::vector<std::unique_ptr<CEdit>> m_panelEdits;  // the editable text boxes, for their hints

  // File > Recent folders (RecentFolders.cpp): the menu lists the folders
  // opened last; choosing one opens it as it was opened then.
  void FillRecentMenu();
  void OnRecentFolder(int index);
  int m_nRecentMenu = -1;  // the submenu's index in the menu bar
  std::vector<RecentFolder> m_recentShown;  // the folders as the menu lists them
  // Edit > Boxes follow the selection: the tag panel is filled from the rows
  // as they are selected (typing not yet put into its rows goes there first).
  void OnBoxesFollowSelection();
  void FollowSelection();
  bool m_bBoxesFollow = false;
  // The selection across a reload: the selected rows' files by key (the
  // first is the focused row's), and the rows of those keys selected again.
  std::vector<CString> SelectedFileKeys();
  void SelectRowsOfKeys(const std::vector<CString>& keys);

  // A load or a save: the window is busy, Cancel takes Save all's place, and
  // Escape or Cancel asks to stop (IsStopRequested). Scopes may nest.
  class CWorkScope {
   public:
    explicit CWorkScope(CQuilloryDlg& dlg);
    ~CWorkScope();
    CWorkScope(const CWorkScope&) = delete;
    CWorkScope& operator=(const CWorkScope&) = delete;
    bool IsStopRequested() const { return m_stop.IsRequested(); }

   private:
    CQuilloryDlg& m_dlg;
    bool m_bWasBusy;
    platform::CStopRequest m_stop;
    CWorkScope* m_pOuter = nullptr;
  };
  // Marks the dialog busy for its lifetime; scopes may nest.
  class CBusyScope {
   public:
    explicit CBusyScope(bool& busy) : m_bBusy(busy), m_bWasBusy(busy) { busy = true; }
    ~CBusyScope() { m_bBusy = m_bWasBusy; }
    CBusyScope(const CBusyScope&) = delete;
    CBusyScope& operator=(const CBusyScope&) = delete;

   private:
    bool& m_bBusy;
    bool m_bWasBusy;
  };

  // Members in the order the design lists them.
  HICON m_hIcon;
  std::unique_ptr<CMyMP3Tags> m_pTags;
  std::unique_ptr<CGridora> m_pTable;
  CRect m_rcList;
  int m_nListExpandedHeight = 0;
  bool m_bPanelHidden = false;
  std::unique_ptr<CStatus> m_pStatus;
  std::unique_ptr<CTextColor> m_pTextColor;
  CImageList m_imageList;
  CFolderDialog* m_pFolderDlg = nullptr;  // exists only while Open Folder runs
  std::unique_ptr<CIndvProgress> m_pProgress;
  CListCtrl m_list;
  std::unique_ptr<CShellcmd> m_pShell;
  int m_nFileCount = 0;
  // What CountMp3Files found, for the LoadFolder of the same pattern.
  CString m_strListedPattern;
  CMp3Listing m_listing;
  CMp3Listing m_lastWalk;  // the counts of the walk the last LoadFolder read
  bool m_bBusy = false;  // a save or a folder load is running
  CWorkScope* m_pWork = nullptr;  // the work running, to be asked whether to stop
  CString m_strFolder;
  bool m_bSubfolders = false;  // the folder is loaded with the folders below it
  FILE* m_pReportFile = nullptr;  // open only while the report is written

  // The tag panel's strings and the rules' check boxes, named by the field
  // table (Fields.cpp) with the edit box and rule each belongs to.
  friend struct FieldTable;
  CString m_strFileName;
  CString m_strArtist;
  CString m_strAlbum;
  CString m_strTitle;
  CString m_strTrack;
  CString m_strYear;
  CString m_strOrigArtist;
  CString m_strComment;
  CString m_strComposer;
  CString m_strEncodedBy;
  CString m_strCopyright;
  CString m_strURL;
  CString m_strBand;
  CString m_strPublisher;
  CString m_strConductor;
  CString m_strGenre;

  CButton m_chkArtistSame;
  CButton m_chkAlbumFromName;
  CButton m_chkTitleFromName;
  CButton m_chkTrackAuto;
  CButton m_chkYearSame;
  CButton m_chkOrigArtistFromArtist;
  CButton m_chkCommentSame;
  CButton m_chkComposerSame;
  CButton m_chkEncodedBySame;
  CButton m_chkCopyrightSame;
  CButton m_chkURLSame;
  CButton m_chkBandSame;
  CButton m_chkPublisherSame;
  CButton m_chkConductorSame;
  CStatic m_grpTags;
  std::unique_ptr<CIconMenu> m_pMenu;
  int m_nHotItem = 0;
  int m_nHotSubItem = 0;
  CProgressCtrl m_progressCtrl;
  // The rows whose files the last saves could not write, drawn in red.
  std::unique_ptr<CFailedRows> m_pFailedRows;
  // The table's rows by id, with what their files hold where they were edited.
  std::unique_ptr<CTableRows> m_pRows;
  CCommandHistory m_history;
  std::unique_ptr<CMenuBar> m_pMenuBar;
  CPictureBox m_coverBox;
  std::unique_ptr<CJournalledSave> m_pSaveJournal;  // the journal entry of the save running
  // What each file was when last read or written, so a save writes only onto the file it read.
  CLoadedFiles m_loadedFiles;
  int m_nFilesWritten = -1;   // by the last save, for the status bar; -1: no save since the folder was read
  CString m_strSaveNotBegun;  // why the last save wrote nothing at all (no journal, and the user said No); else empty

 private:
  CString m_strStartFolder;
  bool m_bStartSubfolders = false;
  bool m_bBrowseAtStart = false;
  // What the last LoadFolder did not read: files gone meanwhile, and whether it was stopped.
  int m_nVanishedOnLoad = 0;
  int m_nChangedOnLoad = 0;  // files another program kept rewriting while the load read them
  bool m_bLoadStopped = false;
  // The rows of Save all written into the tag object's batch, awaiting its commit.
  struct PendingSave {
    int nRow;
    CString strPath, strNewPath;
    std::vector<CString> cells;  // what the file holds once committed
    CFileIdentity written;       // the file as the commit leaves it
  };
  std::vector<PendingSave> m_pendingSaves;
  // The edit boxes' texts as last shown (Fields order), to tell typing from them.
  std::vector<CString> m_boxesShown;
  // The file the last SaveRow could not write and why, for Save all's summary.
  CString m_strSaveFile;
  CString m_strSaveReason;
  bool m_bSaveStepShown = false;  // the save's writes have put a step in the status bar
};
