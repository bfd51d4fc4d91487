// The journal of saves in the window: a save records what it replaces before
// it writes, and "Undo last save" puts the newest save of the folder back.
#include "QuilloryDlg.h"

#include <core/JournalledSave.h>
#include <core/SaveRestorer.h>

#include <platform/MessageBox.h>
#include <platform/PumpMessage.h>
#include <statusbar/Status.h>
#include <tags/MyMP3Tags.h>

#include <ctime>
#include <map>
#include <set>

namespace {

// At most this many files are named in a message; the rest are counted.
constexpr std::size_t kNamedFiles = 15;

CString SaveTime(long long seconds) {
  const std::time_t time = static_cast<std::time_t>(seconds);
  std::tm local {};
  char text[64] = "";
  if (localtime_r(&time, &local)) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

CString Files(std::size_t n) { return CString::Formatted("%zu %s", n, n == 1 ? "file" : "files"); }

// The lines, one each, the first kNamedFiles of them.
CString Listed(const std::vector<CString>& lines) {
  CString text;
  for (std::size_t k = 0; k < lines.size() && k < kNamedFiles; ++k) text += "\n" + lines[k];
  if (lines.size() > kNamedFiles) text += "\n\u2026 and " + Files(lines.size() - kNamedFiles) + " more.";
  return text;
}

// What an undo did, for the status bar and its message.
struct UndoReport {
  CString strSummary;
  std::vector<CString> leftAlone, notes;  // "path: why.", of files left alone and of files restored but for a part
  bool bRetry = false;                    // another undo of the same save could do more
};

UndoReport ReportOf(const std::vector<CRestoredFile>& results, std::size_t total) {
  UndoReport report;
  std::size_t restored = 0;
  report.bRetry = results.size() < total;
  for (const CRestoredFile& result : results) {
    const bool back = result.eResult != CRestoredFile::Result::LeftAlone;
    restored += back;
    report.bRetry = report.bRetry || result.bRetry;
    if (!result.strReason.IsEmpty())
      (back ? report.notes : report.leftAlone).push_back(result.strPath + ": " + result.strReason + ".");
  }
  report.strSummary = restored == total ? CString("Last save undone: ")
                                        : CString::Formatted("Last save undone in part: %zu of ", restored);
  report.strSummary += Files(total) + " restored";
  if (results.size() < total)
    report.strSummary += "; stopped before " + Files(total - results.size());
  else if (restored < total)
    report.strSummary += "; " + Files(total - restored) + " left alone";
  return report;
}

}  // namespace

bool CQuilloryDlg::JournalSaves(const std::vector<PlannedSave>& plan, const CWorkScope& work) {
  m_pSaveJournal.reset();
  m_strSaveNotBegun.Empty();
  const CSaveJournal journal;
  CString error;
  // A journal that cannot be written at all is known before the files are read.
  if (journal.Prepare(m_strFolder, error)) {
    auto save = std::make_unique<CJournalledSave>(journal, m_strFolder, [] { platform::PumpPaintEvents(); });
    // The same edits as the save's, given up once their record is taken:
    // only the records are kept, never the rendered tags.
    m_pStatus->InfoMsg("Noting what the save replaces\u2026");
    for (const PlannedSave& planned : plan) {
      if (work.IsStopRequested()) return false;
      // A file the save will not write has nothing to record.
      if (planned.strPath.IsEmpty() || !planned.bEdited || !planned.strRefusal.IsEmpty()) continue;
      if (!LinkWithRowFields(planned).IsEmpty()) continue;
      save->Add(planned.strPath, m_pTags->PrepareSaveUndo(), planned.strNewPath);
      m_pTags->CancelUpdate();
      m_pTags->Reset();
      if (platform::PaintIsDue()) platform::PumpPaintEvents();
    }
    if (save->Begin(error)) {
      m_pSaveJournal = std::move(save);
      return true;
    }
  }
  const CString question = error +
      "\n\nWithout it this save cannot be undone. Save anyway, without a way back?";
  if (MessageBoxA(GetSafeHwnd(), question, "Undo not possible", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES)
    return true;
  m_strSaveNotBegun = error;
  m_pStatus->ErrorMsg("Nothing was saved: " + error);
  return false;
}

CString CQuilloryDlg::CheckJournalled(const CString& path) {
  if (!m_pSaveJournal) return CString();
  const std::string* kept = m_pSaveJournal->RecordOf(path);
  // With nothing noted, the save must have nothing to write either (an
  // empty record), or fail with a reason of its own when it is written.
  // A file kept only for its rename has an empty record: its tag must still have nothing to write.
  if (kept && !kept->empty() ? m_pTags->MatchSaveUndo(std::vector<unsigned char>(kept->begin(), kept->end()))
                             : m_pTags->PrepareSaveUndo().empty()) {
    if (kept) m_pSaveJournal->NoteWriting(path);
    return CString();
  }
  const CString failure = m_pTags->GetLastWriteError();
  return (failure.IsEmpty() ? CString("The file was changed by another program while it was being saved") : failure) +
         ".";
}

void CQuilloryDlg::FinishSaveJournal() {
  if (!m_pSaveJournal) return;
  CString error;
  // An entry left as it began is still undone safely: each file's record
  // checks the file itself.
  m_pSaveJournal->Finish(error);
  m_pSaveJournal.reset();
}

bool CQuilloryDlg::CanUndoLastSave() const { return CSaveJournal().HasEntries(m_strFolder); }

void CQuilloryDlg::OnUndoLastSave() {
  m_pStatus->Clear();
  const CSaveJournal journal;
  CString problem;
  std::uint64_t newest = 0;
  const std::optional<JournalEntry> entry = journal.ReadLatest(m_strFolder, problem, &newest);
  if (!entry) {
    if (problem.IsEmpty()) {
      m_pStatus->ErrorMsg("There is no save of this folder to undo.");
    } else {
      // Never trusted, and never in the way of the saves before it.
      CString error;
      const CString fate = journal.SetAside(m_strFolder, newest, error)
                               ? "It is set aside, so that the save before it can be undone."
                               : error;
      MessageBoxA(GetSafeHwnd(), "The last save cannot be undone. " + problem + "\n\n" + fate, "Undo last save",
                  MB_OK | MB_ICONWARNING);
      m_pStatus->ErrorMsg("The last save cannot be undone: its journal entry is not usable.");
    }
    ShowTableState();
    return;
  }
  CString question = "Undo the save of " + SaveTime(entry->nTime) + " (" + Files(entry->files.size()) +
                     ")?\n\nEach file gets back the tags it had before that save, and its name if the save renamed "
                     "it; a file changed since is left alone. Then the folder is read again.";
  if (IsDataChanged() || HasTyping()) question += "\n\nThe edits not saved yet will be lost.";
  if (MessageBoxA(GetSafeHwnd(), question, "Undo last save", MB_YESNO | MB_ICONQUESTION) != IDYES) return;

  std::vector<CRestoredFile> results;
  {
    const CWorkScope work(*this);
    m_pStatus->SetupProgress(0, static_cast<int>(entry->files.size()));
    m_pStatus->StartProgress();
    const auto pump = [] { platform::PumpPaintEvents(); };
    results = CSaveRestorer(*m_pTags, m_strFolder).Run(*entry, [&] {
      m_pStatus->IncProgress();
      pump();
      return !work.IsStopRequested();
    }, pump);
    m_pTags->Reset();
    m_pStatus->KillProgress();
  }

  const UndoReport report = ReportOf(results, entry->files.size());
  // Once undone the entry goes, so the next undo takes the save before it;
  // an undo stopped short, or a write that failed, can be tried again.
  CString error;
  if (!report.bRetry) journal.Remove(m_strFolder, entry->nId, error);
  const CString& summary = report.strSummary;
  // The rows selected before stay selected, a file renamed back under its old name too.
  std::map<CString, CString> renamedBack;  // by the key the save gave, the key before it
  std::set<CString> restored;
  for (const JournalFile& file : entry->files)
    if (!file.strOldPath.IsEmpty()) renamedBack[RowKeyOf(file.strPath)] = RowKeyOf(file.strOldPath);
  for (const CRestoredFile& result : results)
    if (result.eResult == CRestoredFile::Result::Restored) restored.insert(RowKeyOf(result.strPath));
  std::vector<CString> selected = SelectedFileKeys();
  for (CString& key : selected)
    if (const auto found = renamedBack.find(key); found != renamedBack.end() && restored.count(key)) key = found->second;
  if (LoadCurrentFolder(summary)) SelectRowsOfKeys(selected);
  if (!report.leftAlone.empty() || !report.notes.empty() || !error.IsEmpty()) {
    CString text = summary + ".";
    if (!report.leftAlone.empty()) text += "\n\nLeft alone:" + Listed(report.leftAlone);
    if (!report.notes.empty()) text += "\n\nRestored, but:" + Listed(report.notes);
    if (report.bRetry) text += "\n\nThe journal keeps this save: Undo last save tries its files again.";
    if (!error.IsEmpty()) text += "\n\n" + error;
    MessageBoxA(GetSafeHwnd(), text, "Undo last save", MB_OK | MB_ICONWARNING);
  }
  ShowTableState();
}
