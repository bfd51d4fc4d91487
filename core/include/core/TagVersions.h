#pragma once
// "Tag version…": an MP3 file's ID3v2 tag converted between v2.3 and v2.4,
// its ID3v1 tag added or removed, or every tag removed. A change is a row's
// pending edit of its Tag cell, the text the file's Tag column will show
// once saved ("ID3v2.3 + ID3v1", "none"), so it is undone and redone like
// any edit; a save makes the file's tags what the cell says.
#include <core/Fields.h>
#include <core/PackedCells.h>

#include <base/String.h>

#include <vector>

class CMusicFile;

struct CTagChoice {
  enum class V2 { Keep, Id3v23, Id3v24 } v2 = V2::Keep;
  enum class V1 { Keep, Add, Remove } v1 = V1::Keep;
  bool bRemoveAll = false;  // every ID3 tag; v2 and v1 then unused

  bool IsEmpty() const { return !bRemoveAll && v2 == V2::Keep && v1 == V1::Keep; }
};

// What a choice makes of one file, tried on it without writing: the Tag
// column's text once saved, or why it cannot be made (naming the frame that
// cannot be kept); the fields an ID3v1 tag the save leaves would not hold
// exactly (characters outside Latin-1, text cut short).
struct CTagTrial {
  CString strTag;
  CString strRefusal;
  std::vector<Field> losses;
};
CTagTrial TryTagChoice(const CString& path, const CTagChoice& choice);

// The fields of cells (new texts of a row's fields) that the ID3v1 tag of
// a file whose Tag cell says tags has would not hold exactly: characters
// outside Latin-1, or more than its field's width (30, a year's 4). The
// ID3v2 tag gets them whole; the ID3v1 field keeps its old text.
std::vector<Field> V1LossesOf(const CString& tags, const CPackedCells& cells);
// "; the ID3v1 tag cannot hold the new Artist, Title" for those, or empty.
CString V1LossText(const std::vector<Field>& losses);

// Makes the file's tags what a Tag cell asks for (before the row's fields
// are set, so they go into the converted tag): empty when done or nothing
// to do, else why not.
CString MakeTagsAsShown(CMusicFile& file, const CString& wanted);
