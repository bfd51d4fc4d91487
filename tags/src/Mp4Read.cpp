#include "Mp4Read.h"

#include "ByteOrder.h"

#include <taglib/id3v1genres.h>
#include <taglib/tstring.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string_view>

namespace {

constexpr const char* kContainers[] = {"moov", "udta", "mdia", "meta", "ilst", "stbl",
                                       "minf", "moof", "traf", "trak", "stsd"};

// The bytes of the file, read as a stream is: past the end there is less.
struct CBytes {
  std::string_view all;
  std::string_view Block(std::size_t at, std::size_t n) const {
    return at >= all.size() ? std::string_view() : all.substr(at, std::min(n, all.size() - at));
  }
};

// A big-endian number at offset; fewer bytes make a smaller number when the
// bytes end sooner, none make 0.
template <class T>
T Number(std::string_view v, std::size_t offset) {
  if (offset >= v.size()) return 0;
  return static_cast<T>(
      BeN(reinterpret_cast<const unsigned char*>(v.data()) + offset, std::min(sizeof(T), v.size() - offset)));
}
char At(std::string_view v, std::size_t i) { return i < v.size() ? v[i] : '\0'; }
bool HasAt(std::string_view v, std::string_view what, std::size_t at) {
  return at <= v.size() && v.size() - at >= what.size() && v.compare(at, what.size(), what) == 0;
}
// v's bytes from index on, at most length of them.
std::string_view Mid(std::string_view v, std::size_t index, std::size_t length) {
  index = std::min(index, v.size());
  return v.substr(index, std::min(length, v.size() - index));
}

struct CAtom {
  std::string_view name;
  std::size_t at = 0;
  long long length = 0;  // 0: broken
  std::vector<CAtom> children;

  const CAtom* Find(std::initializer_list<std::string_view> path) const {
    const CAtom* atom = this;
    for (std::string_view name : path) {
      const auto it = std::find_if(atom->children.begin(), atom->children.end(),
                                   [&](const CAtom& c) { return c.name == name; });
      if (it == atom->children.end()) return nullptr;
      atom = &*it;
    }
    return atom;
  }
  std::string_view Bytes(const CBytes& file) const { return file.Block(at, static_cast<std::size_t>(length)); }
};

// One atom at pos, and its children when it is a container; pos moves past it.
void ParseAtom(const CBytes& file, std::size_t& pos, CAtom& atom) {
  atom.at = pos;
  const std::string_view header = file.Block(pos, 8);
  pos += header.size();
  if (header.size() != 8) {
    pos = file.all.size();
    return;
  }
  long long length = Number<std::uint32_t>(header, 0);
  if (length == 0) {
    length = static_cast<long long>(file.all.size() - atom.at);  // to the end of the file
  } else if (length == 1) {
    const std::string_view wide = file.Block(pos, 8);
    pos += wide.size();
    length = static_cast<long long>(Number<std::uint64_t>(wide, 0));
  }
  if (length < 8) {
    pos = file.all.size();
    return;
  }
  atom.length = length;
  atom.name = header.substr(4, 4);
  const std::size_t end = atom.at + static_cast<std::size_t>(length);
  if (std::none_of(std::begin(kContainers), std::end(kContainers), [&](const char* c) { return atom.name == c; })) {
    pos = end;
    return;
  }
  if (atom.name == "meta") {
    // A full atom (version and flags first) unless a child's header follows at once.
    const std::string_view next = Mid(file.Block(pos, 8), 4, 4);
    const bool full = next != "hdlr" && next != "ilst" && next != "mhdr" && next != "ctry" && next != "lang";
    pos += full ? 4 : 0;
  } else if (atom.name == "stsd") {
    pos += 8;
  }
  while (pos < end) {
    atom.children.emplace_back();
    ParseAtom(file, pos, atom.children.back());
    if (atom.children.back().length == 0) return;
  }
}

bool AllWhole(const std::vector<CAtom>& atoms) {
  return std::all_of(atoms.begin(), atoms.end(), [](const CAtom& a) { return a.length != 0 && AllWhole(a.children); });
}

long long MdatLength(const std::vector<CAtom>& atoms) {
  long long total = 0;
  for (const CAtom& a : atoms) {
    if (a.length == 0) return 0;
    if (a.name == "mdat") total += a.length;
    total += MdatLength(a.children);
  }
  return total;
}

// The audio track's facts, as TagLib's MP4 properties work them out.
void ReadFacts(const CBytes& file, const CAtom& root, CStreamFacts* facts) {
  const CAtom* moov = root.Find({"moov"});
  if (!moov) return;
  const CAtom* trak = nullptr;
  for (const CAtom& t : moov->children) {
    if (t.name != "trak") continue;
    const CAtom* hdlr = t.Find({"mdia", "hdlr"});
    if (!hdlr) return;
    if (HasAt(hdlr->Bytes(file), "soun", 16)) {
      trak = &t;
      break;
    }
  }
  if (!trak) return;
  const CAtom* mdhd = trak->Find({"mdia", "mdhd"});
  if (!mdhd) return;
  std::string_view data = mdhd->Bytes(file);
  long long unit = 0, length = 0;
  if (At(data, 8) == 1) {
    if (data.size() < 36 + 8) return;
    unit = Number<std::uint32_t>(data, 28);
    length = static_cast<long long>(Number<std::uint64_t>(data, 32));
  } else {
    if (data.size() < 24 + 8) return;
    unit = Number<std::uint32_t>(data, 20);
    length = Number<std::uint32_t>(data, 24);
  }
  int milliseconds = 0, bitrate = 0;
  if (unit > 0 && length > 0) milliseconds = static_cast<int>(static_cast<double>(length) * 1000.0 / static_cast<double>(unit) + 0.5);
  const CAtom* stsd = trak->Find({"mdia", "minf", "stbl", "stsd"});
  if (!stsd) return;
  data = stsd->Bytes(file);
  int channels = 0, bits = 0;
  unsigned int rate = 0;
  if (HasAt(data, "mp4a", 20)) {
    facts->strCodec = "AAC";
    channels = static_cast<short>(Number<std::uint16_t>(data, 40));
    bits = static_cast<short>(Number<std::uint16_t>(data, 42));
    rate = Number<std::uint32_t>(data, 46);
    if (HasAt(data, "esds", 56) && At(data, 64) == 0x03) {
      std::size_t pos = 65;
      if (HasAt(data, "\x80\x80\x80", pos)) pos += 3;
      pos += 4;
      if (At(data, pos) == 0x04) {
        pos += 1;
        if (HasAt(data, "\x80\x80\x80", pos)) pos += 3;
        pos += 10;
        const unsigned int value = Number<std::uint32_t>(data, pos);
        if (value != 0 || milliseconds <= 0)
          bitrate = static_cast<int>((value + 500) / 1000.0 + 0.5);
        else
          bitrate = static_cast<int>(MdatLength(root.children) * 8 / milliseconds);
      }
    }
    bits = 0;  // shown for ALAC only
  } else if (HasAt(data, "alac", 20)) {
    if (stsd->length != 88 || !HasAt(data, "alac", 56)) return;
    facts->strCodec = "ALAC";
    bits = static_cast<signed char>(At(data, 69));
    channels = static_cast<signed char>(At(data, 73));
    bitrate = static_cast<int>(Number<std::uint32_t>(data, 80) / 1000.0 + 0.5);
    rate = Number<std::uint32_t>(data, 84);
    if (bitrate == 0 && milliseconds > 0) bitrate = static_cast<int>(MdatLength(root.children) * 8 / milliseconds);
  } else {
    return;
  }
  facts->nMilliseconds = milliseconds;
  facts->nSeconds = milliseconds / 1000;
  facts->nBitRate = bitrate * 1000;
  facts->nSampleRate = static_cast<int>(rate);
  facts->nChannels = channels;
  facts->nBitsPerSample = bits;
}

struct CData {
  int type;
  std::string_view bytes;
};

// An item's data atoms (or, free-form, its mean and name first), as TagLib
// takes them: stopped by an atom too short or of another name; of the data
// atoms, those of expectedType (-1: all).
std::vector<CData> DataOf(std::string_view body, int expectedType, bool freeForm) {
  std::vector<CData> out;
  std::size_t pos = 0;
  for (int i = 0; pos < body.size(); ++i) {
    const int length = static_cast<int>(Number<std::uint32_t>(body, pos));
    if (length < 12) break;
    const std::string_view name = Mid(body, pos + 4, 4);
    const int type = static_cast<int>(Number<std::uint32_t>(body, pos + 8));
    if (freeForm && i < 2) {
      if (name != (i == 0 ? "mean" : "name")) break;
      out.push_back({type, Mid(body, pos + 12, static_cast<std::size_t>(length - 12))});
    } else {
      if (name != "data") break;
      if (expectedType == -1 || type == expectedType)
        out.push_back({type, Mid(body, pos + 16, length >= 16 ? static_cast<std::size_t>(length - 16) : std::string_view::npos)});
    }
    pos += static_cast<std::size_t>(length);
  }
  return out;
}

bool OneOf(std::string_view name, std::initializer_list<std::string_view> names) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// Every ilst item TagLib would keep: the texts, number pairs and covers
// among them noted in out.
void ReadItems(const CBytes& file, const CAtom& ilst, CMp4Read* out) {
  std::vector<std::string> kept;  // the first of two equal keys wins
  const auto keep = [&](const std::string& key) {
    if (std::find(kept.begin(), kept.end(), key) != kept.end()) return false;
    kept.push_back(key);
    out->bItems = true;
    return true;
  };
  const auto texts = [](const std::vector<CData>& data) {
    std::vector<std::string> values;
    for (const CData& d : data) values.emplace_back(d.bytes);
    return values;
  };
  for (const CAtom& item : ilst.children) {
    const std::string_view body = file.Block(item.at + 8, static_cast<std::size_t>(item.length - 8));
    const std::string key = Mp4KeyOfName(item.name);
    if (item.name == "----") {
      const std::vector<CData> data = DataOf(body, -1, true);
      if (data.size() <= 2) continue;
      const std::string name = "----:" + std::string(data[0].bytes) + ":" + std::string(data[1].bytes);
      if (!keep(name) || data[2].type != 1) continue;
      out->texts.push_back({name, texts({data.begin() + 2, data.end()})});
    } else if (OneOf(item.name, {"trkn", "disk"})) {
      const std::vector<CData> data = DataOf(body, -1, false);
      if (data.empty() || !keep(key)) continue;
      out->pairs.push_back({key, {static_cast<short>(Number<std::uint16_t>(data[0].bytes, 2)),
                                  static_cast<short>(Number<std::uint16_t>(data[0].bytes, 4))}});
    } else if (item.name == "rate") {
      const std::vector<CData> data = DataOf(body, -1, false);
      if (data.empty() || !keep(key)) continue;
      if (data[0].type == 1) out->texts.push_back({key, {std::string(data[0].bytes)}});
    } else if (OneOf(item.name, {"cpil", "pgap", "pcst", "hdvd", "shwm", "tmpo", "\xA9mvi", "\xA9mvc", "tvsn", "tves",
                                 "cnID", "sfID", "atID", "geID", "cmID", "plID", "stik", "rtng", "akID"})) {
      if (!DataOf(body, -1, false).empty()) keep(key);
    } else if (item.name == "gnre") {
      const std::vector<CData> data = DataOf(body, -1, false);
      const int index = data.empty() ? 0 : static_cast<short>(Number<std::uint16_t>(data[0].bytes, 0));
      if (index > 0 && keep("\xC2\xA9gen"))
        out->texts.push_back({"\xC2\xA9gen", {TagLib::ID3v1::genre(index - 1).to8Bit(true)}});
    } else if (item.name == "covr") {
      std::vector<std::pair<int, std::string>> covers;
      std::size_t pos = 0;
      while (pos < body.size()) {
        const int length = static_cast<int>(Number<std::uint32_t>(body, pos));
        if (length < 12 || Mid(body, pos + 4, 4) != "data") break;
        const int type = static_cast<int>(Number<std::uint32_t>(body, pos + 8));
        if (type == 13 || type == 14 || type == 27 || type == 12 || type == 0)
          covers.push_back({type, std::string(Mid(body, pos + 16, length >= 16 ? static_cast<std::size_t>(length - 16)
                                                                                 : std::string_view::npos))});
        pos += static_cast<std::size_t>(length);
      }
      if (!covers.empty() && keep(key)) out->covers = std::move(covers);
    } else {
      const std::vector<CData> data = DataOf(body, OneOf(item.name, {"purl", "egid"}) ? -1 : 1, false);
      if (!data.empty() && keep(key)) out->texts.push_back({key, texts(data)});
    }
  }
}

}  // namespace

std::string Mp4KeyOfName(std::string_view name) {
  std::string key;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      key.push_back(c);
    } else {
      key.push_back(static_cast<char>(0xC0 | byte >> 6));
      key.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
    }
  }
  return key;
}

const std::vector<std::string>* CMp4Read::Texts(const std::string& key) const {
  for (const auto& [k, v] : texts)
    if (k == key) return &v;
  return nullptr;
}

const std::pair<int, int>* CMp4Read::Pair(const std::string& key) const {
  for (const auto& [k, v] : pairs)
    if (k == key) return &v;
  return nullptr;
}

bool ReadMp4(const unsigned char* data, std::size_t size, CMp4Read* out) {
  const CBytes file{std::string_view(reinterpret_cast<const char*>(data), size)};
  CAtom root;
  for (std::size_t pos = 0; pos + 8 <= size;) {
    root.children.emplace_back();
    ParseAtom(file, pos, root.children.back());
    if (root.children.back().length == 0) break;
  }
  if (!AllWhole(root.children) || !root.Find({"moov"})) return false;
  if (const CAtom* ilst = root.Find({"moov", "udta", "meta", "ilst"})) ReadItems(file, *ilst, out);
  ReadFacts(file, root, &out->facts);
  return true;
}
