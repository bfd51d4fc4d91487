// Covers in the window: the Cover group's thumbnail of the selected rows'
// front cover, and adding, extracting and removing covers. A change is a
// step of the command history, kept with its rows (CTableRows) until a save
// writes it.
#include "QuilloryDlg.h"

#include <core/Fields.h>
#include "Resource.h"
#include <core/RowCommands.h>
#include <core/TableRows.h>

#include <platform/FileDialog.h>
#include <platform/MenuBar.h>
#include <platform/MessageBox.h>
#include <base/DurableFile.h>
#include <base/Path.h>
#include <statusbar/Status.h>
#include <table/Gridora.h>
#include <tags/MyMP3Tags.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace {

// The largest picture a cover may be; one byte more is enough to refuse one.
constexpr long long kMaxCoverBytes = 16 * 1024 * 1024;

constexpr const char* kImageFilter = "Images (*.jpg;*.jpeg;*.png)|*.jpg;*.jpeg;*.png|All files|*||";

// The picture in the file, checked as a cover; empty, with the reason, when
// it cannot be one.
std::string ReadCoverImage(const CString& path, CCoverArt* facts, CString* reason) {
  const long long size = base::FileSizeOf(path);
  std::ifstream in(path.GetString(), std::ios::binary);
  std::string image(static_cast<std::size_t>(std::clamp(size, 0LL, kMaxCoverBytes + 1)), '\0');
  if (size < 0 || base::DirectoryExists(path) || !in || !in.read(image.data(), static_cast<long>(image.size()))) {
    *reason = "The file cannot be read";
    return {};
  }
  *reason = CMyMP3Tags::CheckCoverImage(image, facts);
  if (reason->IsEmpty() && !platform::IsDecodableImage(image)) *reason = "The picture cannot be decoded";
  return reason->IsEmpty() ? image : std::string();
}

// The extension a picture is saved with, from its own bytes.
CString ExtensionOf(const std::string& image) {
  CCoverArt facts;
  CMyMP3Tags::CheckCoverImage(image, &facts);
  if (facts.strFormat == "PNG") return "png";
  if (facts.strFormat == "JPEG") return "jpg";
  return image.compare(0, 4, "GIF8") == 0 ? "gif" : "bin";
}

// Writes the file through a new one renamed over it, so a failed write
// leaves what was there; false with the system's reason.
bool WriteWholeFile(const CString& path, const std::string& bytes, CString* reason) {
  if (base::WriteFileDurably(path.Str(), bytes)) return true;
  *reason = std::strerror(errno);
  return false;
}

// The selected rows, from the top down; with none, the status bar asks for one.
std::vector<int> SelectedRowsOrAsk(CGridora& table, CStatus& status) {
  std::vector<int> rows = table.GetSelectedRows();
  if (rows.empty()) status.ErrorMsg("Select a file from list.");
  return rows;
}

// "Song" for one row, "3 files" for more.
CString Naming(CGridora& table, const std::vector<int>& rows) {
  if (rows.size() == 1) return table.GetValStr(rows.front(), ColumnOf(kFileName));
  return CString::Formatted("%zu files", rows.size());
}

}  // namespace

void CQuilloryDlg::OnAddCover() {
  m_pStatus->Clear();
  const std::vector<int> rows = SelectedRowsOrAsk(*m_pTable, *m_pStatus);
  if (rows.empty()) return;
  // Covers are often kept beside the music: the dialog opens in the row's folder.
  const CString file = RowFilePath(rows.front());
  const CString folder = file.IsEmpty() ? Folder() : base::FolderOf(file);
  CFileDialog dialog(TRUE, nullptr, folder.IsEmpty() ? CString() : folder + "/", OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                     kImageFilter, this);
  if (dialog.DoModal() == IDOK) AddCoverFrom(dialog.GetPathName());
}

void CQuilloryDlg::OnCoverDropped(NMHDR* pNMHDR, LRESULT* pResult) {
  *pResult = 0;
  AddCoverFrom(reinterpret_cast<const NMFILEDROP*>(pNMHDR)->strPath);
}

bool CQuilloryDlg::AddCoverFrom(const CString& path) {
  m_pStatus->Clear();
  const std::vector<int> rows = SelectedRowsOrAsk(*m_pTable, *m_pStatus);
  if (rows.empty()) return false;
  CCoverArt facts;
  CString reason;
  std::string image = ReadCoverImage(path, &facts, &reason);
  if (!reason.IsEmpty()) {
    m_pStatus->ErrorMsg(CString::Formatted("%s cannot be a cover: %s.", path, reason));
    return false;
  }
  const CString names = Naming(*m_pTable, rows);
  if (m_pSession->AddCover(IdsOf(rows), std::move(image), facts, names) == 0) {
    m_pStatus->InfoMsg(rows.size() == 1 ? "The file has this cover already." : "The files have this cover already.");
    return true;
  }
  ShowTableState();
  m_pStatus->Done("Cover set for " + names + " (not saved yet).");
  return true;
}

void CQuilloryDlg::OnRemoveCover() {
  m_pStatus->Clear();
  const std::vector<int> rows = SelectedRowsOrAsk(*m_pTable, *m_pStatus);
  if (rows.empty()) return;
  const CString names = Naming(*m_pTable, rows);
  std::vector<RowId> changedOnDisk;
  const int changed = m_pSession->RemoveCover(IdsOf(rows), names, &changedOnDisk);
  ShowTableState();
  if (!changedOnDisk.empty()) {
    const CString which = changedOnDisk.size() == 1
                              ? "The cover of " + m_pTable->GetValStr(m_pRows->RowOf(changedOnDisk.front()), ColumnOf(kFileName))
                              : CString::Formatted("The covers of %zu files", changedOnDisk.size());
    m_pStatus->ErrorMsg(which + " changed on disk since " + (changedOnDisk.size() == 1 ? "it was" : "they were") +
                        " loaded, so " + (changedOnDisk.size() == 1 ? "it stays" : "they stay") +
                        ": Reload to see what the files hold.");
    if (changed == 0) return;
  }
  if (changed == 0) {
    m_pStatus->ErrorMsg(rows.size() == 1 ? "The file has no cover." : "None of the files has a cover.");
    return;
  }
  if (changedOnDisk.empty()) m_pStatus->Done("Cover removed from " + names + " (not saved yet).");
}

void CQuilloryDlg::OnExtractCover() {
  m_pStatus->Clear();
  const std::vector<int> rows = SelectedRowsOrAsk(*m_pTable, *m_pStatus);
  const CCommonCover common = m_pSession->CommonCoverOf(IdsOf(rows));
  switch (common.kind) {
    case CCommonCover::kNoRows: return;
    case CCommonCover::kNoCover:
      m_pStatus->ErrorMsg(rows.size() == 1 ? "The file has no cover." : "None of the files has a cover.");
      return;
    case CCommonCover::kDifferent:
      m_pStatus->ErrorMsg("The files have different covers: select one of them.");
      return;
    case CCommonCover::kSame: break;
  }
  if (common.image->empty()) {
    m_pStatus->ErrorMsg("The cover cannot be read from the file.");
    return;
  }
  const int row = rows.front();
  const CString extension = ExtensionOf(*common.image);
  const CString name = CoverFileName(m_pTable->GetValStr(row, ColumnOf(kArtist)),
                                     m_pTable->GetValStr(row, ColumnOf(kAlbum)),
                                     m_pTable->GetValStr(row, ColumnOf(kFileName)), extension);
  const CString file = RowFilePath(row);
  const CString folder = file.IsEmpty() ? Folder() : base::FolderOf(file);
  const CString filter = CString::Formatted("%s image (*.%s)|*.%s|All files|*||", extension, extension, extension);
  CFileDialog dialog(FALSE, extension, folder.IsEmpty() ? name : base::JoinPath(folder, name),
                     OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY, filter, this);
  if (dialog.DoModal() != IDOK) return;
  const CString target = dialog.GetPathName();
  CString reason;
  if (!WriteWholeFile(target, *common.image, &reason)) {
    m_pStatus->ErrorMsg("The cover could not be written to " + target + ": " + reason + ".");
    return;
  }
  m_pStatus->Done("Cover saved as " + target);
}

void CQuilloryDlg::ShowCover() {
  if (!m_coverBox.IsWindow()) return;
  const std::vector<int> rows = m_pTable->GetSelectedRows();
  CCoverArt first;
  const CCommonCover common = m_pSession->CommonCoverOf(IdsOf(rows), &first);
  const std::size_t n = rows.size();
  // The caption: the picture's facts, then how many files share it and whether it waits for a save.
  CString facts, count = n > 1 ? CString::Formatted("%zu files", n) : CString();
  switch (common.kind) {
    case CCommonCover::kNoRows: m_coverBox.SetWindowText("No file selected"); break;
    case CCommonCover::kNoCover: m_coverBox.SetWindowText("No cover"); break;
    case CCommonCover::kDifferent: m_coverBox.SetWindowText("(different covers)"); break;
    case CCommonCover::kSame:
      // The text is what a screen reader says of the picture shown in its place.
      m_coverBox.SetWindowText("Cover: " + common.strSummary);
      if (!m_coverBox.SetImage(*common.image)) m_coverBox.SetWindowText("The picture cannot be shown");
      // One file's cover says which of its pictures it is.
      facts = n == 1 && first.nPictures > 0 ? ShownCoverText(first) : common.strSummary;
      if (n > 1) count = common.nCompared == n ? "in all " + count : CString::Formatted("alike in %zu files", n);
      break;
  }
  bool pending = false;
  for (std::size_t k = 0; k < n && !pending; ++k) pending = m_pRows->CoverOf(m_pRows->IdOf(rows[k])) != nullptr;
  if (pending && common.kind == CCommonCover::kNoCover) {
    const PendingCoverPtr removal = n == 1 ? m_pRows->CoverOf(m_pRows->IdOf(rows.front())) : nullptr;
    facts = removal && removal->shown.nPictures > 0 ? "Removed: " + removal->shown.strText : CString("Removed");
  }
  if (pending) count += count.IsEmpty() ? "not saved" : ", not saved";
  // The caption has two lines: a file's own facts fill both, and the rest joins the second.
  const char* join = facts.IsEmpty() || count.IsEmpty() ? "" : facts.Find('\n') >= 0 ? ", " : "\n";
  SetDlgItemText(IDC_COVER_CAPTION, facts + join + count);

  const bool shown = common.kind == CCommonCover::kSame && !common.image->empty();
  const bool covered = common.kind == CCommonCover::kSame || common.kind == CCommonCover::kDifferent;
  for (auto [id, on] : {std::pair{IDC_ADD_COVER, n > 0}, {IDC_EXTRACT_COVER, shown}, {IDC_REMOVE_COVER, covered}}) {
    if (CWnd* button = GetDlgItem(id)) button->EnableWindow(on ? TRUE : FALSE);
    if (m_pMenuBar) m_pMenuBar->EnableItem(static_cast<UINT>(id), on ? TRUE : FALSE);
  }
}
