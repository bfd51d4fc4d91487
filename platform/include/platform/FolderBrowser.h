#pragma once
// The folder browser: a modal tree of the file system's folders, a status
// line, OK and Cancel, with a callback when it opens and when the selection changes.
#include <platform/Types.h>

constexpr int MAX_PATH = 4096;

// The caller frees the items the browser returns (ILFree), not those given to callbacks.
struct ITEMIDLIST;
using LPITEMIDLIST = ITEMIDLIST*;
using PCIDLIST_ABSOLUTE = const ITEMIDLIST*;

constexpr UINT BIF_STATUSTEXT = 0x0004;

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

// The chosen folder, or null when cancelled.
LPITEMIDLIST SHBrowseForFolderA(BROWSEINFOA* info);
// FALSE when the item is null or its path does not fit in size bytes.
BOOL SHGetPathFromIDListA(PCIDLIST_ABSOLUTE item, char* path, int size = MAX_PATH);
void ILFree(LPITEMIDLIST item);

// Requests to an open browser (the window its callback was given).
void BrowseForFolder_SetSelection(HWND browser, const char* path);
void BrowseForFolder_SetSelection(HWND browser, PCIDLIST_ABSOLUTE item);
void BrowseForFolder_SetStatusText(HWND browser, const char* text);
void BrowseForFolder_EnableOK(HWND browser, BOOL enable);
// A check box under the tree, kept in *checked, which must outlive the browser.
void BrowseForFolder_AddCheckBox(HWND browser, const char* caption, BOOL* checked);
