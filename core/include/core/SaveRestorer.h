#pragma once
// CSaveRestorer: puts the files of one journal entry back as they were
// before that save, through the tag library's restore (the same safe writer
// as a save), a batch of flushes at a time. A file is written only when it
// is still what the save left: its size and modification time as noted
// after the save, and its tag as the save wrote it (the record's own check);
// any other file is left alone, with the reason.
#include <core/SaveJournal.h>

#include <base/String.h>

#include <functional>
#include <vector>

class CMyMP3Tags;

// What became of one file of an undone save.
struct CRestoredFile {
  enum class Result { Restored, AlreadyRestored, LeftAlone };
  CString strPath;  // below the folder, as the entry names it
  Result eResult = Result::LeftAlone;
  CString strReason;  // LeftAlone: why, as a sentence; Restored: what could not be put back besides
  bool bRetry = false;  // LeftAlone because its write failed (a full disk): another undo may succeed
};

class CSaveRestorer {
 public:
  CSaveRestorer(CMyMP3Tags& tags, CString folder) : m_tags(tags), m_strFolder(std::move(folder)) {}

  // Restores the entry's files, in its order. keepGoing is asked before each
  // file (false stops there: the files not come to are not in the result);
  // wait is called while the disk works. A restored file gets back its
  // modification time of before the save, so the save before can be undone
  // next, and its name of before the save when the save renamed it.
  std::vector<CRestoredFile> Run(const JournalEntry& entry, const std::function<bool()>& keepGoing,
                                 const std::function<void()>& wait);
  // What Run would do with each file, as far as its name, size and time
  // tell (not its tag, which only the restore itself reads): Restored for
  // each it would take up, LeftAlone with the reason for the others.
  std::vector<CRestoredFile> Check(const JournalEntry& entry) const;

 private:
  // The file as it is found: an entry written before its rename, whose
  // file is only under its old name, is the file under that name, unrenamed.
  JournalFile WhereNow(const JournalFile& file) const;
  // Why the file must be left alone before its tag is looked at; empty when
  // the tag library may check it.
  CString Refusal(const JournalFile& file) const;
  // After its tag is back: the file's time of before the save, and its old
  // name when the save renamed it (the one place a name is put back).
  // Empty, or what could not be done.
  CString PutBackFacts(const JournalFile& file) const;

  CMyMP3Tags& m_tags;
  CString m_strFolder;
};
