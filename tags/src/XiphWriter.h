#pragma once
// Writes a FLAC file's or an Ogg Vorbis/Opus stream's Vorbis comment and
// pictures with every entry, block and page not edited kept as it is:
// entries keep their order and the spelling of their keys, an edited key's
// new values take the place of its first entry, pictures not edited keep
// their bytes, and the audio (FLAC frames, Ogg audio pages) is copied
// unchanged (Ogg pages only renumbered when the headers take another
// number of pages).
#include "AudioLayout.h"

#include <base/String.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

struct CXiphEdit {
  // Keys (upper case) and their new values; no values: the key is removed.
  std::vector<std::pair<std::string, std::vector<std::string>>> keys;
  enum class Cover { None, Set, Remove } eCover = Cover::None;
  std::string strImage;  // Set: the image, its MIME type and size in pixels
  std::string strMime;
  int nWidth = 0, nHeight = 0;
  bool bRemovePictures = false;  // FLAC: every PICTURE block goes (before a cover is set)
};

// The entries a comment holds after the edit: each edited key's values in
// the place of its first entry (with that entry's spelling of the key), new
// keys at the end; the front cover's METADATA_BLOCK_PICTURE (the cover of an
// Ogg stream) edited too when pictures is true.
std::vector<std::string> EditedEntries(const std::vector<std::string>& entries, const CXiphEdit& edit, bool pictures);

// The file's new bytes (old: its bytes, layout: their walk); false with a
// reason when the edit cannot be laid out (a block or packet too large,
// headers laid out as no encoder does).
bool RenderXiph(const unsigned char* old, std::size_t size, const CAudioLayout& layout, const CXiphEdit& edit,
                std::string* out, CString* error);

std::string Base64Encode(const std::string& bytes);
// False for text that is not base64.
bool Base64Decode(const std::string& text, std::string* out);
