#include "CoverGroup.h"

#include "Resource.h"

#include <core/Fields.h>
#include "Resource.h"
#include <core/RowCommands.h>
#include <core/TableRows.h>

#include <platform/Dialog.h>
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

CCoverGroup::CCoverGroup(CDialog& dialog, CFolderSession& session, CGridora& table, CStatus& status,
                         std::function<void()> changed)
    : m_dlg(dialog),
      m_session(session),
      m_rows(session.Table()),
      m_table(table),
      m_status(status),
      m_changed(std::move(changed)) {}

void CCoverGroup::Exchange(CDataExchange* pDX) { DDX_Control(pDX, IDC_COVER_PICTURE, m_box); }

std::vector<RowId> CCoverGroup::IdsOf(const std::vector<int>& rows) const {
  std::vector<RowId> ids;
  for (int row : rows) ids.push_back(m_rows.IdOf(row));
  return ids;
}

CString CCoverGroup::FolderOfRow(int row) const {
  // Covers are often kept beside the music: the dialogs open in the row's folder.
  const CString file = m_session.FilePathOf(m_rows.IdOf(row));
  return file.IsEmpty() ? m_session.Folder() : base::FolderOf(file);
}

void CCoverGroup::Add() {
  m_status.Clear();
  const std::vector<int> rows = SelectedRowsOrAsk(m_table, m_status);
  if (rows.empty()) return;
  const CString folder = FolderOfRow(rows.front());
  CFileDialog dialog(TRUE, nullptr, folder.IsEmpty() ? CString() : folder + "/", OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                     kImageFilter, &m_dlg);
  if (dialog.DoModal() == IDOK) AddFrom(dialog.GetPathName());
}

bool CCoverGroup::AddFrom(const CString& path) {
  m_status.Clear();
  const std::vector<int> rows = SelectedRowsOrAsk(m_table, m_status);
  if (rows.empty()) return false;
  CCoverArt facts;
  CString reason;
  std::string image = ReadCoverImage(path, &facts, &reason);
  if (!reason.IsEmpty()) {
    m_status.ErrorMsg(CString::Formatted("%s cannot be a cover: %s.", path, reason));
    return false;
  }
  const CString names = Naming(m_table, rows);
  if (m_session.AddCover(IdsOf(rows), std::move(image), facts, names) == 0) {
    m_status.InfoMsg(rows.size() == 1 ? "The file has this cover already." : "The files have this cover already.");
    return true;
  }
  m_changed();
  m_status.Done("Cover set for " + names + " (not saved yet).");
  return true;
}

void CCoverGroup::Remove() {
  m_status.Clear();
  const std::vector<int> rows = SelectedRowsOrAsk(m_table, m_status);
  if (rows.empty()) return;
  const CString names = Naming(m_table, rows);
  std::vector<RowId> changedOnDisk;
  const int changed = m_session.RemoveCover(IdsOf(rows), names, &changedOnDisk);
  m_changed();
  if (!changedOnDisk.empty()) {
    const CString which = changedOnDisk.size() == 1
                              ? "The cover of " + m_table.GetValStr(m_rows.RowOf(changedOnDisk.front()), ColumnOf(kFileName))
                              : CString::Formatted("The covers of %zu files", changedOnDisk.size());
    m_status.ErrorMsg(which + " changed on disk since " + (changedOnDisk.size() == 1 ? "it was" : "they were") +
                        " loaded, so " + (changedOnDisk.size() == 1 ? "it stays" : "they stay") +
                        ": Reload to see what the files hold.");
    if (changed == 0) return;
  }
  if (changed == 0) {
    m_status.ErrorMsg(rows.size() == 1 ? "The file has no cover." : "None of the files has a cover.");
    return;
  }
  if (changedOnDisk.empty()) m_status.Done("Cover removed from " + names + " (not saved yet).");
}

void CCoverGroup::Extract() {
  m_status.Clear();
  const std::vector<int> rows = SelectedRowsOrAsk(m_table, m_status);
  const CCommonCover common = m_session.CommonCoverOf(IdsOf(rows));
  switch (common.kind) {
    case CCommonCover::kNoRows: return;
    case CCommonCover::kNoCover:
      m_status.ErrorMsg(rows.size() == 1 ? "The file has no cover." : "None of the files has a cover.");
      return;
    case CCommonCover::kDifferent:
      m_status.ErrorMsg("The files have different covers: select one of them.");
      return;
    case CCommonCover::kSame: break;
  }
  if (common.image->empty()) {
    m_status.ErrorMsg("The cover cannot be read from the file.");
    return;
  }
  const int row = rows.front();
  const CString extension = ExtensionOf(*common.image);
  const CString name = CoverFileName(m_table.GetValStr(row, ColumnOf(kArtist)),
                                     m_table.GetValStr(row, ColumnOf(kAlbum)),
                                     m_table.GetValStr(row, ColumnOf(kFileName)), extension);
  const CString folder = FolderOfRow(row);
  const CString filter = CString::Formatted("%s image (*.%s)|*.%s|All files|*||", extension, extension, extension);
  CFileDialog dialog(FALSE, extension, folder.IsEmpty() ? name : base::JoinPath(folder, name),
                     OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY, filter, &m_dlg);
  if (dialog.DoModal() != IDOK) return;
  const CString target = dialog.GetPathName();
  CString reason;
  if (!WriteWholeFile(target, *common.image, &reason)) {
    m_status.ErrorMsg("The cover could not be written to " + target + ": " + reason + ".");
    return;
  }
  m_status.Done("Cover saved as " + target);
}

void CCoverGroup::Show(CMenuBar* menuBar) {
  if (!m_box.IsWindow()) return;
  const std::vector<int> rows = m_table.GetSelectedRows();
  CCoverArt first;
  const CCommonCover common = m_session.CommonCoverOf(IdsOf(rows), &first);
  const std::size_t n = rows.size();
  // The caption: the picture's facts, then how many files share it and whether it waits for a save.
  CString facts, count = n > 1 ? CString::Formatted("%zu files", n) : CString();
  switch (common.kind) {
    case CCommonCover::kNoRows: m_box.SetWindowText("No file selected"); break;
    case CCommonCover::kNoCover: m_box.SetWindowText("No cover"); break;
    case CCommonCover::kDifferent: m_box.SetWindowText("(different covers)"); break;
    case CCommonCover::kSame:
      // The text is what a screen reader says of the picture shown in its place.
      m_box.SetWindowText("Cover: " + common.strSummary);
      if (!m_box.SetImage(*common.image)) m_box.SetWindowText("The picture cannot be shown");
      // One file's cover says which of its pictures it is.
      facts = n == 1 && first.nPictures > 0 ? ShownCoverText(first) : common.strSummary;
      if (n > 1) count = common.nCompared == n ? "in all " + count : CString::Formatted("alike in %zu files", n);
      break;
  }
  bool pending = false;
  for (std::size_t k = 0; k < n && !pending; ++k) pending = m_rows.CoverOf(m_rows.IdOf(rows[k])) != nullptr;
  if (pending && common.kind == CCommonCover::kNoCover) {
    const PendingCoverPtr removal = n == 1 ? m_rows.CoverOf(m_rows.IdOf(rows.front())) : nullptr;
    facts = removal && removal->shown.nPictures > 0 ? "Removed: " + removal->shown.strText : CString("Removed");
  }
  if (pending) count += count.IsEmpty() ? "not saved" : ", not saved";
  // The caption has two lines: a file's own facts fill both, and the rest joins the second.
  const char* join = facts.IsEmpty() || count.IsEmpty() ? "" : facts.Find('\n') >= 0 ? ", " : "\n";
  m_dlg.SetDlgItemText(IDC_COVER_CAPTION, facts + join + count);

  const bool shown = common.kind == CCommonCover::kSame && !common.image->empty();
  const bool covered = common.kind == CCommonCover::kSame || common.kind == CCommonCover::kDifferent;
  for (auto [id, on] : {std::pair{IDC_ADD_COVER, n > 0}, {IDC_EXTRACT_COVER, shown}, {IDC_REMOVE_COVER, covered}}) {
    if (CWnd* button = m_dlg.GetDlgItem(id)) button->EnableWindow(on ? TRUE : FALSE);
    if (menuBar) menuBar->EnableItem(static_cast<UINT>(id), on ? TRUE : FALSE);
  }
}
