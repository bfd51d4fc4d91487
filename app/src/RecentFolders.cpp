#include "RecentFolders.h"

#include "QuilloryDlg.h"
#include "Resource.h"

#include <platform/MenuBar.h>
#include <base/Path.h>
#include <platform/Settings.h>
#include <statusbar/Status.h>

#include <algorithm>
#include <string>

namespace {

// One folder a line: "1" or "0" (its folders below read or not), a tab, the path.
constexpr const char* kRecentSetting = "OpenFolder/RecentFolders";

void WriteRecentFolders(const std::vector<RecentFolder>& folders) {
  std::string text;
  for (const RecentFolder& folder : folders) {
    if (!text.empty()) text += '\n';
    text += folder.bSubfolders ? "1\t" : "0\t";
    text += folder.strPath.Str();
  }
  platform::WriteSetting(kRecentSetting, CString(text));
}

}  // namespace

std::vector<RecentFolder> ReadRecentFolders() {
  std::vector<RecentFolder> folders;
  const std::string text = platform::ReadSetting(kRecentSetting).Str();
  for (std::size_t at = 0; at < text.size() && folders.size() < kRecentFoldersKept;) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    const std::string line = text.substr(at, end - at);
    at = end + 1;
    if (line.size() < 3 || (line[0] != '0' && line[0] != '1') || line[1] != '\t') continue;
    const std::string path = line.substr(2);
    folders.push_back({CString(path), line[0] == '1'});
  }
  return folders;
}

void NoteRecentFolder(const CString& path, bool subfolders) {
  if (path.IsEmpty() || path.Str().find_first_of("\n\r") != std::string::npos) return;
  std::vector<RecentFolder> folders = ReadRecentFolders();
  std::erase_if(folders, [&](const RecentFolder& folder) { return folder.strPath == path; });
  folders.insert(folders.begin(), {path, subfolders});
  if (folders.size() > kRecentFoldersKept) folders.resize(kRecentFoldersKept);
  WriteRecentFolders(folders);
}

void ForgetRecentFolder(const CString& path) {
  std::vector<RecentFolder> folders = ReadRecentFolders();
  if (std::erase_if(folders, [&](const RecentFolder& folder) { return folder.strPath == path; }) > 0)
    WriteRecentFolders(folders);
}

CString RecentFolderText(int index, const RecentFolder& folder) {
  // An ampersand of the path is shown as itself, not taken for a shortcut.
  std::string shown;
  for (char c : folder.strPath.Str()) {
    if (c == '&') shown += '&';
    shown += c;
  }
  const int number = index + 1;
  const CString prefix =
      number < 10 ? CString::Formatted("&%d ", number) : CString::Formatted("%d&%d ", number / 10, number % 10);
  return prefix + CString(shown) + (folder.bSubfolders ? " (with subfolders)" : "");
}

void CQuilloryDlg::FillRecentMenu() {
  if (!m_pMenuBar || m_nRecentMenu < 0) return;
  m_recentShown = ReadRecentFolders();
  m_pMenuBar->ClearMenu(m_nRecentMenu);
  for (int k = 0; k < static_cast<int>(m_recentShown.size()) && k < kRecentFolderCount; ++k)
    m_pMenuBar->AddItem(m_nRecentMenu, RecentFolderText(k, m_recentShown[static_cast<std::size_t>(k)]),
                        static_cast<UINT>(ID_RECENT_FOLDER_FIRST + k));
  m_pMenuBar->EnableMenu(m_nRecentMenu, m_recentShown.empty() ? FALSE : TRUE);
}

void CQuilloryDlg::OnRecentFolder(int index) {
  m_pStatus->Clear();
  if (index < 0 || index >= static_cast<int>(m_recentShown.size())) return;
  const RecentFolder folder = m_recentShown[static_cast<std::size_t>(index)];
  if (!base::DirectoryExists(folder.strPath)) {
    ForgetRecentFolder(folder.strPath);
    FillRecentMenu();
    m_pStatus->ErrorMsg("Folder not found: " + folder.strPath + " (taken off the recent folders).");
    return;
  }
  if (!ConfirmDiscardEdits("Do you want to open another folder?")) return;
  LoadFolder(folder.strPath, folder.bSubfolders, CString());
}
