// The main window's own part: its objects, its controls' bindings, the routing
// of every command, start-up, Exit, Help, About and the label colours.
#include "QuilloryDlg.h"

#include "CoverGroup.h"
#include "FailedRows.h"
#include "DesktopCommands.h"
#include "FolderDocuments.h"
#include "SaveUndoing.h"
#include "RowsDialogs.h"
#include "Resource.h"
#include "RowMenu.h"
#include "RowSelection.h"
#include <core/Summaries.h>
#include "Templates.h"
#include "WindowMenus.h"

#include <platform/MenuBar.h>
#include <platform/MessageBox.h>
#include <platform/Resources.h>
#include <platform/Settings.h>
#include <platform/StatusBarCtrl.h>
#include <platform/WinApp.h>
#include <progress/IndvProgress.h>
#include <shell/Shellcmd.h>
#include <statusbar/Status.h>
#include <table/Gridora.h>
#include <textcolor/TextColor.h>


namespace {

constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kRed = 0x0000FF;

// Whether the tag panel follows the selected rows, as last chosen.
constexpr const char* kBoxesFollowSetting = "Edit/BoxesFollowSelection";

}  // namespace

CQuilloryDlg::CQuilloryDlg(CWnd* parent)
    : CDialog(MainDialogTemplate(), parent),
      m_hIcon(LoadIcon(AfxFindResourceHandle(IDR_MAINFRAME, RT_GROUP_ICON), IDR_MAINFRAME)) {
  m_pTable = std::make_unique<CGridora>();
  m_pStatus = std::make_unique<CStatus>();
  m_pShell = std::make_unique<CShellcmd>();
  m_pRowMenu = std::make_unique<CRowMenu>(m_list);
  m_pProgress = std::make_unique<CIndvProgress>();
  m_pTextColor = std::make_unique<CTextColor>();
  m_pSession = std::make_unique<CFolderSession>();
  m_pRows = &m_pSession->Table();
  m_pFailedRows = std::make_unique<CFailedRows>(m_pTable.get(), m_pRows);
  m_pWork = std::make_unique<CWindowWork>(*this, *m_pStatus, *m_pProgress);
  m_pCovers = std::make_unique<CCoverGroup>(*this, *m_pSession, *m_pTable, *m_pStatus, [this] { ShowTableState(); });
  m_pRowsDialogs =
      std::make_unique<CRowsDialogs>(*this, *m_pSession, *m_pTable, m_list, *m_pStatus, [this] { ShowTableState(); });
  m_pDocuments =
      std::make_unique<CFolderDocuments>(*this, *m_pSession, *m_pTable, *m_pStatus, *m_pRowsDialogs, *m_pShell);
  m_pRecent = std::make_unique<CRecentMenu>(*m_pStatus, [this](const RecentFolder& folder) {
    if (ConfirmDiscardEdits("Do you want to open another folder?"))
      LoadFolder(folder.strPath, folder.bSubfolders, CString());
  });
  m_pSelection = std::make_unique<CRowSelection>(m_list, *m_pTable, *m_pSession, *m_pWork);
  m_pDesktop = std::make_unique<CDesktopCommands>(*this, *m_pShell, *m_pStatus, *m_pSession, *m_pTable, m_list);
  m_pSaveUndoing = std::make_unique<CSaveUndoing>(
      *this, *m_pSession, *m_pWork, *m_pStatus, [this] { return SelectedFileKeys(); },
      [this](const CString& done, const std::vector<CString>& keys) {
        if (LoadFolder(Folder(), m_pSession->Subfolders(), done)) SelectRowsOfKeys(keys);
      });

  RouteCommand(IDOK, [this] { OnExit(); });
  RouteCommand(IDC_OPEN_FOLDER, [this] { OnOpenFolder(); });
  RouteCommand(IDC_RELOAD, [this] { OnReload(); });
  RouteNotify(IDC_FILE_LIST, NM_DBLCLK, [this](NMHDR* h, LRESULT* r) { OnListDblClk(h, r); });
  RouteCommand(IDC_CLEAR, [this] { ClearEditBoxes(); });
  RouteCommand(IDC_UPDATE_ROW, [this] { OnUpdateRow(); });
  RouteCommand(IDC_CHECK_ALL, [this] { CheckAllRules(true); });
  RouteCommand(IDC_UNCHECK_ALL, [this] { CheckAllRules(false); });
  RouteCommand(IDC_UPDATE_LIST, [this] { OnUpdateList(); });
  RouteCommand(IDC_SAVE_ALL, [this] { OnSaveAll(); });
  RouteCommand(IDC_DELETE_ROW, [this] { OnDeleteRow(); });
  RouteCommand(IDC_PLAY, [this] { m_pDesktop->Play(); });
  RouteCommand(IDC_EXPLORE, [this] { m_pDesktop->Explore(); });
  RouteCommand(IDC_TOGGLE_PANEL, [this] {
    m_pStatus->Clear();
    m_layout.TogglePanel();
  });
  RouteNotify(IDC_FILE_LIST, NM_RCLICK, [this](NMHDR* h, LRESULT* r) {
    *r = 0;
    // A choice goes where its button or menu bar item goes; closed without one, nothing happens.
    if (const int id = m_pRowMenu->Choose(*reinterpret_cast<const NMITEMACTIVATE*>(h))) OnCommand(id, BN_CLICKED);
  });
  RouteNotify(IDC_FILE_LIST, LVN_HOTTRACK, [this](NMHDR* h, LRESULT* r) {
    m_pRowMenu->Track(*reinterpret_cast<const NMLISTVIEW*>(h));
    *r = 0;
  });
  RouteNotify(IDC_FILE_LIST, LVN_ITEMCHANGED, [this](NMHDR* h, LRESULT* r) { OnListItemChanged(h, r); });
  RouteNotify(IDC_FILE_LIST, LVN_KEYDOWN, [this](NMHDR* h, LRESULT* r) { OnListKeyDown(h, r); });
  // The list's header reports its clicks with control id 0.
  RouteNotify(0, HDN_ITEMCLICKA, [this](NMHDR* h, LRESULT* r) { OnHeaderItemClick(h, r); });
  RouteNotify(0, NM_RCLICK, [this](NMHDR* h, LRESULT* r) { OnHeaderRClick(h, r); });
  RouteCommand(IDC_WEB_SITE, [this] { m_pDesktop->WebSite(); });
  RouteCommand(IDC_ABOUT, [this] { m_pDesktop->About(); });
  RouteCommand(ID_HELP, [this] { m_pDesktop->Help(); });
  RouteCommand(ID_EDIT_UNDO, [this] { OnUndo(); });
  RouteCommand(ID_EDIT_REDO, [this] { OnRedo(); });
  RouteCommand(ID_HTML_REPORT, [this] { m_pDocuments->WriteReport(); });
  RouteCommand(ID_TAGS_FROM_NAMES, [this] { m_pRowsDialogs->TagsFromNames(); });
  RouteCommand(ID_FORMAT_FIELDS, [this] { m_pRowsDialogs->FormatFields(); });
  RouteCommand(ID_NAMES_FROM_TAGS, [this] { m_pRowsDialogs->NamesFromTags(); });
  RouteCommand(IDC_ADD_COVER, [this] { m_pCovers->Add(); });
  RouteCommand(IDC_EXTRACT_COVER, [this] { m_pCovers->Extract(); });
  RouteCommand(IDC_REMOVE_COVER, [this] { m_pCovers->Remove(); });
  RouteNotify(IDC_COVER_PICTURE, PBN_FILEDROPPED, [this](NMHDR* h, LRESULT* r) {
    *r = 0;
    m_pCovers->AddFrom(reinterpret_cast<const NMFILEDROP*>(h)->strPath);
  });
  RouteCommand(ID_UNDO_LAST_SAVE, [this] {
    if (m_pSaveUndoing->Run(IsDataChanged() || HasTyping())) ShowTableState();
  });
  RouteCommand(ID_BOXES_FOLLOW_SELECTION, [this] { OnBoxesFollowSelection(); });
  RouteCommand(ID_EDIT_ROWS, [this] { EditSelectedRows(); });
  RouteCommand(ID_SAVE_ROWS, [this] { SaveSelectedRow(); });
  RouteCommand(ID_EXPORT, [this] { m_pDocuments->Export(); });
  RouteCommand(ID_IMPORT, [this] { m_pDocuments->Import(); });
  RouteCommand(ID_MAKE_PLAYLIST, [this] { m_pDocuments->MakePlaylist(); });
  RouteCommand(ID_TAG_VERSION, [this] { m_pRowsDialogs->TagVersion(); });
  // The header's menu of columns, from the keyboard: shown at the table's top left.
  RouteCommand(ID_COLUMNS, [this] { m_columns.OfferColumns(CPoint(0, 0)); });
  RouteCommand(ID_ALL_FIELDS, [this] { m_pRowsDialogs->AllFields(); });
  RouteCommand(ID_NUMBER_TRACKS, [this] { m_pRowsDialogs->NumberTracks(); });
  for (int k = 0; k < kRecentFolderCount; ++k)
    RouteCommand(ID_RECENT_FOLDER_FIRST + k, [this, k] { m_pRecent->Choose(k); });
}

CQuilloryDlg::~CQuilloryDlg() {
  m_pRecent.reset();
  m_pSelection.reset();
  m_pSaveUndoing.reset();
  m_pDesktop.reset();
  m_pDocuments.reset();
  m_pRowsDialogs.reset();
  m_pCovers.reset();
  m_pWork.reset();
  m_pFailedRows.reset();
  m_pSession.reset();
  m_pTable.reset();
  m_pStatus.reset();
  m_pShell.reset();
  m_pRowMenu.reset();
  m_pProgress.reset();
  m_pTextColor.reset();
}

void CQuilloryDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_FILE_LIST, m_list);
  m_panel.Exchange(pDX);
  DDX_Control(pDX, IDC_TAGS_GROUP, m_grpTags);
  DDX_Control(pDX, IDC_SAVE_PROGRESS, m_progressCtrl);
  m_pCovers->Exchange(pDX);
}

BOOL CQuilloryDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  // First, so that every control below it keeps its place relative to the others.
  CreateMenuBar();

  // The close command is withdrawn, as the design has it; a window manager
  // that offers a close box anyway reaches OnClose, which asks as Exit does.
  EnableCloseBox(false);
  SetIcon(m_hIcon, TRUE);

  m_pStatus->Create(this, 0.1, 22);
  m_pStatus->Clear();
  m_layout.LayoutStatusPanes();

  m_pTable->Setup(&m_list);
  // The list shows the session's rows as they are: no copy of them.
  m_list.ShowRows(&m_pSession->Rows());
  for (Field field : kColumnOrder) m_pTable->SetTitle(SpecOf(field).strTitle, SpecOf(field).nWidth, 'L');
  m_pTable->CreateImages(&m_imageList, 16, 16, 0, 1);
  m_columns.SetUp();

  m_pShell->Init(GetSafeHwnd());

  m_layout.SetUp(m_list, m_grpTags);

  m_pRowMenu->SetUp();

  m_panel.SetUp();

  m_pProgress->Init(&m_progressCtrl);
  m_pProgress->SetMarqueeStyle(true);

  for (int id : {IDC_TOTAL_FILES_LABEL, IDC_TOTAL_SIZE_LABEL, IDC_TOTAL_TIME_LABEL})
    m_pTextColor->SetColor(id, kBlue);
  for (int id : {IDC_TOTAL_FILES, IDC_TOTAL_SIZE, IDC_TOTAL_TIME}) m_pTextColor->SetColor(id, kRed);
  for (Field field : kPanelFields) m_pTextColor->SetColor(BoxOf(field).edit.nLabelId, kBlue);

  m_panel.NoteShown();
  m_bBoxesFollow = platform::ReadSetting(kBoxesFollowSetting) == "1";
  ShowTableState();
  if (!m_strStartFolder.IsEmpty()) {
    // The folder from the command line loads in the window the user sees (the
    // load's first pump paints it), with its progress and its Cancel.
    UpdateCtlColors();
    ShowWindow(SW_SHOW);
    OpenStartFolder();
  } else if (m_bBrowseAtStart && !ReadRecentFolders().empty()) {
    // Nothing is opened, but the browser offers the folder opened last, over the window.
    UpdateCtlColors();
    ShowWindow(SW_SHOW);
    OnOpenFolder();
  }
  return TRUE;
}

HBRUSH CQuilloryDlg::OnCtlColor(CCtlColorDC* pDC, CWnd* pWnd, UINT nCtlColor) {
  HBRUSH brush = CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
  if (m_pTextColor->Check(pWnd) && nCtlColor == CTLCOLOR_STATIC) {
    // Zero means "no colour": black is never applied.
    if (m_pTextColor->m_crText != 0) pDC->SetTextColor(m_pTextColor->m_crText);
    if (m_pTextColor->m_crBack != 0) pDC->SetBkColor(m_pTextColor->m_crBack);
  }
  return brush;
}

void CQuilloryDlg::CreateMenuBar() {
  m_pMenuBar = std::make_unique<CMenuBar>();
  if (!m_pMenuBar->Create(this)) return;
  m_pRecent->Attach(m_pMenuBar.get(), BuildMenuBar(*m_pMenuBar));
}

void CQuilloryDlg::OnSize(UINT type, int cx, int cy) {
  CDialog::OnSize(type, cx, cy);
  m_layout.LayoutStatusPanes();
}

std::vector<CString> CQuilloryDlg::SelectedFileKeys() { return m_pSelection->Keys(); }

std::vector<RowId> CQuilloryDlg::IdsOf(const std::vector<int>& rows) {
  std::vector<RowId> ids;
  ids.reserve(rows.size());
  for (int row : rows) ids.push_back(m_pRows->IdOf(row));
  return ids;
}

bool CQuilloryDlg::IsDataChanged() const { return m_pRows->UnsavedCount() > 0; }

bool CQuilloryDlg::ConfirmDiscardEdits(const char* question) {
  return ConfirmDiscard(IsDataChanged() || HasTyping(), question);
}

bool CQuilloryDlg::ConfirmDiscardTyping(const char* question) { return ConfirmDiscard(HasTyping(), question); }

bool CQuilloryDlg::ConfirmDiscard(bool unsaved, const char* question) {
  return !unsaved || MessageBoxA(GetSafeHwnd(), question, "Data not saved", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void CQuilloryDlg::OnUndo() { StepHistory(false); }

void CQuilloryDlg::OnRedo() { StepHistory(true); }

void CQuilloryDlg::StepHistory(bool redo) {
  m_pStatus->Clear();
  if (!(redo ? m_pSession->CanRedo() : m_pSession->CanUndo())) {
    m_pStatus->ErrorMsg(redo ? "Nothing to redo." : "Nothing to undo.");
    return;
  }
  const int rows = m_pTable->GetNumOfRow();
  m_list.SetRedraw(FALSE);
  const CString name = redo ? m_pSession->Redo() : m_pSession->Undo();
  m_list.SetRedraw(TRUE);
  if (m_pTable->GetNumOfRow() != rows) UpdateFolderTotals();
  ShowTableState();
  m_pStatus->InfoMsg((redo ? "Redone: " : "Undone: ") + name);
}

void CQuilloryDlg::ShowTableState() {
  // With nothing unsaved, the pane says what the last save wrote.
  if (auto* bar = dynamic_cast<CStatusBarCtrl*>(GetDlgItem(IDC_STATUS_BAR)))
    bar->SetText(TableStateText(m_pRows->UnsavedCount(), m_nFilesWritten), 2);
  ShowCover();
  if (!m_pMenuBar) return;
  m_pMenuBar->EnableItem(ID_EDIT_UNDO, m_pSession->CanUndo() ? TRUE : FALSE);
  m_pMenuBar->EnableItem(ID_EDIT_REDO, m_pSession->CanRedo() ? TRUE : FALSE);
  m_pMenuBar->EnableItem(ID_UNDO_LAST_SAVE, m_pSession->HasSaveToUndo() ? TRUE : FALSE);
  // As the window has it, also after a choice the busy window did not take.
  m_pMenuBar->CheckItem(ID_BOXES_FOLLOW_SELECTION, m_bBoxesFollow ? TRUE : FALSE);
}

void CQuilloryDlg::OnBoxesFollowSelection() {
  m_bBoxesFollow = !m_bBoxesFollow;
  platform::WriteSetting(kBoxesFollowSetting, m_bBoxesFollow ? "1" : "0");
  ShowTableState();
  m_pStatus->InfoMsg(m_bBoxesFollow ? "The edit boxes follow the selected rows."
                                    : "The edit boxes keep their row until you double-click or press F2 on another.");
  if (m_bBoxesFollow) FollowSelection();
}

void CQuilloryDlg::OnExit() {
  if (!ConfirmDiscardEdits()) return;
  m_columns.Keep();
  CDialog::OnOK();
}

void CQuilloryDlg::OnCancel() {
  if (!ConfirmDiscardEdits()) return;
  m_columns.Keep();
  CDialog::OnCancel();
}

void CQuilloryDlg::OnClose() {
  if (!m_pWork->IsBusy()) OnExit();
}

BOOL CQuilloryDlg::OnCommand(int id, int code) {
  if (m_pWork->IsBusy()) return TRUE;
  return CDialog::OnCommand(id, code);
}

BOOL CQuilloryDlg::OnNotify(NMHDR* header, LRESULT* result) {
  if (m_pWork->IsBusy()) return TRUE;
  return CDialog::OnNotify(header, result);
}

void CQuilloryDlg::ShowCover() { m_pCovers->Show(m_pMenuBar.get()); }
