#pragma once
// The frames of an ID3v2.3 or v2.4 tag as stored fields (see
// CMusicFile::StoredFields): listed by key, and one key set or removed with
// every other frame kept byte for byte.
#include <base/String.h>
#include <tags/TagFile.h>

#include <string>
#include <vector>

namespace id3stored {

// The fields of tag (header and frames; its size field need not be set);
// none when it is empty or cannot be walked.
std::vector<CStoredField> List(const std::string& tag);

// The tag with the field of key set to values (or, with none, every frame
// of key removed): the other frames as they are, a replaced frame in the
// place of the first of its key, a new one after the others. out receives
// the new tag (header with its size, no padding; empty when no frame is
// left), equal to tag when nothing changes. major is the version of a new
// tag when tag is empty. Empty when done; else why not (out untouched).
CString Apply(const std::string& tag, int major, const CString& key, const std::vector<CString>& values,
              std::string* out);

}  // namespace id3stored
