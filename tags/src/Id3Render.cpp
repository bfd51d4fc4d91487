#include "Id3Render.h"

#include <id3/tag.h>
#include <id3/writer.h>

namespace {

// Collects what id3lib renders; unlike a fixed buffer it cannot be overrun.
class CStringWriter : public ID3_Writer {
 public:
  void close() override {}
  void flush() override {}
  pos_type getCur() override { return static_cast<pos_type>(m_bytes.size()); }
  size_type writeChars(const char_type buf[], size_type len) override {
    m_bytes.append(reinterpret_cast<const char*>(buf), len);
    return len;
  }
  std::string& Bytes() { return m_bytes; }

 private:
  std::string m_bytes;
};

}  // namespace

std::string RenderId3v2(ID3_Tag& tag) {
  if (tag.NumFrames() == 0) return std::string();
  tag.SetPadding(false);
  CStringWriter writer;
  tag.Render(writer, ID3TT_ID3V2);
  return std::move(writer.Bytes());
}
