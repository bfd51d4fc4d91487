// Folder loading: Open Folder, Reload and the three folder totals.
#include "QuilloryDlg.h"

#include <core/Summaries.h>

#include <core/CoverEdits.h>
#include "FailedRows.h"
#include <core/Fields.h>
#include "Resource.h"
#include <core/RowFiles.h>
#include <core/TableRows.h>

#include <dialogs/FolderDialog.h>
#include <platform/MessageBox.h>
#include <base/Path.h>
#include <platform/PumpMessage.h>
#include <platform/Settings.h>
#include <platform/ShellApi.h>
#include <statusbar/Status.h>
#include <table/Gridora.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// Whether Open Folder reads the folders below the chosen one, as last chosen.
constexpr const char* kSubfoldersSetting = "OpenFolder/IncludeSubfolders";

}  // namespace

void CQuilloryDlg::OnOpenFolder() {
  m_pStatus->Clear();
  if (!ConfirmDiscardEdits("Do you want to open another folder?")) return;
  auto browser = std::make_unique<CFolderDialog>(BrowserStartFolder(Folder()), 0, this);
  m_pFolderDlg = browser.get();
  const bool remembered = platform::ReadSetting(kSubfoldersSetting) == "1";
  m_pFolderDlg->AddCheckBox("Include subfolders", remembered);
  const bool chosen = m_pFolderDlg->Show();
  const CString folder = m_pFolderDlg->GetPathName();
  const bool subfolders = m_pFolderDlg->IsChecked();
  m_pFolderDlg = nullptr;
  // A cancelled browser keeps the folder too: the rows in the table still
  // belong to it, and saving must find their files there.
  if (!chosen) return;
  if (subfolders != remembered) platform::WriteSetting(kSubfoldersSetting, subfolders ? "1" : "0");
  LoadFolder(folder, subfolders, CString());
}

void CQuilloryDlg::OnReload() {
  m_pStatus->Clear();
  if (Folder().IsEmpty()) {
    m_pStatus->ErrorMsg("Nothing in list to reload.");
    return;
  }
  if (!ConfirmDiscardEdits("Do you want to reload all data?")) return;
  // The rows selected before are selected again, found by their files.
  const std::vector<CString> selected = SelectedFileKeys();
  if (LoadFolder(Folder(), m_pSession->Subfolders(), "All files have been reloaded")) SelectRowsOfKeys(selected);
}

void CQuilloryDlg::OpenStartFolder() {
  if (!base::DirectoryExists(m_strStartFolder)) {
    m_pStatus->ErrorMsg("Folder not found: " + m_strStartFolder);
    return;
  }
  LoadFolder(m_strStartFolder, m_bStartSubfolders, CString());
}

bool CQuilloryDlg::LoadFolder(CString folder, bool subfolders, const CString& doneText) {
  m_nFilesWritten = -1;  // the status bar speaks of this folder's saves only
  const CWindowWork::CScope work(*m_pWork);
  // Whatever the table held is gone now, and with it every edit, mark and
  // step of the history.
  m_pFailedRows->Forget();
  // Every row is a music file and shows the same icon, so it is looked up once.
  m_pTable->ClearImages();
  m_pTable->AddIcon(GetSmallShellIcon(base::JoinPath(folder, "file.mp3")));
  // Drawn once at the end: a repaint per added row made a folder of
  // thousands of files take many seconds to load.
  m_list.SetRedraw(FALSE);
  const CLoadReport report = m_pSession->Open(folder, subfolders, m_pWork->WorkOf(work));
  m_list.SetRedraw(TRUE);
  m_pStatus->KillProgress();
  ClearEditBoxes();
  ShowTableState();
  if (report.walk.bStopped) {
    UpdateFolderTotals();
    m_pStatus->InfoMsg("Loading stopped before any file was read.");
    return false;
  }
  const CString skipped = SkippedText(report.walk, report.nVanished);
  if (report.nListed <= 0) {
    m_pSession->Forget();
    UpdateFolderTotals();
    m_pStatus->InfoMsg("No music files in " + folder + skipped);
    return false;
  }
  // In the order the user chose last, else by name.
  const int sortCol = m_pTable->GetSortCol();
  m_pTable->SortBy(sortCol >= 0 ? sortCol : ColumnOf(kFileName), sortCol >= 0 ? m_pTable->GetSortAscending() : true);
  m_columns.FitNames();
  NoteLoadedFolder(folder, subfolders);
  m_pRecent->Fill();
  UpdateFolderTotals();
  m_pStatus->InfoMsg(LoadSummary(report, doneText));
  return true;
}

void CQuilloryDlg::ReloadAfterSaveAll() {
  const CWindowWork::CQuiet busy(*m_pWork);  // it lets the window paint
  m_pStatus->Clear();
  // When the folder lists the table's files, every row already shows what
  // its file holds (the save read it back), and reading the files once more
  // would change nothing; the rows keep their order and the history its steps.
  // Escape stops this walk as any other; the rows then stay as the save left them.
  CMusicListing listing;
  bool same = false;
  {
    const CWindowWork::CScope work(*m_pWork);
    same = m_pSession->ListsItsRows(m_pWork->WorkOf(work), &listing);
  }
  if (!listing.bStopped && !same) {
    const std::vector<CString> selected = SelectedFileKeys();
    const int written = m_nFilesWritten;
    if (LoadFolder(Folder(), m_pSession->Subfolders(), "All files have been reloaded")) SelectRowsOfKeys(selected);
    m_nFilesWritten = written;
    ShowTableState();
    return;
  }
  // The rest is what a reload does: the bar runs (here to its end at once),
  // the edit boxes are emptied, the totals recomputed. The selected rows stay
  // selected, so what comes next acts on the rows it did before.
  const int rows = m_pTable->GetNumOfRow();
  m_pStatus->SetupProgress(0, rows);
  m_pStatus->StartProgress();
  m_pStatus->IncProgress(rows);
  platform::PumpPaintEvents();
  m_pStatus->KillProgress();
  ShowCover();
  ClearEditBoxes();
  if (m_bBoxesFollow) FillEditBoxes();
  UpdateFolderTotals();
  if (listing.bStopped)
    m_pStatus->InfoMsg("All files have been saved; reading the folder again was stopped");
  else
    m_pStatus->InfoMsg("All files have been reloaded" + SkippedText(listing, 0));
}

HICON CQuilloryDlg::GetSmallShellIcon(const CString& path) {
  SHFILEINFOA info;
  SHGetFileInfoA(path, 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON | SHGFI_SYSICONINDEX);
  return info.hIcon;
}

void CQuilloryDlg::UpdateFolderTotals() {
  m_pStatus->Clear();
  const CTotalsText totals = TotalsTextOf(m_pSession->Totals());
  SetDlgItemText(IDC_TOTAL_FILES, totals.strFiles);
  SetDlgItemText(IDC_TOTAL_SIZE, totals.strSize);
  SetDlgItemText(IDC_TOTAL_TIME, totals.strTime);
}

CString CQuilloryDlg::RowFilePath(int row) { return m_pSession->FilePathOf(m_pRows->IdOf(row)); }

CString CQuilloryDlg::FileKeyOf(int row) { return m_pSession->FileKeyOf(m_pRows->IdOf(row)); }
