#pragma once
// The folders opened last, newest first, each with whether the folders below
// it were read too; kept in the settings file, so every window and the next
// run see them. CRecentMenu lists them in File > Recent folders.
#include <base/String.h>

#include <functional>
#include <vector>

class CMenuBar;
class CStatus;

struct RecentFolder {
  CString strPath;
  bool bSubfolders = false;
};

// At most this many are kept.
constexpr int kRecentFoldersKept = 10;

// The folders as remembered, newest first (none when nothing is).
std::vector<RecentFolder> ReadRecentFolders();
// Puts the folder first (once: an older entry of the same path goes), keeping
// the newest kRecentFoldersKept. A path that cannot be kept on one line is not noted.
void NoteRecentFolder(const CString& path, bool subfolders);
// Takes the folder off the list.
void ForgetRecentFolder(const CString& path);
// The folder as its menu item shows it: "&1 /path", "1&0 /path (with subfolders)".
CString RecentFolderText(int index, const RecentFolder& folder);

// A folder was loaded: the folder browser opens there next time, and it is
// the first of the recent folders.
void NoteLoadedFolder(const CString& path, bool subfolders);
// Where the folder browser opens: the loaded folder, else the one loaded
// last time, else ~/Music, else the home folder.
CString BrowserStartFolder(const CString& loaded);

// File > Recent folders: the menu lists the folders opened last; choosing one
// opens it as it was opened then (open is given it), and one that is gone is
// taken off the list.
class CRecentMenu {
 public:
  CRecentMenu(CStatus& status, std::function<void(const RecentFolder&)> open)
      : m_status(status), m_open(std::move(open)) {}

  // The menu bar's submenu at index lists them from now on.
  void Attach(CMenuBar* bar, int index) {
    m_pBar = bar;
    m_nMenu = index;
    Fill();
  }
  // Lists the folders as remembered now.
  void Fill();
  void Choose(int index);

 private:
  CStatus& m_status;
  std::function<void(const RecentFolder&)> m_open;
  CMenuBar* m_pBar = nullptr;
  int m_nMenu = -1;
  std::vector<RecentFolder> m_shown;  // the folders as the menu lists them
};
