// The tag panel's side of the field table: the edit box and label
// of each field the panel shows, and the check box of each rule.
#include "FieldBoxes.h"

#include "Resource.h"

namespace {

struct FieldBoxTable {
  // clang-format off
  static constexpr std::array<FieldBoxes, kPanelEnd> kAll = {{
    /* kFileName */ {{IDC_EDIT_FILENAME, IDC_LABEL_FILENAME, "File name"},
      {}},
    /* kArtist */ {{IDC_EDIT_ARTIST, IDC_LABEL_ARTIST, "Artist"},
      {IDC_RULE_ARTIST, "Artist - use same for all."}},
    /* kAlbum */ {{IDC_EDIT_ALBUM, IDC_LABEL_ALBUM, "Album"},
      {IDC_RULE_ALBUM, "Album - same as file name"}},
    /* kTitle */ {{IDC_EDIT_TITLE, IDC_LABEL_TITLE, "Title"},
      {IDC_RULE_TITLE, "Title - same as file name"}},
    /* kTrack */ {{IDC_EDIT_TRACK, IDC_LABEL_TRACK, "Track"},
      {IDC_RULE_TRACK, "Track- automatic numbering."}},
    /* kYear */ {{IDC_EDIT_YEAR, IDC_LABEL_YEAR, "Year"},
      {IDC_RULE_YEAR, "Year - use same for all."}},
    /* kOrigArtist */ {{IDC_EDIT_ORIGARTIST, IDC_LABEL_ORIGARTIST, "Orginal artist"},
      {IDC_RULE_ORIGARTIST, "Original artist - same as Artist."}},
    /* kComment */ {{IDC_EDIT_COMMENT, IDC_LABEL_COMMENT, "Comment"},
      {IDC_RULE_COMMENT, "Comment - use same for all."}},
    /* kComposer */ {{IDC_EDIT_COMPOSER, IDC_LABEL_COMPOSER, "Composer"},
      {IDC_RULE_COMPOSER, "Composer - use same for all."}},
    /* kEncodedBy */ {{IDC_EDIT_ENCODEDBY, IDC_LABEL_ENCODEDBY, "Encoded by"},
      {IDC_RULE_ENCODEDBY, "Encoded by - use same for all."}},
    /* kCopyright */ {{IDC_EDIT_COPYRIGHT, IDC_LABEL_COPYRIGHT, "Copyright"},
      {IDC_RULE_COPYRIGHT, "Copyright - use same for all."}},
    /* kURL */ {{IDC_EDIT_URL, IDC_LABEL_URL, "URL"},
      {IDC_RULE_URL, "URL - use same for all."}},
    /* kBand */ {{IDC_EDIT_BAND, IDC_LABEL_BAND, "Band"},
      {IDC_RULE_BAND, "Band - use same for all."}},
    /* kPublisher */ {{IDC_EDIT_PUBLISHER, IDC_LABEL_PUBLISHER, "Publisher"},
      {IDC_RULE_PUBLISHER, "Publisher - use same for all."}},
    /* kConductor */ {{IDC_EDIT_CONDUCTOR, IDC_LABEL_CONDUCTOR, "Conductor"},
      {IDC_RULE_CONDUCTOR, "Conductor - use same for all."}},
    /* kGenre */ {{IDC_EDIT_GENRE, IDC_LABEL_GENRE, "Genre"},
      {}},
    /* kDisc */ {{IDC_EDIT_DISC, IDC_LABEL_DISC, "Disc"},
      {}},
    /* kLyrics */ {{IDC_EDIT_LYRICS, IDC_LABEL_LYRICS, "Lyrics"},
      {}},
  }};
  // clang-format on
};

constexpr bool EveryBoxWhole() {
  for (int f = 0; f < kPanelEnd; ++f) {
    const FieldBoxes& b = FieldBoxTable::kAll[static_cast<std::size_t>(f)];
    if (b.edit.nId == 0 || b.edit.nLabelId == 0 || b.edit.strLabel == nullptr) return false;
    const bool rule = b.rule.nId != 0 && b.rule.strCaption != nullptr;
    if (rule != (f >= kEditableFirst && f < kRuleEnd)) return false;
  }
  return true;
}
static_assert(EveryBoxWhole(), "an edit box for each field of the panel, a check box for each rule");

}  // namespace

const FieldBoxes& BoxOf(Field field) { return FieldBoxTable::kAll[static_cast<std::size_t>(field)]; }
