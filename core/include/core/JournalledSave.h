#pragma once
// CJournalledSave: one save's entry in the journal of saves, from before its
// first write to after its last. The save writes its files a batch at a
// time: it gathers what each write of the batch will replace (Add), puts
// that on the disk in the entry (Record), and only then writes the batch's
// files whose write is the one recorded (RecordOf, NoteWriting). At the end
// it notes each saved file's size, time and name (NoteSaved, Finish), so
// that an undo can tell a file changed since. A file the save renames is
// entered under its new name, with its old one, before anything is
// written: an undo finds it under either.
#include <core/SaveJournal.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class CJournalledSave {
 public:
  // The save of files below folder, recorded in journal; whileWaiting, when
  // given, is called every few milliseconds while the entry is flushed.
  CJournalledSave(CSaveJournal journal, const CString& folder, std::function<void()> whileWaiting = {});

  // Keeps the record of what the save of the file at path replaces, with the
  // file's modification time (oldMtimeNs when the caller read it with the
  // record, else as it is now); with newPath, the save renames the file to
  // it after writing (the record may then be empty: a rename alone). A path
  // outside the folder is not kept. The file is named by path from here on.
  void Add(const CString& path, const std::vector<unsigned char>& record, const CString& newPath = CString(),
           std::optional<long long> oldMtimeNs = std::nullopt);
  bool IsEmpty() const { return m_entry.files.empty(); }
  std::size_t Count() const { return m_entry.files.size(); }

  // Puts the files added since the last call into the entry on the disk;
  // false, with the reason in error, when they are not safely there (then
  // none of them may be written, and no later one is recorded).
  bool Record(CString& error);
  // The record kept for the file at path; null when none was.
  const std::string* RecordOf(const CString& path) const;
  // The file at path is being written, by the write its record describes.
  void NoteWriting(const CString& path);
  // A file's size and modification time (-1: unknown).
  struct CFacts {
    long long nSize = -1;
    long long nMtimeNs = -1;
  };
  // The file at path, being written, was saved and is now at nowAt (its
  // new name, or path when it was not renamed): its size, modification time
  // (left: as its writer left it, else as it is now) and name are noted.
  void NoteSaved(const CString& path, const CString& nowAt, std::optional<CFacts> left = std::nullopt);
  // Writes the entry again with only the saved files and their facts, or
  // removes it when none was saved. False, with the reason in error, when
  // that failed (the entry then stays as Record left it, which an undo can
  // still use: its records are checked against each file).
  bool Finish(CString& error);

 private:
  // The file's path below the folder, or empty when it is not below it.
  CString RelativePath(const CString& path) const;

  enum class State : unsigned char { Recorded, Writing, Saved };

  CSaveJournal m_journal;
  std::function<void()> m_whileWaiting;
  // The entry being written: as Record grows it, and as Finish writes it.
  std::unique_ptr<CGrowingEntry> m_pRecorded;
  std::unique_ptr<CJournalStream> m_pFinished;
  std::size_t m_nRecorded = 0;  // the files of m_entry on the disk
  CString m_strPrefix;  // the folder followed by '/'
  JournalEntry m_entry;
  std::unordered_map<std::string, std::size_t> m_index;  // relative path -> its file in m_entry
  std::vector<State> m_states;  // by file of m_entry
};
