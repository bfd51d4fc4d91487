#include <statusbar/Status.h>

#include "MyStatusBar.h"

#include <platform/Resources.h>

#include <cmath>

namespace {

constexpr UINT kBarId = 517;
// The framework's status-bar bits 0x8200; a fixed height also needs CCS_NORESIZE.
constexpr DWORD kPlacedStyle = WS_CHILD | WS_VISIBLE | 0x8200;
constexpr DWORD kFixedStyle = kPlacedStyle | CCS_NORESIZE;

// Right edge of pane 0, held inside the bar so that no fraction can push it
// outside an int.
int LabelPaneEdge(int width, double fraction) {
  const double edge = std::trunc(width * fraction);
  if (!(edge > 0)) return 0;
  return edge < width ? static_cast<int>(edge) : width;
}

}  // namespace

CStatus::CStatus() = default;

CStatus::~CStatus() = default;

void CStatus::Create(CWnd* parent, double fraction, int height) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  if (m_bCreated) return;
  m_pBar = std::make_unique<CMyStatusBar>();
  CRect rect;
  DWORD style = kPlacedStyle;
  if (height != 0) {
    CRect client;
    if (parent) parent->GetClientRect(&client);
    rect = CRect(client.left, client.bottom - client.top - height, client.right, client.bottom);
    style = kFixedStyle;
  }
  if (!m_pBar->CreateBar(style, rect, parent, kBarId)) {
    m_bCreated = false;
    return;
  }
  CRect bar;
  m_pBar->GetClientRect(&bar);
  const int edges[2] = {LabelPaneEdge(bar.Width(), fraction), -1};
  m_pBar->SetParts(2, edges);
  m_bCreated = true;
}

void CStatus::ErrorMsg(CString text) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  if (!m_bCreated) return;
  if (text.IsEmpty()) m_pBar->ShowReady();
  else m_pBar->ShowError(text);
}

void CStatus::InfoMsg(CString text) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  if (m_bCreated) m_pBar->ShowInfo(text);
}

void CStatus::Done(CString text) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  if (m_bCreated) m_pBar->ShowDone(text);
}

void CStatus::Message(CString label, CString text) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  if (m_bCreated) m_pBar->ShowState(CMyStatusBar::kMonitor, label, text);
}

void CStatus::Clear() {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  if (m_bCreated) m_pBar->ShowReady();
}

void CStatus::ChangeTitles(CString ready, CString error, CString ok, CString warning, CString done) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  if (m_bCreated) m_pBar->ChangeTitles(ready, error, ok, warning, done);
}

void CStatus::ShowIcons(bool show) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  if (m_bCreated) m_pBar->ShowIcons(show);
}

bool CStatus::SetupProgress(int low, int high) {
  if (!m_bCreated) return false;
  // In floating point, so that no pair of ints overflows.
  m_dSpan = std::fabs(static_cast<double>(high) - low);
  if (m_dSpan == 0) m_dSpan = 100;
  m_nMin = low;
  m_nMax = high;
  return true;
}

bool CStatus::SetupProgress(double low, double high) {
  if (!m_bCreated) return false;
  m_dSpan = std::fabs(high - low);
  if (m_dSpan == 0) m_dSpan = 100;
  m_dMin = low;
  m_dMax = high;
  return true;
}

bool CStatus::StartProgress() {
  if (!m_bCreated) return false;
  m_nCount = 0;
  if (m_pBar->HasProgress()) return true;
  return m_pBar->StartProgress();
}

bool CStatus::ShowPercent(double offset) {
  if (!m_bCreated || !(m_dSpan > 0) || !m_pBar->HasProgress()) return false;
  m_pBar->ShowPercent(offset / m_dSpan * 100);
  return true;
}

bool CStatus::IncProgress(int pos) { return ShowPercent(static_cast<double>(pos) - m_nMin); }

bool CStatus::IncProgress(double pos) { return ShowPercent(pos - m_dMin); }

bool CStatus::IncProgress() {
  if (!m_bCreated) return false;
  ++m_nCount;
  return IncProgress(m_nCount);
}

bool CStatus::KillProgress() {
  if (!m_bCreated) return false;
  m_dSpan = 0;
  m_nCount = 0;
  return m_pBar->KillProgress();
}
