#pragma once
// Patterns that read tags out of file names and make file names from tags:
// "%track% - %artist% - %title%". A placeholder names a field (the list is
// PlaceholderNames()); %dummy% stands for a part of a name to skip; any
// other text is literal, "%%" being a percent sign. A pattern ending in a
// music file's extension (".mp3", ".flac"...) means the same without it:
// names are read and made without their extension, which a file keeps.
// Placeholder names ignore letter case.
#include <core/Fields.h>

#include <base/String.h>

#include <optional>
#include <utility>
#include <vector>

// What a pattern is parsed for; the two uses accept slightly different ones.
enum class PatternUse {
  kReadName,  // tags from file names: %dummy% allowed, '/' reads folders, each field at most once
  kMakeName,  // file names from tags: no %dummy%, no '/', fields may repeat
};

struct PatternPiece {
  enum Kind { kText, kField, kSkip } kind = kText;
  CString strText;         // kText: the literal text
  Field field = kFileName;  // kField
  int nWidth = 0;          // kField: the digits %track:2% pads its number to; 0 for none
};

struct NamePattern {
  std::vector<PatternPiece> pieces;  // neighbouring literal text is one piece
  int nFolders = 0;                  // the '/' in its text: the folders above the name that it reads
};

// Parses text for a use. Returns the empty string and fills pattern, or a
// message naming the problem: an empty pattern, one without a placeholder of
// a field, an unknown placeholder, a '%' not closed, a width on a field
// other than the track, and what the use does not accept.
CString ParseNamePattern(const CString& text, PatternUse use, NamePattern& pattern);

// The placeholders a user can type, "%artist%" first, for help texts.
std::vector<CString> PlaceholderNames();
// The placeholder of a field ("%artist%"); empty for a field that has none.
CString PlaceholderOf(Field field);

// The fields a pattern reads and writes as numbers ("5" of "5/12"), which
// take a width (%track:2%, %disc:2%).
inline bool IsNumbered(Field field) { return field == kTrack || field == kDisc; }

// Field values in the order the pattern names them.
using FieldValues = std::vector<std::pair<Field, CString>>;

// Tags from a row's key (its file name without ".mp3", perhaps below a
// folder: "CD1/01 Intro"; another format's key without its extension:
// "CD1/02 Song.flac" reads as "CD1/02 Song"). A pattern without '/' reads the file's own name
// only; one with n '/' reads the name and the n folders above it
// ("%album%/%track% %title%"). Earlier placeholders take as little as they
// can and the last one the rest, so "A - B - C" read with
// "%artist% - %title%" gives "A" and "B - C"; %track% takes only digits, as
// many as there are. Each value is trimmed of spaces and must not be empty.
// Nothing when the name does not match: the row is then left as it is.
std::optional<FieldValues> TagsFromName(const NamePattern& pattern, const CString& key);

// The patterns a dialog keeps between runs, most recent first: pattern is
// put first (once; a blank one is not kept), and only the first ten stay.
std::vector<CString> RememberPattern(std::vector<CString> recent, const CString& pattern);
