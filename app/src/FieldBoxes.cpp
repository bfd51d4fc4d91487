// The tag panel's side of the field table: the edit box, label and string
// of each field the panel shows, and the check box of each rule.
#include "FieldBoxes.h"

#include "QuilloryDlg.h"
#include "Resource.h"

// The panel's strings and check boxes are the dialog's own members; this
// table, its friend, is what names them.
struct FieldBoxTable {
  using D = CQuilloryDlg;
  // clang-format off
  static constexpr std::array<FieldBoxes, kPanelEnd> kAll = {{
    /* kFileName */ {{IDC_EDIT_FILENAME, IDC_LABEL_FILENAME, "File name", &D::m_strFileName},
      {}},
    /* kArtist */ {{IDC_EDIT_ARTIST, IDC_LABEL_ARTIST, "Artist", &D::m_strArtist},
      {IDC_RULE_ARTIST, "Artist - use same for all.", &D::m_chkArtistSame}},
    /* kAlbum */ {{IDC_EDIT_ALBUM, IDC_LABEL_ALBUM, "Album", &D::m_strAlbum},
      {IDC_RULE_ALBUM, "Album - same as file name", &D::m_chkAlbumFromName}},
    /* kTitle */ {{IDC_EDIT_TITLE, IDC_LABEL_TITLE, "Title", &D::m_strTitle},
      {IDC_RULE_TITLE, "Title - same as file name", &D::m_chkTitleFromName}},
    /* kTrack */ {{IDC_EDIT_TRACK, IDC_LABEL_TRACK, "Track", &D::m_strTrack},
      {IDC_RULE_TRACK, "Track- automatic numbering.", &D::m_chkTrackAuto}},
    /* kYear */ {{IDC_EDIT_YEAR, IDC_LABEL_YEAR, "Year", &D::m_strYear},
      {IDC_RULE_YEAR, "Year - use same for all.", &D::m_chkYearSame}},
    /* kOrigArtist */ {{IDC_EDIT_ORIGARTIST, IDC_LABEL_ORIGARTIST, "Orginal artist", &D::m_strOrigArtist},
      {IDC_RULE_ORIGARTIST, "Original artist - same as Artist.", &D::m_chkOrigArtistFromArtist}},
    /* kComment */ {{IDC_EDIT_COMMENT, IDC_LABEL_COMMENT, "Comment", &D::m_strComment},
      {IDC_RULE_COMMENT, "Comment - use same for all.", &D::m_chkCommentSame}},
    /* kComposer */ {{IDC_EDIT_COMPOSER, IDC_LABEL_COMPOSER, "Composer", &D::m_strComposer},
      {IDC_RULE_COMPOSER, "Composer - use same for all.", &D::m_chkComposerSame}},
    /* kEncodedBy */ {{IDC_EDIT_ENCODEDBY, IDC_LABEL_ENCODEDBY, "Encoded by", &D::m_strEncodedBy},
      {IDC_RULE_ENCODEDBY, "Encoded by - use same for all.", &D::m_chkEncodedBySame}},
    /* kCopyright */ {{IDC_EDIT_COPYRIGHT, IDC_LABEL_COPYRIGHT, "Copyright", &D::m_strCopyright},
      {IDC_RULE_COPYRIGHT, "Copyright - use same for all.", &D::m_chkCopyrightSame}},
    /* kURL */ {{IDC_EDIT_URL, IDC_LABEL_URL, "URL", &D::m_strURL},
      {IDC_RULE_URL, "URL - use same for all.", &D::m_chkURLSame}},
    /* kBand */ {{IDC_EDIT_BAND, IDC_LABEL_BAND, "Band", &D::m_strBand},
      {IDC_RULE_BAND, "Band - use same for all.", &D::m_chkBandSame}},
    /* kPublisher */ {{IDC_EDIT_PUBLISHER, IDC_LABEL_PUBLISHER, "Publisher", &D::m_strPublisher},
      {IDC_RULE_PUBLISHER, "Publisher - use same for all.", &D::m_chkPublisherSame}},
    /* kConductor */ {{IDC_EDIT_CONDUCTOR, IDC_LABEL_CONDUCTOR, "Conductor", &D::m_strConductor},
      {IDC_RULE_CONDUCTOR, "Conductor - use same for all.", &D::m_chkConductorSame}},
    /* kGenre */ {{IDC_EDIT_GENRE, IDC_LABEL_GENRE, "Genre", &D::m_strGenre},
      {}},
  }};
  // clang-format on
};

namespace {

constexpr bool EveryBoxWhole() {
  for (int f = 0; f < kPanelEnd; ++f) {
    const FieldBoxes& b = FieldBoxTable::kAll[static_cast<std::size_t>(f)];
    if (b.edit.nId == 0 || b.edit.nLabelId == 0 || b.edit.strLabel == nullptr || b.edit.pValue == nullptr) return false;
    const bool rule = b.rule.nId != 0 && b.rule.strCaption != nullptr && b.rule.pBox != nullptr;
    if (rule != (f >= kEditableFirst && f < kRuleEnd)) return false;
  }
  return true;
}
static_assert(EveryBoxWhole(), "an edit box for each field of the panel, a check box for each rule");

}  // namespace

const FieldBoxes& BoxOf(Field field) { return FieldBoxTable::kAll[static_cast<std::size_t>(field)]; }
