#pragma once
// id3lib's half of a write: the tag object rendered in memory, for the one
// writer (TagWriter.h) to put on disk.
#include <id3/writer.h>

#include <string>

class ID3_Tag;

// Collects what id3lib renders; unlike a fixed buffer it cannot be overrun.
class CStringWriter : public ID3_Writer {
 public:
  void close() override {}
  void flush() override {}
  pos_type getCur() override { return static_cast<pos_type>(m_bytes.size()); }
  // id3lib writes padding a byte at a time.
  int_type writeChar(char_type ch) override {
    m_bytes.push_back(static_cast<char>(ch));
    return ch;
  }
  size_type writeChars(const char_type buf[], size_type len) override {
    m_bytes.append(reinterpret_cast<const char*>(buf), len);
    return len;
  }
  std::string& Bytes() { return m_bytes; }

 private:
  std::string m_bytes;
};

// The tag's ID3v2 part: the 10-byte header and the frames, without padding
// (the writer pads). Empty when the tag holds no frames: the file is then to
// have no ID3v2 tag.
std::string RenderId3v2(ID3_Tag& tag);
