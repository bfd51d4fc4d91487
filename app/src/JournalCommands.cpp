// The journal of saves in the window: a save records what it replaces before
// it writes, and "Undo last save" puts the newest save of the folder back.
#include "QuilloryDlg.h"

#include <core/Summaries.h>

#include <core/JournalledSave.h>
#include <core/SaveRestorer.h>

#include <platform/MessageBox.h>
#include <platform/PumpMessage.h>
#include <statusbar/Status.h>



bool CQuilloryDlg::CanUndoLastSave() const { return m_pSession->HasSaveToUndo(); }

void CQuilloryDlg::OnUndoLastSave() {
  m_pStatus->Clear();
  CString problem;
  std::uint64_t newest = 0;
  const std::optional<JournalEntry> entry = m_pSession->LastSave(problem, &newest);
  if (!entry) {
    if (problem.IsEmpty()) {
      m_pStatus->ErrorMsg("There is no save of this folder to undo.");
    } else {
      // Never trusted, and never in the way of the saves before it.
      CString error;
      const CString fate = m_pSession->SetAsideLastSave(newest, error)
                               ? "It is set aside, so that the save before it can be undone."
                               : error;
      MessageBoxA(GetSafeHwnd(), "The last save cannot be undone. " + problem + "\n\n" + fate, "Undo last save",
                  MB_OK | MB_ICONWARNING);
      m_pStatus->ErrorMsg("The last save cannot be undone: its journal entry is not usable.");
    }
    ShowTableState();
    return;
  }
  const CString question = UndoSaveQuestion(*entry, IsDataChanged() || HasTyping());
  if (MessageBoxA(GetSafeHwnd(), question, "Undo last save", MB_YESNO | MB_ICONQUESTION) != IDYES) return;

  CUndoSaveReport undone;
  {
    const CWindowWork::CScope work(*m_pWork);
    undone = m_pSession->UndoSave(*entry, m_pWork->WorkOf(work));
    m_pStatus->KillProgress();
  }
  const CUndoSummary summary = UndoSummaryOf(undone, entry->files.size());
  // The rows selected before stay selected, a file renamed back under its old name too.
  const std::vector<CString> selected = KeysAfterUndo(*entry, undone, SelectedFileKeys());
  if (LoadFolder(Folder(), m_pSession->Subfolders(), summary.strSummary)) SelectRowsOfKeys(selected);
  if (const CString details = UndoDetailsText(summary, undone.strJournalError); !details.IsEmpty())
    MessageBoxA(GetSafeHwnd(), details, "Undo last save", MB_OK | MB_ICONWARNING);
  ShowTableState();
}
