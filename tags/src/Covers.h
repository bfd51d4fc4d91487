#pragma once
// What an image's own bytes say of it: its kind and its size in pixels,
// from the header alone (a JPEG's frame header, a PNG's IHDR chunk).
#include <base/String.h>

#include <cstddef>

struct CCoverArt;

struct CImageFacts {
  const char* pszFormat = nullptr;  // "JPEG", "PNG", or null for any other bytes
  const char* pszMime = nullptr;    // "image/jpeg", "image/png"
  int nWidth = 0;                   // 0 when the header does not say
  int nHeight = 0;
};

CImageFacts ReadImageFacts(const unsigned char* data, std::size_t size);

// The largest image taken as a cover.
constexpr std::size_t kMaxCoverBytes = std::size_t{16} << 20;

// Fills cover's MIME type, format, pixel size and byte count for the image.
void DescribeImage(const unsigned char* data, std::size_t size, const CString& mime, CCoverArt* cover);
