#pragma once
// What the folder session's operations did, in the sentences the window's
// status bar and messages show (and the command line prints).
#include <core/FolderSession.h>

#include <base/String.h>

#include <cstddef>
#include <vector>

// What a load left out, and the new files of interrupted saves it removed:
// "; skipped 2 unreadable folders; removed 1 file left by an interrupted
// save"; "" when nothing.
CString SkippedText(const CMp3Listing& listing, int vanishedOnLoad);
// Files another program kept rewriting while the load read them; "" when none.
CString ChangedWhileReadText(int n);
// A load's outcome: doneText (or "N files have been loaded"), or how far a
// stopped load came, with what it skipped.
CString LoadSummary(const CLoadReport& report, const CString& doneText);

// "1 file", "3 files".
CString FilesText(std::size_t n);
// The lines, one each after a line break, the first 15 of them; the rest counted.
CString ListedText(const std::vector<CString>& lines);
// A save's time as the undo names it: "2026-12-10 05:31:07".
CString SaveTimeText(long long seconds);

// What an undo of a save did.
struct CUndoSummary {
  CString strSummary;
  std::vector<CString> leftAlone, notes;  // "path: why.", of files left alone and of files restored but for a part
  bool bRetry = false;                    // another undo of the same save could do more
};
CUndoSummary UndoSummaryOf(const CUndoSaveReport& undone, std::size_t total);
