#pragma once
// An option of the folder to choose, shown in an open folder browser (the
// window its callback was given) as a check box under the tree.
#include <platform/Types.h>

// Adds the check box, ticked when *checked is TRUE; every change of the box
// is written to *checked, which must outlive the browser.
void BrowseForFolder_AddCheckBox(HWND browser, const char* caption, BOOL* checked);
