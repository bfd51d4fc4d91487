#include "XiphWriter.h"

#include "ByteOrder.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr std::size_t kMaxBlock = (std::size_t{1} << 24) - 1;
constexpr std::size_t kNewPadding = 4096;

// A FLAC picture block's body (as PICTURE blocks and METADATA_BLOCK_PICTURE hold it).
std::string PictureBody(const CXiphEdit& edit, const std::string& description) {
  std::string out;
  PutBe32(&out, 3);
  PutBe32(&out, static_cast<std::uint32_t>(edit.strMime.size()));
  out += edit.strMime;
  PutBe32(&out, static_cast<std::uint32_t>(description.size()));
  out += description;
  for (std::uint32_t v : {std::uint32_t(edit.nWidth), std::uint32_t(edit.nHeight), 24u, 0u}) PutBe32(&out, v);
  PutBe32(&out, static_cast<std::uint32_t>(edit.strImage.size()));
  out += edit.strImage;
  return out;
}

}  // namespace

std::vector<std::string> EditedEntries(const std::vector<std::string>& entries, const CXiphEdit& edit, bool pictures) {
  std::vector<std::string> out;
  std::vector<bool> placed(edit.keys.size(), false);
  bool frontDone = false;
  for (const std::string& entry : entries) {
    const std::string key = CommentKey(entry);
    const auto it = std::find_if(edit.keys.begin(), edit.keys.end(), [&](const auto& k) { return k.first == key; });
    if (it != edit.keys.end()) {
      const std::size_t i = static_cast<std::size_t>(it - edit.keys.begin());
      if (!placed[i]) {
        const std::string spelled = entry.substr(0, std::min(entry.find('='), entry.size()));
        for (const std::string& v : it->second) out.push_back(spelled + "=" + v);
        placed[i] = true;
      }
      continue;
    }
    if (pictures && !frontDone && edit.eCover != CXiphEdit::Cover::None && key == "METADATA_BLOCK_PICTURE") {
      std::string body;
      const std::size_t eq = entry.find('=');
      // The front cover a reader shows: the first whole picture of type 3
      // (a damaged one is no picture to it, and stays as it is).
      const CFlacPicture picture = Base64Decode(entry.substr(eq + 1), &body) ? ParseFlacPicture(body) : CFlacPicture{};
      if (picture.bWhole && picture.nType == 3) {
        frontDone = true;
        if (edit.eCover == CXiphEdit::Cover::Set)
          out.push_back(entry.substr(0, eq) + "=" + Base64Encode(PictureBody(edit, std::string(picture.description))));
        continue;
      }
    }
    out.push_back(entry);
  }
  for (std::size_t i = 0; i < edit.keys.size(); ++i)
    if (!placed[i])
      for (const std::string& v : edit.keys[i].second) out.push_back(edit.keys[i].first + "=" + v);
  if (pictures && !frontDone && edit.eCover == CXiphEdit::Cover::Set)
    out.push_back("METADATA_BLOCK_PICTURE=" + Base64Encode(PictureBody(edit, {})));
  return out;
}

namespace {

std::string CommentBody(const std::string& vendor, const std::vector<std::string>& entries) {
  std::string out;
  PutLe32(&out, static_cast<std::uint32_t>(vendor.size()));
  out += vendor;
  PutLe32(&out, static_cast<std::uint32_t>(entries.size()));
  for (const std::string& e : entries) {
    PutLe32(&out, static_cast<std::uint32_t>(e.size()));
    out += e;
  }
  return out;
}

bool RenderFlac(const unsigned char* old, std::size_t size, const CAudioLayout& layout, const CXiphEdit& edit,
                std::string* out, CString* error) {
  const std::string comment =
      CommentBody(layout.bComment ? layout.comment.strVendor : std::string("Quillory"),
                  EditedEntries(layout.comment.entries, edit, false));
  struct CNew {
    int nType;
    std::string body;
  };
  std::vector<CNew> blocks;
  bool frontDone = false;
  int padding = -1;  // the index of the first PADDING block
  for (const CAudioLayout::CBlock& b : layout.blocks) {
    if (b.nType == 6 && edit.bRemovePictures) continue;
    std::string body(reinterpret_cast<const char*>(old + b.nAt), b.nSize);
    if (b.nType == 4) body = comment;
    if (b.nType == 6 && !frontDone && edit.eCover != CXiphEdit::Cover::None) {
      // A FLAC file's picture blocks all hold together (the layout walk refuses it otherwise).
      const CFlacPicture picture = ParseFlacPicture(body);
      if (picture.nType == 3) {
        frontDone = true;
        if (edit.eCover == CXiphEdit::Cover::Remove) continue;
        body = PictureBody(edit, std::string(picture.description));
      }
    }
    if (b.nType == 1 && padding < 0) padding = static_cast<int>(blocks.size());
    blocks.push_back({b.nType, std::move(body)});
    if (b.nType == 0 && !layout.bComment) blocks.push_back({4, comment});
  }
  if (!frontDone && edit.eCover == CXiphEdit::Cover::Set) {
    // After the last picture, else before the padding, else at the end.
    std::size_t at = blocks.size();
    for (std::size_t i = 0; i < blocks.size(); ++i)
      if (blocks[i].nType == 6) at = i + 1;
    if (at == blocks.size() && padding >= 0) at = static_cast<std::size_t>(padding);
    if (padding >= 0 && at <= static_cast<std::size_t>(padding)) ++padding;
    blocks.insert(blocks.begin() + static_cast<long>(at), CNew{6, PictureBody(edit, {})});
  }
  // The padding takes up the difference, so the audio stays where it was
  // when it can; else a new padding leaves room for later edits.
  const std::size_t oldTotal = layout.nAudioStart - layout.nStart - 4;
  std::size_t total = 0;
  for (const CNew& b : blocks) total += 4 + b.body.size();
  if (padding >= 0) {
    const std::size_t others = total - 4 - blocks[static_cast<std::size_t>(padding)].body.size();
    const std::size_t room = oldTotal >= others + 4 ? oldTotal - others - 4 : kNewPadding;
    blocks[static_cast<std::size_t>(padding)].body.assign(std::min(room, kMaxBlock), '\0');
  } else if (total != oldTotal) {
    blocks.push_back({1, std::string(kNewPadding, '\0')});
  }
  out->assign(reinterpret_cast<const char*>(old), layout.nStart + 4);
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    if (blocks[i].body.size() > kMaxBlock) {
      *error = "The tag would be larger than a FLAC metadata block may be";
      return false;
    }
    const std::uint32_t head = (i + 1 == blocks.size() ? 0x80000000u : 0) |
                               static_cast<std::uint32_t>(blocks[i].nType) << 24 |
                               static_cast<std::uint32_t>(blocks[i].body.size());
    PutBe32(out, head);
    *out += blocks[i].body;
  }
  out->append(reinterpret_cast<const char*>(old + layout.nAudioStart), size - layout.nAudioStart);
  return true;
}

// Lays packets out on pages from sequence number seq on (header pages:
// granule 0 where a packet ends, -1 where none does).
std::string Paginate(const std::vector<std::string>& packets, std::uint32_t serial, std::uint32_t seq, int* pages) {
  struct CSegment {
    std::size_t packet, at, size;
  };
  std::vector<CSegment> segments;
  for (std::size_t p = 0; p < packets.size(); ++p) {
    std::size_t at = 0;
    for (;;) {
      const std::size_t n = std::min<std::size_t>(255, packets[p].size() - at);
      segments.push_back({p, at, n});
      at += n;
      if (n < 255) break;
    }
  }
  std::string out;
  *pages = 0;
  bool continued = false;
  for (std::size_t first = 0; first < segments.size(); first += 255) {
    const std::size_t count = std::min<std::size_t>(255, segments.size() - first);
    std::string page = "OggS";
    page.push_back('\0');
    page.push_back(continued ? 1 : 0);
    bool ends = false;
    for (std::size_t s = first; s < first + count; ++s) ends = ends || segments[s].size < 255;
    const std::uint64_t granule = ends ? 0 : ~std::uint64_t{0};
    for (int b = 0; b < 64; b += 8) page.push_back(static_cast<char>(granule >> b));
    PutLe32(&page, serial);
    PutLe32(&page, seq++);
    PutLe32(&page, 0);
    page.push_back(static_cast<char>(count));
    for (std::size_t s = first; s < first + count; ++s) page.push_back(static_cast<char>(segments[s].size));
    for (std::size_t s = first; s < first + count; ++s) page += packets[segments[s].packet].substr(segments[s].at, segments[s].size);
    const std::uint32_t crc = OggCrc(reinterpret_cast<const unsigned char*>(page.data()), page.size());
    PutLe32(reinterpret_cast<unsigned char*>(page.data()) + 22, crc);
    continued = segments[first + count - 1].size == 255;
    out += page;
    ++*pages;
  }
  return out;
}

bool RenderOgg(const unsigned char* old, std::size_t size, const CAudioLayout& layout, const CXiphEdit& edit,
               std::string* out, CString* error) {
  if (!layout.bHeadersApart) {
    *error = "The Ogg stream's header pages are laid out as no encoder does; it is not written";
    return false;
  }
  const bool opus = layout.eFormat == AudioFormat::OggOpus;
  std::vector<std::string> packets(layout.headerPackets.begin() + 1, layout.headerPackets.end());
  const std::string magic = opus ? "OpusTags" : "\x03vorbis";
  std::string tail;  // what follows the entries: the framing bit, padding some writers keep
  std::size_t oldBody = 0;
  {
    const auto* body = reinterpret_cast<const unsigned char*>(packets[0].data()) + magic.size();
    CVorbisComment ignored;
    ParseVorbisComment(body, packets[0].size() - magic.size(), &ignored, &oldBody);
    tail = packets[0].substr(magic.size() + oldBody);
  }
  const std::string entries = CommentBody(layout.comment.strVendor, EditedEntries(layout.comment.entries, edit, true));
  // Zeros after the entries (and after Vorbis's framing bit) are room some
  // writers leave: a change that fits takes it, so the comment keeps its size,
  // its pages keep their layout, and only the bytes that changed are written.
  const std::size_t lead = opus ? 0 : 1;
  const std::size_t room = tail.size() - std::min(tail.size(), lead);
  if (room > 0 && tail.find_first_not_of('\0', lead) == std::string::npos && entries.size() <= oldBody + room)
    tail.resize(tail.size() + oldBody - entries.size());
  else if (room == 0 && tail.size() == lead && entries.size() != oldBody)
    tail.append(kNewPadding, '\0');  // laid out anew: with room, as a FLAC file gets it, for the next change
  packets[0] = magic + entries + tail;
  int pages = 0;
  out->assign(reinterpret_cast<const char*>(old), layout.nFirstPageEnd);
  *out += Paginate(packets, layout.nSerial, 1, &pages);
  const std::int64_t shift = static_cast<std::int64_t>(pages + 1) - layout.nHeaderPages;
  // The audio pages: as they are, or renumbered (and their checksums made again).
  for (std::size_t at = layout.nHeaderEnd; at < size;) {
    const std::size_t segments = old[at + 26];
    std::size_t pageSize = 27 + segments;
    for (std::size_t s = 0; s < segments; ++s) pageSize += old[at + 27 + s];
    std::string page(reinterpret_cast<const char*>(old + at), pageSize);
    if (shift != 0) {
      auto* bytes = reinterpret_cast<unsigned char*>(page.data());
      PutLe32(bytes + 18, static_cast<std::uint32_t>(static_cast<std::int64_t>(Le32(bytes + 18)) + shift));
      PutLe32(bytes + 22, OggCrc(bytes, page.size()));
    }
    *out += page;
    at += pageSize;
  }
  return true;
}

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

}  // namespace

std::string Base64Encode(const std::string& bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
    std::uint32_t v = 0;
    for (std::size_t k = 0; k < 3; ++k) v = v << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0);
    for (std::size_t k = 0; k < 4; ++k) out.push_back(k <= n ? kBase64[(v >> (18 - 6 * k)) & 63] : '=');
  }
  return out;
}

bool Base64Decode(const std::string& text, std::string* out) {
  // Each byte's value in the alphabet; 64 for a byte outside it.
  static const auto values = [] {
    std::array<unsigned char, 256> t{};
    t.fill(64);
    for (unsigned char i = 0; i < 64; ++i) t[static_cast<unsigned char>(kBase64[i])] = i;
    return t;
  }();
  out->clear();
  out->reserve(text.size() / 4 * 3);
  std::uint32_t v = 0;
  int bits = 0;
  std::size_t pad = 0;
  for (char c : text) {
    if (c == '=') {
      ++pad;
      continue;
    }
    const unsigned char value = values[static_cast<unsigned char>(c)];
    if (value == 64 || pad) return false;
    v = v << 6 | value;
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out->push_back(static_cast<char>(v >> bits));
    }
  }
  return pad <= 2 && (text.size() % 4 == 0);
}

bool RenderXiph(const unsigned char* old, std::size_t size, const CAudioLayout& layout, const CXiphEdit& edit,
                std::string* out, CString* error) {
  if (layout.eFormat == AudioFormat::Flac) return RenderFlac(old, size, layout, edit, out, error);
  return RenderOgg(old, size, layout, edit, out, error);
}
