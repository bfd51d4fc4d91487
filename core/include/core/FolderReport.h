#pragma once
// The HTML report of a folder's rows: one page row per row, in the rows'
// order, each linked to its file as named on disk; rows of files in
// subfolders show their folder in a column of their own.
#include <base/String.h>

class CFolderSession;

// Writes the page to path; false when it did not fully reach the disk, with
// *created false when the file could not even be made.
bool WriteFolderReport(CFolderSession& session, const CString& path, const CString& webSite, bool* created);
