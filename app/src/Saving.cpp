// Saving the table's tags to the files.
#include "QuilloryDlg.h"

#include "FailedRows.h"
#include "Fields.h"
#include "Resource.h"

#include <platform/Path.h>
#include <platform/PumpMessage.h>
#include <progress/IndvProgress.h>
#include <statusbar/Status.h>
#include <table/Gridora.h>
#include <tags/MyMP3Tags.h>

#include <algorithm>
#include <map>

namespace {

// The name of a row's file below the folder, as messages show it.
CString ShownName(const CString& key, const CString& path) { return key + platform::ExtensionOf(path); }

}  // namespace

void CQuilloryDlg::OnSaveAll() {
  m_pStatus->Clear();
  if (!m_bDataChanged) {
    m_pStatus->ErrorMsg("No updated data to be saved.");
    return;
  }
  const int rows = m_pTable->GetNumOfRow();
  if (rows <= 0) return;
  std::vector<SaveFailure> failures;
  int attempted = 0;
  {
    m_pProgress->SetRange(0, kEditableCount, 1);
    EnableAllControls(false);
    m_progressCtrl.ShowWindow(SW_SHOW);
    const CWorkScope work(*this);
    // The files are written one by one and flushed together, a batch at a
    // time; a stop lets the files written so far reach the disk first.
    m_pTags->BeginBatch();
    for (; attempted < rows && !work.IsStopRequested(); ++attempted) {
      if (!SaveRow(attempted, true)) {
        NoteSaveResult(attempted, false);
        if (!m_strSaveFile.IsEmpty()) failures.push_back({attempted, m_strSaveFile, m_strSaveReason});
      }
      if (m_pTags->IsBatchFull()) CommitSaves(false, &failures);
    }
    CommitSaves(true, &failures);
    EnableAllControls(true);
    m_progressCtrl.ShowWindow(SW_HIDE);
  }
  // The edits of unsaved rows stay in the table, still marked unsaved, so
  // nothing the user typed is lost; a reload would replace them.
  const auto first = std::min_element(failures.begin(), failures.end(),
                                      [](const SaveFailure& a, const SaveFailure& b) { return a.nRow < b.nRow; });
  const CString firstText = first == failures.end() ? CString() : first->strFile + ": " + first->strReason;
  const int failed = static_cast<int>(failures.size());
  if (attempted < rows) {
    const CString key = m_pTable->GetValStr(attempted, ColumnOf(kFileName));
    CString text = attempted == 0
        ? CString::Formatted("Saving stopped: no file was saved; all %d rows keep their edits", rows)
        : CString::Formatted("Saving stopped: %d of %d files were saved, the rows above \"%s\"; the %d rows from "
                             "there on were not saved and keep their edits",
                             attempted - failed, rows, key, rows - attempted);
    if (failed > 0)
      text += CString::Formatted("; %d of the rows above were not saved either and are marked in red. First: %s",
                                 failed, firstText);
    m_pStatus->ErrorMsg(text);
    return;
  }
  if (failed > 0) {
    m_pStatus->ErrorMsg(CString::Formatted("%d of %d files were not saved; they are marked in red. First: %s",
                                           failed, rows, firstText));
    return;
  }
  m_bDataChanged = false;
  ReloadAfterSaveAll();
}

void CQuilloryDlg::SaveSelectedRow() {
  m_pStatus->Clear();
  const int row = m_pTable->GetSelectedRow();
  if (row < 0) return;
  const CBusyScope busy(m_bBusy);
  m_pProgress->SetRange(0, kEditableCount, 1);
  EnableAllControls(false);
  m_progressCtrl.ShowWindow(SW_SHOW);
  NoteSaveResult(row, SaveRow(row));
  EnableAllControls(true);
  m_progressCtrl.ShowWindow(SW_HIDE);
}

bool CQuilloryDlg::SaveRow(int row, bool bSaveAll) {
  // Within Save all a file is saved only when its batch is committed, which
  // says so; the run ends with a message of its own.
  const bool showStatus = !bSaveAll;
  if (showStatus) m_pStatus->Clear();
  m_strSaveFile.Empty();
  m_strSaveReason.Empty();
  if (row > m_pTable->GetNumOfRow() - 1 || row < 0 || m_strFolder.IsEmpty()) return false;
  const CString key = m_pTable->GetValStr(row, ColumnOf(kFileName));
  const CString path = RowFilePath(row);
  const auto fail = [this](const CString& file, const CString& reason) {
    m_strSaveFile = file;
    m_strSaveReason = reason;
    m_pStatus->ErrorMsg(CString::Formatted("%s was not saved: %s", file, reason));
    return false;
  };
  if (path.IsEmpty()) return fail(key + ".mp3", "no single file of that name is in the folder.");
  m_pTags->Reset();
  m_pTags->Link(path);
  // One write for all the editable fields, so a growing tag rewrites the file once.
  m_pTags->BeginUpdate();
  for (Field field : kEditableFields) {
    const FieldSave& save = SpecOf(field).save;
    (m_pTags.get()->*save.pSetter)(m_pTable->GetValStr(row, ColumnOf(field)));
    ReportSaveStep(save.strStep);
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
  if (bSaveAll) m_pendingSaves.push_back({row, path, LinkedRowCells(ShownName(key, path))});
  m_pTags->Reset();
  if (showStatus) m_pStatus->Done("Data saved.");
  return true;
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
    for (int col = 0; col < static_cast<int>(pending.cells.size()); ++col)
      if (m_pTable->GetValStr(pending.nRow, col) != pending.cells[static_cast<std::size_t>(col)])
        m_pTable->UpdateRow(pending.nRow, col, pending.cells[static_cast<std::size_t>(col)]);
    NoteSaveResult(pending.nRow, true);
    saved = true;
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
  // into the status bar, not each step of every row.
  if (!platform::PaintIsDue()) return;
  m_pStatus->InfoMsg(CString::Formatted("Update tag ->%s", step));
  platform::PumpPaintEvents();
}

void CQuilloryDlg::EnableAllControls(bool on) {
  for (CWnd* child = GetWindow(GW_CHILD); child; child = child->GetWindow(GW_HWNDNEXT))
    if (child->GetDlgCtrlID() != IDC_STATIC) child->EnableWindow(on ? TRUE : FALSE);
  // Update stays as the edit boxes have it: enabled only while they hold a row.
  if (on) EnableUpdateForBoxes();
}
