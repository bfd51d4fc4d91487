#include "NumberTracksDlg.h"

#include "Resource.h"

#include <core/Numbering.h>

#include <cstdlib>

namespace {

const platform::DialogTemplate& Template() {
  constexpr DWORD kVisible = WS_CHILD | WS_VISIBLE;
  static const platform::DialogTemplate t = CPreviewDlg::MakeTemplate(
      IDD_NUMBER_TRACKS, "Number tracks",
      {
          {IDC_STATIC, "Static", "&Start at:", 7, 9, 40, 8, kVisible | SS_LEFT},
          {IDC_NUMBER_START, "Edit", "1", 50, 7, 40, 12, kVisible | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL},
          {IDC_NUMBER_TOTAL, "Button", "As number/&total", 105, 8, 100, 10,
           kVisible | WS_TABSTOP | BS_AUTOCHECKBOX},
          {IDC_NUMBER_DISC, "Button", "&Disc from the folder's name (CD1, Disc 2)", 210, 8, 160, 10,
           kVisible | WS_TABSTOP | BS_AUTOCHECKBOX},
          {IDC_STATIC, "Static", "Each folder's rows are numbered in the table's order.", 7, 25, 300, 8,
           kVisible | SS_LEFT},
      });
  return t;
}

}  // namespace

CNumberTracksDlg::CNumberTracksDlg(const CRowTexts& rows, CWnd* parent) : CPreviewDlg(Template(), rows, parent) {
  RefreshOn(IDC_NUMBER_START, EN_CHANGE);
  RefreshOn(IDC_NUMBER_TOTAL, BN_CLICKED);
  RefreshOn(IDC_NUMBER_DISC, BN_CLICKED);
}

CString CNumberTracksDlg::ReadInputs() {
  m_tracks.clear();
  const CString text = GetDlgItemText(IDC_NUMBER_START);
  char* end = nullptr;
  const long start = std::strtol(text.GetString(), &end, 10);
  if (text.IsEmpty() || *end != '\0' || start < 0 || start > 9999) return "The start must be a number from 0 to 9999.";
  std::vector<CString> keys;
  for (int row = 0; row < m_rows.Count(); ++row) keys.push_back(m_rows.KeyOf(row));
  const bool total = IsDlgButtonChecked(IDC_NUMBER_TOTAL) == BST_CHECKED;
  m_tracks = NumberTracks(keys, static_cast<int>(start), total);
  m_discs.clear();
  if (IsDlgButtonChecked(IDC_NUMBER_DISC) == BST_CHECKED) m_discs = NumberDiscs(keys, total);
  return CString();
}

CRowEdit CNumberTracksDlg::MakeEdit(int row) const {
  const CString& track = m_tracks[static_cast<std::size_t>(row)];
  CRowEdit edit;
  if (track != m_rows.TextOf(row, kTrack)) edit.values.emplace_back(kTrack, track);
  // A folder whose name is no disc's leaves the row's disc as it is.
  const CString disc = m_discs.empty() ? CString() : m_discs[static_cast<std::size_t>(row)];
  if (!disc.IsEmpty() && disc != m_rows.TextOf(row, kDisc)) edit.values.emplace_back(kDisc, disc);
  return edit;
}

std::vector<CString> CNumberTracksDlg::Columns() const {
  return {"File name", "Track now", "New track", "Disc now", "New disc"};
}

void CNumberTracksDlg::AddLines(int row, const CRowEdit& edit, std::vector<CPreviewLine>& lines) const {
  CString track = m_rows.TextOf(row, kTrack), disc = m_rows.TextOf(row, kDisc);
  const CString trackNow = track, discNow = disc;
  for (const auto& [field, text] : edit.values) (field == kTrack ? track : disc) = text;
  lines.push_back({{m_rows.KeyOf(row), trackNow, track, discNow, disc}});
}
