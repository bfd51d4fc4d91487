// The front cover of the linked file, and the images that may become one.
#include "Covers.h"

#include <tags/MyMP3Tags.h>

#include "ByteOrder.h"
#include "TagFileImpl.h"

#include <cstring>
#include <iterator>

namespace {

// A JPEG's size is in its first frame header (SOF0 to SOF15; C4, C8 and CC
// are other markers), found by walking the segments before the scan.
void ReadJpeg(const unsigned char* d, std::size_t size, CImageFacts* facts) {
  std::size_t pos = 2;
  while (pos + 4 <= size && d[pos] == 0xFF) {
    const unsigned char marker = d[pos + 1];
    if (marker == 0xFF) {  // fill
      ++pos;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {  // no length
      pos += 2;
      continue;
    }
    if (marker == 0xD9 || marker == 0xDA) return;  // end, or the scan: no frame header came
    const std::size_t length = Be16(d + pos + 2);
    if (length < 2) return;
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame && length >= 7 && pos + 9 <= size) {
      facts->nHeight = static_cast<int>(Be16(d + pos + 5));
      facts->nWidth = static_cast<int>(Be16(d + pos + 7));
      return;
    }
    pos += 2 + length;
  }
}

// A PNG's size is in its first chunk, IHDR.
void ReadPng(const unsigned char* d, std::size_t size, CImageFacts* facts) {
  if (size < 24 || std::memcmp(d + 12, "IHDR", 4) != 0) return;
  if (Be32(d + 16) > 0x7FFFFFFF || Be32(d + 20) > 0x7FFFFFFF) return;
  facts->nWidth = static_cast<int>(Be32(d + 16));
  facts->nHeight = static_cast<int>(Be32(d + 20));
}

// Why a JPEG's bytes stop before its end, or null: a segment before the
// scan runs past the last byte, or no end marker (EOI) follows the scan.
// Pictures the file already holds are shown as they are; this is for new ones.
const char* JpegCut(const unsigned char* d, std::size_t size) {
  std::size_t pos = 2;
  while (pos + 2 <= size) {
    if (d[pos] != 0xFF) return nullptr;  // not a marker: the header walk says what it can
    const unsigned char marker = d[pos + 1];
    if (marker == 0xFF) {
      ++pos;
      continue;
    }
    if (marker == 0xD9) return nullptr;  // the end before any scan: nothing was cut
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
      pos += 2;
      continue;
    }
    if (pos + 4 > size) break;
    const std::size_t length = Be16(d + pos + 2);
    if (pos + 2 + length > size) return "a segment runs past the end";
    pos += 2 + length;
    if (marker != 0xDA) continue;
    // The scan's data holds no FF D9 (an FF in it is followed by 00 or a
    // restart marker), and later scans of a progressive image end the same way.
    for (std::size_t i = pos; i + 1 < size; ++i)
      if (d[i] == 0xFF && d[i + 1] == 0xD9) return nullptr;
    return "it has no end marker";
  }
  return "a segment runs past the end";
}

// Why a PNG's bytes stop before its end, or null: a chunk runs past the last
// byte, or the image has no IEND chunk.
const char* PngCut(const unsigned char* d, std::size_t size) {
  std::size_t pos = 8;
  while (pos < size) {
    if (pos + 12 > size) return "a chunk runs past the end";
    const std::size_t length = Be32(d + pos);
    if (length > size || pos + 12 + length > size) return "a chunk runs past the end";
    if (std::memcmp(d + pos + 4, "IEND", 4) == 0) return nullptr;
    pos += 12 + length;
  }
  return "it has no IEND chunk";
}

void Describe(const CImageFacts& facts, const CString& mime, std::size_t size, CCoverArt* cover) {
  cover->strMime = mime;
  cover->strFormat = facts.pszFormat ? facts.pszFormat : "";
  cover->nWidth = facts.nWidth;
  cover->nHeight = facts.nHeight;
  cover->nBytes = size;
}

}  // namespace

void DescribeImage(const unsigned char* data, std::size_t size, const CString& mime, CCoverArt* cover) {
  Describe(ReadImageFacts(data, size), mime, size, cover);
}

CImageFacts ReadImageFacts(const unsigned char* data, std::size_t size) {
  CImageFacts facts;
  if (size >= 4 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) {
    facts.pszFormat = "JPEG";
    facts.pszMime = "image/jpeg";
    ReadJpeg(data, size, &facts);
  } else if (size >= 8 && std::memcmp(data, "\x89PNG\r\n\x1A\n", 8) == 0) {
    facts.pszFormat = "PNG";
    facts.pszMime = "image/png";
    ReadPng(data, size, &facts);
  }
  return facts;
}

CString CMyMP3Tags::CheckCoverImage(const std::string& image, CCoverArt* facts) {
  const CImageFacts read = ReadImageFacts(reinterpret_cast<const unsigned char*>(image.data()), image.size());
  if (facts) Describe(read, read.pszMime ? read.pszMime : "", image.size(), facts);
  if (image.size() > kMaxCoverBytes) return "The picture is larger than 16 MB";
  if (!read.pszFormat) return "The picture is not a JPEG or PNG image";
  if (read.nWidth <= 0 || read.nHeight <= 0)
    return CString::Formatted("The picture's %s header is damaged", read.pszFormat);
  const auto* bytes = reinterpret_cast<const unsigned char*>(image.data());
  const bool png = std::strcmp(read.pszFormat, "PNG") == 0;
  if (const char* cut = png ? PngCut(bytes, image.size()) : JpegCut(bytes, image.size()))
    return CString::Formatted("The %s picture is cut short: %s", read.pszFormat, cut);
  return CString();
}

bool CMyMP3Tags::GetFrontCover(CCoverArt* cover) { return m_pValue && m_pValue->GetFrontCover(cover, true); }

bool CMyMP3Tags::GetFrontCoverSummary(CCoverArt* cover) { return m_pValue && m_pValue->GetFrontCover(cover, false); }

void CMyMP3Tags::SetFrontCover(const std::string& image) {
  if (!m_bGrouped) m_strLastWriteError.Empty();
  if (m_pValue) Apply(m_pValue->SetFrontCover(image));
}

void CMyMP3Tags::RemoveFrontCover(const CCoverArt& shown) {
  if (!m_bGrouped) m_strLastWriteError.Empty();
  if (m_pValue) Apply(m_pValue->RemoveFrontCover(shown));
}

CString CMyMP3Tags::PictureTypeName(int type) {
  static const char* const kNames[] = {
      "Other",        "File icon",          "Other file icon",     "Front cover",     "Back cover",
      "Leaflet page", "Media",              "Lead artist",         "Artist",          "Conductor",
      "Band",         "Composer",           "Lyricist",            "Recording location", "During recording",
      "During performance", "Video capture", "Bright coloured fish", "Illustration", "Band logo",
      "Publisher logo"};
  if (type >= 0 && type < static_cast<int>(std::size(kNames))) return kNames[type];
  return CString::Formatted("Picture type %d", type);
}

void CMyMP3Tags::RemoveFrontCover() {
  if (!m_bGrouped) m_strLastWriteError.Empty();
  CCoverArt now;
  if (GetFrontCoverSummary(&now)) RemoveFrontCover(now);
}
