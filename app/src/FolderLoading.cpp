// Folder loading: Open Folder, Reload and the three folder totals.
#include "QuilloryDlg.h"

#include "CoverEdits.h"
#include "FailedRows.h"
#include "Fields.h"
#include "Resource.h"
#include "RowFiles.h"
#include "TableRows.h"

#include <dialogs/FolderDialog.h>
#include <platform/MessageBox.h>
#include <base/Path.h>
#include <platform/PumpMessage.h>
#include <platform/Settings.h>
#include <platform/ShellApi.h>
#include <statusbar/Status.h>
#include <table/Gridora.h>
#include <tags/MyMP3Tags.h>

#include <algorithm>
#include <cstdlib>
#include <utility>
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
    case Fill::kCover: {
      // Its facts only: the picture's bytes are read when it is shown.
      CCoverArt cover;
      if (!tags.GetFrontCoverSummary(&cover)) return "-";
      return CoverSummary(cover.strFormat, cover.strMime, cover.nWidth, cover.nHeight, cover.nBytes);
    }
  }
  return CString();
}

// How many rows a pass over the table takes between two chances for the
// window to answer (the pump itself waits for its frame).
constexpr int kRowsPerPump = 2048;

// Whether Open Folder reads the folders below the chosen one, as last chosen.
constexpr const char* kSubfoldersSetting = "OpenFolder/IncludeSubfolders";
// The folder last loaded, where the folder browser opens next time.
constexpr const char* kLastFolderSetting = "OpenFolder/LastFolder";

// Where the folder browser opens: the loaded folder, else the one loaded
// last time, else ~/Music, else the home folder.
CString BrowserStartFolder(const CString& loaded) {
  if (!loaded.IsEmpty() && base::DirectoryExists(loaded)) return loaded;
  const CString last = platform::ReadSetting(kLastFolderSetting);
  if (!last.IsEmpty() && base::DirectoryExists(last)) return last;
  const char* home = std::getenv("HOME");
  const CString music = base::JoinPath(home ? home : "/", "Music");
  return base::DirectoryExists(music) ? music : CString(home ? home : "/");
}

// "1 unreadable folder", "2 unreadable folders".
CString Counted(int n, const char* one, const char* many) {
  return CString::Formatted("%d %s", n, n == 1 ? one : many);
}

// Files another program kept rewriting while the load read them: listed
// with nothing read, and not saved. "" when none.
CString ChangedWhileRead(int n) {
  if (n == 0) return CString();
  return "; " + Counted(n, "file was", "files were") + " being changed by another program while " +
         (n == 1 ? "it was" : "they were") + " read and " + (n == 1 ? "shows" : "show") +
         " nothing (Reload reads " + (n == 1 ? "it" : "them") + " again)";
}

// What a load left out, and the new files of interrupted saves it removed,
// for its status message: "" when nothing.
CString Skipped(const CMp3Listing& listing, int vanishedOnLoad) {
  std::vector<CString> parts;
  if (listing.nLinks > 0)
    parts.push_back(Counted(listing.nLinks, "link to a folder read already", "links to folders read already"));
  if (listing.nLinksOut > 0)
    parts.push_back(Counted(listing.nLinksOut, "link that leads out of the folder", "links that lead out of the folder") +
                    (listing.nLinksOut == 1 ? " (" : " (first: ") + listing.strFirstLinkOut + ")");
  if (listing.nUnreadable > 0) parts.push_back(Counted(listing.nUnreadable, "unreadable folder", "unreadable folders"));
  const int vanished = listing.nVanished + vanishedOnLoad;
  if (vanished > 0) parts.push_back(Counted(vanished, "file that vanished", "files that vanished"));
  CString text;
  for (const CString& part : parts) text += (text.IsEmpty() ? "; skipped " : ", ") + part;
  if (listing.nLeftoversRemoved > 0)
    text += "; removed " + Counted(listing.nLeftoversRemoved, "file left by an interrupted save",
                                   "files left by interrupted saves");
  return text;
}

}  // namespace

void CQuilloryDlg::OnOpenFolder() {
  m_pStatus->Clear();
  if (!ConfirmDiscardEdits("Do you want to open another folder?")) return;
  auto browser = std::make_unique<CFolderDialog>(BrowserStartFolder(m_strFolder), 0, this);
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
  m_strFolder = folder;
  m_bSubfolders = subfolders;
  LoadCurrentFolder(CString());
}

void CQuilloryDlg::OnReload() {
  m_pStatus->Clear();
  if (m_strFolder.IsEmpty()) {
    m_pStatus->ErrorMsg("Nothing in list to reload.");
    return;
  }
  if (!ConfirmDiscardEdits("Do you want to reload all data?")) return;
  // The rows selected before are selected again, found by their files.
  const std::vector<CString> selected = SelectedFileKeys();
  if (LoadCurrentFolder("All files have been reloaded")) SelectRowsOfKeys(selected);
}

void CQuilloryDlg::OpenStartFolder() {
  if (!base::DirectoryExists(m_strStartFolder)) {
    m_pStatus->ErrorMsg("Folder not found: " + m_strStartFolder);
    return;
  }
  m_strFolder = m_strStartFolder;
  m_bSubfolders = m_bStartSubfolders;
  LoadCurrentFolder(CString());
}

CString CQuilloryDlg::FolderPattern() const { return base::JoinPath(m_strFolder, "*.mp3"); }

bool CQuilloryDlg::LoadCurrentFolder(const CString& doneText) {
  m_nFilesWritten = -1;  // the status bar speaks of this folder's saves only
  const CWorkScope work(*this);
  const CString pattern = FolderPattern();
  m_nFileCount = CountMp3Files(pattern);
  // Whatever the table held is gone now, and with it every edit, mark and
  // step of the history.
  m_pFailedRows->Forget();
  m_pRows->Reset();
  m_history.Clear();
  ShowTableState();
  if (m_listing.bStopped) {
    m_listing = {};
    ClearEditBoxes();
    UpdateFolderTotals();
    m_pStatus->InfoMsg("Loading stopped before any file was read.");
    return false;
  }
  const CString skipped = Skipped(m_listing, 0);
  if (m_nFileCount <= 0) {
    const CString folder = m_strFolder;
    m_strFolder.Empty();
    ClearEditBoxes();
    UpdateFolderTotals();
    m_pStatus->InfoMsg("No MP3 files in " + folder + skipped);
    return false;
  }
  LoadFolder(pattern);
  // In the order the user chose last, else by name.
  const int sortCol = m_pTable->GetSortCol();
  m_pTable->SortBy(sortCol >= 0 ? sortCol : ColumnOf(kFileName), sortCol >= 0 ? m_pTable->GetSortAscending() : true);
  m_pRows->Reset();
  platform::WriteSetting(kLastFolderSetting, m_strFolder);
  NoteRecentFolder(m_strFolder, m_bSubfolders);
  FillRecentMenu();
  UpdateFolderTotals();
  const int rows = m_pTable->GetNumOfRow();
  if (m_bLoadStopped)
    m_pStatus->InfoMsg(CString::Formatted("Loading stopped: %d of %d files were read", rows, m_nFileCount) +
                       Skipped(m_lastWalk, m_nVanishedOnLoad) + ChangedWhileRead(m_nChangedOnLoad) + ".");
  else
    m_pStatus->InfoMsg((doneText.IsEmpty() ? CString::Formatted("%d files have been loaded", rows) : doneText) +
                       Skipped(m_lastWalk, m_nVanishedOnLoad) + ChangedWhileRead(m_nChangedOnLoad));
  return true;
}

int CQuilloryDlg::CountMp3Files(const CString& pattern) {
  if (pattern.IsEmpty()) return 0;
  m_pTable->ClearTable();
  // The folder is walked once per load: LoadFolder takes the names from here.
  m_strListedPattern = pattern;
  const CString folder = base::FolderOf(pattern);
  m_listing = ListMp3Files(folder, m_bSubfolders, [this] {
    platform::PumpPaintEvents();
    return !(m_pWork && m_pWork->IsStopRequested());
  });
  // New files of a save that a crash interrupted (the MP3 file beside each is
  // whole: a save replaces it only by a rename), those the writer's records
  // prove it made; never a file that only has such a name.
  if (!m_listing.bStopped) m_listing.nLeftoversRemoved = CMyMP3Tags::RemoveOwnLeftovers(folder, m_bSubfolders);
  return static_cast<int>(m_listing.names.size());
}

void CQuilloryDlg::LoadFolder(const CString& pattern) {
  if (pattern.IsEmpty()) return;
  if (m_strListedPattern != pattern) CountMp3Files(pattern);
  const std::vector<CString> names = std::move(m_listing.names);
  m_lastWalk = std::exchange(m_listing, {});
  m_strListedPattern.Empty();
  const CWorkScope work(*this);
  m_nVanishedOnLoad = 0;
  m_nChangedOnLoad = 0;
  m_bLoadStopped = false;
  m_pTable->ClearTable();
  m_loadedFiles.Clear();
  m_pStatus->SetupProgress(0, m_nFileCount);
  m_pStatus->StartProgress();
  // Every row is an MP3 file and shows the same icon, so it is looked up once.
  if (!names.empty()) {
    m_pTable->ClearImages();
    m_pTable->AddIcon(GetSmallShellIcon(base::JoinPath(m_strFolder, names.front())));
  }
  // Drawn once at the end: a repaint per added cell made a folder of
  // thousands of files take many seconds to load.
  m_list.SetRedraw(FALSE);
  for (const CString& name : names) {
    if (work.IsStopRequested()) {
      m_bLoadStopped = true;
      break;
    }
    const CString path = base::JoinPath(m_strFolder, name);
    m_pTags->Link(path);
    // A file gone since the walk gets no row; an empty one keeps its row.
    if (m_pTags->GetFileSize() > 0 || base::FileExists(path)) {
      const std::vector<CString> cells = LinkedRowCells(name);
      m_pTable->AddRow(cells.front(), 0);
      for (std::size_t col = 1; col < cells.size(); ++col) m_pTable->AddRow(cells[col]);
      m_pTable->EndRow();
      // What a save must find there before it writes.
      m_loadedFiles.Note(path, m_pTags->GetFileIdentity());
      if (m_pTags->WasChangedWhileRead()) ++m_nChangedOnLoad;
    } else {
      ++m_nVanishedOnLoad;
    }
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
  const CBusyScope busy(m_bBusy);  // it lets the window paint
  m_pStatus->Clear();
  // When the folder lists the table's files, every row already shows what
  // its file holds (the save read it back), and reading the files once more
  // would change nothing; the rows keep their order and the history its steps.
  // Escape stops this walk as any other; the rows then stay as the save left them.
  CMp3Listing listing;
  {
    const CWorkScope work(*this);
    listing = ListMp3Files(m_strFolder, m_bSubfolders, [&work] {
      platform::PumpPaintEvents();
      return !work.IsStopRequested();
    });
  }
  if (!listing.bStopped) listing.nLeftoversRemoved = CMyMP3Tags::RemoveOwnLeftovers(m_strFolder, m_bSubfolders);
  const int rows = m_pTable->GetNumOfRow();
  std::vector<CString> listed, shown;
  for (const CString& name : listing.names) listed.push_back(RowKeyOf(name));
  for (int row = 0; row < rows; ++row) {
    shown.push_back(m_pTable->GetValStr(row, ColumnOf(kFileName)));
    if (row % kRowsPerPump == 0) platform::PumpPaintEvents();
  }
  std::sort(listed.begin(), listed.end());
  std::sort(shown.begin(), shown.end());
  if (!listing.bStopped && (rows <= 0 || listed != shown)) {
    const std::vector<CString> selected = SelectedFileKeys();
    const int written = m_nFilesWritten;
    if (LoadCurrentFolder("All files have been reloaded")) SelectRowsOfKeys(selected);
    m_nFilesWritten = written;
    ShowTableState();
    return;
  }
  // The rest is what a reload does: the bar runs (here to its end at once),
  // the edit boxes are emptied, the totals recomputed. The selected rows stay
  // selected, so what comes next acts on the rows it did before.
  m_nFileCount = rows;
  m_pStatus->SetupProgress(0, m_nFileCount);
  m_pStatus->StartProgress();
  m_pStatus->IncProgress(m_nFileCount);
  platform::PumpPaintEvents();
  m_pStatus->KillProgress();
  ShowCover();
  ClearEditBoxes();
  if (m_bBoxesFollow) FillEditBoxes();
  UpdateFolderTotals();
  if (listing.bStopped)
    m_pStatus->InfoMsg("All files have been saved; reading the folder again was stopped");
  else
    m_pStatus->InfoMsg("All files have been reloaded" + Skipped(listing, 0));
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
  for (int row = 0; row < rows; ++row) {
    for (Field field : kColumnOrder) {
      const Total total = SpecOf(field).total;
      if (total == Total::kSize) kilobytes += m_pTable->GetValDbl(row, ColumnOf(field));
      if (total == Total::kTime) seconds += m_pTable->GetValDbl(row, ColumnOf(field));
    }
    if (m_bBusy && row % kRowsPerPump == 0) platform::PumpPaintEvents();
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
  return CRowFiles(m_strFolder).PathOf(FileKeyOf(row));
}

CString CQuilloryDlg::FileKeyOf(int row) { return m_pRows->FileCellOf(m_pRows->IdOf(row), ColumnOf(kFileName)); }
