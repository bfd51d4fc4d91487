#include "TagCheck.h"

#include "ByteOrder.h"

#include <zlib.h>

#include <cstring>
#include <vector>

namespace {

using Bytes = const unsigned char*;
using Span = CTagFrames::Span;

constexpr std::size_t kHeader = 10;  // of a tag, and of an ID3v2.3 or v2.4 frame
constexpr unsigned long kMaxInflated = 16ul << 20;

bool IsFrameIdChar(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// One reading of a body's frame sizes, walked to its end (see WalkTagFrames).
bool Walk(const std::vector<unsigned char>& body, int major, bool plainSizes, std::vector<Span>* frames) {
  const std::size_t header = major == 2 ? 6 : kHeader;
  const std::size_t idLength = major == 2 ? 3 : 4;
  const std::size_t n = body.size();
  std::size_t pos = 0;
  while (pos + header <= n && body[pos] != 0) {
    Bytes p = body.data() + pos;
    for (std::size_t i = 0; i < idLength; ++i)
      if (!IsFrameIdChar(p[i])) return false;
    std::size_t data = 0;
    if (major == 2) {
      data = Be24(p + 3);
    } else if (major == 4 && !plainSizes) {
      if ((p[4] | p[5] | p[6] | p[7]) & 0x80) return false;
      data = Syncsafe(p + 4);
    } else {
      data = Be32(p + 4);
    }
    if (data > n - pos - header) return false;
    frames->push_back({pos, header + data});
    pos += header + data;
  }
  for (; pos < n; ++pos)
    if (body[pos] != 0) return false;
  return true;
}

// Whether zlib data inflates to exactly the size it declares; out, when
// given, receives the inflated bytes.
bool Inflates(Bytes data, std::size_t size, unsigned long declared, std::string* out = nullptr) {
  if (declared == 0 || declared > kMaxInflated) return false;
  std::string inflated(declared, '\0');
  uLongf outSize = declared;
  const int rc = uncompress(reinterpret_cast<Bytef*>(inflated.data()), &outSize, data, static_cast<uLong>(size));
  if (rc != Z_OK || outSize != declared) return false;
  if (out) *out = std::move(inflated);
  return true;
}

// ID3v2.4 frames TagLib can read: not encrypted; compressed only with the
// data length the standard requires, over zlib data that inflates to it.
bool V24FrameIsSound(Bytes frame, std::size_t size) {
  const unsigned char format = frame[9];
  if (format & 0x04) return false;  // encrypted
  if (!(format & 0x08)) return true;
  if (!(format & 0x01) || (format & 0x02)) return false;  // no data length, or unsynchronised as well
  const std::size_t skip = kHeader + ((format & 0x40) ? 1 : 0);  // the group byte comes first
  if (size < skip + 4 || ((frame[skip] | frame[skip + 1] | frame[skip + 2] | frame[skip + 3]) & 0x80)) return false;
  return Inflates(frame + skip + 4, size - skip - 4, static_cast<unsigned long>(Syncsafe(frame + skip)));
}

// Every frame must be one its engine can be handed.
bool FramesAreSound(const CTagFrames& tag) {
  std::string ignored;
  for (const Span& f : tag.frames) {
    Bytes frame = tag.body.data() + f.nPos;
    if (tag.nMajor == 3 && !PlainV23Frame(frame, f.nSize, &ignored)) return false;
    if (tag.nMajor == 4 && !V24FrameIsSound(frame, f.nSize)) return false;
  }
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

bool WalkTagFrames(Bytes tag, std::size_t size, CTagFrames* out) {
  if (size < kHeader || std::memcmp(tag, "ID3", 3) != 0) return false;
  const int major = tag[3];
  const unsigned char flags = tag[5];
  if (major < 2 || major > 4 || tag[4] == 0xFF || ((tag[6] | tag[7] | tag[8] | tag[9]) & 0x80)) return false;
  const std::size_t end = kHeader + Syncsafe(tag + 6);
  if (end > size) return false;
  if (major == 2 && (flags & 0x40)) return false;  // v2.2 compression: never defined
  std::vector<unsigned char> body(tag + kHeader, tag + end);
  if (major <= 3 && (flags & 0x80)) body = Resync(body.data(), body.size());
  if (major >= 3 && (flags & 0x40)) {  // extended header
    if (body.size() < 4) return false;
    const std::size_t ext = major == 3 ? Be32(body.data()) + 4 : Syncsafe(body.data());
    if (ext < 6 || ext > body.size()) return false;
    body.erase(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(ext));
  }
  // Both readings of ID3v2.4 sizes can walk a tag: a synchsafe tag whose
  // frame of 128 bytes or more, read as plain, runs on over later frames
  // into the padding (as in most tags other programs write). So the standard
  // reading is taken wherever it holds, and the plain one where only it does.
  std::vector<Span> frames;
  if (!Walk(body, major, false, &frames)) {
    frames.clear();
    if (major != 4 || !Walk(body, major, true, &frames)) return false;
  }
  out->nMajor = major;
  out->nFlags = flags;
  out->body = std::move(body);
  out->frames = std::move(frames);
  return true;
}

std::size_t FramesEnd(Bytes tag, std::size_t size) {
  CTagFrames walked;
  if (!WalkTagFrames(tag, size, &walked) || (walked.nFlags & 0x40)) return size;
  return walked.frames.empty() ? kHeader : kHeader + walked.frames.back().nPos + walked.frames.back().nSize;
}

bool PlainV23Frame(Bytes frame, std::size_t size, std::string* out) {
  const unsigned char format = frame[9];
  out->clear();
  if (format & 0x40) return true;  // encrypted
  const bool group = format & 0x20;
  if (!(format & 0x80)) {
    if (group && size < kHeader + 1) return false;
    out->assign(reinterpret_cast<const char*>(frame), size);
    return true;
  }
  // ID3v2.3 3.3.1: the decompressed size, the group byte, then the zlib data.
  const std::size_t skip = kHeader + 4 + (group ? 1 : 0);
  std::string inflated;
  if (size < skip || !Inflates(frame + skip, size - skip, static_cast<unsigned long>(Be32(frame + kHeader)), &inflated))
    return false;
  out->assign(reinterpret_cast<const char*>(frame), kHeader);
  if (group) *out += static_cast<char>(frame[kHeader + 4]);
  *out += inflated;
  unsigned char* header = reinterpret_cast<unsigned char*>(out->data());
  PutBe32(header + 4, out->size() - kHeader);
  header[9] = static_cast<unsigned char>(format & ~0x80);
  return true;
}

std::string Id3libSafeTag(const CTagFrames& tag) {
  if (tag.nMajor != 3) return std::string();
  std::string frames, plain;
  for (const Span& f : tag.frames) {
    if (!PlainV23Frame(tag.body.data() + f.nPos, f.nSize, &plain)) return std::string();
    frames += plain;
  }
  std::string out("ID3\x03\0\0\0\0\0\0", kHeader);
  PutSyncsafe(reinterpret_cast<unsigned char*>(out.data()) + 6, frames.size());
  return out + frames;
}

CTagScan ScanTags(const unsigned char* data, std::size_t size, CTagFrames* frames) {
  CTagScan scan;
  scan.bV1 = size >= 128 && std::memcmp(data + size - 128, "TAG", 3) == 0;
  scan.bLyrics3 = HasLyrics3(data, scan.bV1 ? size - 128 : size);
  if (size < 3 || std::memcmp(data, "ID3", 3) != 0) return scan;

  scan.eV2 = CTagScan::V2::Unsafe;
  if (size < kHeader) return scan;
  scan.nMajor = data[3];
  if (data[4] == 0xFF || (data[6] | data[7] | data[8] | data[9]) & 0x80) return scan;
  std::size_t end = kHeader + Syncsafe(data + 6);
  if (scan.nMajor == 4 && (data[5] & 0x10)) end += kHeader;  // footer
  if (end > size) return scan;
  scan.nV2End = end;
  CTagFrames walked;
  if (!WalkTagFrames(data, end, &walked) || !FramesAreSound(walked)) return scan;
  scan.eV2 = CTagScan::V2::Sound;
  if (frames) *frames = std::move(walked);
  return scan;
}
