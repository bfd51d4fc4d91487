#pragma once
// The numbers in ID3v2 and MPEG headers, and where a rendered tag's frames end.
#include <cstddef>

// A plain big-endian 32-bit number (ID3v2.3 frame sizes, Xing fields).
inline std::size_t Be32(const unsigned char* p) {
  return (std::size_t{p[0]} << 24) | (std::size_t{p[1]} << 16) | (std::size_t{p[2]} << 8) | p[3];
}

// ID3v2's synchsafe number: seven bits in each of four bytes.
inline std::size_t Syncsafe(const unsigned char* p) {
  return (std::size_t{p[0]} << 21) | (std::size_t{p[1]} << 14) | (std::size_t{p[2]} << 7) | p[3];
}

inline void PutSyncsafe(unsigned char* p, std::size_t value) {
  for (int i = 3; i >= 0; --i, value >>= 7) p[i] = static_cast<unsigned char>(value & 0x7F);
}

// Where the frames of a tag rendered as ID3v2.3 or v2.4 end and its padding
// begins; size when a frame claims more than there is (not ours to cut).
inline std::size_t FramesEnd(const unsigned char* tag, std::size_t size, int major) {
  constexpr std::size_t kHeader = 10;  // of the tag and of each frame
  std::size_t pos = kHeader;
  while (pos + kHeader <= size && tag[pos] != 0) {
    const std::size_t body = major == 4 ? Syncsafe(tag + pos + 4) : Be32(tag + pos + 4);
    if (body > size - pos - kHeader) return size;
    pos += kHeader + body;
  }
  return pos < size ? pos : size;
}
