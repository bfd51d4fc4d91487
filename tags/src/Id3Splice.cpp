#include "Id3Splice.h"

#include "Id3Render.h"
#include "Id3libFrames.h"
#include "TagCheck.h"

#include <id3/readers.h>
#include <id3/writer.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

namespace {

using Bytes = const unsigned char*;
constexpr std::size_t kHeader = 10;  // of the tag and of each frame

// The fields the program reads.
const ID3_FrameID kFields[] = {
    ID3FID_LEADARTIST, ID3FID_ALBUM,      ID3FID_TITLE,     ID3FID_COMMENT,   ID3FID_TRACKNUM,
    ID3FID_YEAR,       ID3FID_COMPOSER,   ID3FID_COPYRIGHT, ID3FID_ENCODEDBY, ID3FID_ORIGARTIST,
    ID3FID_WWWUSER,    ID3FID_BAND,       ID3FID_PUBLISHER, ID3FID_CONDUCTOR, ID3FID_CONTENTTYPE,
    ID3FID_PARTINSET,  ID3FID_UNSYNCEDLYRICS};

CString FieldText(ID3_Tag& tag, ID3_FrameID id) {
  const ID3_Frame* frame = id3frames::FindField(tag, id);
  return frame ? id3frames::TextOf(*frame) : CString("-");
}

enum class Description { Empty, Given, Unreadable };

// The description of a COMM or WXXX frame (as PlainV23Frame gives it), as
// far as the field rule needs it (see framerules::IsFieldFrame): empty or not.
Description RawDescription(const std::string& plain, bool comment) {
  const std::size_t skip = kHeader + 1 + (comment ? 3 : 0) + ((plain[9] & 0x20) ? 1 : 0);  // group, encoding, language
  if (plain.size() < skip) return Description::Unreadable;
  Bytes d = reinterpret_cast<Bytes>(plain.data()) + skip;
  std::size_t n = plain.size() - skip;
  const char encoding = plain[skip - 1 - (comment ? 3 : 0)];
  if (encoding == 0) return n == 0 || d[0] == 0 ? Description::Empty : Description::Given;
  if (encoding != 1) return Description::Unreadable;
  if (n >= 2 && ((d[0] == 0xFF && d[1] == 0xFE) || (d[0] == 0xFE && d[1] == 0xFF))) {
    d += 2;
    n -= 2;
  }
  return n < 2 || (d[0] == 0 && d[1] == 0) ? Description::Empty : Description::Given;
}

// The frames of a tag, each as it is stored and as id3lib is given it
// (empty for an encrypted frame).
struct RawFrame {
  std::string strStored;
  std::string strPlain;
};

bool ReadFrames(Bytes tag, std::size_t size, std::vector<RawFrame>* out) {
  CTagFrames walked;
  if (!WalkTagFrames(tag, size, &walked) || walked.nMajor != 3) return false;
  for (const CTagFrames::Span& span : walked.frames) {
    RawFrame frame;
    Bytes bytes = walked.body.data() + span.nPos;
    frame.strStored.assign(reinterpret_cast<const char*>(bytes), span.nSize);
    if (!PlainV23Frame(bytes, span.nSize, &frame.strPlain)) return false;
    out->push_back(std::move(frame));
  }
  return true;
}

// The picture type of an APIC frame (as PlainV23Frame gives it); -1 when
// it cannot be read.
int PictureType(const std::string& plain) {
  const std::size_t mime = kHeader + ((plain[9] & 0x20) ? 1 : 0) + 1;  // after the group byte and the encoding
  const std::size_t end = plain.find('\0', mime);
  return mime <= plain.size() && end != std::string::npos && end + 1 < plain.size()
             ? static_cast<unsigned char>(plain[end + 1])
             : -1;
}

// Which picture a cover edit replaces or removes, by the rule of
// id3frames::FindCover: the first of type 3; for a removal else the first.
// frames.size() when none, -1 when a picture cannot be read (an encrypted
// one may be the cover).
long CoverIndex(const std::vector<RawFrame>& frames, bool removal) {
  long first = -1;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    if (frames[i].strStored.compare(0, 4, "APIC") != 0) continue;
    const int type = frames[i].strPlain.empty() ? -1 : PictureType(frames[i].strPlain);
    if (type < 0) return -1;
    if (type == 3) return static_cast<long>(i);
    if (first < 0) first = static_cast<long>(i);
  }
  return removal && first >= 0 ? first : static_cast<long>(frames.size());
}

// Which frame holds the field by the rule of Id3libFrames.h: frames.size()
// when none does, -1 when the rule cannot be applied.
long FieldIndex(const std::vector<RawFrame>& frames, ID3_FrameID id, bool removal) {
  if (id == ID3FID_PICTURE) return CoverIndex(frames, removal);
  const std::string textId = ID3_Frame(id).GetTextID();
  const bool lyrics = id == ID3FID_UNSYNCEDLYRICS;
  const bool described = id == ID3FID_COMMENT || id == ID3FID_WWWUSER || lyrics;
  long first = -1;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    // An encrypted frame is unread, so never the field: it is another program's.
    if (frames[i].strStored.compare(0, 4, textId) != 0 || frames[i].strPlain.empty()) continue;
    if (!described) return static_cast<long>(i);
    const Description d = RawDescription(frames[i].strPlain, id != ID3FID_WWWUSER);
    if (d == Description::Unreadable) return -1;
    if (d == Description::Empty) return static_cast<long>(i);
    if (first < 0) first = static_cast<long>(i);
  }
  // Lyrics with a description are the field when none has none.
  return lyrics && first >= 0 ? first : static_cast<long>(frames.size());
}

std::string TagOf(const std::string& frames) {
  std::string bytes("ID3\x03\0\0\0\0\0\0", kHeader);
  for (int i = 0; i < 4; ++i) bytes[6 + i] = static_cast<char>((frames.size() >> (21 - 7 * i)) & 0x7F);
  return bytes + frames;
}

// One frame as id3lib renders it into an ID3v2.3 tag, header included. The
// frame is rendered alone: a tag object would pad itself to 2 KB a byte at a
// time whatever SetPadding says.
std::string RenderFrame(const ID3_Frame& frame) {
  CStringWriter writer;
  frame.Render(writer);
  const std::string bytes = TagOf(writer.Bytes());
  std::vector<RawFrame> frames;
  if (!ReadFrames(reinterpret_cast<Bytes>(bytes.data()), bytes.size(), &frames) || frames.size() != 1)
    return std::string();
  return frames[0].strStored;
}

// id3lib's reading of a tag (through the safe copy id3lib may be handed).
void Parse(const std::string& bytes, ID3_Tag* parsed) {
  CTagFrames walked;
  if (!WalkTagFrames(reinterpret_cast<Bytes>(bytes.data()), bytes.size(), &walked)) return;
  const std::string safe = Id3libSafeTag(walked);
  ID3_MemoryReader reader(safe.data(), safe.size());
  parsed->Link(reader, ID3TT_ID3V2);
}

// The text one frame holds, as the engine reads it.
CString TextOfFrame(const std::string& frame) {
  ID3_Tag parsed;
  Parse(TagOf(frame), &parsed);
  std::unique_ptr<ID3_Tag::Iterator> it(parsed.CreateIterator());
  const ID3_Frame* first = it->GetNext();
  return first ? id3frames::TextOf(*first) : CString("-");
}

// What a new tag must hold: each old frame kept, or the edit in its place.
struct Expected {
  const std::string* pKept = nullptr;  // null: an edited frame
  const CFieldEdit* pEdit = nullptr;
};

// The tag object's frame of an edited field.
const ID3_Frame* EditedFrame(ID3_Tag& tag, ID3_FrameID id) {
  return id == ID3FID_PICTURE ? id3frames::FindCover(tag, true) : id3frames::FindField(tag, id);
}

// Two tags hold the same pictures: as many, and the same front cover.
bool SamePictures(ID3_Tag& a, ID3_Tag& b) {
  const auto count = [](ID3_Tag& tag) {
    std::size_t n = 0;
    std::unique_ptr<ID3_Tag::Iterator> it(tag.CreateIterator());
    while (const ID3_Frame* frame = it->GetNext()) n += frame->GetID() == ID3FID_PICTURE;
    return n;
  };
  const ID3_Frame* coverA = id3frames::FindCover(a);
  const ID3_Frame* coverB = id3frames::FindCover(b);
  if (count(a) != count(b) || !coverA != !coverB) return false;
  if (!coverA) return true;
  for (ID3_FieldID field : {ID3FN_MIMETYPE, ID3FN_DESCRIPTION})
    if (id3frames::FieldText(*coverA, field) != id3frames::FieldText(*coverB, field)) return false;
  const ID3_Field* dataA = coverA->GetField(ID3FN_DATA);
  const ID3_Field* dataB = coverB->GetField(ID3FN_DATA);
  return coverA->GetField(ID3FN_PICTURETYPE)->Get() == coverB->GetField(ID3FN_PICTURETYPE)->Get() &&
         dataA->Size() == dataB->Size() &&
         (dataA->Size() == 0 || std::memcmp(dataA->GetRawBinary(), dataB->GetRawBinary(), dataA->Size()) == 0);
}

using Edits = std::map<ID3_FrameID, const CFieldEdit*>;

// Whether the fields read from the new tag are known without reading it
// whole: no picture is edited, each edited field's frame (checked alone)
// is the only one of its identifier, and a removed field leaves none. Every
// other field's frames are then the old bytes in the old order, and which
// frame id3lib takes for a field depends on the frames of its identifier
// alone (id3frames::FindField).
bool KnownWithoutReading(const std::vector<RawFrame>& frames, const Edits& edits) {
  for (const auto& [id, edit] : edits) {
    if (id == ID3FID_PICTURE) return false;
    const std::string textId = ID3_Frame(id).GetTextID();
    const auto left = std::count_if(frames.begin(), frames.end(), [&](const RawFrame& frame) {
      return frame.strStored.compare(0, 4, textId) == 0;
    });
    if (left > (edit->bRemoved ? 0 : 1)) return false;
  }
  return true;
}

// Walks the new bytes afresh and compares them with what was asked: the
// kept frames byte for byte, the edited ones holding their values; read
// back whole (unless KnownWithoutReading), each edited field gives its new
// value, every other field what the tag object holds, and the pictures are
// the tag object's.
bool HoldsExactly(ID3_Tag& tag, const std::string& bytes, const std::vector<Expected>& expected, const Edits& edits) {
  std::vector<RawFrame> now;
  if (!ReadFrames(reinterpret_cast<Bytes>(bytes.data()), bytes.size(), &now) || now.size() != expected.size())
    return false;
  for (std::size_t i = 0; i < now.size(); ++i) {
    if (expected[i].pKept) {
      if (now[i].strStored != *expected[i].pKept) return false;
      continue;
    }
    const CFieldEdit& edit = *expected[i].pEdit;
    if (now[i].strStored.compare(0, 4, ID3_Frame(edit.id).GetTextID()) != 0) return false;
    if (edit.id != ID3FID_PICTURE && TextOfFrame(now[i].strStored) != edit.strValue) return false;
  }
  if (KnownWithoutReading(now, edits)) return true;
  ID3_Tag parsed;
  Parse(bytes, &parsed);
  for (ID3_FrameID id : kFields) {
    const auto edit = std::find_if(expected.begin(), expected.end(),
                                   [id](const Expected& e) { return e.pEdit && e.pEdit->id == id; });
    if (FieldText(parsed, id) != (edit != expected.end() ? edit->pEdit->strValue : FieldText(tag, id))) return false;
  }
  return SamePictures(tag, parsed);
}

}  // namespace

bool RenderKeepingUneditedFrames(ID3_Tag& tag, const unsigned char* oldTag, std::size_t size,
                                 const std::vector<CFieldEdit>& edits, bool recheck, std::string* out) {
  std::vector<RawFrame> raw;
  if (!ReadFrames(oldTag, size, &raw)) return false;
  Edits last;  // a later edit of a field wins
  for (const CFieldEdit& edit : edits) last[edit.id] = &edit;

  std::vector<Expected> expected(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) expected[i].pKept = &raw[i].strStored;
  std::vector<std::string> replacement(raw.size());
  std::string appended;
  std::vector<Expected> appendedExpected;
  for (const auto& [id, edit] : last) {
    const long index = FieldIndex(raw, id, edit->bRemoved);
    if (index < 0) return false;
    std::string rendered;
    if (!edit->bRemoved) {
      const ID3_Frame* frame = EditedFrame(tag, id);
      if (!frame || (rendered = RenderFrame(*frame)).empty()) return false;
    }
    if (static_cast<std::size_t>(index) < raw.size()) {
      replacement[index] = rendered;
      expected[index] = edit->bRemoved ? Expected{} : Expected{nullptr, edit};
    } else if (!edit->bRemoved) {
      appended += rendered;
      appendedExpected.push_back({nullptr, edit});
    }
  }

  std::string frames;
  std::vector<Expected> now;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (!expected[i].pKept && !expected[i].pEdit) continue;  // removed
    frames += expected[i].pKept ? raw[i].strStored : replacement[i];
    now.push_back(expected[i]);
  }
  frames += appended;
  now.insert(now.end(), appendedExpected.begin(), appendedExpected.end());
  if (frames.empty()) {  // the file is to have no ID3v2 tag
    out->clear();
    return true;
  }
  std::string bytes = TagOf(frames);
  if (recheck && !HoldsExactly(tag, bytes, now, last)) return false;
  *out = std::move(bytes);
  return true;
}
