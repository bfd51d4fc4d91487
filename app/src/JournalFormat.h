#pragma once
// The bytes of a journal entry's file: "QLJN", the format's version, the
// payload's size and its CRC-32, then the payload (the folder, the time, and
// per file its paths, size, times and record), little-endian, each text or
// record preceded by its length. A file adds 36 bytes and its paths to its
// record.
#include "SaveJournal.h"

#include <string>

std::string SerialiseEntry(const JournalEntry& entry);

// The entry the bytes hold (all but its nId). False, with why ("is damaged",
// "was written by a newer version of Quillory"), when they cannot be read;
// no length in them can read past their end or ask for a huge allocation.
bool ParseEntry(const std::string& bytes, JournalEntry& entry, CString& why);
