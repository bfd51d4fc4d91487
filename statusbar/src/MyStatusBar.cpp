#include "MyStatusBar.h"

#include <platform/Resources.h>

#include <cmath>

namespace {

// The progress control is a child of the bar with its own id.
constexpr UINT kProgressId = 1;
constexpr DWORD kProgressStyle = WS_CHILD | WS_VISIBLE | PBS_SMOOTH;
constexpr UINT kFirstIcon = 202;
constexpr UINT kIconCount = 5;

}  // namespace

CMyStatusBar::CMyStatusBar() : m_pImages(std::make_unique<CImageList>()) {
  m_bImages = m_pImages->Create(16, 16, ILC_COLOR8 | ILC_MASK, 5, 4) != 0;
  // Resource order gives the image index, so the ids go in one after another.
  for (UINT id = kFirstIcon; id < kFirstIcon + kIconCount; ++id) AddIconBitmap(id);
}

CMyStatusBar::~CMyStatusBar() = default;

void CMyStatusBar::AddIconBitmap(UINT id) {
  if (!m_bImages) return;
  HBITMAP bitmap = LoadBitmap(AfxFindResourceHandle(id, RT_BITMAP), id);
  m_pImages->Add(bitmap, m_crMask);
  DeleteObject(bitmap);
}

BOOL CMyStatusBar::CreateBar(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  m_bCreated = Create(style, rect, parent, id);
  return m_bCreated;
}

void CMyStatusBar::ShowState(int image, const CString& label, const CString& text) {
  if (!m_bCreated) return;
  HICON icon = m_bImages && m_bShowIcons ? m_pImages->ExtractIcon(image) : nullptr;
  SetIcon(m_nIconPane, icon);
  // The bar shows its own copy, so the icon asked for each state goes at once.
  DestroyIcon(icon);
  SetText(label, m_nLabelPane);
  SetText(text, m_nTextPane);
}

void CMyStatusBar::ShowReady() {
  if (!m_bCreated) return;
  SetIcon(m_nIconPane, nullptr);
  ShowState(kReady, m_strReady, "");
}

void CMyStatusBar::ChangeTitles(const CString& ready, const CString& error, const CString& ok,
                                const CString& warning, const CString& done) {
  if (!ready.IsEmpty()) m_strReady = ready;
  if (!error.IsEmpty()) m_strError = error;
  if (!ok.IsEmpty()) m_strOK = ok;
  if (!warning.IsEmpty()) m_strWarning = warning;
  if (!done.IsEmpty()) m_strDone = done;
}

bool CMyStatusBar::StartProgress() {
  CRect pane;
  GetRect(m_nTextPane, &pane);
  auto progress = std::make_unique<CProgressCtrl>();
  if (progress->Create(kProgressStyle, pane, this, kProgressId) != 1) {
    m_bProgress = false;
    return false;
  }
  m_pProgress = std::move(progress);
  m_bProgress = true;
  m_nProgMax = 100;
  m_nProgMin = 0;
  m_pProgress->SetRange32(m_nProgMin, m_nProgMax);
  m_pProgress->SetPos(m_nProgMin);
  ShowState(kMonitor, "Progress", "");
  return true;
}

void CMyStatusBar::ShowPercent(double percent) {
  if (!m_bProgress) return;
  percent = std::trunc(percent);
  if (percent > m_nProgMax) percent = m_nProgMax;
  // A position that is not a number shows the low end, like one below it.
  if (percent < m_nProgMin || std::isnan(percent)) percent = m_nProgMin;
  m_pProgress->SetPos(static_cast<int>(percent));
}

bool CMyStatusBar::KillProgress() {
  if (!m_bProgress) return false;
  m_bProgress = false;
  m_nProgMax = 0;
  m_nProgMin = 0;
  m_pProgress.reset();
  ShowReady();
  return true;
}
