#include <core/SaveRestorer.h>

#include <core/FileRename.h>
#include <core/WholeFileRecord.h>
#include <base/Path.h>
#include <tags/MyMP3Tags.h>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <map>

JournalFile CSaveRestorer::WhereNow(const JournalFile& file) const {
  if (file.strOldPath.IsEmpty()) return file;
  struct stat info {};
  // The save stopped between writing the file and renaming it (a crash, the
  // power): the file is under its old name still, and only its tag goes back.
  if (lstat(base::JoinPath(m_strFolder, file.strPath), &info) != 0 && errno == ENOENT &&
      lstat(base::JoinPath(m_strFolder, file.strOldPath), &info) == 0) {
    JournalFile unrenamed = file;
    unrenamed.strPath = file.strOldPath;
    unrenamed.strOldPath.Empty();
    return unrenamed;
  }
  return file;
}

CString CSaveRestorer::Refusal(const JournalFile& file) const {
  for (const CString* path : {&file.strPath, &file.strOldPath}) {
    if (path->IsEmpty()) continue;
    const CString problem = CSaveJournal::PathProblem(m_strFolder, *path);
    if (!problem.IsEmpty()) return problem;
  }
  struct stat info {};
  if (lstat(base::JoinPath(m_strFolder, file.strPath), &info) != 0)
    return errno == ENOENT ? "It no longer exists" : CString("It cannot be examined: ") + std::strerror(errno);
  if (!S_ISREG(info.st_mode)) return "It is no longer a file";
  if (!file.strOldPath.IsEmpty() && lstat(base::JoinPath(m_strFolder, file.strOldPath), &info) == 0)
    return "Its name before the save, " + file.strOldPath + ", is taken by another file";
  // Unknown facts (the save could not note them) leave the check to the record.
  if (file.nSize < 0 || file.nMtimeNs < 0) return CString();
  const long long mtime = MtimeNsOf(info);
  // A time of before the save: an undo put it back already, or stopped
  // short; the record tells whether the tag is back too.
  if (mtime == file.nMtimeNs && info.st_size == file.nSize) return CString();
  if (mtime == file.nOldMtimeNs) return CString();
  if (info.st_size != file.nSize) return "Its size changed since the save";
  return "It was modified since the save (its modification time differs)";
}

CString CSaveRestorer::PutBackFacts(const JournalFile& file) const {
  const CString path = base::JoinPath(m_strFolder, file.strPath);
  if (file.nOldMtimeNs >= 0) {
    const timespec times[2] = {{0, UTIME_OMIT},
                               {static_cast<time_t>(file.nOldMtimeNs / 1000000000LL),
                                static_cast<long>(file.nOldMtimeNs % 1000000000LL)}};
    if (utimensat(AT_FDCWD, path, times, AT_SYMLINK_NOFOLLOW) != 0)
      return CString("Its tags are back, but not its modification time: ") + std::strerror(errno);
  }
  if (file.strOldPath.IsEmpty()) return CString();
  CString error;
  if (!RenameWithoutReplacing(path, base::JoinPath(m_strFolder, file.strOldPath), error))
    return "Its tags are back, but not its name " + file.strOldPath + ": " + error;
  return CString();
}

std::vector<CRestoredFile> CSaveRestorer::Check(const JournalEntry& entry) const {
  std::vector<CRestoredFile> results;
  for (const JournalFile& entered : entry.files) {
    const JournalFile file = WhereNow(entered);
    CRestoredFile& result = results.emplace_back();
    result.strPath = file.strPath;
    result.strReason = Refusal(file);
    if (result.strReason.IsEmpty()) result.eResult = CRestoredFile::Result::Restored;
  }
  return results;
}

std::vector<CRestoredFile> CSaveRestorer::Run(const JournalEntry& entry, const std::function<bool()>& keepGoing,
                                              const std::function<void()>& wait) {
  std::vector<CRestoredFile> results;
  std::vector<JournalFile> files;  // by result: each file as it is found now
  std::map<CString, std::size_t> written;  // full path -> its result, awaiting the batch's commit
  const auto commit = [&](std::vector<CWriteOutcome> outcomes) {
    for (const CWriteOutcome& outcome : outcomes) {
      const auto found = written.find(outcome.strPath);
      if (found == written.end()) continue;
      CRestoredFile& result = results[found->second];
      if (!outcome.strError.IsEmpty()) {
        result.eResult = CRestoredFile::Result::LeftAlone;
        result.strReason = outcome.strError;
        result.bRetry = true;
      }
    }
    // A file's time and name go back only once its tag is on the disk.
    for (const auto& [path, index] : written) {
      CRestoredFile& result = results[index];
      if (result.eResult == CRestoredFile::Result::LeftAlone) continue;
      const CString problem = PutBackFacts(files[index]);
      if (!problem.IsEmpty()) result.strReason = problem;
    }
    written.clear();
  };

  m_tags.BeginBatch();
  for (const JournalFile& entered : entry.files) {
    if (keepGoing && !keepGoing()) break;
    const JournalFile& file = files.emplace_back(WhereNow(entered));
    CRestoredFile& result = results.emplace_back();
    result.strPath = file.strPath;
    result.strReason = Refusal(file);
    if (!result.strReason.IsEmpty()) continue;
    const CString path = base::JoinPath(m_strFolder, file.strPath);
    if (IsWholeFileRecord(file.record)) {
      // A playlist the save wrote whole goes back at once, its time with it.
      switch (RestoreWholeFile(path, file.record, result.strReason)) {
        case CRestoreResult::Failed: result.bRetry = true; continue;
        case CRestoreResult::Refused: continue;
        case CRestoreResult::AlreadyRestored: result.eResult = CRestoredFile::Result::AlreadyRestored; break;
        case CRestoreResult::Restored: result.eResult = CRestoredFile::Result::Restored; break;
      }
      result.strReason = PutBackFacts(file);
      continue;
    }
    const std::vector<unsigned char> record(file.record.begin(), file.record.end());
    // A save that only renamed the file left its tag as it was.
    switch (record.empty() ? CRestoreResult::AlreadyRestored : m_tags.RestoreSave(path, record)) {
      case CRestoreResult::Failed: result.bRetry = true; [[fallthrough]];
      case CRestoreResult::Refused: result.strReason = m_tags.GetLastWriteError(); continue;
      case CRestoreResult::AlreadyRestored: result.eResult = CRestoredFile::Result::AlreadyRestored; break;
      case CRestoreResult::Restored: result.eResult = CRestoredFile::Result::Restored; break;
    }
    written[path] = results.size() - 1;
    if (m_tags.IsBatchFull()) commit(m_tags.CommitBatch(wait));
  }
  commit(m_tags.EndBatch(wait));
  return results;
}
