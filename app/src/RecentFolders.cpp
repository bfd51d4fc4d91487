#include "RecentFolders.h"

#include "Resource.h"

#include <platform/MenuBar.h>
#include <base/Path.h>
#include <platform/Settings.h>
#include <statusbar/Status.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

// One folder a line: "1" or "0" (its folders below read or not), a tab, the path.
constexpr const char* kRecentSetting = "OpenFolder/RecentFolders";
// The folder last loaded, where the folder browser opens next time.
constexpr const char* kLastFolderSetting = "OpenFolder/LastFolder";

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

void NoteLoadedFolder(const CString& path, bool subfolders) {
  platform::WriteSetting(kLastFolderSetting, path);
  NoteRecentFolder(path, subfolders);
}

CString BrowserStartFolder(const CString& loaded) {
  if (!loaded.IsEmpty() && base::DirectoryExists(loaded)) return loaded;
  const CString last = platform::ReadSetting(kLastFolderSetting);
  if (!last.IsEmpty() && base::DirectoryExists(last)) return last;
  const char* home = std::getenv("HOME");
  const CString music = base::JoinPath(home ? home : "/", "Music");
  return base::DirectoryExists(music) ? music : CString(home ? home : "/");
}

void CRecentMenu::Fill() {
  if (!m_pBar || m_nMenu < 0) return;
  m_shown = ReadRecentFolders();
  m_pBar->ClearMenu(m_nMenu);
  for (int k = 0; k < static_cast<int>(m_shown.size()) && k < kRecentFolderCount; ++k)
    m_pBar->AddItem(m_nMenu, RecentFolderText(k, m_shown[static_cast<std::size_t>(k)]),
                    static_cast<UINT>(ID_RECENT_FOLDER_FIRST + k));
  m_pBar->EnableMenu(m_nMenu, m_shown.empty() ? FALSE : TRUE);
}

void CRecentMenu::Choose(int index) {
  m_status.Clear();
  if (index < 0 || index >= static_cast<int>(m_shown.size())) return;
  const RecentFolder folder = m_shown[static_cast<std::size_t>(index)];
  if (!base::DirectoryExists(folder.strPath)) {
    ForgetRecentFolder(folder.strPath);
    Fill();
    m_status.ErrorMsg("Folder not found: " + folder.strPath + " (taken off the recent folders).");
    return;
  }
  m_open(folder);
}
