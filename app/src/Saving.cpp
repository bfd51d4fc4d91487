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

void CQuilloryDlg::OnSaveAll() {
  m_pStatus->Clear();
  if (!m_bDataChanged) {
    m_pStatus->ErrorMsg("No updated data to be saved.");
    return;
  }
  const int rows = m_pTable->GetNumOfRow();
  if (rows <= 0) return;
  int failed = 0;
  CString firstFailure;
  {
    const CBusyScope busy(m_bBusy);
    m_pProgress->SetRange(0, kEditableCount, 1);
    EnableAllControls(false);
    m_progressCtrl.ShowWindow(SW_SHOW);
    for (int row = 0; row < rows; ++row) {
      const bool saved = SaveRow(row, true);
      NoteSaveResult(row, saved);
      if (!saved && ++failed == 1) firstFailure = m_strSaveFile + ": " + m_strSaveReason;
    }
    EnableAllControls(true);
    m_progressCtrl.ShowWindow(SW_HIDE);
  }
  if (failed > 0) {
    // The edits stay in the table, still marked unsaved, so nothing the user
    // typed is lost; a reload would replace them with what the files hold.
    m_pStatus->ErrorMsg(CString::Formatted("%d of %d files were not saved; they are marked in red. First: %s",
                                           failed, rows, firstFailure));
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
  // Within Save all the texts of each file are put up only for the frames
  // that are painted; the run ends with a message of its own.
  const bool showStatus = !bSaveAll || platform::PaintIsDue();
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
    return fail(platform::FileNameOf(path), failure + ".");
  }
  if (bSaveAll) {
    // The tag object reads what the file now holds (after a write, the file
    // itself again), so the row shows it without a second reading later.
    const std::vector<CString> cells = LinkedRowCells(platform::FileNameOf(path));
    for (int col = 0; col < static_cast<int>(cells.size()); ++col)
      if (m_pTable->GetValStr(row, col) != cells[static_cast<std::size_t>(col)])
        m_pTable->UpdateRow(row, col, cells[static_cast<std::size_t>(col)]);
  }
  m_pTags->Reset();
  if (showStatus) m_pStatus->Done("Data saved.");
  return true;
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
