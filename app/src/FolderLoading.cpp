// Folder loading: Open Folder, Reload and the three folder totals.
#include "QuilloryDlg.h"

#include "FailedRows.h"
#include "Fields.h"
#include "Resource.h"
#include "RowFiles.h"

#include <dialogs/FolderDialog.h>
#include <platform/FileFind.h>
#include <platform/MessageBox.h>
#include <platform/Path.h>
#include <platform/PumpMessage.h>
#include <platform/ShellApi.h>
#include <statusbar/Status.h>
#include <table/Gridora.h>
#include <tags/MyMP3Tags.h>

#include <vector>

namespace {

// The text of the field's cell for the linked file, named name in the folder
// (its header facts already read).
CString CellText(CMyMP3Tags& tags, const FieldSpec& field, const CString& name) {
  switch (field.fill) {
    case Fill::kKey: return RowKeyOf(name);
    case Fill::kSizeKb: return CString::Formatted("%d", static_cast<int>(tags.GetFileSize() / 1024));
    case Fill::kText: return (tags.*field.pGetter)();
    case Fill::kClock: return tags.ConvDuration((tags.*field.pGetter)());
  }
  return CString();
}

// New files of a save that a crash interrupted: the MP3 file beside each is
// whole (a save replaces it only by a rename), so they are removed. They
// never match "*.mp3", so they are never rows either way.
void RemoveLeftoversOfSaving(const CString& folder) {
  CFileFind finder;
  BOOL more = finder.FindFile(platform::JoinPath(folder, "*.quillory-*"), 0);
  while (more) {
    more = finder.FindNextFile();
    if (!finder.IsDirectory() && CMyMP3Tags::IsOwnTemporary(finder.GetFileName()))
      platform::RemoveFile(finder.GetFilePath());
  }
}

}  // namespace

void CQuilloryDlg::OnOpenFolder() {
  m_pStatus->Clear();
  if (m_bDataChanged && MessageBoxA(GetSafeHwnd(), "Do you want to open another folder?", "Data not saved",
                                    MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  auto browser = std::make_unique<CFolderDialog>(m_strFolder, 0, this);
  m_pFolderDlg = browser.get();
  const bool chosen = m_pFolderDlg->Show();
  const CString folder = m_pFolderDlg->GetPathName();
  m_pFolderDlg = nullptr;
  // A cancelled browser keeps the folder too: the rows in the table still
  // belong to it, and saving must find their files there.
  if (!chosen) return;
  m_strFolder = folder;
  if (LoadCurrentFolder()) m_pStatus->InfoMsg(CString::Formatted("%d files have been loaded", m_pTable->GetNumOfRow()));
}

void CQuilloryDlg::OnReload() {
  m_pStatus->Clear();
  if (m_strFolder.IsEmpty()) {
    m_pStatus->ErrorMsg("Nothing in list to reload.");
    return;
  }
  if (m_bDataChanged && MessageBoxA(GetSafeHwnd(), "Do you want to reload all data?", "Data not saved",
                                    MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  if (LoadCurrentFolder()) m_pStatus->InfoMsg("All files have been reloaded");
}

void CQuilloryDlg::OpenStartFolder() {
  if (!platform::DirectoryExists(m_strStartFolder)) {
    m_pStatus->ErrorMsg("Folder not found: " + m_strStartFolder);
    return;
  }
  m_strFolder = m_strStartFolder;
  if (LoadCurrentFolder()) m_pStatus->InfoMsg(CString::Formatted("%d files have been loaded", m_pTable->GetNumOfRow()));
}

CString CQuilloryDlg::FolderPattern() const { return platform::JoinPath(m_strFolder, "*.mp3"); }

bool CQuilloryDlg::LoadCurrentFolder() {
  RemoveLeftoversOfSaving(m_strFolder);
  const CString pattern = FolderPattern();
  m_nFileCount = CountMp3Files(pattern);
  // Whatever the table held is gone now, and with it every edit and mark.
  m_bDataChanged = false;
  m_pFailedRows->Forget();
  if (m_nFileCount <= 0) {
    const CString folder = m_strFolder;
    m_strFolder.Empty();
    ClearEditBoxes();
    UpdateFolderTotals();
    m_pStatus->InfoMsg("No MP3 files in " + folder);
    return false;
  }
  LoadFolder(pattern);
  UpdateFolderTotals();
  return true;
}

int CQuilloryDlg::CountMp3Files(const CString& pattern) {
  if (pattern.IsEmpty()) return 0;
  m_pTable->ClearTable();
  // The folder is walked once per load: LoadFolder takes the names from here.
  m_listing.strPattern = pattern;
  m_listing.names = ListMp3Files(pattern);
  return static_cast<int>(m_listing.names.size());
}

void CQuilloryDlg::LoadFolder(const CString& pattern) {
  if (pattern.IsEmpty()) return;
  const std::vector<CString> names =
      m_listing.strPattern == pattern ? std::move(m_listing.names) : ListMp3Files(pattern);
  m_listing = {};
  const CBusyScope busy(m_bBusy);
  m_pTable->ClearTable();
  m_pStatus->SetupProgress(0, m_nFileCount);
  m_pStatus->StartProgress();
  // Every row is an MP3 file and shows the same icon, so it is looked up once.
  if (!names.empty()) {
    m_pTable->ClearImages();
    m_pTable->AddIcon(GetSmallShellIcon(platform::JoinPath(m_strFolder, names.front())));
  }
  // Drawn once at the end: a repaint per added cell made a folder of
  // thousands of files take many seconds to load.
  m_list.SetRedraw(FALSE);
  for (const CString& name : names) {
    m_pTags->Link(platform::JoinPath(m_strFolder, name));
    const std::vector<CString> cells = LinkedRowCells(name);
    m_pTable->AddRow(cells.front(), 0);
    for (std::size_t col = 1; col < cells.size(); ++col) m_pTable->AddRow(cells[col]);
    m_pTable->EndRow();
    m_pTags->Reset();
    m_pStatus->IncProgress();
    platform::PumpPaintEvents();
  }
  m_list.SetRedraw(TRUE);
  m_pStatus->KillProgress();
  ClearEditBoxes();
}

std::vector<CString> CQuilloryDlg::LinkedRowCells(const CString& name) {
  m_pTags->GetHeaderInfo();
  std::vector<CString> cells;
  cells.reserve(kColumnOrder.size());
  for (Field field : kColumnOrder) cells.push_back(CellText(*m_pTags, SpecOf(field), name));
  return cells;
}

void CQuilloryDlg::ReloadAfterSaveAll() {
  m_pStatus->Clear();
  RemoveLeftoversOfSaving(m_strFolder);
  // A load puts each new row at the top, so it shows the listed files last
  // first. When that is what the table holds, every row already shows what
  // its file holds (SaveRow read it back), and reading the files once more
  // would change nothing.
  const std::vector<CString> names = ListMp3Files(FolderPattern());
  const int rows = m_pTable->GetNumOfRow();
  bool same = rows > 0 && rows == static_cast<int>(names.size());
  for (int row = 0; same && row < rows; ++row) {
    const CString& name = names[static_cast<std::size_t>(rows - 1 - row)];
    same = m_pTable->GetValStr(row, ColumnOf(kFileName)) == RowKeyOf(name);
  }
  if (!same) {
    OnReload();
    return;
  }
  // The rest is what a reload does: the bar runs (here to its end at once),
  // no row stays selected, the edit boxes are emptied, the totals recomputed.
  m_nFileCount = rows;
  {
    const CBusyScope busy(m_bBusy);
    m_pStatus->SetupProgress(0, m_nFileCount);
    m_pStatus->StartProgress();
    m_pStatus->IncProgress(m_nFileCount);
    platform::PumpPaintEvents();
    m_pStatus->KillProgress();
  }
  m_list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  m_list.SetSelectionMark(-1);
  ClearEditBoxes();
  UpdateFolderTotals();
  m_pStatus->InfoMsg("All files have been reloaded");
}

HICON CQuilloryDlg::GetSmallShellIcon(const CString& path) {
  SHFILEINFOA info;
  SHGetFileInfoA(path, 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON | SHGFI_SYSICONINDEX);
  return info.hIcon;
}

void CQuilloryDlg::UpdateFolderTotals() {
  m_pStatus->Clear();
  const int rows = m_pTable->GetNumOfRow();
  if (rows <= 0) {
    ShowFolderTotals("--", "--", "--");
    return;
  }
  double kilobytes = 0;
  double seconds = 0;
  for (int row = 0; row < rows; ++row)
    for (Field field : kColumnOrder) {
      const Total total = SpecOf(field).total;
      if (total == Total::kSize) kilobytes += m_pTable->GetValDbl(row, ColumnOf(field));
      if (total == Total::kTime) seconds += m_pTable->GetValDbl(row, ColumnOf(field));
    }
  ShowFolderTotals(CString::Formatted("%d", rows), CString::Formatted("%.2f mb", kilobytes / 1024),
                   m_pTags->ConvDuration(CString::Formatted("%.0f", seconds)));
}

void CQuilloryDlg::ShowFolderTotals(const CString& count, const CString& size, const CString& time) {
  SetDlgItemText(IDC_TOTAL_FILES, count);
  SetDlgItemText(IDC_TOTAL_SIZE, size);
  SetDlgItemText(IDC_TOTAL_TIME, time);
}

CString CQuilloryDlg::RowFilePath(int row) {
  if (row < 0 || row >= m_pTable->GetNumOfRow()) return CString();
  return CRowFiles(m_strFolder).PathOf(m_pTable->GetValStr(row, ColumnOf(kFileName)));
}
