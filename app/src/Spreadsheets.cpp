// Spreadsheets and playlists in the window: "Export…" and "Import…" of the
// rows as CSV (the command line's format), and "Make playlist…" of the
// selected rows.
#include "QuilloryDlg.h"

#include "ImportDlg.h"
#include "Resource.h"

#include <core/Playlist.h>
#include <core/Spreadsheet.h>

#include <base/DurableFile.h>
#include <base/Path.h>
#include <platform/FileDialog.h>
#include <platform/MessageBox.h>
#include <statusbar/Status.h>
#include <table/Gridora.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

constexpr const char* kCsvFilter = "CSV files (*.csv)|*.csv|All files|*||";
constexpr const char* kPlaylistFilter = "Playlists (*.m3u8)|*.m3u8|All files|*||";

}  // namespace

std::vector<RowId> CQuilloryDlg::RowsOrAll(bool selectedOnly) {
  std::vector<int> rows = selectedOnly ? m_pTable->GetSelectedRows() : std::vector<int>();
  if (rows.empty())
    for (int row = 0; row < m_pTable->GetNumOfRow(); ++row) rows.push_back(row);
  return IdsOf(rows);
}

CString CQuilloryDlg::ChooseFileToWrite(const char* extension, const char* filter) {
  // Offered in the folder, named after it.
  CFileDialog dialog(FALSE, extension, base::JoinPath(Folder(), base::FileNameOf(Folder()) + "." + extension),
                     OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY, filter, this);
  return dialog.DoModal() == IDOK ? dialog.GetPathName() : CString();
}

bool CQuilloryDlg::WriteBesideRows(const CString& path, const std::string& text, const char* what) {
  if (base::WriteFileDurably(path.Str(), text)) return true;
  m_pStatus->ErrorMsg(CString::Formatted("The %s could not be written to %s: %s.", what, path.GetString(),
                                         std::strerror(errno)));
  return false;
}

void CQuilloryDlg::OnExport() {
  m_pStatus->Clear();
  if (m_pTable->GetNumOfRow() <= 0) {
    m_pStatus->ErrorMsg("Open a folder first: there are no rows to export.");
    return;
  }
  const CString path = ChooseFileToWrite("csv", kCsvFilter);
  if (path.IsEmpty()) return;
  // Every row, as the table shows it now, with the facts; the key is the file's name on disk.
  const std::vector<RowId> ids = RowsOrAll(false);
  if (!WriteBesideRows(path, SheetText(*m_pSession, ids, SpreadsheetFields(true), "csv", false), "spreadsheet")) return;
  m_pStatus->Done(CString::Formatted("%zu %s exported to %s", ids.size(), ids.size() == 1 ? "row" : "rows",
                                     path.GetString()));
}

void CQuilloryDlg::OnImport() {
  m_pStatus->Clear();
  if (m_pTable->GetNumOfRow() <= 0) {
    m_pStatus->ErrorMsg("Open a folder first: there are no rows to import into.");
    return;
  }
  CFileDialog dialog(TRUE, nullptr, Folder() + "/", OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, kCsvFilter, this);
  if (dialog.DoModal() != IDOK) return;
  const CString path = dialog.GetPathName();
  std::ifstream in(path.GetString(), std::ios::binary);
  std::ostringstream text;
  if (!in || !(text << in.rdbuf())) {
    m_pStatus->ErrorMsg(path + " cannot be read; nothing was imported.");
    return;
  }
  // The whole sheet is checked before any row changes.
  CSheetImport sheet = ReadSheetImport(text.str());
  if (!sheet.strError.IsEmpty()) {
    m_pStatus->ErrorMsg(path + ": " + sheet.strError + "; nothing was imported.");
    return;
  }
  EditRowsInDialog(
      "Import",
      [&](const CRowTexts& rows) { return std::make_unique<CImportDlg>(rows, std::move(sheet), path, this); }, true);
}

void CQuilloryDlg::OnMakePlaylist() {
  m_pStatus->Clear();
  if (m_pTable->GetNumOfRow() <= 0) {
    m_pStatus->ErrorMsg("Open a folder first: there are no rows for a playlist.");
    return;
  }
  const CString path = ChooseFileToWrite("m3u8", kPlaylistFilter);
  if (path.IsEmpty()) return;
  // The selected rows (every row when none is), in the table's order.
  const std::vector<RowId> ids = RowsOrAll(true);
  if (!WriteBesideRows(path, PlaylistText(PlaylistEntriesOf(*m_pSession, ids), base::FolderOf(path)), "playlist"))
    return;
  m_pStatus->Done(CString::Formatted("Playlist of %zu %s written: %s", ids.size(), ids.size() == 1 ? "file" : "files",
                                     path.GetString()));
}
