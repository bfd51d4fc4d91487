#include "Floor.h"

#include <id3/tag.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace bench {

namespace {

constexpr flags_t kLinkFlags = ID3TT_ID3V1 | ID3TT_ID3V2 | ID3TT_LYRICS3V2 | ID3TT_MUSICMATCH;

const ID3_FrameID kTextFrames[] = {
    ID3FID_LEADARTIST, ID3FID_ALBUM,      ID3FID_TITLE,     ID3FID_TRACKNUM, ID3FID_YEAR,
    ID3FID_CONTENTTYPE, ID3FID_COMMENT,   ID3FID_COMPOSER,  ID3FID_COPYRIGHT, ID3FID_ENCODEDBY,
    ID3FID_ORIGARTIST, ID3FID_WWWUSER,    ID3FID_BAND,      ID3FID_PUBLISHER, ID3FID_CONDUCTOR};

// The folder's MP3 files in name order, as the program lists them.
std::vector<fs::path> Mp3Files(const std::string& folder) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::string ext = entry.path().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == ".mp3") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

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

int FloorLoad(const std::string& folder, unsigned long* checksum) {
  int n = 0;
  for (const fs::path& file : Mp3Files(folder)) {
    ID3_Tag tag;
    tag.Link(file.c_str(), kLinkFlags);
    for (ID3_FrameID id : kTextFrames) *checksum += ReadFrameText(tag, id);
    if (const Mp3_Headerinfo* info = tag.GetMp3HeaderInfo())
      *checksum += static_cast<unsigned long>(info->bitrate + info->frequency + info->time);
    *checksum += tag.GetFileSize();
    ++n;
  }
  return n;
}

int FloorWrite(const std::string& folder, const RuleValues& values) {
  int n = 0;
  for (const fs::path& file : Mp3Files(folder)) {
    ID3_Tag tag;
    tag.Link(file.c_str(), kLinkFlags);
    SetFrameText(tag, ID3FID_LEADARTIST, values.strArtist);
    SetFrameText(tag, ID3FID_ALBUM, values.strAlbum);
    SetFrameText(tag, ID3FID_TITLE, file.stem().string());
    SetFrameText(tag, ID3FID_TRACKNUM, std::to_string(++n));
    SetFrameText(tag, ID3FID_YEAR, values.strYear);
    SetFrameText(tag, ID3FID_ORIGARTIST, "");
    tag.Update();
  }
  return n;
}

}  // namespace bench
