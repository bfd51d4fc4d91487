#pragma once
// The record of the new files the writer makes beside the files it replaces.
// A crash leaves such a file behind; a later load removes it only when a
// record proves this program made it (a user's ".notes.quillory-backup" has
// the name but no record) and the writer that made it is gone. Each writer
// keeps one record file under $XDG_STATE_HOME/quillory/temporaries/ (the
// place of the journal of saves), locked for as long as the writer lives, so
// that a save running in another window keeps its new files.
//
// A writer may also keep the inodes of the originals it replaces, to be its
// next new files in their folders: making an inode can be slow after many
// were freed (ext4 without a journal passes over every inode freed in the
// last half minute before it takes one), and a save of thousands of files
// frees one with every rename. A kept original gets a second name, noted as
// a new file is, before the rename; once the rename is durable it is emptied,
// but only when nothing else has it open, no other name holds it and it
// carries no extended attributes. Otherwise that name goes, which frees it as
// the rename would have.
#include <base/String.h>

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/types.h>

class CTempRecord {
 public:
  CTempRecord() = default;
  // Removes the emptied originals still kept, then drops the record file
  // once none of its new files is left where it was made (each was renamed
  // over its original or removed); else the file stays, unlocked, for a
  // later load to clear up.
  ~CTempRecord();
  CTempRecord(const CTempRecord&) = delete;
  CTempRecord& operator=(const CTempRecord&) = delete;

  // Makes a new empty file "FOLDER/.NAME.quillory-XXXXXX" (mode 0600),
  // noting its path before it exists and its device and inode once it does.
  // folder must be an absolute path with no link on its way for the note to
  // be kept. The descriptor, or -1 with errno set; *path receives the name.
  // A record that cannot be written leaves the new file unrecorded: a crash
  // then leaves it for good, but nothing else changes. An original kept in
  // folder is taken first: *path is then its second name.
  int Create(const std::string& folder, const std::string& name, std::string* path);

  // Before a new file is renamed over target (still the file read describes):
  // gives target a second name in its folder, noted in the record. False,
  // with nothing done, when the record cannot be written or the link fails.
  bool KeepOriginal(const std::string& target, const struct stat& read, std::string* spare);
  // After that rename, once the folder is flushed (durable) or not: keeps the
  // original, emptied, for Create, or removes its second name.
  void Recycle(const std::string& spare, bool durable);

 private:
  void Note(const std::string& entry);
  void NoteLocked(const std::string& entry);
  void NoteMade(const std::string& path, const struct stat& st);
  int TakeSpare(const std::string& folder, std::string* path);

  int m_fd = -1;  // the record file, locked; -1 until the first note, or when it cannot be written
  bool m_bTried = false;
  std::string m_strPath;
  struct CMade {
    std::string path;
    dev_t dev;
    ino_t ino;
  };
  std::vector<CMade> m_made;
  std::map<std::string, std::vector<CMade>> m_spares;  // emptied originals by folder
  std::mutex m_mutex;  // the commit's threads keep originals while the writer makes new files
};

// The directory of the records, as the journal of saves finds its own.
std::string TempRecordDir();

// Removes the new files that records of writers no longer running prove
// were made and left in folder (and below it with subfolders): each still a
// regular file (not a link) of the writer's name and identity, reached
// without a link. Records of files elsewhere are kept for their folder's
// load. Returns how many files were removed.
int RemoveLeftTemporaries(const CString& folder, bool subfolders);
