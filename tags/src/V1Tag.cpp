#include "V1Tag.h"

#include "Genres.h"
#include "TextCodec.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr int kTagSize = 128;

// Where each field lies in the 128 bytes, and how wide it is. The comment is
// 30 bytes in ID3v1.0 and 28 in ID3v1.1, whose byte 125 is zero and byte 126
// the track number.
struct Slot {
  int nOffset;
  int nWidth;
};
constexpr Slot kSlots[] = {{3, 30}, {33, 30}, {63, 30}, {93, 4}, {97, 30}, {126, 1}, {127, 1}};
constexpr int kTrackMarker = 125;

bool HasTrack(const unsigned char* tag) { return tag[kTrackMarker] == 0 && tag[kTrackMarker + 1] != 0; }

void PutText(unsigned char* tag, Slot slot, const std::string& latin) {
  std::memset(tag + slot.nOffset, 0, slot.nWidth);
  std::memcpy(tag + slot.nOffset, latin.data(), std::min<std::size_t>(latin.size(), slot.nWidth));
}

// The ID3v1 track byte for a track text: its leading number ("3/12" gives
// 3), 0 (no track) for an empty text or a zero; -1 when the text has no
// number that fits the byte ("７/１２", "B2", "300"), which leaves the field.
int TrackByte(const CString& text) {
  const std::string& s = text.Str();
  if (s.empty()) return 0;
  std::size_t i = s.find_first_not_of(' ');
  if (i == std::string::npos || s[i] < '0' || s[i] > '9') return -1;
  int n = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
    if ((n = n * 10 + (s[i] - '0')) > 255) return -1;
  return n;
}

// Latin-1 for a UTF-8 value: each character outside it becomes "?".
std::string LossyLatin1(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const int n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
    unsigned cp = n == 1 ? c : c & (0x7F >> n);
    for (int k = 1; k < n && i + k < s.size(); ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    out += cp < 0x100 ? static_cast<char>(cp) : '?';
    i += static_cast<std::size_t>(n);
  }
  return out;
}

}  // namespace

CString V1Text(const unsigned char* block, V1Field field) {
  const int i = static_cast<int>(field);
  if (field == V1Field::Track) return HasTrack(block) ? CString(std::to_string(block[kSlots[i].nOffset])) : CString();
  if (field == V1Field::Genre) {
    const int genre = block[kSlots[i].nOffset];
    return genre < genres::kCount ? CString(genres::Name(genre)) : CString();
  }
  Slot slot = kSlots[i];
  if (field == V1Field::Comment && HasTrack(block)) slot.nWidth = kTrackMarker - slot.nOffset;
  std::string latin(reinterpret_cast<const char*>(block) + slot.nOffset, slot.nWidth);
  latin.resize(std::strlen(latin.c_str()));
  while (!latin.empty() && latin.back() == ' ') latin.pop_back();
  return textcodec::Latin1ToUtf8(latin.c_str());
}

bool V1Holds(const unsigned char* block, V1Field field, const CString& value) {
  const CString text = value == "-" ? CString() : value;
  if (field == V1Field::Genre) {
    const int genre = genres::IndexOf(text);
    return text.IsEmpty() ? block[kSlots[6].nOffset] == 255 || block[kSlots[6].nOffset] >= genres::kCount
                          : genre >= 0 && genre == block[kSlots[6].nOffset];
  }
  return V1Text(block, field) == text;
}

std::array<unsigned char, 128> CV1Edits::NewBlock() const {
  std::array<unsigned char, kTagSize> block{};
  std::memcpy(block.data(), "TAG", 3);
  block[kSlots[static_cast<int>(V1Field::Genre)].nOffset] = 255;
  CV1Edits lossy = *this;
  for (int i = 0; i < static_cast<int>(V1Field::Count); ++i)
    if (i != static_cast<int>(V1Field::Track) && i != static_cast<int>(V1Field::Genre))
      lossy.m_strValue[i] = textcodec::Latin1ToUtf8(LossyLatin1(m_strValue[i].Str()).c_str());
  return lossy.ApplyTo(block.data());
}

void CV1Edits::Set(V1Field field, const CString& value) {
  m_bSet[static_cast<int>(field)] = true;
  m_strValue[static_cast<int>(field)] = value == "-" ? CString() : value;
}

bool CV1Edits::IsEmpty() const {
  for (bool set : m_bSet)
    if (set) return false;
  return true;
}

void CV1Edits::Clear() { *this = CV1Edits(); }

std::array<unsigned char, 128> CV1Edits::ApplyTo(const unsigned char* oldBlock) const {
  std::array<unsigned char, kTagSize> block;
  std::copy(oldBlock, oldBlock + kTagSize, block.begin());
  unsigned char* tag = block.data();
  for (int i = 0; i < static_cast<int>(V1Field::Count); ++i) {
    if (!m_bSet[i]) continue;
    const V1Field field = static_cast<V1Field>(i);
    if (field == V1Field::Track) {
      // Without a number an ID3v1.0 tag stays one: its comment keeps 30 bytes.
      const int track = TrackByte(m_strValue[i]);
      if (track > 0 || (track == 0 && HasTrack(tag))) {
        tag[kTrackMarker] = 0;
        tag[kTrackMarker + 1] = static_cast<unsigned char>(track);
      }
      continue;
    }
    if (field == V1Field::Genre) {
      const int genre = genres::IndexOf(m_strValue[i]);
      tag[kSlots[i].nOffset] = static_cast<unsigned char>(genre < 0 ? 255 : genre);
      continue;
    }
    std::string latin;
    if (!textcodec::Utf8ToLatin1(m_strValue[i], &latin)) continue;
    Slot slot = kSlots[i];
    if (field == V1Field::Comment && HasTrack(tag)) slot.nWidth = kTrackMarker - slot.nOffset;
    PutText(tag, slot, latin);
  }
  return block;
}
