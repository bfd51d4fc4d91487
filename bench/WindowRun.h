#pragma once
// Drives the program's real main window, offscreen, through its own command
// handlers: Open Folder (the folder browser answered as a user would), an
// edit of one field in every row, Save all to disk, Update list with a rule
// that changes every row, a click on a column's header. While a load or a
// save runs it notes the longest time the window went without answering.
#include "Floor.h"

#include <memory>

class CQuilloryDlg;
#include <string>

namespace bench {

class CGapWatch;

struct OpenTimes {
  double dBrowser = 0;  // from the command until OK is pressed in the browser
  double dLoad = 0;     // from OK until the table and totals are shown
  double dGap = 0;      // the longest time the window did not answer meanwhile
};

struct SaveTimes {
  double dSave = 0;  // Save all, with the reload it ends with
  double dGap = 0;   // the longest time the window did not answer meanwhile
};

class CWindowRun {
 public:
  CWindowRun();
  ~CWindowRun();

  // Open Folder on folder: the browser starts there, and OK is pressed as soon
  // as it shows, "Include subfolders" ticked or not.
  OpenTimes OpenFolder(const std::string& folder, bool subfolders = false);
  // Update list with the rule: artist and year the same for all, album from
  // the Album box, title from the file name, tracks numbered, original artist
  // emptied. Seconds taken.
  double UpdateList(const RuleValues& values);
  // Puts the artist into every row, as Update on each row would: a change of
  // one field for Save all.
  void SetEveryArtist(const std::string& artist);
  // Save all to disk, with the reload it ends with; withoutJournal: the
  // journal of saves cannot be written and the user agrees to save without it.
  SaveTimes SaveAll(bool withoutJournal = false);
  // A click on the header of the column: seconds until the sorted table is painted.
  double SortByHeader(int column);

  int Rows();
  // Rows whose artist cell holds the text.
  int RowsWithArtist(const std::string& artist);
  std::string TotalsText();

 private:
  std::unique_ptr<CQuilloryDlg> m_pDlg;
  std::unique_ptr<CGapWatch> m_pGaps;
};

}  // namespace bench
