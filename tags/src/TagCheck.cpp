#include "TagCheck.h"

#include "Id3Bytes.h"

#include <zlib.h>

#include <cstring>
#include <vector>

namespace {

using Bytes = const unsigned char*;

bool IsFrameIdChar(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// True when a frame of dataSize bytes at pos ends where the next frame, the
// padding or the body's end begins.
bool EndsOnBoundary(Bytes body, std::size_t size, std::size_t pos, unsigned long dataSize) {
  if (dataSize > size - pos - 10) return false;
  const std::size_t next = pos + 10 + dataSize;
  if (next == size || body[next] == 0) return true;
  if (next + 10 > size) return false;
  for (std::size_t i = 0; i < 4; ++i)
    if (!IsFrameIdChar(body[next + i])) return false;
  return true;
}

// A frame marked compressed must hold zlib data that inflates to exactly the
// size it declares; anything else is what crashes id3lib.
bool CompressedFrameIsSound(Bytes payload, std::size_t size) {
  if (size < 4) return false;
  const unsigned long declared = Be32(payload);
  if (declared == 0 || declared > (16ul << 20)) return false;
  std::vector<unsigned char> out(declared);
  uLongf outSize = declared;
  const int rc = uncompress(out.data(), &outSize, payload + 4, static_cast<uLong>(size - 4));
  return rc == Z_OK && outSize == declared;
}

// Walks the frames of a tag body; false when any frame would lead id3lib
// astray (out of bounds, encrypted, compressed over bad data, bad ids).
bool FramesAreSound(Bytes body, std::size_t size, int major) {
  const std::size_t header = major == 2 ? 6 : 10;
  std::size_t pos = 0;
  while (pos + header <= size) {
    if (body[pos] == 0) return true;  // padding
    const std::size_t idLen = major == 2 ? 3 : 4;
    for (std::size_t i = 0; i < idLen; ++i)
      if (!IsFrameIdChar(body[pos + i])) return false;
    const unsigned long frameSize = FrameDataSize(body, size, pos, major);
    if (frameSize > size - pos - header) return false;
    if (major == 3) {
      const unsigned char format = body[pos + 9];
      if (format & 0x40) return false;  // encrypted: id3lib cannot read it
      if ((format & 0x80) && !CompressedFrameIsSound(body + pos + header + ((format & 0x20) ? 1 : 0),
                                                     frameSize - ((format & 0x20) ? 1 : 0)))
        return false;
      if ((format & 0x20) && frameSize < 1) return false;
    }
    if (major == 4 && (body[pos + 9] & 0x0C)) return false;  // compressed or encrypted
    pos += header + frameSize;
  }
  // A tail too short for a frame header must be padding.
  for (; pos < size; ++pos)
    if (body[pos] != 0) return false;
  return true;
}

bool Matches(Bytes p, const char* text) { return std::memcmp(p, text, std::strlen(text)) == 0; }

// A Lyrics3 block sits between the audio and the ID3v1 tag (or the file's
// end). Version 2.00 ends in its six-digit size and "LYRICS200"; version 1
// ends in "LYRICSEND" and begins at most 5100 bytes of lyrics before it.
bool HasLyrics3(Bytes data, std::size_t end) {
  constexpr std::size_t kBegin = 11;  // "LYRICSBEGIN"
  if (end < kBegin + 9) return false;
  if (Matches(data + end - 9, "LYRICS200") && end >= kBegin + 15) {
    std::size_t size = 0;
    for (std::size_t i = end - 15; i < end - 9; ++i) {
      if (data[i] < '0' || data[i] > '9') return false;
      size = size * 10 + (data[i] - '0');
    }
    return size >= kBegin && size <= end - 15 && Matches(data + end - 15 - size, "LYRICSBEGIN");
  }
  if (!Matches(data + end - 9, "LYRICSEND")) return false;
  const std::size_t from = end - 9 > 5100 + kBegin ? end - 9 - 5100 - kBegin : 0;
  for (std::size_t i = from; i + kBegin <= end - 9; ++i)
    if (Matches(data + i, "LYRICSBEGIN")) return true;
  return false;
}

}  // namespace

std::vector<unsigned char> Resync(Bytes p, std::size_t size) {
  std::vector<unsigned char> out;
  out.reserve(size);
  for (std::size_t i = 0; i < size; ++i) {
    out.push_back(p[i]);
    if (p[i] == 0xFF && i + 1 < size && p[i + 1] == 0x00) ++i;
  }
  return out;
}

unsigned long FrameDataSize(Bytes body, std::size_t size, std::size_t pos, int major) {
  Bytes p = body + pos;
  if (major == 2) return (static_cast<unsigned long>(p[3]) << 16) | (p[4] << 8) | p[5];
  const unsigned long plain = Be32(p + 4);
  if (major != 4) return plain;
  const bool synchsafe = !((p[4] | p[5] | p[6] | p[7]) & 0x80);
  if (synchsafe && (Syncsafe(p + 4) == plain || EndsOnBoundary(body, size, pos, Syncsafe(p + 4))))
    return Syncsafe(p + 4);
  return EndsOnBoundary(body, size, pos, plain) || !synchsafe ? plain : Syncsafe(p + 4);
}

CTagScan ScanTags(const unsigned char* data, std::size_t size) {
  CTagScan scan;
  scan.bV1 = size >= 128 && std::memcmp(data + size - 128, "TAG", 3) == 0;
  scan.bLyrics3 = HasLyrics3(data, scan.bV1 ? size - 128 : size);
  if (size < 3 || std::memcmp(data, "ID3", 3) != 0) return scan;

  scan.eV2 = CTagScan::V2::Unsafe;
  if (size < 10) return scan;
  scan.nMajor = data[3];
  const unsigned char flags = data[5];
  if (data[4] == 0xFF || (data[6] | data[7] | data[8] | data[9]) & 0x80) return scan;
  std::size_t end = 10 + Syncsafe(data + 6);
  if (scan.nMajor == 4 && (flags & 0x10)) end += 10;  // footer
  if (end > size) return scan;
  scan.nV2End = end;
  if (scan.nMajor < 2 || scan.nMajor > 4) return scan;

  const std::size_t bodySize = end - 10 - (scan.nMajor == 4 && (flags & 0x10) ? 10 : 0);
  std::vector<unsigned char> body(data + 10, data + 10 + bodySize);
  if (scan.nMajor == 2 && (flags & 0x40)) return scan;  // v2.2 compression: never defined
  if (scan.nMajor <= 3 && (flags & 0x80)) body = Resync(body.data(), body.size());
  std::size_t start = 0;
  if (scan.nMajor >= 3 && (flags & 0x40)) {  // extended header
    if (body.size() < 4) return scan;
    const unsigned long ext = scan.nMajor == 3 ? Be32(body.data()) + 4 : Syncsafe(body.data());
    if (ext < 6 || ext > body.size()) return scan;
    start = ext;
  }
  if (!FramesAreSound(body.data() + start, body.size() - start, scan.nMajor)) return scan;
  scan.eV2 = CTagScan::V2::Sound;
  return scan;
}
