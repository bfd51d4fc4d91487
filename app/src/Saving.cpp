// Saving the table's tags to the files.
#include "QuilloryDlg.h"

#include "FailedRows.h"
#include <core/Summaries.h>
#include <core/FileRename.h>
#include <core/Fields.h>
#include <core/JournalledSave.h>
#include "Resource.h"
#include <core/RowFiles.h>
#include <core/TableRows.h>

#include <platform/MessageBox.h>
#include <base/Path.h>
#include <platform/PumpMessage.h>
#include <progress/IndvProgress.h>
#include <statusbar/Status.h>
#include <table/Gridora.h>

#include <algorithm>
#include <map>
#include <numeric>

void CQuilloryDlg::OnSaveAll() {
  m_pStatus->Clear();
  // Typing not yet in the table is part of what the user means to save: it
  // goes into its rows first, as Update would put it (one step of the history).
  ApplyTyping();
  if (!IsDataChanged()) {
    m_pStatus->ErrorMsg("No updated data to be saved.");
    return;
  }
  const int rows = m_pTable->GetNumOfRow();
  if (rows <= 0) return;
  const std::vector<bool> edited = EditedRows(*m_pSession);
  std::vector<int> all(static_cast<std::size_t>(rows));
  std::iota(all.begin(), all.end(), 0);
  const CSaveReport report = SaveRows(all);
  ShowTableState();
  if (const CString problem = SaveAllSummary(report, *m_pSession, edited); !problem.IsEmpty())
    m_pStatus->ErrorMsg(problem);
  else
    ReloadAfterSaveAll();
}

void CQuilloryDlg::SaveSelectedRow() {
  m_pStatus->Clear();
  // Every selected row is saved.
  const std::vector<int> rows = m_pTable->GetSelectedRows();
  if (rows.empty()) return;
  // Typing for rows among these goes into them first, as Save all puts it.
  const std::vector<RowId> selected = IdsOf(rows);
  if (std::all_of(m_panel.Rows().begin(), m_panel.Rows().end(), [&selected](RowId id) {
        return std::find(selected.begin(), selected.end(), id) != selected.end();
      }))
    ApplyTyping();
  // A row with no edit is not written, so with none there is nothing to do.
  if (std::none_of(rows.begin(), rows.end(), [this](int row) { return m_pRows->FileValuesOf(m_pRows->IdOf(row)); })) {
    m_pStatus->ErrorMsg("No updated data to be saved.");
    return;
  }
  const CSaveReport report = SaveRows(rows);
  ShowTableState();
  if (const CString problem = SaveRowsSummary(report, rows.size()); !problem.IsEmpty()) m_pStatus->ErrorMsg(problem);
}

CSaveReport CQuilloryDlg::SaveRows(const std::vector<int>& rows) {
  const std::vector<RowId> ids = IdsOf(rows);
  m_pProgress->SetRange(0, kEditableCount, 1);
  EnableAllControls(false);
  m_progressCtrl.ShowWindow(SW_SHOW);
  m_pWork->BeginSave();
  CSaveReport report;
  {
    const CWindowWork::CScope work(*m_pWork);
    CWork hooks = m_pWork->WorkOf(work);
    hooks.progress = nullptr;  // the save's bar counts the fields of each file
    // The rows are drawn once at the end, as after a load, rather than the
    // list being told of every saved row while the files are written.
    m_list.SetRedraw(FALSE);
    report = m_pSession->Save(ids, hooks, [this](const CString& reason) {
      const CString question = reason + "\n\nWithout it this save cannot be undone. Save anyway, without a way back?";
      if (MessageBoxA(GetSafeHwnd(), question, "Undo not possible", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES)
        return true;
      m_pStatus->ErrorMsg("Nothing was saved: " + reason);
      return false;
    });
    m_list.SetRedraw(TRUE);
  }
  m_nFilesWritten = report.nWritten;
  for (RowId id : report.saved) m_pFailedRows->Unmark(m_pRows->RowOf(id));
  for (const CSaveFailure& failure : report.failures)
    m_pFailedRows->Mark(m_pRows->RowOf(failure.id),
                        failure.bTagsSaved ? failure.strFile + ": " + failure.strReason
                                           : failure.strFile + " was not saved: " + failure.strReason);
  EnableAllControls(true);
  // The list lost the focus while it was disabled; the keys go back to the rows.
  m_list.SetFocus();
  m_progressCtrl.ShowWindow(SW_HIDE);
  return report;
}

void CQuilloryDlg::EnableAllControls(bool on) {
  for (CWnd* child = GetWindow(GW_CHILD); child; child = child->GetWindow(GW_HWNDNEXT))
    if (child->GetDlgCtrlID() != IDC_STATIC) child->EnableWindow(on ? TRUE : FALSE);
  // Update stays as the edit boxes have it: enabled only while they hold a row.
  if (on) m_panel.EnableUpdate();
}
