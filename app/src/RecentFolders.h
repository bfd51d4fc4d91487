#pragma once
// The folders opened last, newest first, each with whether the folders below
// it were read too; kept in the settings file, so every window and the next
// run see them.
#include <base/String.h>

#include <vector>

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
