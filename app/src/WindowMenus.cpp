#include "WindowMenus.h"

#include "Resource.h"

#include <menus/IconMenu.h>
#include <platform/MenuBar.h>
#include <platform/MessageBox.h>
#include <platform/WinApp.h>

#include <iterator>

namespace {

// The menu bar: its menus, and their items in order (a null text is a
// separator). Adding a command to a menu is one line here and its route.
enum Menu { kFileMenu, kEditMenu, kHelpMenu };
constexpr const char* kMenuTitles[] = {"&File", "&Edit", "Help"};  // the Help button has Alt+H
// The item that stands for the File menu's list of recent folders.
constexpr int kRecentFoldersSubmenu = -1;
struct MenuItem {
  Menu menu;
  const char* text;
  int id;
  const char* shortcuts;
};
constexpr MenuItem kMenuItems[] = {
    {kFileMenu, "Open Folder\u2026", IDC_OPEN_FOLDER, "Ctrl+O"},
    {kFileMenu, "Recent folders", kRecentFoldersSubmenu, nullptr},
    {kFileMenu, "Reload", IDC_RELOAD, "F5"},
    {kFileMenu, "Save all", IDC_SAVE_ALL, "Ctrl+S"},
    {kFileMenu, "Undo last save", ID_UNDO_LAST_SAVE, "Ctrl+Alt+Z"},
    {kFileMenu, nullptr, 0, nullptr},
    {kFileMenu, "HTML report", ID_HTML_REPORT, nullptr},
    {kFileMenu, "Export\u2026", ID_EXPORT, nullptr},
    {kFileMenu, "Import\u2026", ID_IMPORT, nullptr},
    {kFileMenu, "Make playlist\u2026", ID_MAKE_PLAYLIST, nullptr},
    {kFileMenu, nullptr, 0, nullptr},
    {kFileMenu, "Exit", IDOK, nullptr},
    {kEditMenu, "Undo", ID_EDIT_UNDO, "Ctrl+Z"},
    {kEditMenu, "Redo", ID_EDIT_REDO, "Ctrl+Y;Ctrl+Shift+Z"},
    {kEditMenu, nullptr, 0, nullptr},
    {kEditMenu, "Tags from file names\u2026", ID_TAGS_FROM_NAMES, nullptr},
    {kEditMenu, "Format fields\u2026", ID_FORMAT_FIELDS, nullptr},
    {kEditMenu, "File names from tags\u2026", ID_NAMES_FROM_TAGS, nullptr},
    {kEditMenu, "Number tracks\u2026", ID_NUMBER_TRACKS, nullptr},
    {kEditMenu, "All fields\u2026", ID_ALL_FIELDS, "Ctrl+I"},
    {kEditMenu, "Tag version\u2026", ID_TAG_VERSION, nullptr},
    {kEditMenu, "Add cover\u2026", IDC_ADD_COVER, nullptr},
    {kEditMenu, "Extract cover\u2026", IDC_EXTRACT_COVER, nullptr},
    {kEditMenu, "Remove cover", IDC_REMOVE_COVER, nullptr},
    {kEditMenu, nullptr, 0, nullptr},
    {kEditMenu, "Boxes follow the selection", ID_BOXES_FOLLOW_SELECTION, nullptr},
    {kEditMenu, "Columns\u2026", ID_COLUMNS, nullptr},
    {kHelpMenu, "User guide", ID_HELP, "F1"},
    {kHelpMenu, "About", IDC_ABOUT, nullptr},
};

// The context menu's items, by position: icon (0: none), text, command.
struct RowMenuItem {
  unsigned icon;
  const char* text;
  int id;
};
constexpr RowMenuItem kRowMenuItems[] = {
    {IDI_PLAY, "Play", IDC_PLAY},
    {IDI_DELETE, "Delete", IDC_DELETE_ROW},
    {IDI_EDIT, "Edit", ID_EDIT_ROWS},
    {IDI_SAVE, "Save", ID_SAVE_ROWS},
    {IDI_REPORT, "html report", ID_HTML_REPORT},
    {0, "Tags from file names\u2026", ID_TAGS_FROM_NAMES},
    {0, "Format fields\u2026", ID_FORMAT_FIELDS},
    {0, "File names from tags\u2026", ID_NAMES_FROM_TAGS},
    {0, "All fields\u2026", ID_ALL_FIELDS},
    {IDI_ADD_COVER, "Add cover\u2026", IDC_ADD_COVER},
    {IDI_EXTRACT_COVER, "Extract cover\u2026", IDC_EXTRACT_COVER},
    {IDI_REMOVE_COVER, "Remove cover", IDC_REMOVE_COVER},
};

}  // namespace

int BuildMenuBar(CMenuBar& bar) {
  int recent = -1;
  for (const char* title : kMenuTitles) bar.AddMenu(title);
  for (const MenuItem& item : kMenuItems) {
    if (item.id == kRecentFoldersSubmenu)
      recent = bar.AddSubmenu(item.menu, item.text);
    else
      bar.AddItem(item.menu, item.text, static_cast<UINT>(item.id), item.shortcuts);
  }
  return recent;
}

void BuildRowMenu(CIconMenu& menu) {
  menu.SetMenuItemDim(0, 22, 5, 5);
  for (const RowMenuItem& item : kRowMenuItems) menu.InsertItem(item.icon, item.text);
  menu.ShowIcons(true);
}

int RowMenuCommand(unsigned position) {
  return position < std::size(kRowMenuItems) ? kRowMenuItems[position].id : 0;
}
