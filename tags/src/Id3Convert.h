#pragma once
// An ID3v2 tag converted between versions 2.3 and 2.4, as the two standards
// map their frames onto each other. Frames whose data has one form in both
// versions keep their bytes (only the frame header changes); a frame with no
// form in the target version is named and nothing is converted.
//   v2.3 -> v2.4: TYER + TDAT + TIME become TDRC, TORY becomes TDOR, IPLS
//     becomes TIPL; TRDA, TSIZ, EQUA and RVAD have no v2.4 form.
//   v2.4 -> v2.3: TDRC becomes TYER (+ TDAT with a day, + TIME with hours and
//     minutes; seconds and a month without a day have no v2.3 form and are
//     left out), TDOR becomes TORY (its year), TIPL and TMCL become one IPLS;
//     several values become one joined by "/" (but never for numbers: TRCK,
//     TPOS, TBPM... refuse); UTF-8 and UTF-16BE text becomes UTF-16 with a
//     byte order mark; TSOA, TSOP, TSOT stay as the v2.3 frames other taggers
//     write; TDEN, TDRL, TDTG, TSST, TMOO, TPRO, RVA2, EQU2, ASPI, SEEK and
//     SIGN have no v2.3 form.
// Compressed, encrypted or grouped frames are refused: their data cannot be
// read or moved into the other version's frame format safely.
#include <base/String.h>

#include <string>

namespace id3convert {

// tag: a whole ID3v2.3 or v2.4 tag (10-byte header and frames, padding
// allowed). out receives the tag in version toMajor (3 or 4): header (no
// flags) and frames, no padding. False with error naming the frame that
// cannot be converted (out untouched).
bool ConvertTag(const std::string& tag, int toMajor, std::string* out, CString* error);

}  // namespace id3convert
