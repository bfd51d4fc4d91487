#include "V1Tag.h"

#include "TextCodec.h"

#include <algorithm>
#include <cstdlib>
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
constexpr Slot kSlots[] = {{3, 30}, {33, 30}, {63, 30}, {93, 4}, {97, 30}, {126, 1}};
constexpr int kTrackMarker = 125;

bool HasTrack(const unsigned char* tag) { return tag[kTrackMarker] == 0 && tag[kTrackMarker + 1] != 0; }

void PutText(unsigned char* tag, Slot slot, const std::string& latin) {
  std::memset(tag + slot.nOffset, 0, slot.nWidth);
  std::memcpy(tag + slot.nOffset, latin.data(), std::min<std::size_t>(latin.size(), slot.nWidth));
}

// The leading number of a track text such as "3/12"; 0 (no track) when
// there is none or it does not fit the one byte.
unsigned char TrackNumber(const CString& text) {
  const long n = std::strtol(text, nullptr, 10);
  return n > 0 && n < 256 ? static_cast<unsigned char>(n) : 0;
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
      const unsigned char track = TrackNumber(m_strValue[i]);
      if (track != 0 || HasTrack(tag)) {
        tag[kTrackMarker] = 0;
        tag[kTrackMarker + 1] = track;
      }
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
