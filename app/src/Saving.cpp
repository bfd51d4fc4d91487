// Saving the table's tags to the files.
#include "QuilloryDlg.h"

#include "FailedRows.h"
#include "FileRename.h"
#include "Fields.h"
#include "JournalledSave.h"
#include "Resource.h"
#include "RowFiles.h"
#include "TableRows.h"

#include <base/Path.h>
#include <platform/PumpMessage.h>
#include <progress/IndvProgress.h>
#include <statusbar/Status.h>
#include <table/Gridora.h>
#include <tags/MyMP3Tags.h>

#include <algorithm>
#include <map>
#include <numeric>

namespace {

// Up to this many rows, a save looks for each row's file by its names;
// beyond, it lists the folders once.
constexpr std::size_t kRowsLookedUpOneByOne = 64;

// The name of a row's file below the folder, as messages show it.
CString ShownName(const CString& key, const CString& path) { return key + base::ExtensionOf(path); }

}  // namespace

void CQuilloryDlg::OnSaveAll() {
  m_pStatus->Clear();
  if (!IsDataChanged()) {
    m_pStatus->ErrorMsg("No updated data to be saved.");
    return;
  }
  const int rows = m_pTable->GetNumOfRow();
  if (rows <= 0) return;
  std::vector<int> all(static_cast<std::size_t>(rows));
  std::iota(all.begin(), all.end(), 0);
  // Only the rows with edits are written: the counts a summary speaks of.
  std::vector<int> editedAbove(static_cast<std::size_t>(rows) + 1, 0);  // edited rows above each row
  for (int row = 0; row < rows; ++row)
    editedAbove[static_cast<std::size_t>(row) + 1] =
        editedAbove[static_cast<std::size_t>(row)] + (m_pRows->FileValuesOf(m_pRows->IdOf(row)) ? 1 : 0);
  const int edited = editedAbove.back();
  std::vector<SaveFailure> failures;
  const int attempted = SaveRows(all, &failures);
  ShowTableState();
  // The edits of unsaved rows stay in the table, still marked unsaved, so
  // nothing the user typed is lost; a reload would replace them.
  const auto first = std::min_element(failures.begin(), failures.end(),
                                      [](const SaveFailure& a, const SaveFailure& b) { return a.nRow < b.nRow; });
  const CString firstText = first == failures.end() ? CString() : first->strFile + ": " + first->strReason;
  const int failed = static_cast<int>(failures.size());
  if (attempted == 0 && !m_strSaveNotBegun.IsEmpty()) {
    // The user chose not to save without a way back: the journal's reason stays in view.
    m_pStatus->ErrorMsg(CString::Formatted("Nothing was saved: %s All %d rows keep their edits.",
                                           m_strSaveNotBegun.GetString(), edited));
    return;
  }
  if (attempted < rows) {
    const CString key = m_pTable->GetValStr(attempted, ColumnOf(kFileName));
    const int above = editedAbove[static_cast<std::size_t>(attempted)];
    CString text = above == 0
        ? CString::Formatted("Saving stopped: no file was saved; all %d rows keep their edits", edited)
        : CString::Formatted("Saving stopped: %d of %d files were saved, the rows above \"%s\"; the %d rows from "
                             "there on were not saved and keep their edits",
                             above - failed, edited, key, edited - above);
    if (failed > 0)
      text += CString::Formatted("; %d of the rows above were not saved either and are marked in red. First: %s",
                                 failed, firstText);
    m_pStatus->ErrorMsg(text);
    return;
  }
  if (failed > 0) {
    m_pStatus->ErrorMsg(CString::Formatted("%d of %d files were not saved; they are marked in red. First: %s",
                                           failed, std::max(edited, failed), firstText));
    return;
  }
  ReloadAfterSaveAll();
}

void CQuilloryDlg::SaveSelectedRow() {
  m_pStatus->Clear();
  // Every selected row is saved.
  const std::vector<int> rows = m_pTable->GetSelectedRows();
  if (rows.empty()) return;
  // A row with no edit is not written, so with none there is nothing to do.
  if (std::none_of(rows.begin(), rows.end(), [this](int row) { return m_pRows->FileValuesOf(m_pRows->IdOf(row)); })) {
    m_pStatus->ErrorMsg("No updated data to be saved.");
    return;
  }
  std::vector<SaveFailure> failures;
  SaveRows(rows, &failures);
  ShowTableState();
  if (failures.size() == 1)
    m_pStatus->ErrorMsg(CString::Formatted("%s was not saved: %s", failures.front().strFile, failures.front().strReason));
  else if (!failures.empty())
    m_pStatus->ErrorMsg(CString::Formatted("%d of %d files were not saved; they are marked in red. First: %s: %s",
                                           static_cast<int>(failures.size()), static_cast<int>(rows.size()),
                                           failures.front().strFile, failures.front().strReason));
}

std::vector<CQuilloryDlg::PlannedSave> CQuilloryDlg::PlanSaves(const std::vector<int>& rows) {
  std::vector<PlannedSave> plan;
  plan.reserve(rows.size());
  // A row with no edit is not written at all, so its file is not looked for.
  const auto isEdited = [this](int row) {
    return row >= 0 && row < m_pTable->GetNumOfRow() && m_pRows->FileValuesOf(m_pRows->IdOf(row)) != nullptr;
  };
  CRowFiles files(m_strFolder);
  if (static_cast<std::size_t>(std::count_if(rows.begin(), rows.end(), isEdited)) > kRowsLookedUpOneByOne)
    files.ListFolders([] { platform::PumpPaintEvents(); });
  for (int row : rows) {
    platform::PumpPaintEvents();
    if (row < 0 || row >= m_pTable->GetNumOfRow() || m_strFolder.IsEmpty()) continue;
    if (!isEdited(row)) {
      plan.push_back({row, CString(), CString(), false, CString()});
      continue;
    }
    const CString path = files.PathOf(FileKeyOf(row));
    const CString key = m_pTable->GetValStr(row, ColumnOf(kFileName));
    // A pending rename keeps the file's own extension ("Song.MP3" stays ".MP3").
    const CString newPath = path.IsEmpty() || key == FileKeyOf(row)
                                ? CString()
                                : base::JoinPath(m_strFolder, key + base::ExtensionOf(path));
    plan.push_back({row, path, newPath, true, path.IsEmpty() ? CString() : WhyOutsideFolder(m_strFolder, path)});
  }
  return plan;
}

int CQuilloryDlg::SaveRows(const std::vector<int>& rows, std::vector<SaveFailure>* failures) {
  // Every file the save will write is known here, before the first one is touched.
  const std::vector<PlannedSave> plan = PlanSaves(rows);
  m_nFilesWritten = 0;
  std::size_t attempted = 0;
  m_pProgress->SetRange(0, kEditableCount, 1);
  EnableAllControls(false);
  m_progressCtrl.ShowWindow(SW_SHOW);
  {
    const CWorkScope work(*this);
    // Before the first file is written, what each file's save replaces is on the disk.
    const bool journalled = JournalSaves(plan, work);
    // The files are written one by one and flushed together, a batch at a
    // time; a stop lets the files written so far reach the disk first.
    m_pTags->BeginBatch();
    m_bSaveStepShown = false;
    for (; journalled && attempted < plan.size() && !work.IsStopRequested(); ++attempted) {
      const PlannedSave& save = plan[attempted];
      if (!SaveRow(save)) {
        NoteSaveResult(save.nRow, false);
        if (!m_strSaveFile.IsEmpty()) failures->push_back({save.nRow, m_strSaveFile, m_strSaveReason});
      }
      if (m_pTags->IsBatchFull()) CommitSaves(false, failures);
    }
    CommitSaves(true, failures);
  }
  FinishSaveJournal();
  EnableAllControls(true);
  // The list lost the focus while it was disabled; the keys go back to the rows.
  m_list.SetFocus();
  m_progressCtrl.ShowWindow(SW_HIDE);
  return static_cast<int>(attempted);
}

bool CQuilloryDlg::SaveRow(const PlannedSave& save) {
  m_strSaveFile.Empty();
  m_strSaveReason.Empty();
  const int row = save.nRow;
  const CString key = FileKeyOf(row);
  const CString& path = save.strPath;
  const auto fail = [this](const CString& file, const CString& reason) {
    m_strSaveFile = file;
    m_strSaveReason = reason;
    return false;
  };
  if (!save.bEdited) return true;  // nothing to write
  if (path.IsEmpty()) return fail(key + ".mp3", "no single file of that name is in the folder.");
  if (!save.strRefusal.IsEmpty()) return fail(ShownName(key, path), save.strRefusal);
  const CString refusal = LinkWithRowFields(save, true);
  if (!refusal.IsEmpty()) return fail(ShownName(key, path), refusal);
  const CString unjournalled = CheckJournalled(path);
  if (!unjournalled.IsEmpty()) {
    m_pTags->CancelUpdate();
    m_pTags->Reset();
    return fail(ShownName(key, path), unjournalled);
  }
  m_pTags->EndUpdate();
  const CString failure = m_pTags->GetLastWriteError();
  if (!failure.IsEmpty()) {
    m_pTags->Reset();
    return fail(ShownName(key, path), failure + ".");
  }
  // The tag object shows what the file holds once its batch is committed
  // (from memory, or read from where the new bytes wait), so the row can
  // show it then without a second reading.
  m_pendingSaves.push_back(
      {row, path, save.strNewPath, LinkedRowCells(ShownName(key, path)), m_pTags->GetFileIdentity()});
  m_pTags->Reset();
  return true;
}

CString CQuilloryDlg::LinkWithRowFields(const PlannedSave& save, bool report) {
  m_pTags->Reset();
  m_pTags->Link(save.strPath);
  // What another program (or another window) wrote since the table read the
  // file is never written over: such a file is not written at all.
  const CString changed = m_loadedFiles.WhyNotTheOneRead(save.strPath, m_pTags->GetFileIdentity());
  if (!changed.IsEmpty()) {
    m_pTags->Reset();
    return changed;
  }
  // One write for the fields the user changed, so a growing tag rewrites the
  // file once; the others keep what the file holds.
  const CPackedCells* edited = m_pRows->FileValuesOf(m_pRows->IdOf(save.nRow));
  m_pTags->BeginUpdate();
  for (Field field : kEditableFields) {
    if (!edited || !edited->Has(ColumnOf(field))) continue;
    const FieldSave& step = SpecOf(field).save;
    (m_pTags.get()->*step.pSetter)(m_pTable->GetValStr(save.nRow, ColumnOf(field)));
    if (report) ReportSaveStep(step.strStep);
  }
  // The cover goes in the same group, so the journal's record of the save holds it too.
  ApplyPendingCover(save.nRow);
  return CString();
}

void CQuilloryDlg::CommitSaves(bool end, std::vector<SaveFailure>* failures) {
  const auto pump = [] { platform::PumpPaintEvents(); };
  std::map<CString, CString> errors;  // by path; a file with nothing to write has none
  for (const CWriteOutcome& outcome : end ? m_pTags->EndBatch(pump) : m_pTags->CommitBatch(pump))
    errors[outcome.strPath] = outcome.strError;
  bool saved = false;
  for (const PendingSave& pending : m_pendingSaves) {
    const auto found = errors.find(pending.strPath);
    if (found != errors.end() && !found->second.IsEmpty()) {
      m_strSaveFile = ShownName(pending.cells.front(), pending.strPath);
      m_strSaveReason = found->second + ".";
      NoteSaveResult(pending.nRow, false);
      failures->push_back({pending.nRow, m_strSaveFile, m_strSaveReason});
      continue;
    }
    // The tags are on the disk; a rename comes only now, so a crash in
    // between leaves the file under its old name, which the journal knows.
    // The file is what the next save must find there.
    m_loadedFiles.Note(pending.strPath, pending.written);
    const CString wanted = m_pTable->GetValStr(pending.nRow, ColumnOf(kFileName));
    CString renameError;
    bool renamed = false;
    if (!pending.strNewPath.IsEmpty()) {
      // Only the file this save wrote takes the row's new name.
      if (!m_loadedFiles.WhyNotTheOneRead(pending.strPath, CMyMP3Tags::ReadFileIdentity(pending.strPath)).IsEmpty())
        renameError = "the file changed on disk after its tags were written \u2014 Reload to see it";
      renamed = renameError.IsEmpty() && RenameWithoutReplacing(pending.strPath, pending.strNewPath, renameError);
      if (renamed) m_loadedFiles.Move(pending.strPath, pending.strNewPath);
    }
    std::vector<CString> cells = pending.cells;
    if (renamed) cells.front() = wanted;
    for (int col = 0; col < static_cast<int>(cells.size()); ++col)
      if (m_pTable->GetValStr(pending.nRow, col) != cells[static_cast<std::size_t>(col)])
        m_pTable->UpdateRow(pending.nRow, col, cells[static_cast<std::size_t>(col)]);
    if (m_pSaveJournal) m_pSaveJournal->NoteSaved(pending.strPath, renamed ? pending.strNewPath : pending.strPath);
    const RowId id = m_pRows->IdOf(pending.nRow);
    m_pRows->NoteSaved(id);
    saved = true;
    ++m_nFilesWritten;
    if (renameError.IsEmpty()) {
      NoteSaveResult(pending.nRow, true);
      continue;
    }
    // Saved but not renamed: the new name stays pending, and the row says why.
    CPackedCells name;
    name.Set(ColumnOf(kFileName), wanted);
    m_pRows->SetState(id, {name, std::nullopt});
    m_strSaveFile = ShownName(pending.cells.front(), pending.strPath);
    m_strSaveReason = "its tags were saved, but it was not renamed to \"" + base::FileNameOf(pending.strNewPath) +
                      "\": " + renameError + ".";
    m_pFailedRows->Mark(pending.nRow, m_strSaveFile + ": " + m_strSaveReason);
    failures->push_back({pending.nRow, m_strSaveFile, m_strSaveReason});
  }
  // Only now are they on the disk.
  if (saved) m_pStatus->Done("Data saved.");
  m_pendingSaves.clear();
}

void CQuilloryDlg::NoteSaveResult(int row, bool saved) {
  if (saved)
    m_pFailedRows->Unmark(row);
  else if (!m_strSaveFile.IsEmpty())  // else not a row of a loaded folder: nothing to mark
    m_pFailedRows->Mark(row, CString::Formatted("%s was not saved: %s", m_strSaveFile, m_strSaveReason));
}

void CQuilloryDlg::ReportSaveStep(const CString& step) {
  m_pProgress->Inc();
  // The window is painted at most every 20 ms; the step on show then is put
  // into the status bar, not each step of every row (the first at once, as
  // the writes begin).
  if (m_bSaveStepShown && !platform::PaintIsDue()) return;
  m_bSaveStepShown = true;
  m_pStatus->InfoMsg(CString::Formatted("Update tag ->%s", step));
  platform::PumpPaintEvents();
}

void CQuilloryDlg::EnableAllControls(bool on) {
  for (CWnd* child = GetWindow(GW_CHILD); child; child = child->GetWindow(GW_HWNDNEXT))
    if (child->GetDlgCtrlID() != IDC_STATIC) child->EnableWindow(on ? TRUE : FALSE);
  // Update stays as the edit boxes have it: enabled only while they hold a row.
  if (on) EnableUpdateForBoxes();
}
