#include "SessionRun.h"

#include "Measure.h"

#include <core/FolderSession.h>

#include <unistd.h>

namespace bench {

SessionTimes RunSession(const std::string& folder, bool subfolders, const std::string& artist) {
  SessionTimes times;
  CFolderSession session;
  double start = Now();
  times.nRows = session.Open(folder.c_str(), subfolders).nRead;
  times.dOpen = Now() - start;
  std::vector<RowId> ids;
  for (int row = 0; row < times.nRows; ++row) ids.push_back(session.Table().IdOf(row));
  CPackedCells wanted;
  wanted.Set(ColumnOf(kArtist), artist.c_str());
  session.SetCells(ids, wanted, "Artist (%d rows)");
  // As for the window's save: the benchmark's own writes reach the disk first.
  ::sync();
  start = Now();
  times.nWritten = session.Save(ids, {}, nullptr).nWritten;
  times.dSave = Now() - start;
  return times;
}

}  // namespace bench
