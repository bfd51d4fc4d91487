#pragma once
// The bytes of a journal entry's file: "QLJN", the format's version, the
// payload's size and its CRC-32, then the payload (the folder, the time, and
// per file its paths, size, times and record), little-endian, each text or
// record preceded by its length. A file adds 36 bytes and its paths to its
// record.
#include <core/SaveJournal.h>

#include <cstdint>
#include <string>
#include <span>

// The bytes of an entry made file by file, for an entry written as it grows:
// the files' bytes in turn (File), then the front, which holds their number
// and checksum and goes before them (Front, FrontSize bytes long).
class CEntryBytes {
 public:
  // For an entry of front's folder and time (its files are not used).
  explicit CEntryBytes(const JournalEntry& front);
  std::string File(const JournalFile& file);
  std::size_t FrontSize() const;
  std::string Front() const;

 private:
  std::string m_strStart;  // the payload's start, without the number of files
  std::uint64_t m_nFiles = 0, m_nFilesSize = 0;
  std::uint32_t m_nFilesCrc = 0;
};

// The bytes of an entry that grows a batch of files at a time, as a save
// writes them: "QLJN", version 2, then blocks, each its payload's size (8
// bytes) and CRC-32 (4) before it. The first block holds the folder and the
// time, each next one a number of files and those files, as above. A block
// is on the disk before any file it records is written, so a crash can cut
// only the last block short: a reader drops that block, whose files were
// never written, and keeps the others.
std::string GrowingEntryStart(const JournalEntry& front);
std::string GrowingEntryBlock(std::span<const JournalFile> files);

// The entry in the open file fd, fileSize bytes long, read from its start
// (all but its nId). False, with why ("is damaged", "was written by a newer
// version of Quillory"), when it cannot be read. It is read a part at a
// time into the entry, so an entry takes no more memory to read than it
// holds; no length in it can read past its end or ask for more memory than
// the file holds.
bool ReadEntry(int fd, std::uint64_t fileSize, JournalEntry& entry, CString& why);
