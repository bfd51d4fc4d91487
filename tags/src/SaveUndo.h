#pragma once
// A save with a way back: a write made to write exactly what its record
// says, and the restore of a record.
#include "TagWriter.h"

#include <base/String.h>

#include <cstddef>
#include <vector>

// Turns a rendered write of file (size bytes as read, its ID3v2 region
// oldRegion bytes, an ID3v1 block at its end when v1) into one that writes
// exactly the region the writer would lay out, and only over these very
// bytes; returns the record of what it replaces (SaveRecord.h).
std::vector<unsigned char> SealWrite(CTagWrite* request, const unsigned char* file, std::size_t size,
                                     std::size_t oldRegion, bool v1, const unsigned char* oldV1);

// Turns a rendered write of the same file into the one record (made by
// SealWrite of the same edits) describes, without making the record again:
// true when the write lays out the record's new region and ID3v1 block over
// a file of the record's old size and region; the writer then checks that
// the file still holds the record's old bytes.
bool SealWriteAs(CTagWrite* request, const std::vector<unsigned char>& record, std::size_t size,
                 std::size_t oldRegion, bool v1, const unsigned char* oldV1);

enum class CRestorePlan { Write, AlreadyThere, Refuse };

// What restoring a record into the file at path takes: Write, with the
// write in request; AlreadyThere when the file holds its old state; else
// Refuse, with the reason.
CRestorePlan PlanRestore(const CString& path, const std::vector<unsigned char>& record, CTagWrite* request,
                         CString* reason);
