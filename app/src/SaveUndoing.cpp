#include "SaveUndoing.h"

#include "WindowWork.h"

#include <core/JournalledSave.h>
#include <core/SaveRestorer.h>
#include <core/Summaries.h>

#include <platform/MessageBox.h>
#include <statusbar/Status.h>

bool CSaveUndoing::Run(bool editsPending) {
  m_status.Clear();
  CString problem;
  std::uint64_t newest = 0;
  const std::optional<JournalEntry> entry = m_session.LastSave(problem, &newest);
  if (!entry) {
    if (problem.IsEmpty()) {
      m_status.ErrorMsg("There is no save of this folder to undo.");
    } else {
      // Never trusted, and never in the way of the saves before it.
      CString error;
      const CString fate = m_session.SetAsideLastSave(newest, error)
                               ? "It is set aside, so that the save before it can be undone."
                               : error;
      MessageBoxA(m_parent.GetSafeHwnd(), "The last save cannot be undone. " + problem + "\n\n" + fate,
                  "Undo last save", MB_OK | MB_ICONWARNING);
      m_status.ErrorMsg("The last save cannot be undone: its journal entry is not usable.");
    }
    return true;
  }
  const CString question = UndoSaveQuestion(*entry, editsPending);
  if (MessageBoxA(m_parent.GetSafeHwnd(), question, "Undo last save", MB_YESNO | MB_ICONQUESTION) != IDYES)
    return false;

  CUndoSaveReport undone;
  {
    const CWindowWork::CScope work(m_work);
    undone = m_session.UndoSave(*entry, m_work.WorkOf(work));
    m_status.KillProgress();
  }
  const CUndoSummary summary = UndoSummaryOf(undone, entry->files.size());
  // The rows selected before stay selected, a file renamed back under its old name too.
  m_reload(summary.strSummary, KeysAfterUndo(*entry, undone, m_selected()));
  if (const CString details = UndoDetailsText(summary, undone.strJournalError); !details.IsEmpty())
    MessageBoxA(m_parent.GetSafeHwnd(), details, "Undo last save", MB_OK | MB_ICONWARNING);
  return true;
}
