#include "Id3Splice.h"

#include "Id3Bytes.h"
#include "Id3Render.h"

#include "Id3libFrames.h"

#include <id3/readers.h>
#include <id3/writer.h>

#include <algorithm>
#include <cstring>

namespace {

using Bytes = const unsigned char*;
constexpr std::size_t kHeader = 10;  // of the tag and of each frame

// The fields the program reads; a spliced tag must give each the same frame.
const ID3_FrameID kFields[] = {
    ID3FID_LEADARTIST, ID3FID_ALBUM,      ID3FID_TITLE,     ID3FID_COMMENT, ID3FID_TRACKNUM,
    ID3FID_YEAR,       ID3FID_COMPOSER,   ID3FID_COPYRIGHT, ID3FID_ENCODEDBY, ID3FID_ORIGARTIST,
    ID3FID_WWWUSER,    ID3FID_BAND,       ID3FID_PUBLISHER, ID3FID_CONDUCTOR, ID3FID_CONTENTTYPE};


struct RawFrame {
  std::string strId;
  std::size_t nOffset;  // from the tag's start
  std::size_t nSize;    // header included
};

bool WalkFrames(Bytes tag, std::size_t size, std::vector<RawFrame>* frames) {
  if (size < kHeader || std::memcmp(tag, "ID3", 3) != 0 || tag[3] != 3) return false;
  if (tag[5] & 0xC0) return false;  // unsynchronised, or an extended header
  const std::size_t end = kHeader + Syncsafe(tag + 6);
  if (end > size) return false;
  std::size_t pos = kHeader;
  while (pos + kHeader <= end && tag[pos] != 0) {
    const std::size_t body = Be32(tag + pos + 4);
    if (body > end - pos - kHeader) return false;
    frames->push_back({std::string(reinterpret_cast<const char*>(tag + pos), 4), pos, kHeader + body});
    pos += kHeader + body;
  }
  for (; pos < end; ++pos)
    if (tag[pos] != 0) return false;  // padding holds nothing
  return true;
}

enum class Description { Empty, Given, Unreadable };

// The description of a raw COMM or WXXX frame, as far as the field rule
// needs it (see framerules::IsFieldFrame): empty or not.
Description RawDescription(Bytes frame, std::size_t size, bool comment) {
  const unsigned char format = frame[9];
  const std::size_t skip = kHeader + 1 + (comment ? 3 : 0);  // encoding, language
  if ((format & 0xE0) || size < skip) return Description::Unreadable;  // compressed, encrypted, grouped
  Bytes d = frame + skip;
  std::size_t n = size - skip;
  if (frame[kHeader] == 0) return n == 0 || d[0] == 0 ? Description::Empty : Description::Given;
  if (frame[kHeader] != 1) return Description::Unreadable;
  if (n >= 2 && ((d[0] == 0xFF && d[1] == 0xFE) || (d[0] == 0xFE && d[1] == 0xFF))) {
    d += 2;
    n -= 2;
  }
  return n < 2 || (d[0] == 0 && d[1] == 0) ? Description::Empty : Description::Given;
}

// One frame as id3lib renders it into an ID3v2.3 tag, header included.
std::string RenderFrame(const ID3_Frame& frame) {
  ID3_Tag one;
  one.SetPadding(false);
  one.SetUnsync(false);
  one.SetExtendedHeader(false);
  one.AddFrame(frame);
  CStringWriter writer;
  one.Render(writer, ID3TT_ID3V2);
  const std::string& bytes = writer.Bytes();
  if (bytes.size() < 2 * kHeader) return std::string();
  const std::size_t size = Be32(reinterpret_cast<::Bytes>(bytes.data()) + kHeader + 4);
  if (size > bytes.size() - 2 * kHeader) return std::string();
  return bytes.substr(kHeader, kHeader + size);
}

// A field's frame as id3lib renders it, to compare two tags by: the frame
// alone, without the one-frame tag that RenderFrame builds around it.
std::string FieldBytes(ID3_Tag& tag, ID3_FrameID id) {
  const ID3_Frame* frame = id3frames::FindField(tag, id);
  if (!frame) return std::string("none");
  CStringWriter writer;
  frame->Render(writer);
  return writer.Bytes();
}

// Reads the new tag back with id3lib: every field must be what the tag
// object holds, so the splice can never show the user other values.
bool ReadsAsTheTagObject(ID3_Tag& tag, const std::string& bytes) {
  ID3_MemoryReader reader(bytes.data(), bytes.size());
  ID3_Tag parsed;
  parsed.Link(reader, ID3TT_ID3V2);
  for (ID3_FrameID id : kFields)
    if (FieldBytes(parsed, id) != FieldBytes(tag, id)) return false;
  return true;
}

}  // namespace

bool RenderKeepingUneditedFrames(ID3_Tag& tag, const unsigned char* oldTag, std::size_t size,
                                 std::vector<ID3_FrameID> edited, std::string* out) {
  std::vector<RawFrame> raw;
  if (!WalkFrames(oldTag, size, &raw)) return false;
  std::sort(edited.begin(), edited.end());
  edited.erase(std::unique(edited.begin(), edited.end()), edited.end());

  std::vector<const std::string*> replacement(raw.size(), nullptr);
  std::vector<std::string> rendered(edited.size());
  std::string appended;
  for (std::size_t e = 0; e < edited.size(); ++e) {
    const ID3_FrameID id = edited[e];
    const std::string textId = ID3_Frame(id).GetTextID();
    const bool described = id == ID3FID_COMMENT || id == ID3FID_WWWUSER;
    std::size_t index = raw.size();
    for (std::size_t i = 0; i < raw.size() && index == raw.size(); ++i) {
      if (raw[i].strId != textId) continue;
      const Description d = described ? RawDescription(oldTag + raw[i].nOffset, raw[i].nSize, id == ID3FID_COMMENT)
                                      : Description::Empty;
      if (d == Description::Unreadable) return false;
      if (d == Description::Empty) index = i;
    }
    if (const ID3_Frame* frame = id3frames::FindField(tag, id)) {
      rendered[e] = RenderFrame(*frame);
      if (rendered[e].empty()) return false;
    }
    if (index < raw.size())
      replacement[index] = &rendered[e];
    else
      appended += rendered[e];
  }

  std::string frames;
  for (std::size_t i = 0; i < raw.size(); ++i)
    frames += replacement[i] ? *replacement[i]
                             : std::string(reinterpret_cast<const char*>(oldTag + raw[i].nOffset), raw[i].nSize);
  frames += appended;
  if (frames.empty()) {  // the file is to have no ID3v2 tag
    out->clear();
    return true;
  }
  const std::size_t n = frames.size();
  std::string bytes = "ID3\x03";
  bytes += '\0';
  bytes += '\0';
  for (int shift : {21, 14, 7, 0}) bytes += static_cast<char>((n >> shift) & 0x7F);
  bytes += frames;
  if (!ReadsAsTheTagObject(tag, bytes)) return false;
  *out = std::move(bytes);
  return true;
}
