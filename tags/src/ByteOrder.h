#pragma once
// Numbers in file bytes: big- and little-endian readers and writers, and
// ID3v2's synchsafe numbers. The readers of up to 32 bits give a
// std::size_t, so that sizes read from a file add to offsets without
// wrapping; the 64-bit ones give a std::uint64_t.
#include <cstddef>
#include <cstdint>
#include <string>

// The first n bytes (at most 8) as a big-endian number.
inline std::uint64_t BeN(const unsigned char* p, std::size_t n) {
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < n && i < 8; ++i) v = v << 8 | p[i];
  return v;
}

inline std::size_t Be16(const unsigned char* p) { return std::size_t{p[0]} << 8 | p[1]; }
inline std::size_t Be24(const unsigned char* p) { return std::size_t{p[0]} << 16 | Be16(p + 1); }
inline std::size_t Be32(const unsigned char* p) { return std::size_t{p[0]} << 24 | Be24(p + 1); }
inline std::uint64_t Be64(const unsigned char* p) { return std::uint64_t{Be32(p)} << 32 | Be32(p + 4); }

inline std::size_t Le16(const unsigned char* p) { return std::size_t{p[1]} << 8 | p[0]; }
inline std::size_t Le32(const unsigned char* p) { return Le16(p + 2) << 16 | Le16(p); }
inline std::uint64_t Le64(const unsigned char* p) { return std::uint64_t{Le32(p + 4)} << 32 | Le32(p); }

// ID3v2's synchsafe number: seven bits in each of four bytes.
inline std::size_t Syncsafe(const unsigned char* p) {
  return (std::size_t{p[0]} << 21) | (std::size_t{p[1]} << 14) | (std::size_t{p[2]} << 7) | p[3];
}

inline void PutSyncsafe(unsigned char* p, std::size_t value) {
  for (int i = 3; i >= 0; --i, value >>= 7) p[i] = static_cast<unsigned char>(value & 0x7F);
}

// The low 32 bits of value, into p or appended to out.
inline void PutBe32(unsigned char* p, std::size_t value) {
  for (int i = 3; i >= 0; --i, value >>= 8) p[i] = static_cast<unsigned char>(value & 0xFF);
}
inline void PutBe32(std::string* out, std::size_t value) {
  for (int s = 24; s >= 0; s -= 8) out->push_back(static_cast<char>(value >> s));
}
inline void PutLe32(unsigned char* p, std::size_t value) {
  for (int i = 0; i < 4; ++i, value >>= 8) p[i] = static_cast<unsigned char>(value & 0xFF);
}
inline void PutLe32(std::string* out, std::size_t value) {
  for (int s = 0; s < 32; s += 8) out->push_back(static_cast<char>(value >> s));
}
