#pragma once
// The ID3v1 copy of a file's tags, made by us rather than by id3lib: id3lib
// renders it from frames read through 7 bits ("Björk" becomes "Bjvrk"),
// while ID3v1 holds Latin-1.
#include <base/String.h>

#include <array>

// The fields of an ID3v1.1 tag that a save may change.
enum class V1Field { Title, Artist, Album, Year, Comment, Track, Genre, Count };

// What a field of an ID3v1 block shows (UTF-8; the genre by name, the
// track as its number; empty when none).
CString V1Text(const unsigned char* block, V1Field field);

// True when the block holds value ("-" for none) as it is (a genre by its name or reference).
bool V1Holds(const unsigned char* block, V1Field field, const CString& value);

class CV1Edits {
 public:
  // Records the field's new value (UTF-8; "-" stands for no value).
  void Set(V1Field field, const CString& value);
  bool IsEmpty() const;
  void Clear();

  // The file's new ID3v1 block: its old 128 bytes with the recorded fields
  // put in, each as Latin-1 cut to its width; a value outside Latin-1 leaves
  // its field as it was, and so does every field not recorded. A genre
  // becomes the number of its name, or 255 (none).
  std::array<unsigned char, 128> ApplyTo(const unsigned char* oldBlock) const;

  // A new ID3v1.1 block holding the recorded fields as the standard says:
  // Latin-1 (a character outside it becomes "?") cut to the field's width,
  // the track's number, the genre's (255: none).
  std::array<unsigned char, 128> NewBlock() const;

 private:
  bool m_bSet[static_cast<int>(V1Field::Count)] = {};
  CString m_strValue[static_cast<int>(V1Field::Count)];
};
