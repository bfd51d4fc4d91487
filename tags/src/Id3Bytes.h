#pragma once
// The numbers in ID3v2 and MPEG headers.
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

inline void PutBe32(unsigned char* p, std::size_t value) {
  for (int i = 3; i >= 0; --i, value >>= 8) p[i] = static_cast<unsigned char>(value & 0xFF);
}
