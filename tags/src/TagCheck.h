#pragma once
// Checks the tags of a file in memory before a tag engine parses them:
// id3lib can crash on a malformed ID3v2 tag (a compressed frame over bad
// data), and neither engine should be handed frames that run out of bounds.
#include <cstddef>
#include <vector>

struct CTagScan {
  enum class V2 { None, Sound, Unsafe };
  V2 eV2 = V2::None;
  int nMajor = 0;             // ID3v2 major version when there is a tag
  std::size_t nV2End = 0;     // bytes the ID3v2 tag takes at the start; 0 when unknown
  bool bV1 = false;           // an ID3v1 tag closes the file
  bool bLyrics3 = false;      // a Lyrics3 (v1 or v2.00) block ends the audio
};

CTagScan ScanTags(const unsigned char* data, std::size_t size);

// A tag body with unsynchronisation undone (0xFF 0x00 becomes 0xFF), as a
// reader of a whole-tag unsynchronised ID3v2.2 or v2.3 tag sees it.
std::vector<unsigned char> Resync(const unsigned char* p, std::size_t size);

// The data size of the frame whose header starts at pos in a tag body of
// size bytes. ID3v2.4 sizes are synchsafe, but some versions of iTunes wrote
// plain ones: the reading that lands on the next frame (or on the end, or on
// padding) is taken.
unsigned long FrameDataSize(const unsigned char* body, std::size_t size, std::size_t pos, int major);
