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

}  // namespace

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
