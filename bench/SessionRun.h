#pragma once
// Drives the folder session alone, as the command line will: Open of a
// folder, an edit of one field in every row, and a save of them all, with no
// window at all.
#include <string>

namespace bench {

struct SessionTimes {
  double dOpen = 0;  // Open: the walk, every file read into a row
  double dSave = 0;  // Save of every row: plan, journal, write, commit
  int nRows = 0;     // rows read
  int nWritten = 0;  // files the save wrote
};

SessionTimes RunSession(const std::string& folder, bool subfolders, const std::string& artist);

}  // namespace bench
