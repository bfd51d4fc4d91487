#pragma once
// The one writer of every tag change. Each tag engine renders its ID3v2 tag
// (and the file's new ID3v1 block) in memory and hands it here; no engine
// opens a file for writing itself, so there is one place that decides
// between writing in place and replacing the file, flushes, and checks.
#include "Sha256.h"

#include <base/String.h>
#include <tags/MyMP3Tags.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>

class CFlushThreads;
class CTempRecord;

// What a file must hold for a write to go ahead: a write whose record of
// what it replaces was made beforehand, or a restore of such a record.
struct CExpectedFile {
  std::uint64_t nSize = 0;
  CDigest region{};   // of the file's first nOldTagEnd bytes
  bool bV1 = false;   // it ends with an ID3v1 block of this digest
  CDigest v1{};
  const char* pszChanged = "The file was changed by another program since it was read";
};

// Why a write with bNoFollow was refused: the file's name is a symbolic link.
constexpr const char* kLinkRefused = "The file is a symbolic link, which an undo does not follow";

struct CTagWrite {
  CString strPath;             // the file's real name on disk
  std::size_t nOldTagEnd = 0;  // bytes of the old ID3v2 region at the start (header, frames,
                               // padding, footer); 0 when the file has none. Audio starts here.
  std::string strNewTag;       // the new ID3v2 tag: 10-byte header and frames, no padding and no
                               // footer (the writer sets the header's size and pads); empty
                               // for a file that is to have no ID3v2 tag
  bool bFooter = false;        // an ID3v2.4 footer follows the frames; such a tag is never padded
  bool bV1 = false;            // replace the ID3v1 block, the file's last 128 bytes ("TAG...")
  bool bAddV1 = false;         // or: append v1 as the ID3v1 block of a file that has none
  bool bRemoveV1 = false;      // or: the file's ID3v1 block goes (both change the file's
                               // length, so they are never written in place)
  std::array<unsigned char, 128> v1{};
  bool bExactRegion = false;   // put strRegion in place of the old region as it is (strNewTag
  std::string strRegion;       // and bFooter unused); in place only when it is as long
  std::optional<CExpectedFile> expect;  // else any file with the old region's layout
  bool bNoFollow = false;      // never write through a symbolic link at the file's name
};

// The region (header, frames, padding or footer) the writer puts at the
// start of the file for a request that is not exact: the old region's size
// when the tag fits and is written in place (an ID3v1 block that changes
// does not let it: see WriteTagSafely), else room to spare in a new file;
// empty for no tag. An ID3v1 block added or removed is a change.
std::string LayOutRegion(const CTagWrite& request, bool v1Changes);

// Writes the request without ever destroying the file.
// - When the new tag fits the old region, in place: the ID3v1 block first,
//   then one pwrite over the region (padding zero-filled), then fdatasync;
//   a failure of either write puts the old bytes of both back.
// - Else a new file beside the original (a hidden name that never matches
//   "*.mp3", see IsWriterTemporary; recorded, see CTempRecord): the tag with generous padding, the audio
//   and trailing tags (APE, Lyrics3) copied unchanged, the new ID3v1 block,
//   the original's mode (and owner where allowed); fsynced, renamed over the
//   original, the folder fsynced. The rename is the one moment the file
//   changes from old to new; the original is never unlinked first.
// False, with *error set to a reason a user can read ("The disk is full",
// "The folder is read-only", ...), when anything failed: the original is then
// as it was and no temporary is left.
// newSize, when given, receives the file's size after a successful write.
bool WriteTagSafely(const CTagWrite& request, CString* error, long* newSize = nullptr);

// Writes of many files whose flushes are done together, so a save of a
// folder pays a few journal commits instead of one or two per file. Each
// Write does what WriteTagSafely does short of the flush: a tag written in
// place is left in the page cache, a new file is filled but not yet renamed.
// Commit then flushes all of them from a few threads at once, renames each new
// file over its original only after its own data is durable, and flushes the
// folders. Until its commit a file is its old self, or (written in place)
// holds its new tag unflushed, which a kill of the program does not tear and
// a failed flush puts back. A file is saved only when Commit says so.
class CWriteBatch {
 public:
  CWriteBatch();
  // Commits whatever is still pending.
  ~CWriteBatch();
  CWriteBatch(const CWriteBatch&) = delete;
  CWriteBatch& operator=(const CWriteBatch&) = delete;

  // As WriteTagSafely, the flush left to Commit. readPath, when given,
  // receives where the new bytes can be read before the commit (the new
  // file, or the file itself). A second write of a file already pending
  // commits the batch first.
  bool Write(const CTagWrite& request, CString* error, long* newSize = nullptr, CString* readPath = nullptr);
  // Bytes that are to be the whole of the file at path (a FLAC, Ogg or MP4
  // file laid out again), only while it is still the file read describes
  // (inode, size, time): when as long as the file, the span that differs
  // written in place and flushed at the commit; else a new file beside it,
  // filled but not flushed, renamed over it at the commit. written, when given, receives the new
  // file's state (its inode and time are the file's after the rename).
  bool WriteWhole(const CString& path, const struct stat& read, const std::string& bytes, CString* error,
                  struct stat* written = nullptr);
  // Commits the batch when the file is among its pending writes (or waits
  // for the commit in the background that has it), so that the file on the
  // disk is what the batch wrote (the outcomes are kept for the next Commit).
  void Settle(const CString& path);
  // True when the batch holds as many files or bytes as one flush should take.
  bool IsFull() const;
  // Flushes and renames what is pending (wait, when given, is called about
  // every 10 ms while the disk works) and returns every file Write accepted
  // since the last Commit, in the order written.
  std::vector<CWriteOutcome> Commit(const std::function<void()>& wait = {});
  // Waits for the commit in the background, if one runs, and returns its
  // outcomes (with those of any commit a write made meanwhile); then starts
  // committing what is pending on a thread of its own and returns at once,
  // so the caller can write the next files while the disk works.
  std::vector<CWriteOutcome> CommitInBackground(const std::function<void()>& wait = {});

  struct CPending;

 private:
  using CPendingList = std::vector<std::unique_ptr<CPending>>;
  // Waits for the commit in the background, then commits what is pending; the outcomes go to m_done.
  void CommitAll(const std::function<void()>& wait);
  // Flushes and renames the files, empties the list and adds their outcomes to done.
  void CommitList(CPendingList& files, std::vector<CWriteOutcome>& done, const std::function<void()>& wait);
  // Waits for the commit in the background, if one runs (calling wait about every 10 ms).
  void Collect(const std::function<void()>& wait);
  // A write of the file st describes starts from what the batch wrote to it.
  void SettleFile(const struct stat& st);
  bool WriteSpanInPlace(const CString& path, const struct stat& read, const std::string& bytes, CString* error,
                        struct stat* written);

  std::unique_ptr<CTempRecord> m_pRecord;  // of the new files made; it outlives the pending writes
  std::unique_ptr<CFlushThreads> m_pFlushThreads;
  CPendingList m_pending;
  std::vector<CWriteOutcome> m_done;  // committed, not yet handed out
  std::size_t m_nPendingBytes = 0;
  // The commit running on its own thread, if any: its files (theirs until it
  // is collected), where they lie, and their outcomes.
  std::future<void> m_background;
  CPendingList m_committing;
  std::vector<struct stat> m_committingFiles;
  std::vector<CWriteOutcome> m_committed;
};

// True for a name (with or without folder) the writer gives its temporaries.
// The name alone proves nothing (a user may name a file so): only one that
// its record proves was made here is removed (RemoveLeftTemporaries).
bool IsWriterTemporary(const CString& fileName);
