#pragma once
// The folder browser: a modal dialog with a title text above a tree of the
// file system's folders, a status line, OK and Cancel. It calls the caller
// back when it has opened and when the selection changes, and while open takes
// three requests: select a folder, set the status text, enable OK.
#include <platform/Types.h>

// Paths on this platform may be as long as the file system allows.
constexpr int MAX_PATH = 4096;

// A folder of the browser. The browser hands out items the caller frees with
// ILFree; an item given to a callback is the browser's.
struct ITEMIDLIST;
using LPITEMIDLIST = ITEMIDLIST*;
using PCIDLIST_ABSOLUTE = const ITEMIDLIST*;

constexpr UINT BIF_STATUSTEXT = 0x0004;

// Notifications to the callback.
constexpr UINT BFFM_INITIALIZED = 1;
constexpr UINT BFFM_SELCHANGED = 2;

using BFFCALLBACK = int (*)(HWND browser, UINT notification, LPARAM parameter, LPARAM data);

struct BROWSEINFOA {
  HWND hwndOwner = nullptr;
  PCIDLIST_ABSOLUTE pidlRoot = nullptr;  // null: the whole file system
  char* pszDisplayName = nullptr;        // at least MAX_PATH; receives the chosen folder's name
  const char* lpszTitle = nullptr;
  UINT ulFlags = 0;
  BFFCALLBACK lpfn = nullptr;
  LPARAM lParam = 0;
  int iImage = 0;
};

// Runs the browser modally; the chosen folder, or null when cancelled.
LPITEMIDLIST SHBrowseForFolderA(BROWSEINFOA* info);
// Writes the item's path into path (size bytes, MAX_PATH when not given);
// FALSE when the item is null or its path does not fit.
BOOL SHGetPathFromIDListA(PCIDLIST_ABSOLUTE item, char* path, int size = MAX_PATH);
void ILFree(LPITEMIDLIST item);

// Requests to an open browser (the window its callback was given).
void BrowseForFolder_SetSelection(HWND browser, const char* path);
void BrowseForFolder_SetSelection(HWND browser, PCIDLIST_ABSOLUTE item);
void BrowseForFolder_SetStatusText(HWND browser, const char* text);
void BrowseForFolder_EnableOK(HWND browser, BOOL enable);
// Adds a check box under the tree of an open browser, ticked when *checked
// is TRUE; every change of the box is written to *checked, which must outlive
// the browser.
void BrowseForFolder_AddCheckBox(HWND browser, const char* caption, BOOL* checked);
