#pragma once
// The window's menus as data: the menu bar's menus and items, and the rows'
// context menu. Each item sends a command id, so a menu choice, a button and
// a shortcut of the same command reach the window by one route.
class CIconMenu;
class CMenuBar;

// Adds the menus and their items to the bar; the index of the submenu of
// recent folders (File > Recent folders).
int BuildMenuBar(CMenuBar& bar);
// Adds the rows' context menu's items, with their icons.
void BuildRowMenu(CIconMenu& menu);
// The command of the context menu's item at position (as the menu's Show
// gives it); 0 when the menu was closed without a choice.
int RowMenuCommand(unsigned position);
