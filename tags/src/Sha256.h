#pragma once
// SHA-256 (FIPS 180-4): the fingerprint a save record keeps of the bytes a
// save wrote and of those it replaced.
#include <array>
#include <cstddef>

using CDigest = std::array<unsigned char, 32>;

CDigest Sha256(const unsigned char* data, std::size_t size);
// The same without the processor's SHA instructions, which Sha256 uses
// where there are some.
CDigest Sha256Portable(const unsigned char* data, std::size_t size);
