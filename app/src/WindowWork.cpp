#include "WindowWork.h"

#include "Resource.h"

#include <progress/IndvProgress.h>
#include <statusbar/Status.h>

#include <utility>

CWindowWork::CScope::CScope(CWindowWork& work)
    : m_work(work), m_bWasBusy(work.m_bBusy), m_stop(work.m_dlg.GetDlgItem(IDC_CANCEL_WORK)) {
  m_work.m_bBusy = true;
  if (!m_work.m_pRunning) {
    m_work.m_dlg.GetDlgItem(IDC_SAVE_ALL)->ShowWindow(SW_HIDE);
    CWnd* cancel = m_work.m_dlg.GetDlgItem(IDC_CANCEL_WORK);
    cancel->EnableWindow(TRUE);
    cancel->ShowWindow(SW_SHOW);
  }
  m_pOuter = std::exchange(m_work.m_pRunning, this);
}

CWindowWork::CScope::~CScope() {
  m_work.m_pRunning = m_pOuter;
  m_work.m_bBusy = m_bWasBusy;
  if (m_pOuter) return;
  m_work.m_dlg.GetDlgItem(IDC_CANCEL_WORK)->ShowWindow(SW_HIDE);
  m_work.m_dlg.GetDlgItem(IDC_SAVE_ALL)->ShowWindow(SW_SHOW);
}

CWork CWindowWork::WorkOf(const CScope& scope) {
  CWork work;
  work.keepGoing = [&scope] {
    platform::PumpPaintEvents();
    return !scope.IsStopRequested();
  };
  work.progress = [this](int done, int total) {
    if (done <= 1) {
      m_status.SetupProgress(0, total);
      m_status.StartProgress();
    }
    m_status.IncProgress();
  };
  work.status = [this](const CString& text) { m_status.InfoMsg(text); };
  work.fieldWritten = [this](const CString& field) { ReportSaveStep(field); };
  work.committed = [this] { m_status.Done("Data saved."); };
  return work;
}

void CWindowWork::ReportSaveStep(const CString& step) {
  m_saveBar.Inc();
  if (m_bSaveStepShown && !platform::PaintIsDue()) return;
  m_bSaveStepShown = true;
  m_status.InfoMsg(CString::Formatted("Update tag ->%s", step));
  platform::PumpPaintEvents();
}
