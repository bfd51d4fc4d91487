#include "Id3Stored.h"

#include "FrameRules.h"
#include "ByteOrder.h"
#include "StoredSummary.h"
#include "TagCheck.h"
#include "TextCodec.h"

#include <taglib/tstring.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace id3stored {
namespace {

using TagLib::ByteVector;
using TagLib::String;
constexpr std::size_t kHeader = 10;

// The text and link frames each version defines (and the sort and
// compilation frames iTunes added, which other taggers write in both).
const char* const kV23Ids[] = {
    "TALB", "TBPM", "TCOM", "TCON", "TCOP", "TDAT", "TDLY", "TENC", "TEXT", "TFLT", "TIME", "TIT1", "TIT2",
    "TIT3", "TKEY", "TLAN", "TLEN", "TMED", "TOAL", "TOFN", "TOLY", "TOPE", "TORY", "TOWN", "TPE1", "TPE2",
    "TPE3", "TPE4", "TPOS", "TPUB", "TRCK", "TRDA", "TRSN", "TRSO", "TSIZ", "TSRC", "TSSE", "TYER", "IPLS"};
const char* const kV24Ids[] = {
    "TALB", "TBPM", "TCOM", "TCON", "TCOP", "TDEN", "TDLY", "TDOR", "TDRC", "TDRL", "TDTG", "TENC", "TEXT",
    "TFLT", "TIPL", "TIT1", "TIT2", "TIT3", "TKEY", "TLAN", "TLEN", "TMCL", "TMED", "TMOO", "TOAL", "TOFN",
    "TOLY", "TOPE", "TOWN", "TPE1", "TPE2", "TPE3", "TPE4", "TPOS", "TPRO", "TPUB", "TRCK", "TRSN", "TRSO",
    "TSOA", "TSOP", "TSOT", "TSRC", "TSSE", "TSST"};
const char* const kBothIds[] = {"TXXX", "WXXX", "COMM", "USLT", "WCOM", "WCOP", "WOAF", "WOAR", "WOAS",
                                "WORS", "WPAY", "WPUB", "TCMP", "TSO2", "TSOC", "TSOA", "TSOP", "TSOT"};

bool Listed(const std::string& id, const auto& ids) {
  return std::any_of(std::begin(ids), std::end(ids), [&](const char* known) { return id == known; });
}

bool IsTextId(const std::string& id) { return id.size() == 4 && id[0] == 'T'; }
bool IsLinkId(const std::string& id) { return id.size() == 4 && id[0] == 'W'; }
bool HasLanguage(const std::string& id) { return id == "COMM" || id == "USLT"; }
bool IsDescribed(const std::string& id) {
  return id == "TXXX" || id == "WXXX" || HasLanguage(id) || id == "APIC" || id == "UFID" || id == "PRIV" ||
         id == "POPM" || id == "GEOB";
}
bool IsTextual(const std::string& id) { return IsTextId(id) || IsLinkId(id) || HasLanguage(id); }

// A frame's data as a reader sees it (group byte, data length, compression
// and unsynchronisation undone); false for an encrypted or damaged frame.
bool FrameData(const unsigned char* frame, std::size_t size, int major, std::string* data) {
  const unsigned char format = frame[9];
  if (major == 3) {
    std::string plain;
    if (!PlainV23Frame(frame, size, &plain) || plain.empty()) return false;
    const std::size_t skip = kHeader + ((format & 0x20) ? 1 : 0);
    if (plain.size() < skip) return false;
    *data = plain.substr(skip);
    return true;
  }
  if (format & 0x04) return false;  // encrypted
  std::size_t pos = kHeader + ((format & 0x40) ? 1 : 0);
  std::size_t declared = 0;
  if (format & 0x01) {
    if (size < pos + 4) return false;
    declared = Syncsafe(frame + pos);
    pos += 4;
  }
  if (size < pos) return false;
  std::vector<unsigned char> body(frame + pos, frame + size);
  if (format & 0x02) body = Resync(body.data(), body.size());
  if (format & 0x08) {
    if (declared == 0 || declared > (std::size_t{1} << 28)) return false;
    std::string inflated(declared, '\0');
    uLongf n = declared;
    if (uncompress(reinterpret_cast<Bytef*>(inflated.data()), &n, body.data(), static_cast<uLong>(body.size())) != Z_OK ||
        n != declared)
      return false;
    *data = std::move(inflated);
    return true;
  }
  data->assign(body.begin(), body.end());
  return true;
}

String::Type TypeOf(char encoding) {
  switch (encoding) {
    case 1: return String::UTF16;
    case 2: return String::UTF16BE;
    case 3: return String::UTF8;
    default: return String::Latin1;
  }
}

// The strings of data (from pos) in the encoding, split at its terminators.
std::vector<std::string> Strings(const std::string& data, std::size_t pos, char encoding, std::size_t limit = 0) {
  std::vector<std::string> out;
  const bool wide = encoding == 1 || encoding == 2;
  const std::size_t unit = wide ? 2 : 1;
  while (pos < data.size() && (limit == 0 || out.size() < limit)) {
    std::size_t end = pos;
    while (end + unit <= data.size() && !(data[end] == 0 && (!wide || data[end + 1] == 0))) end += unit;
    if (end + unit > data.size()) end = data.size();
    const ByteVector bytes(data.data() + pos, static_cast<unsigned int>(end - pos));
    out.push_back(bytes.isEmpty() ? std::string() : String(bytes, TypeOf(encoding)).to8Bit(true));
    pos = std::min(data.size(), end + unit);
  }
  return out;
}

// Where the terminated string starting at pos ends (after its terminator).
std::size_t SkipString(const std::string& data, std::size_t pos, char encoding) {
  const bool wide = encoding == 1 || encoding == 2;
  if (!wide) {
    const std::size_t end = data.find('\0', pos);
    return end == std::string::npos ? data.size() : end + 1;
  }
  for (std::size_t i = pos; i + 1 < data.size(); i += 2)
    if (data[i] == 0 && data[i + 1] == 0) return i + 2;
  return data.size();
}

CStoredField Describe(const std::string& id, const unsigned char* frame, std::size_t size, int major) {
  CStoredField field;
  field.strKey = id;
  std::string d;
  if (!FrameData(frame, size, major, &d)) {
    field.strSummary = CString::Formatted("%s, %zu bytes", (frame[9] & (major == 3 ? 0x40 : 0x04)) ? "encrypted" : "unreadable",
                                          size - kHeader);
    return field;
  }
  const char enc = d.empty() ? 0 : d[0];
  if (IsLinkId(id) && id != "WXXX") {
    field.bText = true;
    const std::vector<std::string> url = Strings(d, 0, 0, 1);
    field.values.push_back(CString(url.empty() ? std::string() : url[0]));
    return field;
  }
  if (id == "WXXX") {
    const std::vector<std::string> desc = Strings(d, 1, enc, 1);
    field.strKey = "WXXX:" + (desc.empty() ? std::string() : desc[0]);
    const std::vector<std::string> url = Strings(d, SkipString(d, 1, enc), 0, 1);
    field.values.push_back(CString(url.empty() ? std::string() : url[0]));
    field.bText = true;
    return field;
  }
  if (IsTextId(id)) {
    std::vector<std::string> texts = Strings(d, 1, enc);
    if (id == "TXXX") {
      field.strKey = "TXXX:" + (texts.empty() ? std::string() : texts[0]);
      if (!texts.empty()) texts.erase(texts.begin());
    }
    if (major == 3 && texts.size() > 1) texts.resize(1);
    if (texts.empty()) texts.emplace_back();
    for (const std::string& t : texts) field.values.push_back(CString(t));
    field.bText = true;
    return field;
  }
  if (HasLanguage(id)) {
    const std::string lang = d.size() >= 4 ? d.substr(1, 3) : std::string();
    const std::vector<std::string> desc = Strings(d, 4, enc, 1);
    field.strKey = id + ":" + (desc.empty() ? std::string() : desc[0]) + ":" + lang;
    const std::vector<std::string> text = Strings(d, SkipString(d, 4, enc), enc, 1);
    field.values.push_back(CString(text.empty() ? std::string() : text[0]));
    field.bText = true;
    return field;
  }
  if (id == "APIC") {
    const std::size_t mimeEnd = SkipString(d, 1, 0);
    const std::string mime = d.substr(std::min<std::size_t>(1, d.size()), mimeEnd - std::min<std::size_t>(1, d.size()));
    const int type = mimeEnd < d.size() ? static_cast<unsigned char>(d[mimeEnd]) : -1;
    const std::vector<std::string> desc = Strings(d, mimeEnd + 1, enc, 1);
    const std::size_t dataAt = SkipString(d, std::min(d.size(), mimeEnd + 1), enc);
    field.strKey = "APIC:" + (desc.empty() ? std::string() : desc[0]);
    field.strSummary = PictureSummary(CString(std::string(mime.c_str())), type, d.size() - dataAt);
    return field;
  }
  if (id == "UFID" || id == "PRIV" || id == "POPM") {
    const std::vector<std::string> owner = Strings(d, 0, 0, 1);
    const std::size_t at = SkipString(d, 0, 0);
    field.strKey = id + ":" + (owner.empty() ? std::string() : owner[0]);
    const std::string rest = d.substr(at);
    if (id == "POPM") {
      field.strSummary = CString::Formatted("rating %d by %s", rest.empty() ? 0 : static_cast<unsigned char>(rest[0]),
                                            owner.empty() ? "" : owner[0].c_str());
      if (rest.size() > 1) {
        const std::uint64_t count = BeN(reinterpret_cast<const unsigned char*>(rest.data()) + 1, rest.size() - 1);
        field.strSummary += CString::Formatted(", played %llu times", static_cast<unsigned long long>(count));
      }
    } else if (id == "UFID" && !rest.empty() && rest.size() <= 64 &&
               std::all_of(rest.begin(), rest.end(), [](char c) { return c >= 0x20 && c < 0x7F; })) {
      field.strSummary = CString("identifier " + rest);
    } else {
      field.strSummary = BinarySummary(rest.size());
    }
    return field;
  }
  if (id == "GEOB") {
    const std::size_t mimeEnd = SkipString(d, 1, 0);
    const std::string mime = d.substr(std::min<std::size_t>(1, d.size()), mimeEnd - std::min<std::size_t>(1, d.size()));
    const std::vector<std::string> texts = Strings(d, mimeEnd, enc, 2);
    std::size_t at = SkipString(d, mimeEnd, enc);
    at = SkipString(d, at, enc);
    field.strKey = "GEOB:" + (texts.size() > 1 ? texts[1] : std::string());
    field.strSummary = CString::Formatted("%s, %s, %zu bytes", std::string(mime.c_str()).c_str(),
                                          texts.empty() ? "" : texts[0].c_str(), d.size() - std::min(at, d.size()));
    return field;
  }
  field.strSummary = BinarySummary(d.size());
  return field;
}

struct CFrame {
  std::string strId;
  std::string strBytes;  // header included
};

bool Frames(const std::string& tag, std::vector<CFrame>* out, int* major) {
  if (tag.empty()) return true;
  std::string sized = tag;
  if (sized.size() < kHeader) return false;
  PutSyncsafe(reinterpret_cast<unsigned char*>(sized.data()) + 6, sized.size() - kHeader);
  CTagFrames walked;
  if (!WalkTagFrames(reinterpret_cast<const unsigned char*>(sized.data()), sized.size(), &walked) ||
      (walked.nMajor != 3 && walked.nMajor != 4))
    return false;
  *major = walked.nMajor;
  for (const CTagFrames::Span& span : walked.frames) {
    const char* at = reinterpret_cast<const char*>(walked.body.data() + span.nPos);
    out->push_back({std::string(at, 4), std::string(at, span.nSize)});
  }
  return true;
}

// A key as its parts: "COMM:desc:eng" as COMM, desc, eng.
struct CKey {
  std::string strId, strDescription, strLanguage;
  bool bDescribed = false;  // a description was given
};

CKey ParseKey(const std::string& key) {
  CKey k;
  const std::size_t colon = key.find(':');
  k.strId = key.substr(0, colon);
  if (colon == std::string::npos) return k;
  k.bDescribed = true;
  k.strDescription = key.substr(colon + 1);
  if (HasLanguage(k.strId)) {
    const std::size_t last = k.strDescription.rfind(':');
    if (last != std::string::npos && k.strDescription.size() - last - 1 == 3) {
      k.strLanguage = k.strDescription.substr(last + 1);
      k.strDescription.resize(last);
    }
  }
  return k;
}

bool Matches(const CKey& key, const CStoredField& field) {
  const CKey stored = ParseKey(field.strKey.Str());
  if (stored.strId != key.strId) return false;
  if (!IsDescribed(key.strId)) return true;
  // A described kind without a description: "TXXX" is "TXXX:", "APIC" every picture.
  if (!key.bDescribed) return !IsTextual(key.strId) || stored.strDescription.empty();
  return stored.strDescription == key.strDescription &&
         (key.strLanguage.empty() || stored.strLanguage == key.strLanguage);
}

std::string Encoded(const std::string& utf8, char encoding) {
  if (encoding == 0) {
    std::string latin;
    textcodec::Utf8ToLatin1(CString(utf8), &latin);
    return latin;
  }
  const ByteVector bytes = String(utf8, String::UTF8).data(encoding == 1 ? String::UTF16 : String::UTF8);
  return std::string(bytes.data(), bytes.size());
}

std::string Terminator(char encoding) { return encoding == 1 ? std::string(2, '\0') : std::string(1, '\0'); }

std::string FrameOf(const std::string& id, const std::string& data, int major) {
  std::string frame = id + std::string(6, '\0') + data;
  auto* size = reinterpret_cast<unsigned char*>(frame.data()) + 4;
  if (major == 4)
    PutSyncsafe(size, data.size());
  else
    PutBe32(size, data.size());
  return frame;
}

CString NotText(const std::string& key) { return CString::Formatted("%s is not text, so it cannot be set to a value", key.c_str()); }

// The new frame of key holding values; empty with *error set when it cannot be made.
std::string NewFrame(const CKey& key, const std::string& keyText, std::vector<std::string> values,
                     const std::string& language, int major, CString* error) {
  const std::string& id = key.strId;
  const bool validChars = id.size() == 4 && std::all_of(id.begin(), id.end(), [](char c) {
                            return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
                          });
  if (!validChars) {
    *error = CString::Formatted("An ID3v2 frame id is four characters A to Z and 0 to 9, such as TPE1 ('%s' is not one)",
                                id.c_str());
    return {};
  }
  if (!IsTextual(id)) {
    *error = NotText(keyText);
    return {};
  }
  if (!Listed(id, kBothIds) && !(major == 4 ? Listed(id, kV24Ids) : Listed(id, kV23Ids))) {
    *error = CString::Formatted("ID3v2.%d has no text or link frame %s", major, id.c_str());
    return {};
  }
  if ((IsLinkId(id) || HasLanguage(id)) && values.size() > 1) {
    *error = CString::Formatted("An ID3v2 %s frame holds one value", id.c_str());
    return {};
  }
  // ID3v2.3 keeps one text: several are joined as conversions join them.
  if (major == 3 && values.size() > 1) {
    std::string joined;
    for (std::size_t i = 0; i < values.size(); ++i) joined += (i ? "/" : "") + values[i];
    values = {joined};
  }
  if (IsLinkId(id)) values[0] = framerules::StoredUrl(CString(values[0])).Str();
  std::string all = key.strDescription;
  for (const std::string& v : values) all += v;
  std::string latin;
  const char enc = IsLinkId(id) && id != "WXXX" ? 0 : textcodec::Utf8ToLatin1(CString(all), &latin) ? 0 : major == 4 ? 3 : 1;
  std::string data;
  if (IsLinkId(id) && id != "WXXX") {
    data = Encoded(values[0], 0);
  } else if (id == "WXXX") {
    data = std::string(1, enc) + Encoded(key.strDescription, enc) + Terminator(enc) + Encoded(values[0], 0);
  } else if (HasLanguage(id)) {
    std::string lang = language;
    lang.resize(3, ' ');
    data = std::string(1, enc) + lang + Encoded(key.strDescription, enc) + Terminator(enc) + Encoded(values[0], enc);
  } else {
    data = std::string(1, enc);
    if (id == "TXXX") data += Encoded(key.strDescription, enc) + Terminator(enc);
    for (std::size_t i = 0; i < values.size(); ++i) data += (i ? Terminator(enc) : std::string()) + Encoded(values[i], enc);
  }
  return FrameOf(id, data, major);
}

}  // namespace

std::vector<CStoredField> List(const std::string& tag) {
  std::vector<CFrame> frames;
  int major = 3;
  if (!Frames(tag, &frames, &major)) return {};
  std::vector<CStoredField> out;
  for (const CFrame& frame : frames)
    out.push_back(Describe(frame.strId, reinterpret_cast<const unsigned char*>(frame.strBytes.data()),
                           frame.strBytes.size(), major));
  return out;
}

CString Apply(const std::string& tag, int major, const CString& keyText, const std::vector<CString>& values,
              std::string* out) {
  std::vector<CFrame> frames;
  if (!Frames(tag, &frames, &major)) return "The file's ID3v2 tag cannot be read";
  const CKey key = ParseKey(keyText.Str());
  std::vector<std::size_t> matched;
  std::vector<CStoredField> fields;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    fields.push_back(Describe(frames[i].strId, reinterpret_cast<const unsigned char*>(frames[i].strBytes.data()),
                              frames[i].strBytes.size(), major));
    if (Matches(key, fields.back())) matched.push_back(i);
  }
  std::vector<std::string> texts;
  for (const CString& v : values) texts.push_back(v.Str());
  std::string replacement;
  if (!texts.empty()) {
    if (!matched.empty() && !fields[matched[0]].bText)
      return IsTextual(key.strId) ? CString::Formatted("The file's %s frame cannot be read, so it is not changed",
                                                         key.strId.c_str())
                                  : NotText(keyText.Str());
    if (matched.size() == 1 && fields[matched[0]].values == values) {
      *out = tag;
      return {};
    }
    // A comment or lyrics frame keeps its language; a new one takes the comment's.
    std::string language = key.strLanguage;
    if (language.empty() && !matched.empty()) language = ParseKey(fields[matched[0]].strKey.Str()).strLanguage;
    if (language.empty()) {
      std::vector<std::string> languages;
      for (const CStoredField& f : fields)
        if (ParseKey(f.strKey.Str()).strId == "COMM") languages.push_back(ParseKey(f.strKey.Str()).strLanguage);
      language = framerules::CommentLanguage(languages);
    }
    CString error;
    replacement = NewFrame(key, keyText.Str(), texts, language, major, &error);
    if (replacement.empty()) return error;
  } else if (matched.empty()) {
    *out = tag;
    return {};
  }
  std::string body;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    // A value set replaces the key's text frames; one of the key that cannot
    // be read (encrypted) stays, as only a removal of the key removes it.
    const bool isMatched = std::find(matched.begin(), matched.end(), i) != matched.end() &&
                           (texts.empty() || fields[i].bText);
    if (!isMatched)
      body += frames[i].strBytes;
    else if (i == matched[0])
      body += replacement;
  }
  if (matched.empty()) body += replacement;
  if (body.empty()) {
    out->clear();
    return {};
  }
  std::string bytes("ID3", 3);
  bytes += static_cast<char>(major);
  bytes += std::string(6, '\0');
  PutSyncsafe(reinterpret_cast<unsigned char*>(bytes.data()) + 6, body.size());
  *out = bytes + body;
  return {};
}

}  // namespace id3stored
