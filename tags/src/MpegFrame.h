#pragma once
// The first MPEG audio frame of a file and its Xing header, read directly:
// id3lib misplaces the Xing header of MPEG-2 and 2.5 files and reports twice
// the playing time (or none) and half the average bit rate for them.
#include <cstddef>

struct CMpegFrame {
  bool bFound = false;
  int nVersion = 0;         // id3lib's numbering: 0 = 2.5, 2 = 2.0, 3 = 1.0
  int nSampleRate = 0;
  int nSamplesPerFrame = 0;
  bool bXing = false;       // a "Xing" header with a frame count
  unsigned long nFrames = 0;
  unsigned long nBytes = 0; // audio bytes the Xing header declares, 0 when absent
};

// Looks for the first frame from offset start on, within a few kilobytes.
CMpegFrame FindFirstFrame(const unsigned char* data, std::size_t size, std::size_t start);
