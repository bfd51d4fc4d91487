// The field table, and the checks that keep it whole: every column once, a
// rule and a save step for each editable field and for no other. (Member
// function pointers cannot be compared while compiling with the sanitizers;
// a missing getter or setter shows at the first load or save.)
#include <core/Fields.h>


namespace {

constexpr RuleValue kWriteEdit{RuleValue::kEditBox};
constexpr RuleValue kWriteNothing{RuleValue::kKeep};
constexpr RuleValue kWriteRowNumber{RuleValue::kRowNumber};
constexpr RuleValue WriteCell(Field source) { return {RuleValue::kCell, source}; }

using Table = std::array<FieldSpec, kFieldCount>;

}  // namespace

struct FieldTable {
  using T = TagField;
  using S = CStreamColumns;

  // clang-format off
  static constexpr Table kAll = {{
    /* kFileName */ {.nColumn = 0, .strTitle = "File name", .nWidth = 120, .fill = Fill::kKey,
      .bReported = true},
    /* kArtist */ {.nColumn = 2, .strTitle = "Artist", .nWidth = 100, .fill = Fill::kTag, .tag = T::Artist,
      .rule = {kWriteEdit, WriteCell(kFileName)},
      .save = {"Artist"},
      .bReported = true},
    /* kAlbum */ {.nColumn = 3, .strTitle = "Album", .nWidth = 100, .fill = Fill::kTag, .tag = T::Album,
      .rule = {WriteCell(kFileName), kWriteEdit},
      .save = {"Album"},
      .bReported = true},
    /* kTitle */ {.nColumn = 4, .strTitle = "Title", .nWidth = 100, .fill = Fill::kTag, .tag = T::Title,
      .rule = {WriteCell(kFileName), kWriteEdit},
      .save = {"Title"},
      .bReported = true},
    /* kTrack */ {.nColumn = 5, .strTitle = "Track", .nWidth = 50, .fill = Fill::kTag, .tag = T::Track,
      .rule = {kWriteRowNumber, kWriteEdit},
      .save = {"Track"}},
    /* kYear */ {.nColumn = 6, .strTitle = "Year", .nWidth = 50, .fill = Fill::kTag, .tag = T::Year,
      .rule = {kWriteEdit, kWriteNothing},
      .save = {"Year"}},
    /* kOrigArtist */ {.nColumn = 19, .strTitle = "Original artist", .nWidth = 100, .fill = Fill::kTag,
      .tag = T::OriginalArtist,
      .rule = {WriteCell(kArtist), kWriteEdit},
      .save = {"Original Artist"},
      .bReported = true},
    /* kComment */ {.nColumn = 15, .strTitle = "Comment", .nWidth = 100, .fill = Fill::kTag, .tag = T::Comment,
      .rule = {kWriteEdit, kWriteNothing},
      .save = {"Comment"}},
    /* kComposer */ {.nColumn = 16, .strTitle = "Composer", .nWidth = 100, .fill = Fill::kTag, .tag = T::Composer,
      .rule = {kWriteEdit, kWriteNothing},
      .save = {"Composer"}},
    /* kEncodedBy */ {.nColumn = 18, .strTitle = "Encoded by", .nWidth = 100, .fill = Fill::kTag,
      .tag = T::EncodedBy,
      .rule = {kWriteEdit, kWriteNothing},
      .save = {"Encoded by"}},
    /* kCopyright */ {.nColumn = 17, .strTitle = "Copyright", .nWidth = 100, .fill = Fill::kTag,
      .tag = T::Copyright,
      .rule = {kWriteEdit, kWriteNothing},
      .save = {"Copyright"}},
    /* kURL */ {.nColumn = 20, .strTitle = "URL", .nWidth = 100, .fill = Fill::kTag, .tag = T::URL,
      .rule = {kWriteEdit, kWriteNothing},
      .save = {"URL"}},
    /* kBand */ {.nColumn = 21, .strTitle = "Band", .nWidth = 100, .fill = Fill::kTag, .tag = T::Band,
      .rule = {kWriteEdit, kWriteNothing},
      .save = {"Band"}},
    /* kPublisher */ {.nColumn = 22, .strTitle = "Publisher", .nWidth = 100, .fill = Fill::kTag,
      .tag = T::Publisher,
      .rule = {kWriteEdit, kWriteNothing},
      .save = {"Publisher"}},
    /* kConductor */ {.nColumn = 23, .strTitle = "Conductor", .nWidth = 100, .fill = Fill::kTag,
      .tag = T::Conductor,
      .rule = {kWriteEdit, kWriteNothing},
      .save = {"Conductor"}},
    /* kGenre */ {.nColumn = 7, .strTitle = "Genere", .nWidth = 50, .fill = Fill::kTag, .tag = T::Genre,
      .save = {"Genre"}},
    /* kDisc */ {.nColumn = 26, .strTitle = "Disc", .nWidth = 50, .fill = Fill::kTag, .tag = T::Disc,
      .save = {"Disc"}, .bReported = true},
    /* kLyrics */ {.nColumn = 27, .strTitle = "Lyrics", .nWidth = 150, .fill = Fill::kTag, .tag = T::Lyrics,
      .save = {"Lyrics"}, .bReported = true},
    /* kSizeKb */ {.nColumn = 1, .strTitle = "Size kb", .nWidth = 50, .fill = Fill::kSizeKb,
      .total = Total::kSize, .bReported = true},
    /* kBitRate */ {.nColumn = 8, .strTitle = "Bit rate", .nWidth = 70, .fill = Fill::kStream, .pStream = &S::strBitRate,
      .bReported = true},
    /* kSampleRate */ {.nColumn = 9, .strTitle = "Sample rate", .nWidth = 90, .fill = Fill::kStream,
      .pStream = &S::strSampleRate, .bReported = true},
    /* kLength */ {.nColumn = 10, .strTitle = "Length", .nWidth = 50, .fill = Fill::kStream, .pStream = &S::strSeconds,
      .total = Total::kTime},
    /* kDuration */ {.nColumn = 11, .strTitle = "Duration", .nWidth = 70, .fill = Fill::kClock,
      .pStream = &S::strSeconds, .bReported = true},
    /* kMpegLayer */ {.nColumn = 12, .strTitle = "MPEG layer", .nWidth = 70, .fill = Fill::kStream,
      .pStream = &S::strLayer},
    /* kMpegVer */ {.nColumn = 13, .strTitle = "MPEG Ver", .nWidth = 70, .fill = Fill::kStream,
      .pStream = &S::strVersion},
    /* kChannel */ {.nColumn = 14, .strTitle = "Channel", .nWidth = 70, .fill = Fill::kStream, .pStream = &S::strChannel,
      .bReported = true},
    /* kTagVersion */ {.nColumn = 24, .strTitle = "Tag", .nWidth = 150, .fill = Fill::kTagVersion, .bReported = true},
    /* kCover */ {.nColumn = 25, .strTitle = "Cover", .nWidth = 150, .fill = Fill::kCover, .bReported = true},
  }};
  // clang-format on
};

namespace {

constexpr const Table& kAll = FieldTable::kAll;

constexpr bool EveryColumnOnce() {
  std::array<bool, kFieldCount> seen{};
  for (const FieldSpec& field : kAll) {
    if (field.nColumn < 0 || field.nColumn >= kFieldCount || seen[static_cast<std::size_t>(field.nColumn)])
      return false;
    seen[static_cast<std::size_t>(field.nColumn)] = true;
  }
  return true;
}

constexpr bool RulesAndSaveStepsExactlyForTheEditable() {
  for (int f = 0; f < kFieldCount; ++f) {
    const FieldSpec& field = kAll[static_cast<std::size_t>(f)];
    const bool editable = f >= kEditableFirst && f < kEditableEnd;
    const bool rule = field.rule.checked.kind != RuleValue::kKeep || field.rule.unchecked.kind != RuleValue::kKeep;
    const bool save = field.save.strStep != nullptr;
    if (rule != (editable && f < kRuleEnd) || save != editable || (field.fill == Fill::kTag) != editable) return false;
    // A copied cell is the key or a field whose rule has already run for the row.
    for (const RuleValue& value : {field.rule.checked, field.rule.unchecked})
      if (value.kind == RuleValue::kCell && value.source >= f) return false;
  }
  return true;
}

static_assert(EveryColumnOnce(), "each column belongs to exactly one field");
static_assert(RulesAndSaveStepsExactlyForTheEditable(),
              "a tag field and a save step for each editable field only, and a rule for each of them up to the genre");
// The report links its first column to the file: that is the key.
static_assert(kAll[kFileName].nColumn == 0 && kAll[kFileName].fill == Fill::kKey && kAll[kFileName].bReported);

constexpr std::array<Field, kFieldCount> ByColumn() {
  std::array<Field, kFieldCount> order{};
  for (int f = 0; f < kFieldCount; ++f) order[static_cast<std::size_t>(kAll[static_cast<std::size_t>(f)].nColumn)] = static_cast<Field>(f);
  return order;
}

}  // namespace

const std::array<FieldSpec, kFieldCount> kFields = kAll;
const std::array<Field, kFieldCount> kColumnOrder = ByColumn();
