// The main window's own part: its objects, its controls' bindings, the routing
// of every command, start-up, Exit, Help, About and the label colours.
#include "QuilloryDlg.h"

#include "AboutDlg.h"
#include "FailedRows.h"
#include "Fields.h"
#include "Resource.h"
#include "Templates.h"
#include "UserGuide.h"

#include <dialogs/FolderDialog.h>
#include <menus/IconMenu.h>
#include <platform/DynamicLayout.h>
#include <platform/MessageBox.h>
#include <platform/Path.h>
#include <platform/Resources.h>
#include <platform/WinApp.h>
#include <progress/IndvProgress.h>
#include <shell/Shellcmd.h>
#include <statusbar/Status.h>
#include <table/Gridora.h>
#include <tags/MyMP3Tags.h>
#include <textcolor/TextColor.h>

#include <utility>

namespace {

constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kRed = 0x0000FF;

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
  m_pFailedRows = std::make_unique<CFailedRows>(m_pTable.get());

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
  // The list's header reports its clicks with control id 0.
  RouteNotify(0, HDN_ITEMCLICKA, [this](NMHDR* h, LRESULT* r) { OnHeaderItemClick(h, r); });
  RouteCommand(IDC_WEB_SITE, [this] { OnWebSite(); });
  RouteCommand(IDC_ABOUT, [this] { OnAbout(); });
  RouteCommand(ID_HELP, [this] { OnHelp(); });
}

CQuilloryDlg::~CQuilloryDlg() {
  m_pFailedRows.reset();
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
  for (Field field : kPanelFields) DDX_Text(pDX, SpecOf(field).edit.nId, this->*SpecOf(field).edit.pValue);
  for (Field field : kEditableFields) DDX_Control(pDX, SpecOf(field).rule.nId, this->*SpecOf(field).rule.pBox);
  DDX_Control(pDX, IDC_TAGS_GROUP, m_grpTags);
  DDX_Control(pDX, IDC_SAVE_PROGRESS, m_progressCtrl);
}

BOOL CQuilloryDlg::OnInitDialog() {
  CDialog::OnInitDialog();

  // The close command is withdrawn, as the design has it; a window manager
  // that offers a close box anyway reaches OnClose, which asks as Exit does.
  EnableCloseBox(false);
  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);

  m_pStatus->Create(this, 0.1, 22);
  m_pStatus->Clear();

  m_pTable->Setup(&m_list);
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
  m_pMenu->ShowIcons(true);

  m_pProgress->Init(&m_progressCtrl);
  m_pProgress->SetMarqueeStyle(true);

  for (int id : {IDC_TOTAL_FILES_LABEL, IDC_TOTAL_SIZE_LABEL, IDC_TOTAL_TIME_LABEL})
    m_pTextColor->SetColor(id, kBlue);
  for (int id : {IDC_TOTAL_FILES, IDC_TOTAL_SIZE, IDC_TOTAL_TIME}) m_pTextColor->SetColor(id, kRed);
  for (Field field : kPanelFields) m_pTextColor->SetColor(SpecOf(field).edit.nLabelId, kBlue);

  if (!m_strStartFolder.IsEmpty()) OpenStartFolder();
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

bool CQuilloryDlg::ConfirmDiscardEdits() {
  if (!m_bDataChanged) return true;
  return MessageBoxA(GetSafeHwnd(), "Do you want to exit?", "Data not saved", MB_YESNO | MB_ICONQUESTION) ==
         IDYES;
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
  if (m_pShell->Run(guide)) m_pStatus->InfoMsg("The user guide opens in your web browser.");
}

void CQuilloryDlg::OnAbout() {
  auto about = std::make_unique<CAboutDlg>(this);
  about->m_pShell = m_pShell.get();
  about->DoModal();
}
