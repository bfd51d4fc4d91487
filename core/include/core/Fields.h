#pragma once
// The 28 fields of a file's row, named once. Every list the program keeps of
// them (the table's columns, the tag panel's edit boxes, the rules, the save
// steps, the folder totals, the report) is read from kFields; adding or
// moving a field changes its entry there and nothing else by position.
#include <base/String.h>
#include <tags/TagFile.h>

#include <array>
#include <cstddef>

// In the order of the tag panel: the row's key, the editable tag fields (the
// order the rules run in and saving writes them; the genre, the disc and
// the lyrics, last, have no rule), then the facts of the file and its
// stream, then its tags and cover, which are only shown. A field's column is
// its entry's: the disc's and the lyrics' come after the cover's.
enum Field : int {
  kFileName,
  kArtist,
  kAlbum,
  kTitle,
  kTrack,
  kYear,
  kOrigArtist,
  kComment,
  kComposer,
  kEncodedBy,
  kCopyright,
  kURL,
  kBand,
  kPublisher,
  kConductor,
  kGenre,
  kDisc,
  kLyrics,
  kSizeKb,
  kBitRate,
  kSampleRate,
  kLength,
  kDuration,
  kMpegLayer,
  kMpegVer,
  kChannel,
  kTagVersion,
  kCover,
  kFieldCount,

  kEditableFirst = kArtist,  // the editable fields: each has an edit box and a setter
  kRuleEnd = kGenre,         // the editable fields up to here have an apply-to-all rule
  kEditableEnd = kSizeKb,
  kPanelEnd = kEditableEnd,  // the key and the editable fields have an edit box
};

inline constexpr int kEditableCount = kEditableEnd - kEditableFirst;
inline constexpr int kRuleCount = kRuleEnd - kEditableFirst;

// How loading fills a field's cell from the file.
enum class Fill {
  kKey,         // the row's key (RowKeyOf the file's name); text, with the row's icon
  kSizeKb,      // the file size in whole kilobytes; an integer cell
  kTag,         // the tag's field (FieldSpec::tag)
  kStream,      // a fact of the stream (FieldSpec::pStream)
  kClock,       // the stream's seconds as hours:minutes:seconds
  kTagVersion,  // the tags the file holds ("ID3v2.3 + ID3v1", "FLAC, Vorbis comment")
  kCover,       // the front cover's summary ("600×600 JPEG, 48 KB"), or "-"
};

// What a rule writes into its field's cell of one row.
struct RuleValue {
  enum Kind {
    kKeep,       // nothing: the cell stays as it is
    kEditBox,    // the field's edit box, as read when Update list was pressed
    kCell,       // another cell of the row, as it is when the rule runs
    kRowNumber,  // the row's 1-based position in the table (an integer cell)
  } kind;
  Field source = kFileName;  // for kCell
};

// Which folder total sums a field's cells.
enum class Total { kNone, kSize, kTime };

// The apply-to-all rule of an editable field: what it writes while its
// check box is checked and while it is not.
struct FieldRule {
  RuleValue checked{RuleValue::kKeep};
  RuleValue unchecked{RuleValue::kKeep};
};

// Saving an editable field: the step the status bar names.
struct FieldSave {
  const char* strStep = nullptr;
};

struct FieldSpec {
  int nColumn;
  const char* strTitle;
  int nWidth;
  Fill fill;
  TagField tag = TagField::Artist;               // for Fill::kTag: what it reads and a save writes
  CString CStreamColumns::*pStream = nullptr;  // for Fill::kStream
  FieldRule rule{};
  FieldSave save{};
  Total total = Total::kNone;
  bool bReported = false;  // the HTML report shows the column
};

// Indexed by Field.
extern const std::array<FieldSpec, kFieldCount> kFields;
// The fields by column, for what walks the row from left to right.
extern const std::array<Field, kFieldCount> kColumnOrder;

inline int ColumnOf(Field field) { return kFields[static_cast<std::size_t>(field)].nColumn; }
inline const FieldSpec& SpecOf(Field field) { return kFields[static_cast<std::size_t>(field)]; }

// The fields from first up to (not including) end, for range-for loops.
template <Field First, Field End>
constexpr std::array<Field, End - First> FieldsFrom() {
  std::array<Field, End - First> fields{};
  for (int k = 0; k < End - First; ++k) fields[static_cast<std::size_t>(k)] = static_cast<Field>(First + k);
  return fields;
}

inline constexpr auto kEditableFields = FieldsFrom<kEditableFirst, kEditableEnd>();
inline constexpr auto kRuleFields = FieldsFrom<kEditableFirst, kRuleEnd>();
inline constexpr auto kPanelFields = FieldsFrom<kFileName, kPanelEnd>();
