#pragma once
// The record of the new files the writer makes beside the files it replaces.
// A crash leaves such a file behind; a later load removes it only when a
// record proves this program made it (a user's ".notes.quillory-backup" has
// the name but no record) and the writer that made it is gone. Each writer
// keeps one record file under $XDG_STATE_HOME/quillory/temporaries/ (the
// place of the journal of saves), locked for as long as the writer lives, so
// that a save running in another window keeps its new files.
#include <base/String.h>

#include <string>
#include <vector>

#include <sys/types.h>

class CTempRecord {
 public:
  CTempRecord() = default;
  // Drops the record file once none of its new files is left where it was
  // made (each was renamed over its original or removed); else the file
  // stays, unlocked, for a later load to clear up.
  ~CTempRecord();
  CTempRecord(const CTempRecord&) = delete;
  CTempRecord& operator=(const CTempRecord&) = delete;

  // Makes a new empty file "FOLDER/.NAME.quillory-XXXXXX" (mode 0600),
  // noting its path before it exists and its device and inode once it does.
  // folder must be an absolute path with no link on its way for the note to
  // be kept. The descriptor, or -1 with errno set; *path receives the name.
  // A record that cannot be written leaves the new file unrecorded: a crash
  // then leaves it for good, but nothing else changes.
  int Create(const std::string& folder, const std::string& name, std::string* path);

 private:
  void Note(const std::string& entry);

  int m_fd = -1;  // the record file, locked; -1 until the first note, or when it cannot be written
  bool m_bTried = false;
  std::string m_strPath;
  struct CMade {
    std::string path;
    dev_t dev;
    ino_t ino;
  };
  std::vector<CMade> m_made;
};

// The directory of the records, as the journal of saves finds its own.
std::string TempRecordDir();

// Removes the new files that records of writers no longer running prove
// were made and left in folder (and below it with subfolders): each still a
// regular file (not a link) of the writer's name and identity, reached
// without a link. Records of files elsewhere are kept for their folder's
// load. Returns how many files were removed.
int RemoveLeftTemporaries(const CString& folder, bool subfolders);
