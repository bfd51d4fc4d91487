// The field table, and the checks that keep it whole: every column once, an
// edit box for each field of the panel, a rule and a save step for each
// editable field and for no other. (Member function pointers cannot be
// compared while compiling with the sanitizers; a missing getter or setter
// shows at the first load or save.)
#include "Fields.h"

#include "QuilloryDlg.h"
#include "Resource.h"

#include <tags/MyMP3Tags.h>

namespace {

constexpr RuleValue kWriteEdit{RuleValue::kEditBox};
constexpr RuleValue kWriteNothing{RuleValue::kKeep};
constexpr RuleValue kWriteRowNumber{RuleValue::kRowNumber};
constexpr RuleValue WriteCell(Field source) { return {RuleValue::kCell, source}; }

using Table = std::array<FieldSpec, kFieldCount>;

}  // namespace

// The panel's strings and check boxes are the dialog's own members; this
// table, its friend, is what names them.
struct FieldTable {
  using D = CQuilloryDlg;
  using T = CMyMP3Tags;

  // clang-format off
  static constexpr Table kAll = {{
    /* kFileName */ {.nColumn = 0, .strTitle = "File name", .nWidth = 120, .fill = Fill::kKey,
      .edit = {IDC_EDIT_FILENAME, IDC_LABEL_FILENAME, "File name", &D::m_strFileName},
      .bReported = true},
    /* kArtist */ {.nColumn = 2, .strTitle = "Artist", .nWidth = 100, .fill = Fill::kText, .pGetter = &T::GetArtist,
      .edit = {IDC_EDIT_ARTIST, IDC_LABEL_ARTIST, "Artist", &D::m_strArtist},
      .rule = {IDC_RULE_ARTIST, "Artist - use same for all.", &D::m_chkArtistSame, kWriteEdit, WriteCell(kFileName)},
      .save = {"Artist", &T::SetArtist},
      .bReported = true},
    /* kAlbum */ {.nColumn = 3, .strTitle = "Album", .nWidth = 100, .fill = Fill::kText, .pGetter = &T::GetAlbum,
      .edit = {IDC_EDIT_ALBUM, IDC_LABEL_ALBUM, "Album", &D::m_strAlbum},
      .rule = {IDC_RULE_ALBUM, "Album - same as file name", &D::m_chkAlbumFromName, WriteCell(kFileName), kWriteEdit},
      .save = {"Album", &T::SetAlbum},
      .bReported = true},
    /* kTitle */ {.nColumn = 4, .strTitle = "Title", .nWidth = 100, .fill = Fill::kText, .pGetter = &T::GetTitle,
      .edit = {IDC_EDIT_TITLE, IDC_LABEL_TITLE, "Title", &D::m_strTitle},
      .rule = {IDC_RULE_TITLE, "Title - same as file name", &D::m_chkTitleFromName, WriteCell(kFileName), kWriteEdit},
      .save = {"Title", &T::SetTitle},
      .bReported = true},
    /* kTrack */ {.nColumn = 5, .strTitle = "Track", .nWidth = 50, .fill = Fill::kText, .pGetter = &T::GetTrack,
      .edit = {IDC_EDIT_TRACK, IDC_LABEL_TRACK, "Track", &D::m_strTrack},
      .rule = {IDC_RULE_TRACK, "Track- automatic numbering.", &D::m_chkTrackAuto, kWriteRowNumber, kWriteEdit},
      .save = {"Track", &T::SetTrack}},
    /* kYear */ {.nColumn = 6, .strTitle = "Year", .nWidth = 50, .fill = Fill::kText, .pGetter = &T::GetYear,
      .edit = {IDC_EDIT_YEAR, IDC_LABEL_YEAR, "Year", &D::m_strYear},
      .rule = {IDC_RULE_YEAR, "Year - use same for all.", &D::m_chkYearSame, kWriteEdit, kWriteNothing},
      .save = {"Year", &T::SetYear}},
    /* kOrigArtist */ {.nColumn = 19, .strTitle = "Original artist", .nWidth = 100, .fill = Fill::kText,
      .pGetter = &T::GetOriginalArtist,
      .edit = {IDC_EDIT_ORIGARTIST, IDC_LABEL_ORIGARTIST, "Orginal artist", &D::m_strOrigArtist},
      .rule = {IDC_RULE_ORIGARTIST, "Original artist - same as Artist.", &D::m_chkOrigArtistFromArtist,
               WriteCell(kArtist), kWriteEdit},
      .save = {"Original Artist", &T::SetOriginalArtist},
      .bReported = true},
    /* kComment */ {.nColumn = 15, .strTitle = "Comment", .nWidth = 100, .fill = Fill::kText, .pGetter = &T::GetComment,
      .edit = {IDC_EDIT_COMMENT, IDC_LABEL_COMMENT, "Comment", &D::m_strComment},
      .rule = {IDC_RULE_COMMENT, "Comment - use same for all.", &D::m_chkCommentSame, kWriteEdit, kWriteNothing},
      .save = {"Comment", &T::SetComment}},
    /* kComposer */ {.nColumn = 16, .strTitle = "Composer", .nWidth = 100, .fill = Fill::kText, .pGetter = &T::GetComposer,
      .edit = {IDC_EDIT_COMPOSER, IDC_LABEL_COMPOSER, "Composer", &D::m_strComposer},
      .rule = {IDC_RULE_COMPOSER, "Composer - use same for all.", &D::m_chkComposerSame, kWriteEdit, kWriteNothing},
      .save = {"Composer", &T::SetComposer}},
    /* kEncodedBy */ {.nColumn = 18, .strTitle = "Encoded by", .nWidth = 100, .fill = Fill::kText,
      .pGetter = &T::GetEncodedBy,
      .edit = {IDC_EDIT_ENCODEDBY, IDC_LABEL_ENCODEDBY, "Encoded by", &D::m_strEncodedBy},
      .rule = {IDC_RULE_ENCODEDBY, "Encoded by - use same for all.", &D::m_chkEncodedBySame, kWriteEdit, kWriteNothing},
      .save = {"Encoded by", &T::SetEncodedBy}},
    /* kCopyright */ {.nColumn = 17, .strTitle = "Copyright", .nWidth = 100, .fill = Fill::kText,
      .pGetter = &T::GetCopyright,
      .edit = {IDC_EDIT_COPYRIGHT, IDC_LABEL_COPYRIGHT, "Copyright", &D::m_strCopyright},
      .rule = {IDC_RULE_COPYRIGHT, "Copyright - use same for all.", &D::m_chkCopyrightSame, kWriteEdit, kWriteNothing},
      .save = {"Copyright", &T::SetCopyright}},
    /* kURL */ {.nColumn = 20, .strTitle = "URL", .nWidth = 100, .fill = Fill::kText, .pGetter = &T::GetURL,
      .edit = {IDC_EDIT_URL, IDC_LABEL_URL, "URL", &D::m_strURL},
      .rule = {IDC_RULE_URL, "URL - use same for all.", &D::m_chkURLSame, kWriteEdit, kWriteNothing},
      .save = {"URL", &T::SetURL}},
    /* kBand */ {.nColumn = 21, .strTitle = "Band", .nWidth = 100, .fill = Fill::kText, .pGetter = &T::GetBand,
      .edit = {IDC_EDIT_BAND, IDC_LABEL_BAND, "Band", &D::m_strBand},
      .rule = {IDC_RULE_BAND, "Band - use same for all.", &D::m_chkBandSame, kWriteEdit, kWriteNothing},
      .save = {"Band", &T::SetBand}},
    /* kPublisher */ {.nColumn = 22, .strTitle = "Publisher", .nWidth = 100, .fill = Fill::kText,
      .pGetter = &T::GetPublisher,
      .edit = {IDC_EDIT_PUBLISHER, IDC_LABEL_PUBLISHER, "Publisher", &D::m_strPublisher},
      .rule = {IDC_RULE_PUBLISHER, "Publisher - use same for all.", &D::m_chkPublisherSame, kWriteEdit, kWriteNothing},
      .save = {"Publisher", &T::SetPublisher}},
    /* kConductor */ {.nColumn = 23, .strTitle = "Conductor", .nWidth = 100, .fill = Fill::kText,
      .pGetter = &T::GetConductor,
      .edit = {IDC_EDIT_CONDUCTOR, IDC_LABEL_CONDUCTOR, "Conductor", &D::m_strConductor},
      .rule = {IDC_RULE_CONDUCTOR, "Conductor - use same for all.", &D::m_chkConductorSame, kWriteEdit, kWriteNothing},
      .save = {"Conductor", &T::SetConductor}},
    // The box shows a stored reference "(17)" as its name; the cell keeps the stored text.
    /* kGenre */ {.nColumn = 7, .strTitle = "Genere", .nWidth = 50, .fill = Fill::kText, .pGetter = &T::GetGenre,
      .edit = {IDC_EDIT_GENRE, IDC_LABEL_GENRE, "Genre", &D::m_strGenre},
      .save = {"Genre", &T::SetGenre}},
    /* kSizeKb */ {.nColumn = 1, .strTitle = "Size kb", .nWidth = 50, .fill = Fill::kSizeKb,
      .total = Total::kSize, .bReported = true},
    /* kBitRate */ {.nColumn = 8, .strTitle = "Bit rate", .nWidth = 70, .fill = Fill::kText, .pGetter = &T::GetBitRate,
      .bReported = true},
    /* kSampleRate */ {.nColumn = 9, .strTitle = "Sample rate", .nWidth = 90, .fill = Fill::kText,
      .pGetter = &T::GetSampleRate, .bReported = true},
    /* kLength */ {.nColumn = 10, .strTitle = "Length", .nWidth = 50, .fill = Fill::kText, .pGetter = &T::GetDuration,
      .total = Total::kTime},
    /* kDuration */ {.nColumn = 11, .strTitle = "Duration", .nWidth = 70, .fill = Fill::kClock,
      .pGetter = &T::GetDuration, .bReported = true},
    /* kMpegLayer */ {.nColumn = 12, .strTitle = "MPEG layer", .nWidth = 70, .fill = Fill::kText,
      .pGetter = &T::GetMpegLayer},
    /* kMpegVer */ {.nColumn = 13, .strTitle = "MPEG Ver", .nWidth = 70, .fill = Fill::kText, .pGetter = &T::GetMpegVer},
    /* kChannel */ {.nColumn = 14, .strTitle = "Channel", .nWidth = 70, .fill = Fill::kText, .pGetter = &T::GetChannel,
      .bReported = true},
    /* kTagVersion */ {.nColumn = 24, .strTitle = "Tag", .nWidth = 110, .fill = Fill::kText,
      .pGetter = &T::GetTagVersion, .bReported = true},
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

constexpr bool EditBoxesExactlyInThePanel() {
  for (int f = 0; f < kFieldCount; ++f) {
    const FieldEdit& edit = kAll[static_cast<std::size_t>(f)].edit;
    const bool has = edit.nId != 0 && edit.nLabelId != 0 && edit.strLabel != nullptr && edit.pValue != nullptr;
    const bool none = edit.nId == 0 && edit.nLabelId == 0 && edit.strLabel == nullptr && edit.pValue == nullptr;
    if (f < kPanelEnd ? !has : !none) return false;
  }
  return true;
}

constexpr bool RulesAndSaveStepsExactlyForTheEditable() {
  for (int f = 0; f < kFieldCount; ++f) {
    const FieldSpec& field = kAll[static_cast<std::size_t>(f)];
    const bool editable = f >= kEditableFirst && f < kEditableEnd;
    const bool rule = field.rule.nId != 0 && field.rule.strCaption != nullptr && field.rule.pBox != nullptr;
    const bool save = field.save.strStep != nullptr;
    if (rule != (editable && f < kRuleEnd) || save != editable) return false;
    // A copied cell is the key or a field whose rule has already run for the row.
    for (const RuleValue& value : {field.rule.checked, field.rule.unchecked})
      if (value.kind == RuleValue::kCell && value.source >= f) return false;
  }
  return true;
}

static_assert(EveryColumnOnce(), "each column belongs to exactly one field");
static_assert(EditBoxesExactlyInThePanel(), "an edit box, label and string for each field of the panel only");
static_assert(RulesAndSaveStepsExactlyForTheEditable(),
              "a save step for each editable field only, and a rule for each of them up to the genre");
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
