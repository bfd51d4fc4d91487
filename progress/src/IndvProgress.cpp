#include <progress/IndvProgress.h>

#include <platform/ProgressCtrl.h>
#include <platform/Resources.h>

CIndvProgress::CIndvProgress() = default;

CIndvProgress::~CIndvProgress() = default;

void CIndvProgress::Init(CProgressCtrl* pCtrl) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  if (!pCtrl || m_bInit) return;
  m_pCtrl = pCtrl;
  m_bInit = true;
}

void CIndvProgress::SetMarqueeStyle(bool on) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  if (!m_bInit) return;
  if (on) m_pCtrl->ModifyStyle(0, PBS_MARQUEE, 0);
  else m_pCtrl->ModifyStyle(PBS_MARQUEE, 0, 0);
}

void CIndvProgress::SetRange(int low, int high, int step) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  if (!m_bInit || low >= high) return;
  m_nLow = low;
  m_nHigh = high;
  // The whole 32-bit range: a range cut to 16 bits would no longer match the
  // one kept here, and Inc would step a bar that can never reach m_nHigh.
  m_pCtrl->SetRange32(low, high);
  m_nStep = step;
  if (step != 0) m_pCtrl->SetStep(step);
}

void CIndvProgress::SetPos(int pos) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  if (m_bInit && m_nLow <= pos && pos <= m_nHigh) m_pCtrl->SetPos(pos);
}

void CIndvProgress::Inc() {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  if (m_bInit && m_pCtrl->GetPos() < m_nHigh) m_pCtrl->StepIt();
}

void CIndvProgress::Dec() {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  if (m_bInit && m_nStep != 0) m_pCtrl->SetPos(m_pCtrl->GetPos() - m_nStep);
}

int CIndvProgress::GetPos() {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  return m_bInit ? m_pCtrl->GetPos() : -1;
}
