#pragma once
// The layout of FLAC, Ogg and MP4 files, walked from their bytes without
// TagLib: which format a file is, whether its structure holds together
// (a reason naming what is wrong when not), and the parts a save must keep
// (the Vorbis comment's entries, the pictures, the audio) so that a save's
// result can be checked against the file it replaces.
#include <tags/AudioTagFile.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A Vorbis comment as stored: the vendor string and the entries in order.
struct CVorbisComment {
  std::string strVendor;
  std::vector<std::string> entries;  // "KEY=value", as stored
};

// What a save must keep of a file, and where its parts lie.
struct CAudioLayout {
  AudioFormat eFormat = AudioFormat::Unknown;
  std::size_t nStart = 0;              // where the format's bytes start (after ID3v2 tags for FLAC)
  bool bComment = false;               // a Vorbis comment was found (FLAC, Ogg)
  CVorbisComment comment;
  std::vector<std::string> pictures;   // FLAC PICTURE blocks' bodies, in order
  std::size_t nAudioStart = 0;         // FLAC: the first frame
  std::string strAudio;                // Ogg: the audio pages' bodies and granules; MP4: mdat bodies
  std::vector<std::int64_t> chunkOffsets;  // MP4: stco/co64 entries, relative to the first mdat's body
  // FLAC: the metadata blocks (type, where the body starts, its size), in order.
  struct CBlock {
    int nType;
    std::size_t nAt, nSize;
  };
  std::vector<CBlock> blocks;
  // Ogg: the header packets, where the first page ends and the header pages
  // end, how many pages they take, and whether the last header packet ends
  // its page (as it must) and the first page holds the first packet alone.
  std::vector<std::string> headerPackets;
  std::size_t nFirstPageEnd = 0, nHeaderEnd = 0;
  int nHeaderPages = 0;
  bool bHeadersApart = false;
  std::uint32_t nSerial = 0;
  // Ogg: the granule positions of the first and the last page (-1: none).
  std::int64_t nFirstGranule = -1, nLastGranule = -1;
  // Ogg, gathered with the audio: pages whose checksum does not match, and
  // whether a page's sequence number does not follow its predecessor's.
  int nBadChecksums = 0;
  bool bSequenceGap = false;
};

// The format (with the ID3v2 region skipped), as DetectAudioFormat says.
AudioFormat DetectLayoutFormat(const unsigned char* data, std::size_t size, CString* what, std::size_t* start);

// Walks the file's structure; false with a reason a user can read
// ("The FLAC metadata block 3 runs past the end of the file") when it does
// not hold together. withAudio: also gather the audio parts (for a check
// after a save; reading the tags needs only the structure).
// wholeOgg false (reading a file's tags): the pages of an Ogg stream after
// its headers are not walked, only its last page is found from the end
// (a save walks them all, so a damaged page there is found before a write).
bool WalkLayout(const unsigned char* data, std::size_t size, CAudioLayout* layout, CString* reason, bool withAudio,
                bool wholeOgg = true);

// Reads a Vorbis comment packet body (vendor, count, entries); false when
// it does not hold together. end, when given, receives where the entries end.
bool ParseVorbisComment(const unsigned char* data, std::size_t size, CVorbisComment* out, std::size_t* end = nullptr);

// A FLAC picture body (a PICTURE block's, or METADATA_BLOCK_PICTURE's):
// type, MIME type, description, the image's width, height, depth and
// colours, and its data, each length before its part, all big-endian.
// The parts are views into the body, read as far as they lie inside it
// (nType once the body holds its first 8 bytes).
struct CFlacPicture {
  std::uint32_t nType = 0;
  std::string_view mime, description, data;
  bool bWhole = false;  // every part lies inside the body (more bytes may follow the data)
  bool bExact = false;  // bWhole, and the data ends the body
};
CFlacPicture ParseFlacPicture(std::string_view body);

// The key of an entry ("ARTIST" of "artist=x"), upper case.
std::string CommentKey(std::string_view entry);

// The CRC of an Ogg page (its checksum field counted as zeros).
std::uint32_t OggCrc(const unsigned char* data, std::size_t size);

// An MP4 file's ilst: where its children lie and each one's key (the atom's
// name, or "----:MEAN:NAME" for a free-form item); false when there is none.
struct CIlstItem {
  std::string strKey;
  std::size_t nAt, nSize;  // the whole item atom
};
bool FindIlst(const unsigned char* data, std::size_t size, std::size_t* bodyAt, std::size_t* bodyEnd,
              std::vector<CIlstItem>* items);
