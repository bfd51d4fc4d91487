#pragma once
// The MPEG audio stream of a file, read directly: where it starts, the facts
// of its first frame, and its playing time from a Xing, Info or VBRI header
// or, without one, from its size. A file counts as MPEG audio only when a
// run of frames follows one another as their headers say; bytes that start
// as another kind of file (Ogg, FLAC, MP4, a ZIP archive, ...) are named.
#include <cstddef>

struct CMpegFrame {
  bool bFound = false;
  const char* pszLooksLike = nullptr;  // when not found: "an Ogg Vorbis file", ...; null when unknown
  int nLayer = 0;             // id3lib's numbering: 1 = III, 2 = II, 3 = I
  int nVersion = 0;           // id3lib's numbering: 0 = 2.5, 2 = 2.0, 3 = 1.0
  int nChannelMode = 0;       // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
  int nSampleRate = 0;
  int nBitRate = 0;           // of the first audio frame, bits per second
  int nVbrBitRate = 0;        // the average a Xing or VBRI header gives; 0 for constant bit rate
  double dSeconds = 0;        // the playing time
};

// Reads the stream from offset start (after an ID3v2 tag) to end (before
// an ID3v1 tag); junk before the first frame is skipped.
CMpegFrame FindFirstFrame(const unsigned char* data, std::size_t size, std::size_t start, std::size_t end);
