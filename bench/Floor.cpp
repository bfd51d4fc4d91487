#include "Floor.h"

#include "Id3Render.h"  // the program's own collector of what id3lib renders

#include <id3/readers.h>
#include <id3/tag.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace bench {

namespace {

constexpr flags_t kLinkFlags = ID3TT_ID3V1 | ID3TT_ID3V2 | ID3TT_LYRICS3V2 | ID3TT_MUSICMATCH;

const ID3_FrameID kTextFrames[] = {
    ID3FID_LEADARTIST, ID3FID_ALBUM,      ID3FID_TITLE,     ID3FID_TRACKNUM, ID3FID_YEAR,
    ID3FID_CONTENTTYPE, ID3FID_COMMENT,   ID3FID_COMPOSER,  ID3FID_COPYRIGHT, ID3FID_ENCODEDBY,
    ID3FID_ORIGARTIST, ID3FID_WWWUSER,    ID3FID_BAND,      ID3FID_PUBLISHER, ID3FID_CONDUCTOR};

// A file's bytes mapped read-only for its lifetime, as the program reads them.
class CMapped {
 public:
  explicit CMapped(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > 0) {
      void* data = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
      if (data != MAP_FAILED) {
        m_pData = static_cast<const char*>(data);
        m_nSize = static_cast<std::size_t>(st.st_size);
      }
    }
    ::close(fd);
  }
  ~CMapped() {
    if (m_pData) ::munmap(const_cast<char*>(m_pData), m_nSize);
  }
  CMapped(const CMapped&) = delete;
  CMapped& operator=(const CMapped&) = delete;

  const char* Data() const { return m_pData; }
  std::size_t Size() const { return m_nSize; }

 private:
  const char* m_pData = nullptr;
  std::size_t m_nSize = 0;
};


unsigned long ReadFrameText(const ID3_Tag& tag, ID3_FrameID id) {
  const ID3_Frame* frame = tag.Find(id);
  if (!frame) return 0;
  const ID3_Field* field = frame->GetField(id == ID3FID_WWWUSER ? ID3FN_URL : ID3FN_TEXT);
  if (!field) return 0;
  const ID3_TextEnc enc = field->GetEncoding();
  if (enc == ID3TE_UTF16 || enc == ID3TE_UTF16BE) {
    const unicode_t* text = field->GetRawUnicodeText();
    return text ? field->Size() + text[0] : 0;
  }
  const char* text = field->GetRawText();
  return text ? std::strlen(text) : 0;
}

void SetFrameText(ID3_Tag& tag, ID3_FrameID id, const std::string& text) {
  ID3_Frame* frame = tag.Find(id);
  if (!frame) {
    frame = new ID3_Frame(id);
    tag.AttachFrame(frame);
  }
  if (ID3_Field* field = frame->GetField(ID3FN_TEXT)) field->Set(text.c_str());
}

}  // namespace

std::vector<std::string> Mp3Files(const std::string& folder) {
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::string ext = entry.path().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == ".mp3") files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

int FloorLoad(const std::string& folder, unsigned long* checksum) {
  int n = 0;
  for (const std::string& file : Mp3Files(folder)) {
    const CMapped map(file);
    ID3_Tag tag;
    ID3_MemoryReader reader(map.Data(), map.Size());
    tag.Link(reader, kLinkFlags);
    for (ID3_FrameID id : kTextFrames) *checksum += ReadFrameText(tag, id);
    if (const Mp3_Headerinfo* info = tag.GetMp3HeaderInfo())
      *checksum += static_cast<unsigned long>(info->bitrate + info->frequency + info->time);
    *checksum += map.Size();
    ++n;
  }
  return n;
}

int FloorRender(const std::string& folder, const RuleValues& values, unsigned long* checksum) {
  int n = 0;
  for (const std::string& file : Mp3Files(folder)) {
    const CMapped map(file);
    ID3_Tag tag;
    ID3_MemoryReader reader(map.Data(), map.Size());
    tag.Link(reader, kLinkFlags);
    SetFrameText(tag, ID3FID_LEADARTIST, values.strArtist);
    tag.SetPadding(false);
    CStringWriter writer;
    tag.Render(writer, ID3TT_ID3V2);
    *checksum += writer.Bytes().size();
    ++n;
  }
  return n;
}

}  // namespace bench
