#pragma once
// What stands behind a menu handle: the items as data. Internal to the platform.
#include <platform/Menu.h>

#include <vector>

struct HMENU__ {
  struct Item {
    UINT id = 0;
    CString text;
    UINT type = MFT_STRING;  // MFT_STRING, MFT_SEPARATOR, MFT_OWNERDRAW bits
    UINT state = 0;          // MF_GRAYED, MF_DISABLED, MF_CHECKED bits

    // The item AppendMenu and ModifyMenu make of their flags (a separator has no text).
    static Item Of(UINT flags, UINT_PTR id, const char* text) {
      return {static_cast<UINT>(id), (flags & MF_SEPARATOR) ? CString() : CString(text),
              flags & (MF_SEPARATOR | MF_OWNERDRAW), flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED)};
    }
  };
  std::vector<Item> items;
  CMenu* owner = nullptr;

  // The item named by id (MF_BYCOMMAND) or position (MF_BYPOSITION); null when none.
  Item* Find(UINT item, UINT flags) {
    if (flags & MF_BYPOSITION) return item < items.size() ? &items[item] : nullptr;
    for (auto& i : items)
      if (i.id == item) return &i;
    return nullptr;
  }
};
