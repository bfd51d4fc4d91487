#pragma once
// The desktop shell: handing a file, folder or address to the program the
// desktop associates with it, and the small icon of a file's type.
#include <platform/Types.h>

#include <cstdint>

using INT_PTR = std::intptr_t;

// Results of ShellExecuteA at or below 32 are failures.
constexpr INT_PTR SE_ERR_FNF = 2;            // file not found
constexpr INT_PTR SE_ERR_PNF = 3;            // path not found
constexpr INT_PTR SE_ERR_ACCESSDENIED = 5;
constexpr INT_PTR SE_ERR_NOASSOC = 31;

// "open" (or no verb) and "explore" go to xdg-open on PATH, "print" to lp.
// Above 32 once the opener took the request (without waiting for the program
// it starts); else an SE_ERR_ code, SE_ERR_NOASSOC when nothing handles the
// verb for the file. Addresses (scheme:...) go to the opener as they are.
INT_PTR ShellExecuteA(HWND owner, const char* verb, const char* file, const char* parameters,
                      const char* directory, int show);

constexpr UINT SHGFI_SMALLICON = 0x0001;
constexpr UINT SHGFI_ICON = 0x0100;
constexpr UINT SHGFI_SYSICONINDEX = 0x4000;

struct SHFILEINFOA {
  HICON hIcon = nullptr;
  int iIcon = 0;
};

// With SHGFI_ICON: the theme's icon of the file's type, found by the name
// alone (no file is read) and shared per type, so thousands of files cost one
// lookup per type; DestroyIcon ignores it. 0 when it finds nothing.
UINT_PTR SHGetFileInfoA(const char* path, DWORD attributes, SHFILEINFOA* info, UINT size, UINT flags);
