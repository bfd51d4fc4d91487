// The journal of saves in the window: a save records what it replaces before
// it writes, and "Undo last save" puts the newest save of the folder back.
#include "QuilloryDlg.h"

#include <core/Summaries.h>

#include <core/JournalledSave.h>
#include <core/SaveRestorer.h>

#include <platform/MessageBox.h>
#include <platform/PumpMessage.h>
#include <statusbar/Status.h>
#include <tags/MyMP3Tags.h>

#include <ctime>
#include <map>
#include <set>


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
  CString question = "Undo the save of " + SaveTimeText(entry->nTime) + " (" + FilesText(entry->files.size()) +
                     ")?\n\nEach file gets back the tags it had before that save, and its name if the save renamed "
                     "it; a file changed since is left alone. Then the folder is read again.";
  if (IsDataChanged() || HasTyping()) question += "\n\nThe edits not saved yet will be lost.";
  if (MessageBoxA(GetSafeHwnd(), question, "Undo last save", MB_YESNO | MB_ICONQUESTION) != IDYES) return;

  CUndoSaveReport undone;
  {
    const CWorkScope work(*this);
    undone = m_pSession->UndoSave(*entry, WorkOf(work));
    m_pStatus->KillProgress();
  }
  const CUndoSummary report = UndoSummaryOf(undone, entry->files.size());
  const CString& error = undone.strJournalError;
  const CString& summary = report.strSummary;
  // The rows selected before stay selected, a file renamed back under its old name too.
  std::map<CString, CString> renamedBack;  // by the key the save gave, the key before it
  std::set<CString> restored;
  for (const JournalFile& file : entry->files)
    if (!file.strOldPath.IsEmpty()) renamedBack[RowKeyOf(file.strPath)] = RowKeyOf(file.strOldPath);
  for (const CRestoredFile& result : undone.results)
    if (result.eResult == CRestoredFile::Result::Restored) restored.insert(RowKeyOf(result.strPath));
  std::vector<CString> selected = SelectedFileKeys();
  for (CString& key : selected)
    if (const auto found = renamedBack.find(key); found != renamedBack.end() && restored.count(key)) key = found->second;
  if (LoadFolder(Folder(), m_pSession->Subfolders(), summary)) SelectRowsOfKeys(selected);
  if (!report.leftAlone.empty() || !report.notes.empty() || !error.IsEmpty()) {
    CString text = summary + ".";
    if (!report.leftAlone.empty()) text += "\n\nLeft alone:" + ListedText(report.leftAlone);
    if (!report.notes.empty()) text += "\n\nRestored, but:" + ListedText(report.notes);
    if (report.bRetry) text += "\n\nThe journal keeps this save: Undo last save tries its files again.";
    if (!error.IsEmpty()) text += "\n\n" + error;
    MessageBoxA(GetSafeHwnd(), text, "Undo last save", MB_OK | MB_ICONWARNING);
  }
  ShowTableState();
}
