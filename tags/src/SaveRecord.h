#pragma once
// The record of one save: what the write replaced (the old ID3v2 region and
// ID3v1 block) and a fingerprint of what it wrote, so that a restore, even
// one read back from disk much later, can put the old tags back byte for
// byte into a file that still holds exactly what the save left there.
//
// The old region is kept as its difference from the new one: a frame the
// save kept (wherever it now lies, and whatever its header became) is a
// reference into the new region, padding a length, everything else literal
// bytes. A save of text frames thus records a few hundred bytes whatever
// pictures the file holds; a changed picture is recorded whole.
//
// Layout (integers little-endian):
//   "QTU" 1                     magic and version
//   u8   flags                  1: the file ends with an ID3v1 block; 2: the old block follows;
//                               4: the save added the ID3v1 block (none before); 8: the save
//                               removed it (none after; the old block follows, flag 2)
//   u64 u32 digest digest       before: file size, region size, region digest, ID3v1 digest
//   u64 u32 digest digest       after: the same
//   digest                      of the audio's first bytes (the same on both sides)
//   [128 bytes]                 the old ID3v1 block, when flag 2
//   u32  count, then each part of the old region:
//        u8 1, u32 n, n bytes   literal
//        u8 2, u32 at, u32 n    n bytes of the new region from at
//        u8 3, u32 n            n zero bytes
#include "Sha256.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A file as one side of a save left it.
struct CFileSide {
  std::uint64_t nSize = 0;
  std::uint32_t nRegion = 0;  // bytes of the ID3v2 region at the start (0: none)
  CDigest region{};           // of those bytes
  CDigest v1{};               // of the ID3v1 block, when the file has one
};

struct CSaveRecord {
  struct Part {
    enum Kind : unsigned char { Literal = 1, Copy = 2, Zeros = 3 } eKind;
    std::uint32_t nAt = 0;  // Copy: where in the new region
    std::uint32_t nSize = 0;
    std::string strBytes;   // Literal
  };
  bool bV1 = false;          // an ID3v1 block ends the file on both sides
  bool bV1Before = false;    // an ID3v1 block ends the file before the save
  bool bV1After = false;     // and after it
  CFileSide before, after;
  CDigest audio{};           // of the audio's first bytes (AudioSample)
  bool bV1Changed = false;   // the save changed the ID3v1 block; oldV1 holds it as it was
  std::array<unsigned char, 128> oldV1{};
  std::vector<Part> parts;   // the old region
};

// How many of the audio's first bytes the record fingerprints.
constexpr std::size_t kAudioSample = 16384;

// The record of a write that turns file (size bytes: the old region at its
// start, an ID3v1 block at its end when v1) into one with newRegion at its
// start and newV1 (when v1) at its end, the audio between them unchanged.
// oldDigest, when given, receives the digest of the old region.
std::vector<unsigned char> MakeSaveRecord(const unsigned char* file, std::size_t size, std::size_t oldRegion, bool v1,
                                          const std::string& newRegion, const unsigned char* newV1,
                                          CDigest* oldDigest = nullptr);
// The same for a write that adds or removes the ID3v1 block: v1 says
// whether the file has one now, newV1 the new file's block (null: none).
std::vector<unsigned char> MakeSaveRecordV1(const unsigned char* file, std::size_t size, std::size_t oldRegion,
                                            bool v1, const std::string& newRegion, const unsigned char* newV1,
                                            CDigest* oldDigest = nullptr);

// Reads a record; false when it is damaged or of another version (reason says which).
bool ParseSaveRecord(const std::vector<unsigned char>& bytes, CSaveRecord* out, const char** reason);

// The old region, put together from the record and the new region (its
// after.nRegion bytes); false unless it has the digest the record names.
bool RebuildOldRegion(const CSaveRecord& record, const unsigned char* newRegion, std::string* out);

// The digest of the audio's first bytes in a file whose region takes
// regionSize bytes.
CDigest AudioSample(const unsigned char* file, std::size_t size, std::size_t regionSize, bool v1);
