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

// Carries out verb on file: "open" (or no verb) and "explore" go to the
// desktop's opener, xdg-open, looked up on PATH at each call; "print" goes to
// lp for documents a printer takes. Returns a value above 32 once the opener
// has taken the request (it does not wait for the program it starts); else 2
// for a missing file, 3 for a missing folder on the way, 5 when the file may
// not be read, 31 when nothing on this desktop handles the verb for the file
// (no opener, the opener found no program, or a verb it has no equivalent
// for: "find", "properties"). Addresses (scheme:...) go to the opener as they are.
INT_PTR ShellExecuteA(HWND owner, const char* verb, const char* file, const char* parameters,
                      const char* directory, int show);

constexpr UINT SHGFI_SMALLICON = 0x0001;
constexpr UINT SHGFI_ICON = 0x0100;
constexpr UINT SHGFI_SYSICONINDEX = 0x4000;

struct SHFILEINFOA {
  HICON hIcon = nullptr;
  int iIcon = 0;
};

// With SHGFI_ICON: the icon of the file's type from the desktop's icon theme
// (small with SHGFI_SMALLICON), found by the name alone so that no file is
// read. The icon is shared: one per type for the life of the process, so a
// folder of thousands of files costs one lookup per type, and DestroyIcon
// ignores it. Returns 0 when it finds nothing.
UINT_PTR SHGetFileInfoA(const char* path, DWORD attributes, SHFILEINFOA* info, UINT size, UINT flags);
