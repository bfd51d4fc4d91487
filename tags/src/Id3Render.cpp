#include "Id3Render.h"

#include "TagCheck.h"

#include <id3/tag.h>
#include <id3/writer.h>

namespace {

constexpr std::size_t kHeaderSize = 10;

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
  // id3lib pads a tag read from memory whatever SetPadding says.
  bytes.resize(FramesEnd(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
  return bytes;
}
