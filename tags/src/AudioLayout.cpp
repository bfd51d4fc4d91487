#include "AudioLayout.h"

#include "ByteOrder.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>

namespace {

std::int64_t Granule(const unsigned char* page) { return static_cast<std::int64_t>(Le64(page + 6)); }

bool Fail(CString* reason, const CString& text) {
  *reason = text;
  return false;
}

// Where the ID3v2 tags before the format's own bytes end (0: none).
std::size_t SkipId3(const unsigned char* data, std::size_t size) {
  std::size_t at = 0;
  while (size - at >= 10 && std::memcmp(data + at, "ID3", 3) == 0) {
    if ((data[at + 6] | data[at + 7] | data[at + 8] | data[at + 9]) & 0x80) return at;
    const std::size_t body = Syncsafe(data + at + 6);
    const std::size_t footer = data[at + 3] == 4 && (data[at + 5] & 0x10) ? 10 : 0;
    if (10 + body + footer > size - at) return at;
    at += 10 + body + footer;
  }
  return at;
}

// ---- Ogg ----

}  // namespace

std::uint32_t OggCrc(const unsigned char* data, std::size_t size) {
  // Eight bytes a step through eight tables: the byte-a-step loop was a
  // sixth of the time reading a folder of Ogg files.
  static const auto tables = [] {
    std::array<std::array<std::uint32_t, 256>, 8> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t r = i << 24;
      for (int k = 0; k < 8; ++k) r = r & 0x80000000u ? (r << 1) ^ 0x04C11DB7u : r << 1;
      t[0][i] = r;
    }
    for (std::size_t k = 1; k < 8; ++k)
      for (std::size_t i = 0; i < 256; ++i) t[k][i] = t[k - 1][i] << 8 ^ t[0][t[k - 1][i] >> 24];
    return t;
  }();
  const auto bytewise = [&](std::uint32_t crc, const unsigned char* p, std::size_t n) {
    for (; n > 0; --n) crc = crc << 8 ^ tables[0][(crc >> 24 ^ *p++) & 0xFF];
    return crc;
  };
  const auto run = [&](std::uint32_t crc, const unsigned char* p, std::size_t n) {
    for (; n >= 8; n -= 8, p += 8) {
      crc ^= std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
      crc = tables[7][crc >> 24] ^ tables[6][crc >> 16 & 0xFF] ^ tables[5][crc >> 8 & 0xFF] ^ tables[4][crc & 0xFF] ^
            tables[3][p[4]] ^ tables[2][p[5]] ^ tables[1][p[6]] ^ tables[0][p[7]];
    }
    return bytewise(crc, p, n);
  };
  // The checksum field itself (bytes 22 to 25) counts as zeros.
  static constexpr unsigned char kZeros[4] = {};
  const std::uint32_t head = run(0, data, std::min<std::size_t>(size, 22));
  if (size <= 26) return bytewise(head, kZeros, size > 22 ? size - 22 : 0);
  return run(bytewise(head, kZeros, 4), data + 26, size - 26);
}

namespace {

// Where the stream's last page starts, found from the end, when it ends the
// file and lies at or after from; else 0.
std::size_t LastPageOf(const unsigned char* data, std::size_t size, std::size_t from, std::uint32_t serial) {
  constexpr std::size_t kLongestPage = 27 + 255 + 255 * 255;
  if (size < 27) return 0;
  const std::size_t lowest = std::max(from, size > kLongestPage ? size - kLongestPage : 0);
  for (std::size_t at = size - 27 + 1; at-- > lowest;) {
    const unsigned char* p = data + at;
    if (std::memcmp(p, "OggS", 4) != 0 || p[4] != 0) continue;
    const std::size_t segments = p[26];
    if (size - at < 27 + segments) continue;
    std::size_t body = 0;
    for (std::size_t s = 0; s < segments; ++s) body += p[27 + s];
    if (at + 27 + segments + body == size && Le32(p + 14) == serial) return at;
  }
  return 0;
}

bool WalkOgg(const unsigned char* data, std::size_t size, CAudioLayout* layout, CString* reason, bool withAudio,
             bool wholeOgg) {
  const bool opus = layout->eFormat == AudioFormat::OggOpus;
  const std::size_t wanted = opus ? 2 : 3;  // the header packets before the audio
  std::vector<std::string> packets;
  std::string packet;
  std::uint32_t serial = 0;
  std::size_t at = 0;
  for (int page = 1; at < size; ++page) {
    const unsigned char* p = data + at;
    if (size - at < 27) return Fail(reason, CString::Formatted("The Ogg stream is cut short in page %d", page));
    if (std::memcmp(p, "OggS", 4) != 0 || p[4] != 0)
      return Fail(reason, CString::Formatted("The Ogg page %d is damaged (no page mark where it should start)", page));
    const std::size_t segments = p[26];
    if (size - at < 27 + segments) return Fail(reason, CString::Formatted("The Ogg stream is cut short in page %d", page));
    std::size_t body = 0;
    for (std::size_t s = 0; s < segments; ++s) body += p[27 + s];
    const std::size_t pageSize = 27 + segments + body;
    if (size - at < pageSize)
      return Fail(reason, CString::Formatted("The Ogg page %d runs past the end of the file (cut short)", page));
    if (page == 1) serial = static_cast<std::uint32_t>(Le32(p + 14)), layout->nFirstGranule = Granule(p);
    layout->nLastGranule = Granule(p);
    // Sequence numbers count on from the first page's, wrapping at 2^32.
    if (Le32(p + 18) != static_cast<std::uint32_t>(Le32(data + 18) + static_cast<std::size_t>(page - 1)))
      layout->bSequenceGap = true;
    // Another serial, or a page that begins a stream again (a second file of
    // the same serial joined on): a save would renumber that one's pages too.
    if (Le32(p + 14) != serial || (page > 1 && (p[5] & 0x02)))
      return Fail(reason, "The Ogg file holds more than one stream, which is not supported");
    const unsigned char* bodyAt = p + 27 + segments;
    if (packets.size() < wanted) {
      if (OggCrc(p, pageSize) != Le32(p + 22))
        return Fail(reason, CString::Formatted("The Ogg page %d is damaged (its checksum does not match)", page));
      std::size_t offset = 0;
      for (std::size_t s = 0; s < segments; ++s) {
        const std::size_t lace = p[27 + s];
        if (packets.size() < wanted) {
          packet.append(reinterpret_cast<const char*>(bodyAt + offset), lace);
          if (lace < 255) packets.push_back(std::exchange(packet, {}));
          if (packets.size() == wanted) {
            layout->nHeaderEnd = at + pageSize;
            layout->nHeaderPages = page;
            layout->bHeadersApart = s + 1 == segments;
          }
        } else if (withAudio) {
          layout->strAudio.append(reinterpret_cast<const char*>(bodyAt + offset), lace);
        }
        offset += lace;
      }
    } else if (withAudio) {
      layout->nBadChecksums += OggCrc(p, pageSize) != Le32(p + 22);
      layout->strAudio.append(reinterpret_cast<const char*>(p + 6), 8);  // the granule position
      layout->strAudio.append(reinterpret_cast<const char*>(bodyAt), body);
    }
    if (page == 1) {
      layout->nFirstPageEnd = at + pageSize;
      layout->bHeadersApart = packets.size() == 1 && packet.empty();
      if (!layout->bHeadersApart) layout->nFirstPageEnd = 0;
    }
    at += pageSize;
    // Reading a file's tags does not need the pages between its headers and its end.
    if (!wholeOgg && !withAudio && packets.size() >= wanted && at < size) {
      if (const std::size_t last = LastPageOf(data, size, at, serial)) {
        layout->nLastGranule = Granule(data + last);
        break;
      }
    }
  }
  if (packets.size() < wanted) return Fail(reason, "The Ogg stream ends before its comment header");
  if (layout->nFirstPageEnd == 0) layout->bHeadersApart = false;
  layout->nSerial = serial;
  layout->headerPackets = packets;
  const std::string& ident = packets[0];
  const std::string& tags = packets[1];
  const char* const magic = opus ? "OpusTags" : "\x03vorbis";
  const std::size_t magicSize = opus ? 8 : 7;
  if ((opus ? ident.compare(0, 8, "OpusHead") : ident.compare(0, 7, "\x01vorbis")) != 0 ||
      tags.compare(0, magicSize, magic) != 0)
    return Fail(reason, "The Ogg stream's header packets are damaged");
  const auto* comment = reinterpret_cast<const unsigned char*>(tags.data()) + magicSize;
  std::size_t end = 0;
  if (!ParseVorbisComment(comment, tags.size() - magicSize, &layout->comment, &end))
    return Fail(reason, "The Ogg stream's comment header is damaged");
  if (!opus && (tags.size() <= magicSize + end || !(comment[end] & 1)))
    return Fail(reason, "The Ogg stream's comment header is damaged (no framing bit)");
  layout->bComment = true;
  return true;
}

// ---- FLAC ----

bool WalkFlac(const unsigned char* data, std::size_t size, CAudioLayout* layout, CString* reason) {
  std::size_t at = layout->nStart + 4;
  bool last = false;
  for (int block = 1; !last; ++block) {
    if (size - std::min(size, at) < 4)
      return Fail(reason, CString::Formatted("The FLAC file ends inside its metadata (block %d)", block));
    last = data[at] & 0x80;
    const int type = data[at] & 0x7F;
    const std::size_t length = Be24(data + at + 1);
    const unsigned char* body = data + at + 4;
    if (size - at - 4 < length)
      return Fail(reason, CString::Formatted("The FLAC metadata block %d runs past the end of the file", block));
    if (block == 1 && (type != 0 || length != 34))
      return Fail(reason, "The FLAC file does not start with its STREAMINFO block");
    if (block == 1 && (Be24(body + 10) >> 4) == 0) return Fail(reason, "The FLAC STREAMINFO block is damaged");
    if (type == 127) return Fail(reason, CString::Formatted("The FLAC metadata block %d is damaged", block));
    layout->blocks.push_back({type, at + 4, length});
    if (type == 4) {
      if (layout->bComment) return Fail(reason, "The FLAC file holds two Vorbis comment blocks");
      // Bytes past the last entry its count names (a count too low) would
      // be lost to the next save; one byte is the framing bit some writers leave.
      std::size_t end = 0;
      if (!ParseVorbisComment(body, length, &layout->comment, &end) || length - end > 1)
        return Fail(reason, CString::Formatted("The FLAC Vorbis comment (block %d) is damaged", block));
      layout->bComment = true;
    }
    if (type == 6) {
      if (!ParseFlacPicture({reinterpret_cast<const char*>(body), length}).bExact)
        return Fail(reason, CString::Formatted("The FLAC picture (block %d) is damaged", block));
      layout->pictures.emplace_back(reinterpret_cast<const char*>(body), length);
    }
    at += 4 + length;
  }
  if (size - at < 2) return Fail(reason, "The FLAC file ends before its audio (cut short)");
  if (data[at] != 0xFF || (data[at + 1] & 0xFE) != 0xF8)
    return Fail(reason, "The FLAC file's audio does not start with a frame after its metadata");
  layout->nAudioStart = at;
  return true;
}

// ---- MP4 ----

struct CMp4Walk {
  const unsigned char* data;
  std::size_t size;
  CAudioLayout* layout;
  bool withAudio;
  bool moov = false, mdat = false, ftyp = false;
  std::size_t firstMdatBody = 0;
  std::vector<std::int64_t> offsets;

  bool IsContainer(const char* type) const {
    static const char* const kContainers[] = {"moov", "trak", "mdia", "minf", "stbl", "udta", "edts",
                                              "dinf", "meta", "ilst", "moof", "traf", "mvex"};
    return std::any_of(std::begin(kContainers), std::end(kContainers),
                       [&](const char* c) { return std::memcmp(c, type, 4) == 0; });
  }

  // Walks the atoms in [at, end); path names the parent for a reason.
  bool Walk(std::size_t at, std::size_t end, const std::string& path, int depth, CString* reason) {
    if (depth > 12) return Fail(reason, CString::Formatted("The MP4 atoms are nested too deep in '%s'", path.c_str()));
    while (at < end) {
      const std::string where = path.empty() ? "the file" : "'" + path + "'";
      if (end - at < 8)
        return Fail(reason, CString::Formatted("The MP4 atom tree is broken in %s (a partial atom header)", where.c_str()));
      std::uint64_t atomSize = Be32(data + at);
      std::size_t header = 8;
      const char* type = reinterpret_cast<const char*>(data + at + 4);
      const std::string name(type, 4);
      if (atomSize == 1) {
        if (end - at < 16) return Fail(reason, CString::Formatted("The MP4 atom '%s' is cut short", name.c_str()));
        atomSize = Be64(data + at + 8);
        header = 16;
      } else if (atomSize == 0) {
        if (!path.empty()) return Fail(reason, CString::Formatted("The MP4 atom '%s' has no size", name.c_str()));
        atomSize = end - at;
      }
      if (atomSize < header || atomSize > end - at)
        return Fail(reason, CString::Formatted("The MP4 atom '%s' in %s runs past its end (the atom tree is broken)",
                                               name.c_str(), where.c_str()));
      const std::string sub = path.empty() ? name : path + "/" + name;
      std::size_t body = at + header;
      const std::size_t atomEnd = at + static_cast<std::size_t>(atomSize);
      if (path.empty()) {
        if (name == "ftyp") ftyp = true;
        if (name == "moov") moov = true;
        if (name == "mdat") {
          if (!mdat) firstMdatBody = body;
          mdat = true;
          if (withAudio) layout->strAudio.append(reinterpret_cast<const char*>(data + body), atomEnd - body);
        }
      }
      if (name == "meta") body += 4;  // version and flags before the children
      if (path.size() >= 4 && path.compare(path.size() - 4, 4, "ilst") == 0) {
        // An item of the tag: data atoms (and for "----" its mean and name).
        if (!Walk(body, atomEnd, sub, depth + 1, reason)) return false;
      } else if (IsContainer(type) && body <= atomEnd) {
        if (!Walk(body, atomEnd, sub, depth + 1, reason)) return false;
      } else if (withAudio && (name == "stco" || name == "co64") && atomEnd - body >= 8) {
        const std::size_t count = Be32(data + body + 4);
        const std::size_t width = name == "stco" ? 4 : 8;
        if ((atomEnd - body - 8) / width < count) return Fail(reason, "The MP4 chunk offset table is cut short");
        for (std::size_t i = 0; i < count; ++i) {
          const unsigned char* e = data + body + 8 + i * width;
          offsets.push_back(static_cast<std::int64_t>(width == 4 ? Be32(e) : Be64(e)));
        }
      }
      at = atomEnd;
    }
    return true;
  }
};

bool WalkMp4(const unsigned char* data, std::size_t size, CAudioLayout* layout, CString* reason, bool withAudio) {
  CMp4Walk walk{data, size, layout, withAudio, false, false, false, 0, {}};
  if (!walk.Walk(0, size, "", 0, reason)) return false;
  if (!walk.ftyp || !walk.moov) return Fail(reason, "The MP4 file has no 'moov' atom (its index is missing)");
  if (!walk.mdat) return Fail(reason, "The MP4 file has no 'mdat' atom (its audio is missing)");
  for (std::int64_t o : walk.offsets) layout->chunkOffsets.push_back(o - static_cast<std::int64_t>(walk.firstMdatBody));
  return true;
}

}  // namespace

CFlacPicture ParseFlacPicture(std::string_view body) {
  CFlacPicture out;
  const auto* p = reinterpret_cast<const unsigned char*>(body.data());
  const std::size_t size = body.size();
  // A length-prefixed part at *at, when it lies inside the body.
  const auto part = [&](std::size_t* at, std::string_view* view) {
    if (size - *at < 4) return false;
    const std::size_t n = Be32(p + *at);
    if (size - *at - 4 < n) return false;
    *view = body.substr(*at + 4, n);
    *at += 4 + n;
    return true;
  };
  if (size < 8) return out;
  out.nType = static_cast<std::uint32_t>(Be32(p));
  std::size_t at = 4;
  if (!part(&at, &out.mime) || !part(&at, &out.description) || size - at < 16) return out;
  at += 16;  // width, height, depth, colours
  if (!part(&at, &out.data)) return out;
  out.bWhole = true;
  out.bExact = at == size;
  return out;
}

std::string CommentKey(std::string_view entry) {
  std::string key(entry.substr(0, std::min(entry.find('='), entry.size())));
  for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return key;
}

bool ParseVorbisComment(const unsigned char* data, std::size_t size, CVorbisComment* out, std::size_t* end) {
  if (size < 8) return false;
  const std::size_t vendor = Le32(data);
  if (size - 4 < vendor + 4) return false;
  out->strVendor.assign(reinterpret_cast<const char*>(data + 4), vendor);
  std::size_t at = 4 + vendor;
  const std::size_t count = Le32(data + at);
  at += 4;
  if (count > (size - at) / 4) return false;
  out->entries.clear();
  for (std::size_t i = 0; i < count; ++i) {
    if (size - at < 4) return false;
    const std::size_t n = Le32(data + at);
    at += 4;
    if (size - at < n) return false;
    out->entries.emplace_back(reinterpret_cast<const char*>(data + at), n);
    at += n;
  }
  if (end) *end = at;
  return true;
}

AudioFormat DetectLayoutFormat(const unsigned char* data, std::size_t size, CString* what, std::size_t* start) {
  const auto say = [&](const char* text) {
    if (what) *what = text;
    return AudioFormat::Unknown;
  };
  const auto has = [&](std::size_t at, const char* magic, std::size_t n) {
    return size >= at + n && std::memcmp(data + at, magic, n) == 0;
  };
  *start = 0;
  if (size == 0) return say("an empty file");
  const std::size_t id3 = SkipId3(data, size);
  if (has(id3, "fLaC", 4)) {
    *start = id3;
    return AudioFormat::Flac;
  }
  // Only MPEG audio and FLAC come after an ID3v2 tag; Ogg and MP4 have no place for one.
  if (id3 > 0 && has(id3, "OggS", 4)) return say("an Ogg file behind an ID3v2 tag");
  if (id3 > 0 && has(id3 + 4, "ftyp", 4)) return say("an MP4 file behind an ID3v2 tag");
  if (id3 > 0) return AudioFormat::Mpeg;
  if (has(0, "OggS", 4)) {
    const std::size_t body = size > 27 ? 27 + std::size_t{data[26]} : size;
    if (has(body, "\x01vorbis", 7)) return AudioFormat::OggVorbis;
    if (has(body, "OpusHead", 8)) return AudioFormat::OggOpus;
    if (has(body, "\x7F" "FLAC", 5)) return say("an Ogg FLAC file");
    if (has(body, "Speex", 5)) return say("an Ogg Speex file");
    if (has(body, "\x80theora", 7)) return say("an Ogg Theora video");
    return say("an Ogg file of an unknown codec");
  }
  if (has(4, "ftyp", 4)) return AudioFormat::Mp4;
  if (size >= 2 && data[0] == 0xFF && (data[1] & 0xE0) == 0xE0) return AudioFormat::Mpeg;
  if (has(0, "RIFF", 4)) return say("a RIFF (WAV) file");
  if (has(0, "PK\x03\x04", 4)) return say("a ZIP archive");
  if (has(0, "MAC ", 4)) return say("a Monkey's Audio file");
  if (has(0, "wvpk", 4)) return say("a WavPack file");
  if (has(0, "MPCK", 4) || has(0, "MP+", 3)) return say("a Musepack file");
  if (has(0, "\x1A\x45\xDF\xA3", 4)) return say("a Matroska or WebM file");
  if (has(0, "\x7F" "ELF", 4)) return say("a program");
  return say("no known audio format");
}

AudioFormat DetectAudioFormat(const unsigned char* data, std::size_t size, CString* what) {
  std::size_t start = 0;
  return DetectLayoutFormat(data, size, what, &start);
}

bool HasAudioExtension(const CString& fileName) {
  const std::string& name = fileName.Str();
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || name.find('/', dot) != std::string::npos) return false;
  std::string ext = name.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == "flac" || ext == "ogg" || ext == "oga" || ext == "opus" || ext == "m4a" || ext == "mp4";
}

bool WalkLayout(const unsigned char* data, std::size_t size, CAudioLayout* layout, CString* reason, bool withAudio,
                bool wholeOgg) {
  CString what;
  layout->eFormat = DetectLayoutFormat(data, size, &what, &layout->nStart);
  switch (layout->eFormat) {
    case AudioFormat::Flac:
      if (!WalkFlac(data, size, layout, reason)) return false;
      if (withAudio)
        layout->strAudio.assign(reinterpret_cast<const char*>(data + layout->nAudioStart), size - layout->nAudioStart);
      return true;
    case AudioFormat::OggVorbis:
    case AudioFormat::OggOpus: return WalkOgg(data, size, layout, reason, withAudio, wholeOgg);
    case AudioFormat::Mp4: return WalkMp4(data, size, layout, reason, withAudio);
    case AudioFormat::Mpeg: return Fail(reason, "The file is MPEG audio, not FLAC, Ogg or MP4");
    case AudioFormat::Unknown: break;
  }
  return Fail(reason, CString::Formatted("The file is no supported audio format (it looks like %s)", what.GetString()));
}

namespace {

// The child atom of type in [at, end) (32-bit sizes only, as ilst's path has).
bool FindChild(const unsigned char* data, std::size_t at, std::size_t end, const char* type, std::size_t* childAt,
               std::size_t* childEnd) {
  while (end - at >= 8) {
    const std::size_t n = Be32(data + at);
    if (n < 8 || n > end - at) return false;
    if (std::memcmp(data + at + 4, type, 4) == 0) {
      *childAt = at;
      *childEnd = at + n;
      return true;
    }
    at += n;
  }
  return false;
}

// A free-form item's "mean" or "name" text (after its version and flags).
std::string FreeFormPart(const unsigned char* data, std::size_t at, std::size_t end, const char* type) {
  std::size_t a = 0, e = 0;
  if (!FindChild(data, at, end, type, &a, &e) || e - a < 12) return {};
  return std::string(reinterpret_cast<const char*>(data + a + 12), e - a - 12);
}

}  // namespace

bool FindIlst(const unsigned char* data, std::size_t size, std::size_t* bodyAt, std::size_t* bodyEnd,
              std::vector<CIlstItem>* items) {
  std::size_t at = 0, end = size;
  for (const char* type : {"moov", "udta", "meta", "ilst"}) {
    std::size_t a = 0, e = 0;
    if (!FindChild(data, at, end, type, &a, &e)) return false;
    at = a + 8 + (std::strcmp(type, "meta") == 0 ? 4 : 0);
    end = e;
    if (at > end) return false;
  }
  *bodyAt = at;
  *bodyEnd = end;
  items->clear();
  while (end - at >= 8) {
    const std::size_t n = Be32(data + at);
    if (n < 8 || n > end - at) return false;
    std::string key(reinterpret_cast<const char*>(data + at + 4), 4);
    if (key == "----") {
      // Appended piece by piece: GCC 12's -O3 misreads ":" + string as an overlapping copy.
      key.append(":").append(FreeFormPart(data, at + 8, at + n, "mean"));
      key.append(":").append(FreeFormPart(data, at + 8, at + n, "name"));
    }
    items->push_back({key, at, n});
    at += n;
  }
  return at == end;
}
