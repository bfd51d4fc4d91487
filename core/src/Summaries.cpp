#include <core/Summaries.h>

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
CString SkippedText(const CMp3Listing& listing, int vanishedOnLoad) {
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
