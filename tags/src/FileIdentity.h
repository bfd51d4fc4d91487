#pragma once
// The identity of a file as it was read: where it lies, its size and time,
// and a digest of the bytes other taggers change (CFileIdentity).
#include <tags/MyMP3Tags.h>

#include <cstddef>
#include <cstdint>

class CMappedFile;

// How many bytes at the start of the audio, and at the end of the file
// (ID3v1, Lyrics3 and APE tags end there), the digest covers besides the
// whole ID3v2 region.
constexpr std::size_t kIdentityEdge = 4096;

// The identity of the mapped file; unknown when it is not open.
CFileIdentity IdentityOfMap(const CMappedFile& map);
// The identity of a file of these bytes lying at device and inode, modified at mtimeNs.
CFileIdentity IdentityOfBytes(const unsigned char* data, std::size_t size, std::uint64_t device, std::uint64_t inode,
                              long long mtimeNs);

// A fast 64-bit digest of size bytes, continuing from seed. Not a
// cryptographic one: it tells a file another program rewrote from the one
// that was read, and costs next to nothing beside the parse of a tag.
std::uint64_t TagBytesDigest(const unsigned char* data, std::size_t size, std::uint64_t seed);
