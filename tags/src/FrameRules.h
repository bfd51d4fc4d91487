#pragma once
// Which of a file's frames the program shows and edits, and how a new one is
// made, in terms every tag engine can follow: reading, writing and removing
// go through the same rule, so a save never moves a field to another frame.
#include <base/String.h>

#include <string>
#include <vector>

namespace framerules {

// A comment (COMM) or link (WXXX) frame is the program's field only when its
// description is empty; the first such frame in the tag is the field. Frames
// with a description belong to other programs (iTunes' sound check, a
// tagger's "Notes") and are never shown, replaced or removed.
bool IsFieldFrame(const std::string& description);
// Lyrics (USLT) are one field whatever their description: the first frame
// without one, else the first; a new frame takes the comment's language
// (CommentLanguage) and a replaced one keeps its description and language.

// The language a new comment frame gets: the first ISO 639-2 code (three
// lower-case letters) among the languages of the file's comment frames, in
// tag order with the replaced frame first; "eng" when there is none.
std::string CommentLanguage(const std::vector<std::string>& languages);

// The URL as it is stored in the Latin-1 field of a link frame: unchanged
// when it fits Latin-1, else with every non-ASCII character percent-encoded
// as its UTF-8 bytes (an IRI made a URI), so that every reader shows the same
// working link.
CString StoredUrl(const CString& url);

}  // namespace framerules
