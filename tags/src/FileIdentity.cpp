#include "FileIdentity.h"

#include "ByteOrder.h"
#include "MappedFile.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ULL;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4FULL;
constexpr std::uint64_t kPrime3 = 0x165667B19E3779F9ULL;

std::uint64_t Rotl(std::uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }

std::uint64_t Load64(const unsigned char* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

std::uint64_t Round(std::uint64_t acc, std::uint64_t input) { return Rotl(acc + input * kPrime2, 31) * kPrime1; }

// Where the ID3v2 tag the header at data declares ends (header, frames,
// padding and footer), within size; 0 when the file starts with none. The
// header's own word is taken, so the region is the same whatever its frames hold.
std::size_t DeclaredV2End(const unsigned char* data, std::size_t size) {
  if (size < 10 || std::memcmp(data, "ID3", 3) != 0) return 0;
  if ((data[6] | data[7] | data[8] | data[9]) & 0x80) return 0;
  const std::size_t body = Syncsafe(data + 6);
  const std::size_t footer = data[3] == 4 && (data[5] & 0x10) ? 10 : 0;
  return std::min(size, 10 + body + footer);
}

}  // namespace

std::uint64_t TagBytesDigest(const unsigned char* data, std::size_t size, std::uint64_t seed) {
  // Four lanes, so the multiplications overlap.
  std::uint64_t lane[4] = {seed + kPrime1 + kPrime2, seed + kPrime2, seed, seed - kPrime1};
  std::size_t at = 0;
  for (; at + 32 <= size; at += 32)
    for (int k = 0; k < 4; ++k) lane[k] = Round(lane[k], Load64(data + at + 8 * k));
  std::uint64_t h = Rotl(lane[0], 1) + Rotl(lane[1], 7) + Rotl(lane[2], 12) + Rotl(lane[3], 18);
  h ^= static_cast<std::uint64_t>(size) * kPrime3;
  for (; at + 8 <= size; at += 8) h = Rotl(h ^ Round(0, Load64(data + at)), 27) * kPrime1 + kPrime3;
  for (; at < size; ++at) h = Rotl(h ^ (data[at] * kPrime1), 11) * kPrime2;
  h ^= h >> 33;
  h *= kPrime2;
  h ^= h >> 29;
  h *= kPrime3;
  return h ^ (h >> 32);
}

CFileIdentity IdentityOfMap(const CMappedFile& map) {
  if (!map.IsOpen()) return {};
  return IdentityOfBytes(map.Data(), map.Size(), map.Device(), map.Inode(), map.MtimeNs());
}

CFileIdentity IdentityOfBytes(const unsigned char* data, std::size_t size, std::uint64_t device, std::uint64_t inode,
                              long long mtimeNs) {
  CFileIdentity identity;
  identity.nDevice = device;
  identity.nInode = inode;
  identity.nSize = static_cast<long long>(size);
  identity.nMtimeNs = mtimeNs;
  const std::size_t region = DeclaredV2End(data, size);
  const std::size_t headEnd = std::min(size, region + kIdentityEdge);
  const std::size_t tailStart = std::max(region, size > kIdentityEdge ? size - kIdentityEdge : 0);
  std::uint64_t digest = TagBytesDigest(data, region, 1);
  digest = TagBytesDigest(data + region, headEnd - region, digest);
  identity.nTagDigest = TagBytesDigest(data + tailStart, size - tailStart, digest);
  return identity;
}
