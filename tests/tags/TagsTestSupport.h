#pragma once
// What the tag tests share: an independent reader's view of a file, and
// every value the program shows for one.
#include "support/TestSupport.h"

#include <tags/MyMP3Tags.h>

#include <algorithm>
#include <cctype>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace test {

// mutagen's view of one frame ("TIT2", "COMM::eng", ...) or of the audio
// ("info"); empty when the frame is missing.
inline std::string Mutagen(const CString& path, const std::string& key) {
  return RunCommand("/usr/bin/python3 " QUILLORY_SOURCE_DIR "/tests/tags/mutagen_view.py '" + path.Str() + "' '" +
                    key + "'");
}

// The lines of a frame listing but those whose key starts with a prefix.
inline std::string Without(const std::string& frames, const std::vector<std::string>& prefixes) {
  std::istringstream in(frames);
  std::string out;
  for (std::string line; std::getline(in, line);)
    if (std::none_of(prefixes.begin(), prefixes.end(), [&](const std::string& p) { return line.rfind(p, 0) == 0; }))
      out += line + "\n";
  return out;
}

// mutagen's frames (view "all", "v2", "stored" or "v1") but those of the prefixes.
inline std::string FramesBut(const CString& path, const std::string& view, const std::vector<std::string>& prefixes) {
  return Without(Mutagen(path, view), prefixes);
}

// How many lines of a frame listing start with the prefix.
inline int Lines(const std::string& frames, const std::string& prefix) {
  std::istringstream in(frames);
  int n = 0;
  for (std::string line; std::getline(in, line);) n += line.rfind(prefix, 0) == 0;
  return n;
}

// Where the ID3v2 region of a file ends (header, frames, padding, footer); 0 without one.
inline std::size_t TagEnd(const std::string& b) {
  if (b.size() < 10 || b.compare(0, 3, "ID3") != 0) return 0;
  const auto u = [&](std::size_t i) { return static_cast<std::size_t>(static_cast<unsigned char>(b[i])); };
  return 10 + (u(6) << 21 | u(7) << 14 | u(8) << 7 | u(9)) + (b[3] == 4 && (b[5] & 0x10) ? 10 : 0);
}

// The bytes between the ID3v2 region and the ID3v1 tag: audio, APEv2, Lyrics3.
inline std::string Audio(const std::string& b) {
  const bool v1 = b.size() >= 128 && b.compare(b.size() - 128, 3, "TAG") == 0;
  return b.substr(TagEnd(b), b.size() - TagEnd(b) - (v1 ? 128 : 0));
}

inline ino_t Inode(const CString& path) {
  struct stat st {};
  return ::stat(path, &st) == 0 ? st.st_ino : 0;
}

// The raw frames of a file's ID3v2.3 tag, one string each, header included;
// empty when the file has no tag.
inline std::vector<std::string> RawFrames(const std::string& bytes) {
  std::vector<std::string> frames;
  if (bytes.compare(0, 3, "ID3") != 0 || bytes.size() < 10) return frames;
  const auto b = [&](std::size_t i) { return static_cast<std::size_t>(static_cast<unsigned char>(bytes[i])); };
  const std::size_t end = 10 + (b(6) << 21 | b(7) << 14 | b(8) << 7 | b(9));
  for (std::size_t pos = 10; pos + 10 <= end && bytes[pos] != 0;) {
    const std::size_t size = 10 + (b(pos + 4) << 24 | b(pos + 5) << 16 | b(pos + 6) << 8 | b(pos + 7));
    frames.push_back(bytes.substr(pos, size));
    pos += size;
  }
  return frames;
}

// One reading of a tag body's frame sizes (ID3v2.4: synchsafe or plain),
// walked to the end (each frame as its identifier, flags and data); false
// when a frame has a bad identifier or runs out, or what follows the last
// one is not zeros.
inline bool WalkBody(const std::string& body, int major, bool plain, std::vector<std::string>* out) {
  const std::size_t header = major == 2 ? 6 : 10, idLength = major == 2 ? 3 : 4;
  const auto u = [&](std::size_t i) { return static_cast<std::size_t>(static_cast<unsigned char>(body[i])); };
  std::size_t pos = 0;
  while (pos + header <= body.size() && body[pos] != 0) {
    for (std::size_t i = 0; i < idLength; ++i)
      if (!std::isupper(u(pos + i)) && !std::isdigit(u(pos + i))) return false;
    std::size_t n = 0;
    if (major == 2) n = u(pos + 3) << 16 | u(pos + 4) << 8 | u(pos + 5);
    else if (plain || major == 3) n = u(pos + 4) << 24 | u(pos + 5) << 16 | u(pos + 6) << 8 | u(pos + 7);
    else if ((u(pos + 4) | u(pos + 5) | u(pos + 6) | u(pos + 7)) & 0x80) return false;
    else n = u(pos + 4) << 21 | u(pos + 5) << 14 | u(pos + 6) << 7 | u(pos + 7);
    if (n > body.size() - pos - header) return false;
    out->push_back(body.substr(pos, idLength) + (major == 2 ? "" : body.substr(pos + 8, 2)) + body.substr(pos + header, n));
    pos += header + n;
  }
  return body.find_first_not_of('\0', pos) == std::string::npos;
}

// The frames of a file's ID3v2 tag (any version), read here and not by the
// library: each as its identifier, flags and data, with the tag's
// unsynchronisation undone and its extended header skipped; the size field
// is left out, since old iTunes wrote ID3v2.4 sizes as plain numbers. Empty
// when no reading of the sizes walks the whole tag.
inline std::vector<std::string> TagFrames(const std::string& file) {
  const std::size_t end = TagEnd(file);
  if (end == 0) return {};
  const int major = file[3], flags = static_cast<unsigned char>(file[5]);
  std::string body = file.substr(10, end - 10 - (major == 4 && (flags & 0x10) ? 10 : 0));
  if (major <= 3 && (flags & 0x80))
    for (std::size_t at = body.find(std::string("\xFF\0", 2)); at != std::string::npos; at = body.find(std::string("\xFF\0", 2), at + 1))
      body.erase(at + 1, 1);
  if (major >= 3 && (flags & 0x40) && body.size() >= 4) {
    const auto u = [&](std::size_t i) { return static_cast<std::size_t>(static_cast<unsigned char>(body[i])); };
    body.erase(0, major == 3 ? 4 + (u(0) << 24 | u(1) << 16 | u(2) << 8 | u(3)) : (u(0) << 21 | u(1) << 14 | u(2) << 7 | u(3)));
  }
  std::vector<std::string> frames;
  if (!WalkBody(body, major, false, &frames)) {
    frames.clear();
    if (major != 4 || !WalkBody(body, major, true, &frames)) frames.clear();
  }
  // An ID3v2.4 tag unsynchronised as a whole is one whose frames each are.
  if (major == 4 && (flags & 0x80))
    for (std::string& frame : frames) frame[5] = static_cast<char>(frame[5] | 0x02);
  return frames;
}

// A JPEG of n bytes: the fixture image, then pseudo-random bytes (a cover as
// large as a camera's; only its header is ever read).
inline std::string BigJpeg(std::size_t n, unsigned seed = 1) {
  std::string jpeg = ReadFile(FixturePath("cover_front.jpg"));
  for (unsigned x = seed; jpeg.size() < n;) jpeg += char((x = x * 1103515245u + 12345u) >> 16);
  return jpeg;
}
// A file with an ID3v2.3 tag (1 KB padding) of a title and a 300 KB cover.
inline std::string FileWithBigCover(unsigned seed = 1) {
  const auto frame = [](const char* id, const std::string& data) {
    const std::size_t n = data.size();
    return id + std::string{char(n >> 24), char(n >> 16), char(n >> 8), char(n), 0, 0} + data;
  };
  const std::string body = frame("TIT2", std::string("\0Big Cover", 10)) +
                           frame("APIC", std::string("\0image/jpeg\0\x03\0", 13) + BigJpeg(300 * 1024, seed)) +
                           std::string(1024, '\0');
  const std::size_t n = body.size();
  return std::string("ID3\x03\0\0", 6) + char(n >> 21 & 0x7F) + char(n >> 14 & 0x7F) + char(n >> 7 & 0x7F) +
         char(n & 0x7F) + body + ReadFile(FixturePath("untagged.mp3"));
}

// The fourteen fields the program edits: setter, getter and the key of
// their frame in mutagen's "v2" view ("COMM::" is the comment without a
// description, "WXXX:=" the plain link).
struct Field {
  void (CMyMP3Tags::*set)(CString);
  CString (CMyMP3Tags::*get)();
  const char* key;
};
#define QUILLORY_FIELD(name, key) Field{&CMyMP3Tags::Set##name, &CMyMP3Tags::Get##name, key}
inline const Field kFields[] = {  // in the order the program saves them
    QUILLORY_FIELD(Artist, "TPE1="), QUILLORY_FIELD(Album, "TALB="), QUILLORY_FIELD(Title, "TIT2="),
    QUILLORY_FIELD(Track, "TRCK="), QUILLORY_FIELD(Year, "TDRC="), QUILLORY_FIELD(OriginalArtist, "TOPE="),
    QUILLORY_FIELD(Comment, "COMM::"), QUILLORY_FIELD(Composer, "TCOM="), QUILLORY_FIELD(EncodedBy, "TENC="),
    QUILLORY_FIELD(Copyright, "TCOP="), QUILLORY_FIELD(URL, "WXXX:="), QUILLORY_FIELD(Band, "TPE2="),
    QUILLORY_FIELD(Publisher, "TPUB="), QUILLORY_FIELD(Conductor, "TPE3=")};
#undef QUILLORY_FIELD

// The fields' keys; the year's as given (TYER in a v2.3 tag as stored).
inline std::vector<std::string> FieldKeys(const char* year = "TDRC=") {
  std::vector<std::string> keys;
  for (const Field& f : kFields) keys.push_back(f.get == &CMyMP3Tags::GetYear ? year : f.key);
  return keys;
}

// The raw frames of a file's ID3v2.3 tag but those of the frame ids given;
// of COMM and WXXX only the plain ones (no description) are the ids', the
// described ones belong to other programs.
inline std::vector<std::string> RawFramesBut(const std::string& bytes, const std::vector<std::string>& ids) {
  std::vector<std::string> kept;
  for (const std::string& frame : RawFrames(bytes)) {
    const std::string id = frame.substr(0, 4);
    const std::size_t desc = id == "COMM" ? 14 : 11;  // after the encoding (and language)
    const bool described = (id == "COMM" || id == "WXXX") && frame.size() > desc + 1 && frame[desc] != 0 &&
                           frame.compare(desc, 4, std::string("\xFF\xFE\0\0", 4)) != 0 &&
                           frame.compare(desc, 4, std::string("\xFE\xFF\0\0", 4)) != 0;
    if (described || std::find(ids.begin(), ids.end(), id) == ids.end()) kept.push_back(frame);
  }
  return kept;
}

// Every cell the program shows for one file, in one line per value, in
// this order.
enum Cell {
  kArtist, kAlbum, kTitle, kComment, kTrack, kYear, kComposer, kCopyright, kEncodedBy, kOriginalArtist, kURL,
  kBand, kPublisher, kConductor, kGenre, kFileSize, kV1, kV2, kLyrics, kHeader, kBitRate, kSampleRate,
  kDuration, kLayer, kMpegVer, kChannel, kTagVersion, kCover
};
// The front cover as "MIME FORMAT WIDTHxHEIGHT BYTES", or "-".
inline std::string Cover(CMyMP3Tags& tags) {
  CCoverArt cover;
  if (!tags.GetFrontCoverSummary(&cover)) return "-";
  return cover.strMime.Str() + " " + cover.strFormat.Str() + " " + std::to_string(cover.nWidth) + "x" +
         std::to_string(cover.nHeight) + " " + std::to_string(cover.nBytes);
}
inline std::vector<std::string> Row(CMyMP3Tags& tags) {
  std::vector<std::string> row = {
      tags.GetArtist().Str(), tags.GetAlbum().Str(), tags.GetTitle().Str(), tags.GetComment().Str(),
      tags.GetTrack().Str(), tags.GetYear().Str(), tags.GetComposer().Str(), tags.GetCopyright().Str(),
      tags.GetEncodedBy().Str(), tags.GetOriginalArtist().Str(), tags.GetURL().Str(), tags.GetBand().Str(),
      tags.GetPublisher().Str(), tags.GetConductor().Str(), tags.GetGenre().Str(),
      std::to_string(tags.GetFileSize()), std::to_string(tags.isV1Tag()), std::to_string(tags.isV2Tag()),
      std::to_string(tags.isLyricsTag()), std::to_string(tags.GetHeaderInfo())};
  for (CString s : {tags.GetBitRate(), tags.GetSampleRate(), tags.GetDuration(), tags.GetMpegLayer(),
                    tags.GetMpegVer(), tags.GetChannel(), tags.GetTagVersion()})
    row.push_back(s.Str());
  row.push_back(Cover(tags));
  return row;
}

}  // namespace test
