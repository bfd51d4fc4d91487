#include "Id3Render.h"

#include <id3/tag.h>
#include <id3/writer.h>

#include <algorithm>

namespace {

constexpr std::size_t kHeaderSize = 10;  // of the tag and of each ID3v2.3 frame

// Where the frames of a rendered ID3v2.3 tag end: id3lib pads a tag read
// from memory whatever SetPadding says, and the writer wants no padding.
std::size_t FramesEnd(const std::string& tag) {
  const auto byte = [&tag](std::size_t i) { return static_cast<unsigned char>(tag[i]); };
  std::size_t pos = kHeaderSize;
  while (pos + kHeaderSize <= tag.size() && byte(pos) != 0) {
    const std::size_t size = (std::size_t{byte(pos + 4)} << 24) | (byte(pos + 5) << 16) | (byte(pos + 6) << 8) | byte(pos + 7);
    if (size > tag.size() - pos - kHeaderSize) return tag.size();  // not ours to cut
    pos += kHeaderSize + size;
  }
  return std::min(pos, tag.size());
}

}  // namespace

std::string RenderId3v2(ID3_Tag& tag) {
  if (tag.NumFrames() == 0) return std::string();
  // Frames one after the other, as the writer lays them out: no padding, no
  // unsynchronisation, and no extended header (its padding size would be wrong).
  tag.SetPadding(false);
  tag.SetUnsync(false);
  tag.SetExtendedHeader(false);
  CStringWriter writer;
  tag.Render(writer, ID3TT_ID3V2);
  std::string bytes = std::move(writer.Bytes());
  if (bytes.size() < kHeaderSize) return std::string();
  bytes.resize(FramesEnd(bytes));
  return bytes;
}
