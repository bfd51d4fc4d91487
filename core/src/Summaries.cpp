#include <core/Summaries.h>

#include <core/Fields.h>
#include <core/TableRows.h>

#include <base/FolderWalk.h>
#include <tags/MyMP3Tags.h>

#include <algorithm>
#include <map>
#include <set>
#include <ctime>

namespace {

// "1 unreadable folder", "2 unreadable folders".
CString Counted(int n, const char* one, const char* many) {
  return CString::Formatted("%d %s", n, n == 1 ? one : many);
}

// At most this many files are named in a message; the rest are counted.
constexpr std::size_t kNamedFiles = 15;

}  // namespace

// Files another program kept rewriting while the load read them: listed
// with nothing read, and not saved. "" when none.
CString ChangedWhileReadText(int n) {
  if (n == 0) return CString();
  return "; " + Counted(n, "file was", "files were") + " being changed by another program while " +
         (n == 1 ? "it was" : "they were") + " read and " + (n == 1 ? "shows" : "show") +
         " nothing (Reload reads " + (n == 1 ? "it" : "them") + " again)";
}

// What a load left out, and the new files of interrupted saves it removed,
// for its status message: "" when nothing.
CString SkippedText(const CMusicListing& listing, int vanishedOnLoad) {
  std::vector<CString> parts;
  if (listing.nLinks > 0)
    parts.push_back(Counted(listing.nLinks, "link to a folder read already", "links to folders read already"));
  if (listing.nLinksOut > 0)
    parts.push_back(Counted(listing.nLinksOut, "link that leads out of the folder", "links that lead out of the folder") +
                    (listing.nLinksOut == 1 ? " (" : " (first: ") + listing.strFirstLinkOut + ")");
  if (listing.nUnreadable > 0) parts.push_back(Counted(listing.nUnreadable, "unreadable folder", "unreadable folders"));
  const int vanished = listing.nVanished + vanishedOnLoad;
  if (vanished > 0) parts.push_back(Counted(vanished, "file that vanished", "files that vanished"));
  CString text;
  for (const CString& part : parts) text += (text.IsEmpty() ? "; skipped " : ", ") + part;
  if (listing.nLeftoversRemoved > 0)
    text += "; removed " + Counted(listing.nLeftoversRemoved, "file left by an interrupted save",
                                   "files left by interrupted saves");
  return text;
}

CString LoadSummary(const CLoadReport& report, const CString& doneText) {
  const CString skipped = SkippedText(report.walk, report.nVanished) + ChangedWhileReadText(report.nChangedWhileRead);
  if (report.bStopped)
    return CString::Formatted("Loading stopped: %d of %d files were read", report.nRead, report.nListed) + skipped + ".";
  return (doneText.IsEmpty() ? CString::Formatted("%d files have been loaded", report.nRead) : doneText) + skipped;
}

CString SaveTimeText(long long seconds) {
  const std::time_t time = static_cast<std::time_t>(seconds);
  std::tm local {};
  char text[64] = "";
  if (localtime_r(&time, &local)) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

CString FilesText(std::size_t n) { return CString::Formatted("%zu %s", n, n == 1 ? "file" : "files"); }

CString TableStateText(int unsaved, int written) {
  if (unsaved > 0) return FilesText(static_cast<std::size_t>(unsaved)) + " with unsaved edits";
  return written >= 0 ? "Last save: " + FilesText(static_cast<std::size_t>(written)) + " written" : CString();
}

// The lines, one each, the first kNamedFiles of them.
CString ListedText(const std::vector<CString>& lines) {
  CString text;
  for (std::size_t k = 0; k < lines.size() && k < kNamedFiles; ++k) text += "\n" + lines[k];
  if (lines.size() > kNamedFiles) text += "\n\u2026 and " + FilesText(lines.size() - kNamedFiles) + " more.";
  return text;
}

CUndoSummary UndoSummaryOf(const CUndoSaveReport& undone, std::size_t total) {
  CUndoSummary report;
  std::size_t restored = 0;
  report.bRetry = undone.bRetry;
  for (const CRestoredFile& result : undone.results) {
    const bool back = result.eResult != CRestoredFile::Result::LeftAlone;
    restored += back;
    if (!result.strReason.IsEmpty())
      (back ? report.notes : report.leftAlone).push_back(result.strPath + ": " + result.strReason + ".");
  }
  report.strSummary = restored == total ? CString("Last save undone: ")
                                        : CString::Formatted("Last save undone in part: %zu of ", restored);
  report.strSummary += FilesText(total) + " restored";
  if (undone.results.size() < total)
    report.strSummary += "; stopped before " + FilesText(total - undone.results.size());
  else if (restored < total)
    report.strSummary += "; " + FilesText(total - restored) + " left alone";
  return report;
}

std::vector<bool> EditedRows(CFolderSession& session) {
  CTableRows& rows = session.Table();
  std::vector<bool> edited(static_cast<std::size_t>(session.Rows().Rows()));
  for (std::size_t row = 0; row < edited.size(); ++row)
    edited[row] = rows.FileValuesOf(rows.IdOf(static_cast<int>(row))) != nullptr;
  return edited;
}

CString SaveAllSummary(const CSaveReport& report, CFolderSession& session, const std::vector<bool>& edited) {
  CTableRows& table = session.Table();
  const int rows = static_cast<int>(edited.size());
  const int all = static_cast<int>(std::count(edited.begin(), edited.end(), true));
  // The edits of unsaved rows stay in the table, still marked unsaved, so
  // nothing the user typed is lost; a reload would replace them.
  const auto first = std::min_element(report.failures.begin(), report.failures.end(),
                                      [&table](const CSaveFailure& a, const CSaveFailure& b) {
                                        return table.RowOf(a.id) < table.RowOf(b.id);
                                      });
  const CString firstText = first == report.failures.end() ? CString() : first->strFile + ": " + first->strReason;
  const int failed = static_cast<int>(report.failures.size());
  const int attempted = report.nAttempted;
  if (attempted == 0 && !report.strNotBegun.IsEmpty())
    // The user chose not to save without a way back: the journal's reason stays in view.
    return CString::Formatted("Nothing was saved: %s All %d rows keep their edits.", report.strNotBegun.GetString(), all);
  if (attempted < rows) {
    const CString key = CellOf(session.Rows(), attempted, ColumnOf(kFileName));
    const int above = static_cast<int>(std::count(edited.begin(), edited.begin() + attempted, true));
    CString text = above == 0
        ? CString::Formatted("Saving stopped: no file was saved; all %d rows keep their edits", all)
        : CString::Formatted("Saving stopped: %d of %d files were saved, the rows above \"%s\"; the %d rows from "
                             "there on were not saved and keep their edits",
                             above - failed, all, key, all - above);
    if (failed > 0)
      text += CString::Formatted("; %d of the rows above were not saved either and are marked in red. First: %s",
                                 failed, firstText);
    return text;
  }
  if (failed > 0)
    return CString::Formatted("%d of %d files were not saved; they are marked in red. First: %s", failed,
                              std::max(all, failed), firstText);
  return PlaylistProblemText(report);
}

CString PlaylistProblemText(const CSaveReport& report) {
  if (report.playlistErrors.empty()) return CString();
  return "Every file was saved, but a playlist that names a renamed file could not be updated: " +
         report.playlistErrors.front();
}

CString SaveRowsSummary(const CSaveReport& report, std::size_t rows) {
  const std::vector<CSaveFailure>& failures = report.failures;
  if (failures.size() == 1)
    return CString::Formatted("%s was not saved: %s", failures.front().strFile, failures.front().strReason);
  if (!failures.empty())
    return CString::Formatted("%d of %d files were not saved; they are marked in red. First: %s: %s",
                              static_cast<int>(failures.size()), static_cast<int>(rows), failures.front().strFile,
                              failures.front().strReason);
  return PlaylistProblemText(report);
}

CString UndoSaveQuestion(const JournalEntry& entry, bool editsPending) {
  CString question = "Undo the save of " + SaveTimeText(entry.nTime) + " (" + FilesText(entry.files.size()) +
                     ")?\n\nEach file gets back the tags it had before that save, and its name if the save renamed "
                     "it; a file changed since is left alone. Then the folder is read again.";
  if (editsPending) question += "\n\nThe edits not saved yet will be lost.";
  return question;
}

CString UndoDetailsText(const CUndoSummary& summary, const CString& journalError) {
  if (summary.leftAlone.empty() && summary.notes.empty() && journalError.IsEmpty()) return CString();
  CString text = summary.strSummary + ".";
  if (!summary.leftAlone.empty()) text += "\n\nLeft alone:" + ListedText(summary.leftAlone);
  if (!summary.notes.empty()) text += "\n\nRestored, but:" + ListedText(summary.notes);
  if (summary.bRetry) text += "\n\nThe journal keeps this save: Undo last save tries its files again.";
  if (!journalError.IsEmpty()) text += "\n\n" + journalError;
  return text;
}

std::vector<CString> KeysAfterUndo(const JournalEntry& entry, const CUndoSaveReport& undone, std::vector<CString> keys) {
  std::map<CString, CString> renamedBack;  // by the key the save gave, the key before it
  std::set<CString> restored;
  for (const JournalFile& file : entry.files)
    if (!file.strOldPath.IsEmpty()) renamedBack[RowKeyOf(file.strPath)] = RowKeyOf(file.strOldPath);
  for (const CRestoredFile& result : undone.results)
    if (result.eResult == CRestoredFile::Result::Restored) restored.insert(RowKeyOf(result.strPath));
  for (CString& key : keys)
    if (const auto found = renamedBack.find(key); found != renamedBack.end() && restored.count(key)) key = found->second;
  return keys;
}

CTotalsText TotalsTextOf(const CFolderTotals& totals) {
  if (totals.nFiles <= 0) return {"--", "--", "--"};
  return {CString::Formatted("%d", totals.nFiles), CString::Formatted("%.2f mb", totals.fKilobytes / 1024),
          CMyMP3Tags::ConvDuration(CString::Formatted("%.0f", totals.fSeconds))};
}
