#include "FolderDocuments.h"

#include "DesktopCommands.h"
#include "ImportDlg.h"
#include "Resource.h"
#include "RowsDialogs.h"

#include <core/FolderReport.h>
#include <core/Playlist.h>
#include <core/Spreadsheet.h>

#include <base/DurableFile.h>
#include <base/Path.h>
#include <platform/FileDialog.h>
#include <platform/MessageBox.h>
#include <shell/Shellcmd.h>
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

std::vector<RowId> CFolderDocuments::RowsOrAll(bool selectedOnly) const {
  std::vector<int> rows = selectedOnly ? m_table.GetSelectedRows() : std::vector<int>();
  if (rows.empty())
    for (int row = 0; row < m_table.GetNumOfRow(); ++row) rows.push_back(row);
  std::vector<RowId> ids;
  ids.reserve(rows.size());
  for (int row : rows) ids.push_back(m_session.Table().IdOf(row));
  return ids;
}

CString CFolderDocuments::ChooseFileToWrite(const char* extension, const char* filter) {
  // Offered in the folder, named after it.
  const CString& folder = m_session.Folder();
  CFileDialog dialog(FALSE, extension, base::JoinPath(folder, base::FileNameOf(folder) + "." + extension),
                     OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY, filter, &m_parent);
  return dialog.DoModal() == IDOK ? dialog.GetPathName() : CString();
}

bool CFolderDocuments::WriteBesideRows(const CString& path, const std::string& text, const char* what) {
  if (base::WriteFileDurably(path.Str(), text)) return true;
  m_status.ErrorMsg(CString::Formatted("The %s could not be written to %s: %s.", what, path.GetString(),
                                       std::strerror(errno)));
  return false;
}

bool CFolderDocuments::HasRows(const char* forWhat) {
  m_status.Clear();
  if (m_table.GetNumOfRow() > 0) return true;
  m_status.ErrorMsg(CString("Open a folder first: there are no rows ") + forWhat + ".");
  return false;
}

void CFolderDocuments::Export() {
  if (!HasRows("to export")) return;
  const CString path = ChooseFileToWrite("csv", kCsvFilter);
  if (path.IsEmpty()) return;
  // Every row, as the table shows it now, with the facts; the key is the file's name on disk.
  const std::vector<RowId> ids = RowsOrAll(false);
  if (!WriteBesideRows(path, SheetText(m_session, ids, SpreadsheetFields(true), "csv", false), "spreadsheet")) return;
  m_status.Done(CString::Formatted("%zu %s exported to %s", ids.size(), ids.size() == 1 ? "row" : "rows",
                                   path.GetString()));
}

void CFolderDocuments::Import() {
  if (!HasRows("to import into")) return;
  CFileDialog dialog(TRUE, nullptr, m_session.Folder() + "/", OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, kCsvFilter,
                     &m_parent);
  if (dialog.DoModal() != IDOK) return;
  const CString path = dialog.GetPathName();
  std::ifstream in(path.GetString(), std::ios::binary);
  std::ostringstream text;
  if (!in || !(text << in.rdbuf())) {
    m_status.ErrorMsg(path + " cannot be read; nothing was imported.");
    return;
  }
  // The whole sheet is checked before any row changes.
  CSheetImport sheet = ReadSheetImport(text.str());
  if (!sheet.strError.IsEmpty()) {
    m_status.ErrorMsg(path + ": " + sheet.strError + "; nothing was imported.");
    return;
  }
  m_dialogs.Run(
      "Import",
      [&](const CRowTexts& rows) { return std::make_unique<CImportDlg>(rows, std::move(sheet), path, &m_parent); },
      true);
}

void CFolderDocuments::MakePlaylist() {
  if (!HasRows("for a playlist")) return;
  const CString path = ChooseFileToWrite("m3u8", kPlaylistFilter);
  if (path.IsEmpty()) return;
  // The selected rows (every row when none is), in the table's order.
  const std::vector<RowId> ids = RowsOrAll(true);
  std::vector<CPlaylistEntry> leftOut;
  if (!WriteBesideRows(path, PlaylistText(PlaylistEntriesOf(m_session, ids), base::FolderOf(path), &leftOut),
                       "playlist"))
    return;
  const std::size_t written = ids.size() - leftOut.size();
  CString done = CString::Formatted("Playlist of %zu %s written: %s", written, written == 1 ? "file" : "files",
                                    path.GetString());
  // A name with a line break cannot be a playlist's line.
  if (!leftOut.empty())
    done += CString::Formatted(" (%zu left out, whose names hold a line break: %s)", leftOut.size(),
                               base::FileNameOf(leftOut.front().strPath).GetString());
  m_status.Done(done);
}

void CFolderDocuments::WriteReport() {
  // Without a folder there is nowhere beside the files to put the page.
  const CString& folder = m_session.Folder();
  const CString path = folder.IsEmpty() ? CString() : base::JoinPath(folder, "report.html");
  bool created = false;
  if (path.IsEmpty() || !WriteFolderReport(m_session, path, kWebSite, &created)) {
    m_status.ErrorMsg(created ? "Couldn't write the report" : "Couldn't create the report");
    return;
  }
  OpenOnDesktop(m_shell, &m_parent, path);
}
