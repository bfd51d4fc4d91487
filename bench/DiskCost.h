#pragma once
// What flushing costs a save: each file's ID3v2 tag region written back in
// place, once without and once with fdatasync, over the files just saved.
#include <string>

namespace bench {

struct FlushTimes {
  double dWrite = 0;  // pwrite of every file's tag region
  double dFlush = 0;  // the same, each followed by fdatasync
  int nFiles = 0;
};

// The tag region is the ID3v2 tag with its padding (the bytes an in-place
// save writes); files without one write their first 128 bytes. The bytes
// written are the ones read, so the files do not change.
FlushTimes TimeTagFlush(const std::string& folder);

}  // namespace bench
