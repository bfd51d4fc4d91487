#pragma once
// A journal record of a small file a save writes whole (a playlist that
// names a renamed file): what the file held before and what the save wrote,
// so an undo puts the old bytes back only onto a file that still holds the
// new ones.
//
// Layout: "QTW1", u64 little-endian size of the new bytes, the new bytes,
// then the old bytes.
#include <base/String.h>
#include <tags/MyMP3Tags.h>

#include <string>
#include <vector>

std::vector<unsigned char> MakeWholeFileRecord(const std::string& before, const std::string& after);
bool IsWholeFileRecord(const std::string& record);
// Writes the old bytes back (durably) when the file holds what the save
// wrote; AlreadyRestored when it holds the old ones; else Refused (or Failed
// when the write failed), with the reason.
CRestoreResult RestoreWholeFile(const CString& path, const std::string& record, CString& reason);
