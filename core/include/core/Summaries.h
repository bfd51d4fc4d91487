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
CString SkippedText(const CMusicListing& listing, int vanishedOnLoad);
// Files another program kept rewriting while the load read them; "" when none.
CString ChangedWhileReadText(int n);
// A load's outcome: doneText (or "N files have been loaded"), or how far a
// stopped load came, with what it skipped.
CString LoadSummary(const CLoadReport& report, const CString& doneText);

// Which rows have edits, top to bottom: what a summary of Save all counts.
std::vector<bool> EditedRows(CFolderSession& session);
// Save all's outcome, edited being EditedRows before it: empty when every
// edited file was saved, else the sentence that says what was not, and why.
CString SaveAllSummary(const CSaveReport& report, CFolderSession& session, const std::vector<bool>& edited);
// A playlist a save could not update; empty when none.
CString PlaylistProblemText(const CSaveReport& report);
// A save of the selected rows (rows of them): empty when every file was saved.
CString SaveRowsSummary(const CSaveReport& report, std::size_t rows);

// The folder's totals as the window shows them: "12", "45.20 mb", "0:41:07";
// "--" each when there are no files.
struct CTotalsText {
  CString strFiles, strSize, strTime;
};
CTotalsText TotalsTextOf(const CFolderTotals& totals);

// "1 file", "3 files".
CString FilesText(std::size_t n);
// What the status bar says of the table: "2 files with unsaved edits"; with
// none, what the last save wrote ("Last save: 1 file written"), or nothing
// when written is negative (no save since the folder was read).
CString TableStateText(int unsaved, int written);
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
// The question "Undo last save" asks before it undoes entry; editsPending:
// the table holds edits not saved yet, which the reload after it loses.
CString UndoSaveQuestion(const JournalEntry& entry, bool editsPending);
// What the message after an undo adds to its summary: the files left alone,
// those restored but for a part, whether trying again could do more, the
// journal's error. Empty when there is nothing to add.
CString UndoDetailsText(const CUndoSummary& summary, const CString& journalError);
// The keys of the rows selected before an undo, as they are after it: a file
// the undo renamed back goes by its old name.
std::vector<CString> KeysAfterUndo(const JournalEntry& entry, const CUndoSaveReport& undone, std::vector<CString> keys);
