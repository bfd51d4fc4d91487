#include "MpegFrame.h"

#include "Id3Bytes.h"

#include <cstring>

namespace {

const int kSampleRates[4][3] = {
    {11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};

}  // namespace

CMpegFrame FindFirstFrame(const unsigned char* data, std::size_t size, std::size_t start) {
  CMpegFrame frame;
  const std::size_t limit = start + 8192 < size ? start + 8192 : size;
  for (std::size_t pos = start; pos + 4 <= limit; ++pos) {
    const unsigned char* h = data + pos;
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) continue;
    const int version = (h[1] >> 3) & 3;
    const int layer = (h[1] >> 1) & 3;  // 1 = III, 2 = II, 3 = I
    const int bitrateIndex = h[2] >> 4;
    const int rateIndex = (h[2] >> 2) & 3;
    if (version == 1 || layer == 0 || bitrateIndex == 15 || rateIndex == 3) continue;
    frame.bFound = true;
    frame.nVersion = version;
    frame.nSampleRate = kSampleRates[version][rateIndex];
    frame.nSamplesPerFrame = layer == 3 ? 384 : (layer == 1 && version != 3) ? 576 : 1152;
    if (layer == 1) {
      const bool mono = (h[3] >> 6) == 3;
      const std::size_t sideInfo = version == 3 ? (mono ? 17 : 32) : (mono ? 9 : 17);
      const std::size_t xing = pos + 4 + sideInfo;
      if (xing + 16 <= size && std::memcmp(data + xing, "Xing", 4) == 0) {
        const unsigned long flags = Be32(data + xing + 4);
        std::size_t field = xing + 8;
        if (flags & 1) {
          frame.bXing = true;
          frame.nFrames = Be32(data + field);
          field += 4;
        }
        if ((flags & 2) && field + 4 <= size) frame.nBytes = Be32(data + field);
      }
    }
    break;
  }
  return frame;
}
