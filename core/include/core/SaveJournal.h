#pragma once
// The journal of saves: before a save writes, what it is about to replace is
// recorded here, so that "Undo last save" can put it back, also after the
// program was closed. It lives under $XDG_STATE_HOME/quillory/ (by default
// ~/.local/state/quillory/), one folder of entries per saved folder, the
// last kKeptSaves saves of each. An entry is data read from disk: it is
// checked whole before anything in it is believed.
#include <base/DurableFile.h>
#include <base/String.h>

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

// One file of a save.
struct JournalFile {
  CString strPath;          // relative to the folder, as the file is named after the save
  CString strOldPath;       // its name before the save when the save renamed it; else empty
  long long nSize = -1;     // its size right after the save; -1 while the save has not happened
  long long nMtimeNs = -1;  // its modification time right after the save, in ns since 1970; -1 likewise
  long long nOldMtimeNs = -1;  // its modification time before the save, given back by an undo
  std::string record;       // what puts its tags back, as the tag library gave it: bytes, never read here

  bool operator==(const JournalFile&) const = default;
};

// A file's modification time as the journal keeps it, in ns since 1970.
long long MtimeNsOf(const struct stat& info);

struct JournalEntry {
  std::uint64_t nId = 0;  // 0 until written; then its number among its folder's entries, newer ones larger
  CString strFolder;      // the saved folder; written as its absolute path with links resolved
  long long nTime = 0;    // when the save began, in seconds since 1970; 0 is taken as now
  std::vector<JournalFile> files;

  bool operator==(const JournalEntry&) const = default;
};

class CSaveJournal {
 public:
  static constexpr int kKeptSaves = 20;

  // The journal kept in dir (tests pass a folder of their own), whose
  // entries are at most largestEntry bytes long.
  explicit CSaveJournal(CString dir = DefaultDir(), std::uint64_t largestEntry = LargestEntry());
  // The largest entry the journal writes, and so reads back: half the
  // computer's memory (an undo holds its entry in memory, as the save held
  // it), and at least 1 GiB.
  static std::uint64_t LargestEntry();
  // $XDG_STATE_HOME/quillory when XDG_STATE_HOME is an absolute path, else
  // ~/.local/state/quillory.
  static CString DefaultDir();

  // Writes entry and returns once it is on the disk (written to a temporary,
  // flushed, renamed into place, its folder flushed). An entry with nId 0 is
  // a new one: it gets the next number (into nId), and the folder's saves
  // older than the last kKeptSaves are removed. Any other nId replaces that
  // entry, as a save does once its files are written and their sizes and
  // times known. False, with the reason in error (the disk is full, the
  // folder is read-only, the entry would be longer than the largest one the
  // journal reads back, ...), when the entry is not safely on the disk; then
  // nothing of it is left behind and the save must not begin.
  bool Write(JournalEntry& entry, CString& error);
  // Makes the place of folder's entries, so that a journal that cannot be
  // written is known before a save does any work; false, with the reason
  // in error, when it cannot be made.
  bool Prepare(const CString& folder, CString& error) const;

  // The newest entry of folder, every part of it checked: nothing when there
  // is none, and nothing, with the reason in problem, when it cannot be
  // trusted: damaged (its checksum), written by a newer version, made for
  // another folder, or naming a path that is absolute, holds "." or "..",
  // NUL or an empty part. An older entry is never offered in its place.
  // newest, when given, receives the newest entry's number, trusted or not.
  std::optional<JournalEntry> ReadLatest(const CString& folder, CString& problem,
                                         std::uint64_t* newest = nullptr) const;
  // True when the journal holds an entry of folder (trusted or not).
  bool HasEntries(const CString& folder) const;
  // Why the file at path, below folder, must not be written now, or empty
  // when it may: its name is a link, or a folder on the way leads out of
  // folder. Asked at the moment of use, as the disk may change after an
  // entry was read.
  static CString PathProblem(const CString& folder, const CString& path);

  // Removes an entry once it has been undone, so it is never undone twice.
  // True when it is gone (also when it was gone already); else false, with
  // the reason in error.
  bool Remove(const CString& folder, std::uint64_t nId, CString& error) const;
  // Moves an entry that cannot be trusted out of the way (kept beside the
  // entries, never read again), so the save before it can be undone.
  bool SetAside(const CString& folder, std::uint64_t nId, CString& error) const;

 private:
  friend class CJournalStream;
  friend class CGrowingEntry;
  CString m_strDir;
  std::uint64_t m_nLargestEntry;
};

class CEntryBytes;

// An entry written as it grows, for a save of many files (33 MB for 100,000):
// each file's bytes are written soon after they are added, so that closing
// it has little left to do but flush, which it does on a thread of its own
// when asked to. Nothing of it is on show until Close: a stream never closed
// leaves nothing behind.
class CJournalStream {
 public:
  // The entry of front's folder and time (now when 0) in journal; with
  // front's nId, Close replaces that entry (front's files are not used).
  CJournalStream(CSaveJournal journal, const JournalEntry& front);
  ~CJournalStream();
  CJournalStream(const CJournalStream&) = delete;
  CJournalStream& operator=(const CJournalStream&) = delete;

  void Add(const JournalFile& file);
  // Puts the entry on the disk as CSaveJournal::Write does, and sets
  // entry's nId, folder and time as written (its files are not looked at).
  // whileWaiting, when given, is called every few milliseconds while the
  // disk is being flushed. False, with the reason in error, when the entry
  // is not safely on the disk; then nothing of it is left behind.
  bool Close(JournalEntry& entry, CString& error, const std::function<void()>& whileWaiting = {});

 private:
  static constexpr std::size_t kChunk = 1 << 20;  // bytes gathered before they are written

  static JournalEntry FrontOf(const JournalEntry& entry);
  void Fail(int code);  // keeps the first failure
  void WriteOut();

  CSaveJournal m_journal;
  JournalEntry m_front;  // nId, folder and time
  std::unique_ptr<CEntryBytes> m_pBytes;
  base::CNewFile m_file;  // the entry until Close puts it in place
  off_t m_nAt = 0;  // where the next bytes go
  std::uint64_t m_nSize = 0;  // the entry's files' bytes so far
  std::string m_pending;
  CString m_strError;
};

// An entry that grows a batch of files at a time, for a save that writes its
// files in batches: each Append puts its files on the disk before the save
// writes them (the first one also puts the entry in its place), so that a
// crash at any moment leaves an entry that holds every file written, which
// an undo reads as any other.
class CGrowingEntry {
 public:
  // An entry of front's folder and time (now when 0) in journal.
  CGrowingEntry(CSaveJournal journal, const JournalEntry& front);
  // Adds files and returns once they are on the disk; whileWaiting, when
  // given, is called every few milliseconds meanwhile. False, with the
  // reason in error, when they are not safely there: then none of them may
  // be written, and nothing more is added (the entry keeps what it held).
  bool Append(std::span<const JournalFile> files, CString& error, const std::function<void()>& whileWaiting = {});
  // The entry's number, folder and time once the first Append put it in place (nId 0 before).
  const JournalEntry& Front() const { return m_front; }

 private:
  bool Fail(int code, CString& error);

  CSaveJournal m_journal;
  JournalEntry m_front;
  base::CNewFile m_file;  // the entry, in its place once its first files are on the disk
  off_t m_nAt = 0;        // where the next block goes
  std::uint64_t m_nSize = 0;
  bool m_bFailed = false;
};
