#pragma once
// An ID3v2.3 tag rendered so that the frames nobody edited keep their bytes.
// id3lib changes frames it renders although their values stay: it sets the
// discard-if-altered flag on TENC, TLEN and RVAD, drops other status flags,
// writes empty UTF-16 descriptions without a byte order mark and turns
// big-endian UTF-16 into little-endian. So only the edited fields are
// rendered by id3lib; every other frame is copied from the file as it was.
#include <id3/tag.h>

#include <cstddef>
#include <string>
#include <vector>

// The tag as the 10-byte header and the frames, without padding: each edited
// field's frame (found by the rule of Id3libFrames.h) in the place of the one
// it replaces, or after the others when it is new, or left out when it was
// removed; empty when no frame is left. oldTag is the file's ID3v2 tag as read, header included; edited
// the identifiers whose field was set or removed.
// False when the old tag cannot be kept frame by frame (not ID3v2.3,
// unsynchronised, with an extended header, a described frame that cannot be
// read here) or the result would not read back as the tag object does; the
// caller then renders the whole tag.
bool RenderKeepingUneditedFrames(ID3_Tag& tag, const unsigned char* oldTag, std::size_t size,
                                 std::vector<ID3_FrameID> edited, std::string* out);
