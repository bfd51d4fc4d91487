#pragma once
// Checks the tags of a file in memory before a tag engine parses them, and
// is the one place that decides where an ID3v2 tag's frames lie. id3lib
// crashes on compressed frames and can be led astray by frames that run out
// of bounds; neither engine is handed a tag this file did not walk whole.
#include <cstddef>
#include <string>
#include <vector>

struct CTagScan {
  enum class V2 { None, Sound, Unsafe };
  V2 eV2 = V2::None;
  int nMajor = 0;             // ID3v2 major version when there is a tag
  std::size_t nV2End = 0;     // bytes the ID3v2 tag takes at the start; 0 when unknown
  bool bV1 = false;           // an ID3v1 tag closes the file
  bool bLyrics3 = false;      // a Lyrics3 (v1 or v2.00) block ends the audio
};

struct CTagFrames;

// The tags of a whole file; frames, when given, receives the ID3v2 tag's
// frames when the tag is sound.
CTagScan ScanTags(const unsigned char* data, std::size_t size, CTagFrames* frames = nullptr);

// A tag body with unsynchronisation undone (0xFF 0x00 becomes 0xFF), as a
// reader of a whole-tag unsynchronised ID3v2.2 or v2.3 tag sees it.
std::vector<unsigned char> Resync(const unsigned char* p, std::size_t size);

// An ID3v2 tag's frames as a reader sees them.
struct CTagFrames {
  struct Span {
    std::size_t nPos;   // in body
    std::size_t nSize;  // header included
  };
  int nMajor = 0;
  unsigned char nFlags = 0;          // the tag header's flags
  std::vector<unsigned char> body;   // whole-tag unsynchronisation (v2.2, v2.3) undone, extended header skipped
  std::vector<Span> frames;
};

// Walks the frames of the tag at tag (size bytes, from "ID3"; the header's
// size may be less). A walk is valid when every frame has a valid identifier
// and lies inside the tag, and what follows the last one is zeros (padding)
// or nothing. ID3v2.4 sizes are synchsafe, but old iTunes wrote plain ones:
// both readings are walked, and the one that is valid is taken (when both
// are and they disagree, the tag is not read). False when no single walk
// holds, or the header is not one of versions 2.2 to 2.4.
bool WalkTagFrames(const unsigned char* tag, std::size_t size, CTagFrames* out);

// The data of one frame of an ID3v2.3 tag as id3lib may be given it: the
// frame itself, or with its zlib data inflated (checked against the size it
// declares) and its compression flag cleared; empty for an encrypted frame,
// which no one but its owner can read. False when a compressed frame does
// not inflate to its declared size.
bool PlainV23Frame(const unsigned char* frame, std::size_t size, std::string* out);

// The ID3v2.3 tag id3lib parses in place of the file's: header and frames
// (each as PlainV23Frame gives it), no unsynchronisation, no extended header,
// no padding. Empty when the frames do not form a sound ID3v2.3 tag.
std::string Id3libSafeTag(const CTagFrames& frames);

// Where the frames of a tag we rendered (ID3v2.3 or v2.4, no extended
// header) end and its padding begins; size when they cannot be walked.
std::size_t FramesEnd(const unsigned char* tag, std::size_t size);
