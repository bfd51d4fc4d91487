// The main window's own part: its objects, its controls' bindings, the routing
// of every command, start-up, Exit, Help, About and the label colours.
#include "QuilloryDlg.h"

#include "AboutDlg.h"
#include "FailedRows.h"
#include "FieldBoxes.h"
#include <core/JournalledSave.h>
#include "Resource.h"
#include <core/RowCommands.h>
#include "Templates.h"
#include "UserGuide.h"

#include <dialogs/FolderDialog.h>
#include <menus/IconMenu.h>
#include <platform/DynamicLayout.h>
#include <platform/Html.h>
#include <platform/MenuBar.h>
#include <platform/MessageBox.h>
#include <base/Path.h>
#include <platform/Resources.h>
#include <platform/Settings.h>
#include <platform/StatusBarCtrl.h>
#include <platform/WinApp.h>
#include <progress/IndvProgress.h>
#include <shell/Shellcmd.h>
#include <statusbar/Status.h>
#include <table/Gridora.h>
#include <tags/MyMP3Tags.h>
#include <textcolor/TextColor.h>

#include <algorithm>
#include <utility>

namespace {

constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kRed = 0x0000FF;

// Whether the tag panel follows the selected rows, as last chosen.
constexpr const char* kBoxesFollowSetting = "Edit/BoxesFollowSelection";

// The status bar's pane that counts the unsaved files, in dialog units.
constexpr int kUnsavedPaneWidth = 110;

// The menu bar: its menus, and their items in order (a null text is a
// separator). Adding a command to a menu is one line here and its route.
enum Menu { kFileMenu, kEditMenu, kHelpMenu };
constexpr const char* kMenuTitles[] = {"&File", "&Edit", "Help"};  // the Help button has Alt+H
// The item that stands for the File menu's list of recent folders.
constexpr int kRecentFoldersSubmenu = -1;
struct MenuItem {
  Menu menu;
  const char* text;
  int id;
  const char* shortcuts;
};
constexpr MenuItem kMenuItems[] = {
    {kFileMenu, "Open Folder\u2026", IDC_OPEN_FOLDER, "Ctrl+O"},
    {kFileMenu, "Recent folders", kRecentFoldersSubmenu, nullptr},
    {kFileMenu, "Reload", IDC_RELOAD, "F5"},
    {kFileMenu, "Save all", IDC_SAVE_ALL, "Ctrl+S"},
    {kFileMenu, "Undo last save", ID_UNDO_LAST_SAVE, "Ctrl+Alt+Z"},
    {kFileMenu, nullptr, 0, nullptr},
    {kFileMenu, "HTML report", ID_HTML_REPORT, nullptr},
    {kFileMenu, nullptr, 0, nullptr},
    {kFileMenu, "Exit", IDOK, nullptr},
    {kEditMenu, "Undo", ID_EDIT_UNDO, "Ctrl+Z"},
    {kEditMenu, "Redo", ID_EDIT_REDO, "Ctrl+Y;Ctrl+Shift+Z"},
    {kEditMenu, nullptr, 0, nullptr},
    {kEditMenu, "Tags from file names\u2026", ID_TAGS_FROM_NAMES, nullptr},
    {kEditMenu, "Format fields\u2026", ID_FORMAT_FIELDS, nullptr},
    {kEditMenu, "File names from tags\u2026", ID_NAMES_FROM_TAGS, nullptr},
    {kEditMenu, "Add cover\u2026", IDC_ADD_COVER, nullptr},
    {kEditMenu, "Extract cover\u2026", IDC_EXTRACT_COVER, nullptr},
    {kEditMenu, "Remove cover", IDC_REMOVE_COVER, nullptr},
    {kEditMenu, nullptr, 0, nullptr},
    {kEditMenu, "Boxes follow the selection", ID_BOXES_FOLLOW_SELECTION, nullptr},
    {kHelpMenu, "User guide", ID_HELP, "F1"},
    {kHelpMenu, "About", IDC_ABOUT, nullptr},
};

}  // namespace

CQuilloryDlg::CQuilloryDlg(CWnd* parent)
    : CDialog(MainDialogTemplate(), parent),
      m_hIcon(LoadIcon(AfxFindResourceHandle(IDR_MAINFRAME, RT_GROUP_ICON), IDR_MAINFRAME)) {
  m_pTags = std::make_unique<CMyMP3Tags>();
  m_pTable = std::make_unique<CGridora>();
  m_pStatus = std::make_unique<CStatus>();
  m_pShell = std::make_unique<CShellcmd>();
  m_pMenu = std::make_unique<CIconMenu>();
  m_pProgress = std::make_unique<CIndvProgress>();
  m_pTextColor = std::make_unique<CTextColor>();
  m_pSession = std::make_unique<CFolderSession>();
  m_pRows = &m_pSession->Table();
  m_pFailedRows = std::make_unique<CFailedRows>(m_pTable.get(), m_pRows);

  RouteCommand(IDOK, [this] { OnExit(); });
  RouteCommand(IDC_OPEN_FOLDER, [this] { OnOpenFolder(); });
  RouteCommand(IDC_RELOAD, [this] { OnReload(); });
  RouteNotify(IDC_FILE_LIST, NM_DBLCLK, [this](NMHDR* h, LRESULT* r) { OnListDblClk(h, r); });
  RouteCommand(IDC_CLEAR, [this] { OnClear(); });
  RouteCommand(IDC_UPDATE_ROW, [this] { OnUpdateRow(); });
  RouteCommand(IDC_CHECK_ALL, [this] { OnCheckAll(); });
  RouteCommand(IDC_UNCHECK_ALL, [this] { OnUncheckAll(); });
  RouteCommand(IDC_UPDATE_LIST, [this] { OnUpdateList(); });
  RouteCommand(IDC_SAVE_ALL, [this] { OnSaveAll(); });
  RouteCommand(IDC_DELETE_ROW, [this] { OnDeleteRow(); });
  RouteCommand(IDC_PLAY, [this] { OnPlay(); });
  RouteCommand(IDC_EXPLORE, [this] { OnExplore(); });
  RouteCommand(IDC_TOGGLE_PANEL, [this] { OnTogglePanel(); });
  RouteNotify(IDC_FILE_LIST, NM_RCLICK, [this](NMHDR* h, LRESULT* r) { OnListRClick(h, r); });
  RouteNotify(IDC_FILE_LIST, LVN_HOTTRACK, [this](NMHDR* h, LRESULT* r) { OnListHotTrack(h, r); });
  RouteNotify(IDC_FILE_LIST, LVN_ITEMCHANGED, [this](NMHDR* h, LRESULT* r) { OnListItemChanged(h, r); });
  RouteNotify(IDC_FILE_LIST, LVN_KEYDOWN, [this](NMHDR* h, LRESULT* r) { OnListKeyDown(h, r); });
  // The list's header reports its clicks with control id 0.
  RouteNotify(0, HDN_ITEMCLICKA, [this](NMHDR* h, LRESULT* r) { OnHeaderItemClick(h, r); });
  RouteCommand(IDC_WEB_SITE, [this] { OnWebSite(); });
  RouteCommand(IDC_ABOUT, [this] { OnAbout(); });
  RouteCommand(ID_HELP, [this] { OnHelp(); });
  RouteCommand(ID_EDIT_UNDO, [this] { OnUndo(); });
  RouteCommand(ID_EDIT_REDO, [this] { OnRedo(); });
  RouteCommand(ID_HTML_REPORT, [this] { WriteReport(); });
  RouteCommand(ID_TAGS_FROM_NAMES, [this] { OnTagsFromNames(); });
  RouteCommand(ID_FORMAT_FIELDS, [this] { OnFormatFields(); });
  RouteCommand(ID_NAMES_FROM_TAGS, [this] { OnNamesFromTags(); });
  RouteCommand(IDC_ADD_COVER, [this] { OnAddCover(); });
  RouteCommand(IDC_EXTRACT_COVER, [this] { OnExtractCover(); });
  RouteCommand(IDC_REMOVE_COVER, [this] { OnRemoveCover(); });
  RouteNotify(IDC_COVER_PICTURE, PBN_FILEDROPPED, [this](NMHDR* h, LRESULT* r) { OnCoverDropped(h, r); });
  RouteCommand(ID_UNDO_LAST_SAVE, [this] { OnUndoLastSave(); });
  RouteCommand(ID_BOXES_FOLLOW_SELECTION, [this] { OnBoxesFollowSelection(); });
  for (int k = 0; k < kRecentFolderCount; ++k)
    RouteCommand(ID_RECENT_FOLDER_FIRST + k, [this, k] { OnRecentFolder(k); });
}

CQuilloryDlg::~CQuilloryDlg() {
  m_pFailedRows.reset();
  m_pSession.reset();
  m_pTags.reset();
  m_pTable.reset();
  m_pStatus.reset();
  m_pShell.reset();
  m_pMenu.reset();
  m_pProgress.reset();
  m_pTextColor.reset();
}

void CQuilloryDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_FILE_LIST, m_list);
  for (Field field : kPanelFields) DDX_Text(pDX, BoxOf(field).edit.nId, this->*BoxOf(field).edit.pValue);
  for (Field field : kRuleFields) DDX_Control(pDX, BoxOf(field).rule.nId, this->*BoxOf(field).rule.pBox);
  DDX_Control(pDX, IDC_TAGS_GROUP, m_grpTags);
  DDX_Control(pDX, IDC_SAVE_PROGRESS, m_progressCtrl);
  DDX_Control(pDX, IDC_COVER_PICTURE, m_coverBox);
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
  LayoutStatusPanes();

  m_pTable->Setup(&m_list);
  // The list shows the session's rows as they are: no copy of them.
  m_list.ShowRows(&m_pSession->Rows());
  for (Field field : kColumnOrder) m_pTable->SetTitle(SpecOf(field).strTitle, SpecOf(field).nWidth, 'L');
  m_pTable->CreateImages(&m_imageList, 16, 16, 0, 1);

  m_pShell->Init(GetSafeHwnd());

  m_list.GetWindowRect(&m_rcList);
  ScreenToClient(&m_rcList);
  CRect group;
  m_grpTags.GetWindowRect(&group);
  ScreenToClient(&group);
  m_nListExpandedHeight = group.bottom - m_rcList.top;
  m_bPanelHidden = false;
  AnchorControls();

  m_pMenu->SetMenuItemDim(0, 22, 5, 5);
  m_pMenu->InsertItem(IDI_PLAY, "Play");
  m_pMenu->InsertItem(IDI_DELETE, "Delete");
  m_pMenu->InsertItem(IDI_EDIT, "Edit");
  m_pMenu->InsertItem(IDI_SAVE, "Save");
  m_pMenu->InsertItem(IDI_REPORT, "html report");
  m_pMenu->InsertItem(0u, "Tags from file names\u2026");
  m_pMenu->InsertItem(0u, "Format fields\u2026");
  m_pMenu->InsertItem(0u, "File names from tags\u2026");
  m_pMenu->InsertItem(IDI_ADD_COVER, "Add cover\u2026");
  m_pMenu->InsertItem(IDI_EXTRACT_COVER, "Extract cover\u2026");
  m_pMenu->InsertItem(IDI_REMOVE_COVER, "Remove cover");
  m_pMenu->ShowIcons(true);

  SetUpManyRows();

  m_pProgress->Init(&m_progressCtrl);
  m_pProgress->SetMarqueeStyle(true);

  for (int id : {IDC_TOTAL_FILES_LABEL, IDC_TOTAL_SIZE_LABEL, IDC_TOTAL_TIME_LABEL})
    m_pTextColor->SetColor(id, kBlue);
  for (int id : {IDC_TOTAL_FILES, IDC_TOTAL_SIZE, IDC_TOTAL_TIME}) m_pTextColor->SetColor(id, kRed);
  for (Field field : kPanelFields) m_pTextColor->SetColor(BoxOf(field).edit.nLabelId, kBlue);

  NoteBoxesShown();
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

void CQuilloryDlg::AnchorControls() {
  EnableDynamicLayout();
  CMFCDynamicLayout* layout = GetDynamicLayout();
  using Layout = CMFCDynamicLayout;
  layout->AddItem(&m_list, Layout::MoveNone(), Layout::SizeHorizontalAndVertical(100, 100));
  for (int id : {IDC_SAVE_ALL, IDC_CANCEL_WORK, IDC_PLAY, IDC_TOGGLE_PANEL, IDC_DELETE_ROW})
    layout->AddItem(id, Layout::MoveHorizontal(100), Layout::SizeNone());
  for (CWnd* child = GetWindow(GW_CHILD); child; child = child->GetWindow(GW_HWNDNEXT)) {
    CRect rect;
    child->GetWindowRect(&rect);
    ScreenToClient(&rect);
    if (rect.top < m_rcList.bottom) continue;
    // The status bar spans the window's width; the rest keep their size.
    const bool spans = child->GetDlgCtrlID() == IDC_STATUS_BAR;
    layout->AddItem(child, Layout::MoveVertical(100), spans ? Layout::SizeHorizontal(100) : Layout::SizeNone());
  }
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
  for (const char* title : kMenuTitles) m_pMenuBar->AddMenu(title);
  for (const MenuItem& item : kMenuItems) {
    if (item.id == kRecentFoldersSubmenu)
      m_nRecentMenu = m_pMenuBar->AddSubmenu(item.menu, item.text);
    else
      m_pMenuBar->AddItem(item.menu, item.text, static_cast<UINT>(item.id), item.shortcuts);
  }
  FillRecentMenu();
}

void CQuilloryDlg::OnSize(UINT type, int cx, int cy) {
  CDialog::OnSize(type, cx, cy);
  LayoutStatusPanes();
}

void CQuilloryDlg::LayoutStatusPanes() {
  auto* bar = dynamic_cast<CStatusBarCtrl*>(GetDlgItem(IDC_STATUS_BAR));
  if (!bar) return;
  int edges[3] = {0, -1, -1};
  const int parts = bar->GetParts(3, edges);
  const CString text = parts == 3 ? bar->GetText(2) : CString();
  CRect pane(0, 0, kUnsavedPaneWidth, 0);
  MapDialogRect(&pane);
  CRect client;
  bar->GetClientRect(&client);
  edges[1] = std::max(edges[0], static_cast<int>(client.Width() - pane.Width()));
  edges[2] = -1;
  bar->SetParts(3, edges);
  bar->SetText(text, 2);
}

std::vector<RowId> CQuilloryDlg::IdsOf(const std::vector<int>& rows) {
  std::vector<RowId> ids;
  ids.reserve(rows.size());
  for (int row : rows) ids.push_back(m_pRows->IdOf(row));
  return ids;
}

bool CQuilloryDlg::IsDataChanged() const { return m_pRows->UnsavedCount() > 0; }

bool CQuilloryDlg::ConfirmDiscardEdits(const char* question) {
  if (!IsDataChanged() && !HasTyping()) return true;
  return MessageBoxA(GetSafeHwnd(), question, "Data not saved", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void CQuilloryDlg::DoCommand(std::unique_ptr<CCommand> command) {
  m_pSession->Do(std::move(command));
  ShowTableState();
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

bool CQuilloryDlg::ShellQuietly(bool (CShellcmd::*request)(CString), const CString& path) {
  const bool showErrors = std::exchange(m_pShell->m_bShowErrors, false);
  const bool done = (m_pShell.get()->*request)(path);
  m_pShell->m_bShowErrors = showErrors;
  return done;
}

void CQuilloryDlg::ShowTableState() {
  const int unsaved = m_pRows->UnsavedCount();
  if (auto* bar = dynamic_cast<CStatusBarCtrl*>(GetDlgItem(IDC_STATUS_BAR)))
    // With nothing unsaved, the pane says what the last save wrote.
    bar->SetText(unsaved > 0 ? CString::Formatted("%d %s with unsaved edits", unsaved, unsaved == 1 ? "file" : "files")
                 : m_nFilesWritten >= 0
                     ? CString::Formatted("Last save: %d %s written", m_nFilesWritten, m_nFilesWritten == 1 ? "file" : "files")
                     : CString(),
                 2);
  ShowCover();
  if (!m_pMenuBar) return;
  m_pMenuBar->EnableItem(ID_EDIT_UNDO, m_pSession->CanUndo() ? TRUE : FALSE);
  m_pMenuBar->EnableItem(ID_EDIT_REDO, m_pSession->CanRedo() ? TRUE : FALSE);
  m_pMenuBar->EnableItem(ID_UNDO_LAST_SAVE, CanUndoLastSave() ? TRUE : FALSE);
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
  if (ConfirmDiscardEdits()) CDialog::OnOK();
}

void CQuilloryDlg::OnCancel() {
  if (ConfirmDiscardEdits()) CDialog::OnCancel();
}

void CQuilloryDlg::OnClose() {
  if (!m_bBusy) OnExit();
}

BOOL CQuilloryDlg::OnCommand(int id, int code) {
  if (m_bBusy) return TRUE;
  return CDialog::OnCommand(id, code);
}

BOOL CQuilloryDlg::OnNotify(NMHDR* header, LRESULT* result) {
  if (m_bBusy) return TRUE;
  return CDialog::OnNotify(header, result);
}

CQuilloryDlg::CWorkScope::CWorkScope(CQuilloryDlg& dlg)
    : m_dlg(dlg), m_bWasBusy(dlg.m_bBusy), m_stop(dlg.GetDlgItem(IDC_CANCEL_WORK)) {
  m_dlg.m_bBusy = true;
  if (!m_dlg.m_pWork) {
    m_dlg.GetDlgItem(IDC_SAVE_ALL)->ShowWindow(SW_HIDE);
    CWnd* cancel = m_dlg.GetDlgItem(IDC_CANCEL_WORK);
    cancel->EnableWindow(TRUE);
    cancel->ShowWindow(SW_SHOW);
  }
  m_pOuter = std::exchange(m_dlg.m_pWork, this);
}

CQuilloryDlg::CWorkScope::~CWorkScope() {
  m_dlg.m_pWork = m_pOuter;
  m_dlg.m_bBusy = m_bWasBusy;
  if (m_pOuter) return;
  m_dlg.GetDlgItem(IDC_CANCEL_WORK)->ShowWindow(SW_HIDE);
  m_dlg.GetDlgItem(IDC_SAVE_ALL)->ShowWindow(SW_SHOW);
}

void CQuilloryDlg::OnHelp() {
  m_pStatus->Clear();
  const CString guide = UserGuidePath();
  if (guide.IsEmpty()) {
    m_pStatus->ErrorMsg("The user guide is not installed.");
    return;
  }
  // A desktop without a browser gets the guide in a window of the program's own.
  if (ShellQuietly(&CShellcmd::Run, guide))
    m_pStatus->InfoMsg("The user guide opens in your web browser.");
  else if (platform::ShowHtmlWindow(guide, "Quillory User Guide", this))
    m_pStatus->InfoMsg("No web browser could be started: the user guide is shown in a window of its own.");
  else
    m_pStatus->ErrorMsg("The user guide could not be read: " + guide);
}

void CQuilloryDlg::OnAbout() {
  auto about = std::make_unique<CAboutDlg>(this);
  about->m_pShell = m_pShell.get();
  about->DoModal();
}
