#include "AboutDlg.h"

#include "DesktopCommands.h"
#include "Resource.h"
#include "Templates.h"

#include <shell/Shellcmd.h>

CAboutDlg::CAboutDlg(CWnd* parent) : CDialog(AboutDialogTemplate(), parent) {
  RouteCommand(IDC_LINK_SITE, [this] { OnSite(); }, STN_CLICKED);
  RouteCommand(IDC_LINK_SITE2, [this] { OnSite2(); }, STN_CLICKED);
}

void CAboutDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_LINK_SITE, m_lnkSite);
  DDX_Control(pDX, IDC_LINK_SITE2, m_lnkSite2);
}

BOOL CAboutDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_lnkSite.SetIcon(nullptr);
  m_lnkSite2.SetIcon(nullptr);
  m_hHand = LoadCursor(nullptr, IDC_HAND);
  m_hArrow = LoadCursor(nullptr, IDC_ARROW);
  return TRUE;
}

void CAboutDlg::Open(const char* address) {
  if (m_pShell) OpenOnDesktop(*m_pShell, this, address);
}

void CAboutDlg::OnSite() { Open(kWebSite); }

void CAboutDlg::OnSite2() { Open(kIssueTracker); }

HBRUSH CAboutDlg::OnCtlColor(CCtlColorDC* pDC, CWnd* pWnd, UINT nCtlColor) {
  HBRUSH brush = CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
  const int id = pWnd->GetDlgCtrlID();
  if (nCtlColor == CTLCOLOR_STATIC && (id == IDC_LINK_SITE || id == IDC_LINK_SITE2)) pDC->SetTextColor(0x00FF0000);
  return brush;
}

BOOL CAboutDlg::OnSetCursor(CWnd* pWnd, UINT, UINT) {
  const int id = pWnd ? pWnd->GetDlgCtrlID() : 0;
  SetCursor(id == IDC_LINK_SITE || id == IDC_LINK_SITE2 ? m_hHand : m_hArrow);
  return TRUE;
}
