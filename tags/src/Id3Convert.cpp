#include "Id3Convert.h"

#include "ByteOrder.h"
#include "TagCheck.h"

#include <taglib/tbytevector.h>
#include <taglib/tstring.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

namespace id3convert {
namespace {

constexpr std::size_t kHeader = 10;

// A frame taken out of its tag: identifier, status flags in the target
// version's bit places, and its data with every format flag undone.
struct Frame {
  std::string strId;
  unsigned char nStatus = 0;
  std::string strData;
};

bool Refuse(CString* error, const char* why, const std::string& id) {
  *error = CString::Formatted(why, id.c_str());
  return false;
}

constexpr const char* kNoForm = "The tag's %s frame has no form in the other ID3v2 version, so the tag is not converted";
constexpr const char* kNotADate = "The tag's %s frame holds no date the other ID3v2 version can hold, so the tag is not converted";

// The frames of a v2.3 or v2.4 tag, format flags undone; false with error
// for a frame whose data cannot be read here.
bool TakeFrames(const CTagFrames& walked, std::vector<Frame>* out, CString* error) {
  for (const CTagFrames::Span& span : walked.frames) {
    const unsigned char* bytes = walked.body.data() + span.nPos;
    Frame frame;
    frame.strId.assign(reinterpret_cast<const char*>(bytes), 4);
    const unsigned char status = bytes[8], format = bytes[9];
    std::string data(reinterpret_cast<const char*>(bytes) + kHeader, span.nSize - kHeader);
    if (walked.nMajor == 3) {
      if (format & 0xE0) return Refuse(error, "The tag's %s frame is compressed, encrypted or grouped, so the tag is not converted", frame.strId);
      frame.nStatus = status;  // tag and file alter preservation, read only: 0x80 0x40 0x20
    } else {
      if (format & 0x4C) return Refuse(error, "The tag's %s frame is compressed, encrypted or grouped, so the tag is not converted", frame.strId);
      if (format & 0x01) {  // a data length indicator before the data
        if (data.size() < 4) return Refuse(error, "The tag's %s frame cannot be read, so the tag is not converted", frame.strId);
        data.erase(0, 4);
      }
      if (format & 0x02) {
        const std::vector<unsigned char> plain = Resync(reinterpret_cast<const unsigned char*>(data.data()), data.size());
        data.assign(plain.begin(), plain.end());
      }
      frame.nStatus = static_cast<unsigned char>((status & 0x70) << 1);
    }
    frame.strData = std::move(data);
    out->push_back(std::move(frame));
  }
  return true;
}

// The strings of text data in an ID3 encoding (0 Latin-1, 1 UTF-16 with a
// byte order mark, 2 UTF-16BE, 3 UTF-8), split at their terminators; a
// terminator at the end ends the last string. At most max strings: the
// last one takes the rest.
std::vector<std::string> Split(unsigned char encoding, const std::string& bytes, std::size_t max = 0) {
  std::vector<std::string> out;
  const bool wide = encoding == 1 || encoding == 2;
  const std::size_t unit = wide ? 2 : 1;
  std::size_t start = 0;
  for (std::size_t i = 0; i + unit <= bytes.size(); i += unit) {
    if (max && out.size() + 1 == max) break;
    if (bytes[i] != 0 || (wide && bytes[i + 1] != 0)) continue;
    out.push_back(bytes.substr(start, i - start));
    start = i + unit;
  }
  if (start < bytes.size() || out.empty()) out.push_back(bytes.substr(start));
  return out;
}

TagLib::String Decode(unsigned char encoding, const std::string& raw) {
  const TagLib::ByteVector v(raw.data(), static_cast<unsigned int>(raw.size()));
  switch (encoding) {
    case 1: return TagLib::String(v, TagLib::String::UTF16);
    case 2: return TagLib::String(v, TagLib::String::UTF16BE);
    case 3: return TagLib::String(v, TagLib::String::UTF8);
    default: return TagLib::String(v, TagLib::String::Latin1);
  }
}

std::string Utf8Of(unsigned char encoding, const std::string& raw) { return Decode(encoding, raw).to8Bit(true); }

// One string in ID3v2.3's UTF-16 (little-endian with its byte order mark), terminated when asked.
std::string Utf16(const TagLib::String& s, bool terminated) {
  const TagLib::ByteVector v = s.data(TagLib::String::UTF16);
  std::string out(v.data(), v.size());
  if (terminated) out.append(2, '\0');
  return out;
}

// A v2.4 text string in v2.3: Latin-1 and UTF-16 kept, others made UTF-16.
std::string DownString(unsigned char encoding, const std::string& raw, bool terminated) {
  if (encoding == 0 || encoding == 1) return raw + (terminated ? std::string(encoding ? 2 : 1, '\0') : std::string());
  return Utf16(Decode(encoding, raw), terminated);
}

unsigned char DownEncoding(unsigned char encoding) { return encoding == 0 ? 0 : 1; }

bool AllDigits(const std::string& s, std::size_t n) {
  return s.size() == n && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The single string of a text frame (its value); false when it has several or none.
bool SingleText(const Frame& frame, std::string* out) {
  if (frame.strData.empty()) return false;
  const unsigned char encoding = static_cast<unsigned char>(frame.strData[0]);
  if (encoding > 3) return false;
  const std::vector<std::string> values = Split(encoding, frame.strData.substr(1));
  if (values.size() != 1) return false;
  *out = Utf8Of(encoding, values[0]);
  return true;
}

Frame TextFrame(const std::string& id, unsigned char status, const std::string& ascii) {
  return Frame{id, status, std::string(1, '\0') + ascii};
}

const Frame* Find(const std::vector<Frame>& frames, const char* id) {
  for (const Frame& f : frames)
    if (f.strId == id) return &f;
  return nullptr;
}

// False (with error) when the tag holds more than one of a frame that is
// converted, or both frames of a pair that become one frame.
bool OnlyOneOf(const std::vector<Frame>& frames, std::initializer_list<const char*> ids,
               std::initializer_list<std::pair<const char*, const char*>> pairs, CString* error) {
  for (const char* id : ids)
    if (std::count_if(frames.begin(), frames.end(), [&](const Frame& f) { return f.strId == id; }) > 1)
      return Refuse(error, "The tag holds more than one %s frame, so it is not converted", id);
  for (const auto& [a, b] : pairs)
    if (Find(frames, a) && Find(frames, b)) {
      *error = CString::Formatted("The tag holds both %s and %s, so it is not converted", a, b);
      return false;
    }
  return true;
}

// ---- ID3v2.3 to ID3v2.4 ----

bool Up(std::vector<Frame>& frames, CString* error) {
  static const std::set<std::string> kNoV24Form = {"TRDA", "TSIZ", "EQUA", "RVAD"};
  for (const Frame& f : frames)
    if (kNoV24Form.count(f.strId)) return Refuse(error, kNoForm, f.strId);
  if (!OnlyOneOf(frames, {"TYER", "TDAT", "TIME", "TORY", "IPLS", "TDRC", "TDOR"}, {{"TYER", "TDRC"}, {"TORY", "TDOR"}}, error))
    return false;
  const Frame* year = Find(frames, "TYER");
  const Frame* date = Find(frames, "TDAT");
  const Frame* time = Find(frames, "TIME");
  if ((date || time) && !year) return Refuse(error, kNotADate, date ? "TDAT" : "TIME");
  // The recording time: yyyy[-MM-dd[THH:mm]].
  std::string stamp, text;
  if (year) {
    if (!SingleText(*year, &text) || !AllDigits(text, 4)) return Refuse(error, kNotADate, "TYER");
    stamp = text;
    if (date) {
      if (!SingleText(*date, &text) || !AllDigits(text, 4)) return Refuse(error, kNotADate, "TDAT");
      stamp += "-" + text.substr(2, 2) + "-" + text.substr(0, 2);
      if (time) {
        if (!SingleText(*time, &text) || !AllDigits(text, 4)) return Refuse(error, kNotADate, "TIME");
        stamp += "T" + text.substr(0, 2) + ":" + text.substr(2, 2);
      }
    } else if (time) {
      return Refuse(error, kNotADate, "TIME");  // a time of no known day
    }
  }
  const Frame* original = Find(frames, "TORY");
  std::string originalYear;
  if (original && (!SingleText(*original, &originalYear) || !AllDigits(originalYear, 4)))
    return Refuse(error, kNotADate, "TORY");

  std::vector<Frame> out;
  for (const Frame& f : frames) {
    if (f.strId == "TYER") {
      out.push_back(TextFrame("TDRC", f.nStatus, stamp));
    } else if (f.strId == "TORY") {
      out.push_back(TextFrame("TDOR", f.nStatus, originalYear));
    } else if (f.strId == "IPLS") {
      out.push_back(Frame{"TIPL", f.nStatus, f.strData});  // the same pairs of strings
    } else if (f.strId != "TDAT" && f.strId != "TIME") {
      out.push_back(f);
    }
  }
  frames = std::move(out);
  return true;
}

// ---- ID3v2.4 to ID3v2.3 ----

// The frames whose several values cannot be joined into one: numbers and dates.
bool IsNumberFrame(const std::string& id) {
  static const std::set<std::string> kNumbers = {"TRCK", "TPOS", "TBPM", "TLEN", "TDLY", "TKEY", "TSRC",
                                                 "TDRC", "TDOR", "TFLT", "TMED", "TOWN", "TLAN"};
  return kNumbers.count(id) > 0;
}

// A text frame (T***, TXXX) in v2.3: one value, or its values joined by "/".
bool DownText(Frame* f, CString* error) {
  if (f->strData.empty()) return true;
  const unsigned char encoding = static_cast<unsigned char>(f->strData[0]);
  if (encoding > 3) return Refuse(error, "The tag's %s frame cannot be read, so the tag is not converted", f->strId);
  const bool user = f->strId == "TXXX";
  std::vector<std::string> strings = Split(encoding, f->strData.substr(1));
  const std::size_t first = user ? 1 : 0;
  if (strings.size() > first + 1 && IsNumberFrame(f->strId))
    return Refuse(error, "The tag's %s frame holds several values, which ID3v2.3 cannot, so the tag is not converted", f->strId);
  if (encoding <= 1 && strings.size() <= first + 1) return true;  // the same bytes in both versions
  std::string data(1, static_cast<char>(DownEncoding(encoding)));
  if (user) data += DownString(encoding, strings[0], true);
  if (strings.size() > first) {
    TagLib::String joined;
    for (std::size_t i = first; i < strings.size(); ++i) {
      if (i > first) joined += "/";
      joined += Decode(encoding, strings[i]);
    }
    if (encoding == 0)
      data += std::string(joined.data(TagLib::String::Latin1).data(), joined.data(TagLib::String::Latin1).size());
    else
      data += Utf16(joined, false);
  }
  f->strData = std::move(data);
  return true;
}

// Frames of the form encoding, a prefix of fixed or Latin-1 parts, one
// described string, then the rest (text or binary): COMM, USLT, WXXX, APIC.
bool DownDescribed(Frame* f, CString* error) {
  if (f->strData.empty()) return true;
  const unsigned char encoding = static_cast<unsigned char>(f->strData[0]);
  if (encoding <= 1) return true;
  if (encoding > 3) return Refuse(error, "The tag's %s frame cannot be read, so the tag is not converted", f->strId);
  std::size_t prefix = 1;
  if (f->strId == "COMM" || f->strId == "USLT") prefix += 3;  // the language
  if (f->strId == "APIC") {
    const std::size_t mimeEnd = f->strData.find('\0', 1);
    if (mimeEnd == std::string::npos || mimeEnd + 2 > f->strData.size())
      return Refuse(error, "The tag's %s frame cannot be read, so the tag is not converted", f->strId);
    prefix = mimeEnd + 2;  // the MIME type, its terminator, the picture type
  }
  if (f->strData.size() < prefix) return Refuse(error, "The tag's %s frame cannot be read, so the tag is not converted", f->strId);
  const std::vector<std::string> parts = Split(encoding, f->strData.substr(prefix), 2);
  std::string data = std::string(1, '\1') + f->strData.substr(1, prefix - 1) + DownString(encoding, parts[0], true);
  if (parts.size() > 1) {
    // A link (WXXX) is Latin-1 and a picture binary whatever the encoding; a text (COMM, USLT) is re-encoded.
    const bool text = f->strId == "COMM" || f->strId == "USLT";
    data += text ? DownString(encoding, parts[1], false) : parts[1];
  }
  f->strData = std::move(data);
  return true;
}

// The involved people of TIPL and TMCL as one IPLS frame's data.
std::string PeopleList(const std::vector<const Frame*>& lists) {
  bool latin = true;
  std::vector<std::pair<unsigned char, std::string>> strings;
  for (const Frame* f : lists) {
    if (f->strData.empty()) continue;
    const unsigned char encoding = static_cast<unsigned char>(f->strData[0]);
    for (const std::string& s : Split(encoding, f->strData.substr(1))) {
      strings.emplace_back(encoding, s);
      latin = latin && encoding == 0;
    }
  }
  std::string data(1, latin ? '\0' : '\1');
  for (const auto& [encoding, s] : strings) data += latin ? s + std::string(1, '\0') : Utf16(Decode(encoding, s), true);
  return data;
}

bool Down(std::vector<Frame>& frames, CString* error) {
  static const std::set<std::string> kNoV23Form = {"TDEN", "TDRL", "TDTG", "TSST", "TMOO", "TPRO",
                                                   "RVA2", "EQU2", "ASPI", "SEEK", "SIGN"};
  // Frames of text with an encoding byte that are converted here; any other
  // frame with UTF-8 or UTF-16BE text is refused.
  static const std::set<std::string> kDescribed = {"COMM", "USLT", "WXXX", "APIC"};
  static const std::set<std::string> kEncoded = {"GEOB", "SYLT", "USER", "OWNE", "COMR"};
  if (!OnlyOneOf(frames, {"TDRC", "TDOR", "TYER", "TORY", "IPLS"},
                 {{"TDRC", "TYER"}, {"TDRC", "TDAT"}, {"TDRC", "TIME"}, {"TDOR", "TORY"}, {"TIPL", "IPLS"}, {"TMCL", "IPLS"}},
                 error))
    return false;
  bool peopleDone = false;
  std::vector<const Frame*> people;
  for (const Frame& f : frames)
    if (f.strId == "TIPL" || f.strId == "TMCL") people.push_back(&f);

  std::vector<Frame> out;
  for (Frame f : frames) {
    if (kNoV23Form.count(f.strId)) return Refuse(error, kNoForm, f.strId);
    if (f.strId == "TDRC" || f.strId == "TDOR") {
      std::string text;
      // yyyy[-MM[-dd[THH[:mm[:ss]]]]], as ID3v2.4 writes times.
      if (!SingleText(f, &text) || text.size() < 4 || !AllDigits(text.substr(0, 4), 4))
        return Refuse(error, kNotADate, f.strId);
      const auto part = [&](std::size_t at, char sep) {
        return text.size() >= at + 3 && text[at] == sep && AllDigits(text.substr(at + 1, 2), 2) ? text.substr(at + 1, 2)
                                                                                                 : std::string();
      };
      static const std::size_t kLengths[] = {4, 7, 10, 13, 16, 19};
      if (std::find(std::begin(kLengths), std::end(kLengths), text.size()) == std::end(kLengths))
        return Refuse(error, kNotADate, f.strId);
      const std::string month = part(4, '-'), day = part(7, '-'), hour = part(10, 'T'), minute = part(13, ':');
      if ((text.size() >= 7 && month.empty()) || (text.size() >= 10 && day.empty()) ||
          (text.size() >= 13 && hour.empty()) || (text.size() >= 16 && minute.empty()))
        return Refuse(error, kNotADate, f.strId);
      if (f.strId == "TDOR") {
        out.push_back(TextFrame("TORY", f.nStatus, text.substr(0, 4)));
        continue;
      }
      out.push_back(TextFrame("TYER", f.nStatus, text.substr(0, 4)));
      if (!day.empty()) out.push_back(TextFrame("TDAT", f.nStatus, day + month));
      if (!day.empty() && !minute.empty()) out.push_back(TextFrame("TIME", f.nStatus, hour + minute));
      continue;
    }
    if (f.strId == "TIPL" || f.strId == "TMCL") {
      if (peopleDone) continue;
      peopleDone = true;
      out.push_back(Frame{"IPLS", f.nStatus, PeopleList(people)});
      continue;
    }
    if (f.strId[0] == 'T') {
      if (!DownText(&f, error)) return false;
    } else if (kDescribed.count(f.strId)) {
      if (!DownDescribed(&f, error)) return false;
    } else if (kEncoded.count(f.strId) && !f.strData.empty() && static_cast<unsigned char>(f.strData[0]) > 1) {
      return Refuse(error, "The tag's %s frame holds text ID3v2.3 cannot encode, so the tag is not converted", f.strId);
    }
    out.push_back(std::move(f));
  }
  frames = std::move(out);
  return true;
}

}  // namespace

bool ConvertTag(const std::string& tag, int toMajor, std::string* out, CString* error) {
  CTagFrames walked;
  if (!WalkTagFrames(reinterpret_cast<const unsigned char*>(tag.data()), tag.size(), &walked) ||
      (walked.nMajor != 3 && walked.nMajor != 4)) {
    *error = "The tag cannot be read as ID3v2.3 or ID3v2.4, so it is not converted";
    return false;
  }
  std::vector<Frame> frames;
  if (!TakeFrames(walked, &frames, error)) return false;
  if (walked.nMajor != toMajor && !(toMajor == 4 ? Up(frames, error) : Down(frames, error))) return false;
  std::string bytes("ID3\0\0\0\0\0\0\0", kHeader);
  bytes[3] = static_cast<char>(toMajor);
  for (const Frame& f : frames) {
    std::string header = f.strId + std::string(6, '\0');
    auto* h = reinterpret_cast<unsigned char*>(header.data());
    if (toMajor == 4) {
      if (f.strData.size() >= (std::size_t{1} << 28)) return Refuse(error, "The tag's %s frame is too large for ID3v2.4", f.strId);
      PutSyncsafe(h + 4, f.strData.size());
      h[8] = static_cast<unsigned char>(f.nStatus >> 1);
    } else {
      PutBe32(h + 4, f.strData.size());
      h[8] = f.nStatus;
    }
    bytes += header + f.strData;
  }
  if (bytes.size() - kHeader >= (std::size_t{1} << 28)) {
    *error = "The tag is too large to convert";
    return false;
  }
  PutSyncsafe(reinterpret_cast<unsigned char*>(bytes.data()) + 6, bytes.size() - kHeader);
  *out = std::move(bytes);
  return true;
}

}  // namespace id3convert
