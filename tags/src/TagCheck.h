#pragma once
// Checks the tags of a file in memory before id3lib parses them: id3lib can
// crash on a malformed ID3v2 tag (a compressed frame over bad data), and it
// cannot write back an ID3v2.2 or v2.4 tag without loss.
#include <cstddef>

struct CTagScan {
  enum class V2 { None, Writable, ReadOnly, Unsafe };
  V2 eV2 = V2::None;
  int nMajor = 0;             // ID3v2 major version when there is a tag
  std::size_t nV2End = 0;     // bytes the ID3v2 tag takes at the start; 0 when unknown
  bool bV1 = false;           // an ID3v1 tag closes the file
  bool bLyrics3 = false;      // a Lyrics3 (v1 or v2.00) block ends the audio
};

CTagScan ScanTags(const unsigned char* data, std::size_t size);
