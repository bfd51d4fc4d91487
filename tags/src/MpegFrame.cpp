#include "MpegFrame.h"

#include "ByteOrder.h"

#include <cstring>

namespace {

using Bytes = const unsigned char*;

// How far into the audio a first frame is looked for: encoders and taggers
// leave junk, and sometimes an APEv2 tag, before it.
constexpr std::size_t kSearch = 128 * 1024;
// Frames that must follow one another before the bytes count as MPEG audio.
constexpr std::size_t kRun = 3;
// Free-format candidates tried per file (each looks for the next frame).
constexpr int kFreeTries = 16;

const int kSampleRates[4][3] = {{11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
// kbit/s by [MPEG-1][layer: I, II, III][index]; MPEG-2 and 2.5 share one table for II and III.
const int kBitRatesV1[3][15] = {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
                                {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
                                {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}};
const int kBitRatesV2[2][15] = {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
                                {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}};

struct Header {
  int version, layer, bitRate, sampleRate, samples, padding, channelMode;
  unsigned char key[2];  // what every frame of one stream shares: version, layer, sample rate

  // The frame's length in bytes; 0 for free format, whose length only the
  // next frame tells (freeBase, when known, is that length without padding).
  std::size_t Length(std::size_t freeBase = 0) const {
    if (bitRate == 0) return freeBase == 0 ? 0 : freeBase + padding * (layer == 3 ? 4 : 1);
    if (layer == 3) return (12 * static_cast<std::size_t>(bitRate) / sampleRate + padding) * 4;
    return static_cast<std::size_t>(samples) / 8 * bitRate / sampleRate + padding;
  }
};

bool ReadHeader(Bytes h, Header* out) {
  if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) return false;
  const int version = (h[1] >> 3) & 3, layer = (h[1] >> 1) & 3, index = h[2] >> 4, rate = (h[2] >> 2) & 3;
  if (version == 1 || layer == 0 || index == 15 || rate == 3) return false;
  const int kbits = version == 3 ? kBitRatesV1[3 - layer][index] : kBitRatesV2[layer == 3 ? 0 : 1][index];
  const int samples = layer == 3 ? 384 : (layer == 1 && version != 3) ? 576 : 1152;
  *out = {version, layer, kbits * 1000, kSampleRates[version][rate], samples, (h[2] >> 1) & 1, h[3] >> 6,
          {static_cast<unsigned char>(h[1] & 0xFE), static_cast<unsigned char>(h[2] & 0x0C)}};
  return true;
}

bool SameStream(const Header& a, const Header& b) {
  return a.key[0] == b.key[0] && a.key[1] == b.key[1] && (a.bitRate == 0) == (b.bitRate == 0);
}

bool StartsWith(Bytes p, std::size_t size, const char* text, std::size_t at = 0) {
  const std::size_t n = std::strlen(text);
  return size >= at + n && std::memcmp(p + at, text, n) == 0;
}

bool Contains(Bytes p, std::size_t size, const char* text) {
  const std::size_t n = std::strlen(text);
  for (std::size_t i = 0; i + n <= size && i < 96; ++i)
    if (std::memcmp(p + i, text, n) == 0) return true;
  return false;
}

// What bytes that start as another kind of file seem to be.
const char* LooksLike(Bytes p, std::size_t n) {
  if (StartsWith(p, n, "OggS")) {
    if (Contains(p, n, "\x01vorbis")) return "an Ogg Vorbis file";
    if (Contains(p, n, "OpusHead")) return "an Ogg Opus file";
    if (Contains(p, n, "\x7F" "FLAC")) return "an Ogg FLAC file";
    return "an Ogg file";
  }
  if (StartsWith(p, n, "\x1A\x45\xDF\xA3")) return Contains(p, n, "webm") ? "a WebM file" : "a Matroska file";
  if (StartsWith(p, n, "RIFF") && StartsWith(p, n, "WAVE", 8)) return "a RIFF/WAVE file";
  if (StartsWith(p, n, "FORM") && (StartsWith(p, n, "AIFF", 8) || StartsWith(p, n, "AIFC", 8))) return "an AIFF file";
  if (n >= 2 && p[0] == 0xFF && (p[1] & 0xF6) == 0xF0) return "an ADTS AAC file";
  static const char* const kKinds[][2] = {
      {"fLaC", "a FLAC file"}, {"wvpk", "a WavPack file"}, {"MAC ", "a Monkey's Audio (APE) file"},
      {"MPCK", "a Musepack file"}, {"MP+", "a Musepack file"}, {"ADIF", "an ADIF AAC file"},
      {"PK\x03\x04", "a ZIP archive"}, {"\x7F" "ELF", "an ELF program"}, {"MZ", "a Windows program"},
      {"%PDF", "a PDF document"}, {"\x89PNG", "a PNG image"}, {"\xFF\xD8\xFF", "a JPEG image"},
      {"GIF8", "a GIF image"}};
  for (const auto& kind : kKinds)
    if (StartsWith(p, n, kind[0])) return kind[1];
  if (StartsWith(p, n, "ftyp", 4)) return "an MP4 (M4A) file";
  return nullptr;
}

// True when a trailing tag (or nothing) starts at pos: the audio ended there.
bool AudioEndsAt(Bytes data, std::size_t end, std::size_t pos) {
  return pos == end || StartsWith(data + pos, end - pos, "APETAGEX") || StartsWith(data + pos, end - pos, "LYRICSBEGIN");
}

// The length of a free-format frame without its padding: the distance to
// the next header of the same stream.
std::size_t FreeBase(Bytes data, std::size_t end, std::size_t pos, const Header& first) {
  Header next;
  for (std::size_t at = pos + 24; at + 4 <= end && at < pos + 8192; ++at)
    if (ReadHeader(data + at, &next) && SameStream(first, next)) return at - pos - first.padding * (first.layer == 3 ? 4 : 1);
  return 0;
}

// True when frames follow one another from pos as their headers say: kRun
// of them, or fewer that end exactly where the audio does (or, from the
// audio's very start, run past its end, as in a cut file).
bool RunFrom(Bytes data, std::size_t start, std::size_t end, std::size_t pos, const Header& first, std::size_t freeBase) {
  Header h = first;
  for (std::size_t at = pos, count = 1;; ++count) {
    const std::size_t length = h.Length(freeBase);
    if (length < 4) return false;
    const std::size_t next = at + length;
    if (next <= end && AudioEndsAt(data, end, next)) return true;
    if (count >= kRun) return true;
    if (next + 4 > end) return pos == start;
    Header following;
    if (!ReadHeader(data + next, &following) || !SameStream(first, following)) return false;
    at = next;
    h = following;
  }
}

// The Xing or Info header (or VBRI) of the first frame: its frame count,
// and for a variable bit rate the average.
void ReadVbrHeader(Bytes data, std::size_t end, std::size_t pos, const Header& h, CMpegFrame* frame) {
  unsigned long frames = 0, bytes = 0;
  bool vbr = false;
  const bool mono = h.channelMode == 3;
  const std::size_t xing = pos + 4 + (h.version == 3 ? (mono ? 17 : 32) : (mono ? 9 : 17));
  const std::size_t vbri = pos + 36;
  if (h.layer == 1 && xing + 16 <= end &&
      (StartsWith(data + xing, 4, "Xing") || StartsWith(data + xing, 4, "Info"))) {
    vbr = data[xing] == 'X';
    const unsigned long flags = Be32(data + xing + 4);
    std::size_t field = xing + 8;
    if (flags & 1) {
      frames = Be32(data + field);
      field += 4;
    }
    if ((flags & 2) && field + 4 <= end) bytes = Be32(data + field);
  } else if (vbri + 18 <= end && StartsWith(data + vbri, 4, "VBRI")) {
    vbr = true;
    bytes = Be32(data + vbri + 10);
    frames = Be32(data + vbri + 14);
  }
  if (frames == 0) return;
  frame->dSeconds = static_cast<double>(frames) * h.samples / h.sampleRate;
  // The header's own frame is counted in its bytes, not in its frames.
  const std::size_t own = h.Length();
  if (vbr && bytes > own) frame->nVbrBitRate = static_cast<int>((bytes - own) * 8.0 / frame->dSeconds);
}

}  // namespace

CMpegFrame FindFirstFrame(Bytes data, std::size_t size, std::size_t start, std::size_t end) {
  CMpegFrame frame;
  if (end > size) end = size;
  if (start >= end) return frame;
  frame.pszLooksLike = LooksLike(data + start, end - start);
  if (frame.pszLooksLike) return frame;
  const std::size_t limit = end - start > kSearch ? start + kSearch : end;
  int freeTries = 0;
  for (std::size_t pos = start; pos + 4 <= limit; ++pos) {
    Header h;
    if (!ReadHeader(data + pos, &h) || (h.bitRate == 0 && ++freeTries > kFreeTries)) continue;
    const std::size_t freeBase = h.bitRate == 0 ? FreeBase(data, end, pos, h) : 0;
    if (h.bitRate == 0 && freeBase == 0) continue;
    if (!RunFrom(data, start, end, pos, h, freeBase)) continue;
    frame.bFound = true;
    frame.nLayer = h.layer;
    frame.nVersion = h.version;
    frame.nChannelMode = h.channelMode;
    frame.nSampleRate = h.sampleRate;
    frame.nBitRate = h.bitRate != 0 ? h.bitRate : static_cast<int>(freeBase * 8.0 * h.sampleRate / h.samples);
    ReadVbrHeader(data, end, pos, h, &frame);
    if (frame.dSeconds > 0) {
      // A Xing or Info frame may be of another bit rate than the audio after it.
      Header next;
      const std::size_t after = pos + h.Length(freeBase);
      if (frame.nVbrBitRate == 0 && after + 4 <= end && ReadHeader(data + after, &next) && next.bitRate > 0)
        frame.nBitRate = next.bitRate;
    } else if (frame.nBitRate > 0) {
      frame.dSeconds = (end - pos) * 8.0 / frame.nBitRate;
    }
    break;
  }
  return frame;
}
