#pragma once
// CWindowWork: the main window while a folder load or a save runs. The
// window stays painted; its commands, notifications and close requests are
// dropped meanwhile, so nothing starts or ends in the middle of the work;
// Cancel takes Save all's place, and Escape or Cancel ask the work to stop
// between two files. The session's long work reports through WorkOf.
#include <core/FolderSession.h>

#include <platform/Dialog.h>
#include <platform/PumpMessage.h>

class CIndvProgress;
class CStatus;

class CWindowWork {
 public:
  CWindowWork(CDialog& dialog, CStatus& status, CIndvProgress& saveBar)
      : m_dlg(dialog), m_status(status), m_saveBar(saveBar) {}

  // A load or a save is running (or a quiet scope is open).
  bool IsBusy() const { return m_bBusy; }

  // One piece of work, with Cancel shown; scopes may nest (the reload that
  // ends a save).
  class CScope {
   public:
    explicit CScope(CWindowWork& work);
    ~CScope();
    CScope(const CScope&) = delete;
    CScope& operator=(const CScope&) = delete;
    bool IsStopRequested() const { return m_stop.IsRequested(); }

   private:
    CWindowWork& m_work;
    bool m_bWasBusy;
    platform::CStopRequest m_stop;
    CScope* m_pOuter = nullptr;
  };
  // Busy for its lifetime without Cancel: the window's own changes whose
  // notices should not act one by one (selecting many rows).
  class CQuiet {
   public:
    explicit CQuiet(CWindowWork& work) : m_work(work), m_bWasBusy(work.m_bBusy) { work.m_bBusy = true; }
    ~CQuiet() { m_work.m_bBusy = m_bWasBusy; }
    CQuiet(const CQuiet&) = delete;
    CQuiet& operator=(const CQuiet&) = delete;

   private:
    CWindowWork& m_work;
    bool m_bWasBusy;
  };

  // How the session's work reports while scope runs: the window painted, the
  // status bar's progress and texts, the save's steps.
  CWork WorkOf(const CScope& scope);
  // A save begins writing: its first step is shown at once.
  void BeginSave() { m_bSaveStepShown = false; }
  // A save wrote a field: counted on the save's bar, and named in the status
  // bar when a frame is due (at most every 20 ms), not each of every row.
  void ReportSaveStep(const CString& step);

 private:
  CDialog& m_dlg;
  CStatus& m_status;
  CIndvProgress& m_saveBar;
  bool m_bBusy = false;
  CScope* m_pRunning = nullptr;  // the outermost work's scope is the one Cancel was shown for
  bool m_bSaveStepShown = false;
};
