#pragma once
// What the tag tests share: an independent reader's view of a file.
#include "support/TestSupport.h"

#include <string>

namespace test {

// mutagen's view of one frame ("TIT2", "COMM::eng", ...) or of the audio
// ("info"); empty when the frame is missing.
inline std::string Mutagen(const CString& path, const std::string& key) {
  return RunCommand("/usr/bin/python3 " QUILLORY_SOURCE_DIR "/tests/tags/mutagen_view.py '" + path.Str() + "' '" +
                    key + "'");
}

}  // namespace test
