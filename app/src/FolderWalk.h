#pragma once
// The walk that lists a folder's MP3 files for loading, with or without the
// folders below it. Files of a folder come before those of its subfolders,
// each folder in name order (letter case folded, as the folder search of the
// platform sorts), so the same tree always lists the same way.
#include <platform/String.h>

#include <functional>
#include <vector>

struct CMp3Listing {
  // The MP3 files (any letter case of ".mp3"; not folders named so), by
  // their path below the walked folder: "CD1/01 Intro.mp3".
  std::vector<CString> names;
  // New files a crashed save left in the walked folders (full paths).
  std::vector<CString> leftovers;
  int nLinks = 0;       // links to a folder the walk had already been in
  int nUnreadable = 0;  // folders that could not be read
  int nVanished = 0;    // files or folders that were gone before they were looked at
  bool bStopped = false;  // keepGoing said to stop; the listing is what was found by then
};

// Walks folder, and with subfolders every folder below it (a link to a
// folder is followed unless it leads to one already walked, such as a loop
// back into the tree). keepGoing, when given, is asked between entries.
CMp3Listing ListMp3Files(const CString& folder, bool subfolders, const std::function<bool()>& keepGoing = {});

// A row's key: its file's path below the loaded folder without the ".mp3".
CString RowKeyOf(const CString& fileName);
