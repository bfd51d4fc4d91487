#pragma once
// An ID3v2.3 tag rendered so that the frames nobody edited keep their bytes.
// id3lib changes frames it renders although their values stay: it sets the
// discard-if-altered flag on TENC, TLEN and RVAD, drops other status flags,
// writes empty UTF-16 descriptions without a byte order mark and turns
// big-endian UTF-16 into little-endian; and it never sees a compressed
// frame as stored or an encrypted one at all. So only the edited fields are
// rendered by id3lib; every other frame is copied from the file as it was.
#include <base/String.h>

#include <id3/tag.h>

#include <cstddef>
#include <string>
#include <vector>

// One field of a save: its new text (UTF-8), or removed; ID3FID_PICTURE
// stands for the front cover (the tag object's first picture of type 3).
struct CFieldEdit {
  ID3_FrameID id;
  CString strValue;
  bool bRemoved = false;
};

// The tag as the 10-byte header and the frames, without padding: each edited
// field's frame (the first of its identifier, for a comment or link the
// first without a description, for the cover the first picture of type 3,
// or of any type when it is removed) replaced in its place by the tag object's
// frame of that field, or that frame after the others when the field had
// none, or left out when it was removed; empty when no frame is left.
// oldTag is the file's ID3v2 tag as read, header included; edits the fields
// set or removed, in order (a later edit of a field wins).
// False when the old tag is no sound ID3v2.3 tag, or the new bytes, walked
// afresh, are not the old frames with exactly these edits (each edited frame
// holding its new value, and read back as the field); the caller then
// renders the whole tag. Without recheck the new bytes are not walked afresh
// (see CTagEngine::Render).
bool RenderKeepingUneditedFrames(ID3_Tag& tag, const unsigned char* oldTag, std::size_t size,
                                 const std::vector<CFieldEdit>& edits, bool recheck, std::string* out);
