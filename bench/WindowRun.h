#pragma once
// Drives the program's real main window, offscreen, through its own command
// handlers: Open Folder (the folder browser answered as a user would), an
// edit of one field in every row, Save all to disk, Update list with a rule
// that changes every row.
#include "Floor.h"

#include <memory>
#include <string>

namespace bench {

class CBenchDlg;

struct OpenTimes {
  double dBrowser = 0;  // from the command until OK is pressed in the browser
  double dLoad = 0;     // from OK until the table and totals are shown
};

class CWindowRun {
 public:
  CWindowRun();
  ~CWindowRun();

  // Open Folder on folder: the browser starts there, and OK is pressed as soon
  // as it shows.
  OpenTimes OpenFolder(const std::string& folder);
  // Update list with the rule: artist and year the same for all, album from
  // the Album box, title from the file name, tracks numbered, original artist
  // emptied. Seconds taken.
  double UpdateList(const RuleValues& values);
  // Puts the artist into every row, as Update on each row would: a change of
  // one field for Save all.
  void SetEveryArtist(const std::string& artist);
  // Save all to disk, with the reload it ends with. Seconds taken.
  double SaveAll();

  int Rows();
  // Rows whose artist cell holds the text.
  int RowsWithArtist(const std::string& artist);
  std::string TotalsText();

 private:
  std::unique_ptr<CBenchDlg> m_pDlg;
};

}  // namespace bench
