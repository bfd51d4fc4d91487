// The layout of the main window and the About box, in dialog units, in the
// order the controls are made (which is also the tab order).
#include "Templates.h"

#include "FieldBoxes.h"
#include "Resource.h"

#include <platform/ListCtrl.h>
#include <platform/MessageBox.h>
#include <platform/WinApp.h>

#include <iterator>

namespace {

constexpr DWORD kDialogStyle = DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
// The main window is resizable and can be maximised.
constexpr DWORD kMainStyle = kDialogStyle | WS_THICKFRAME | WS_MAXIMIZEBOX;
constexpr DWORD kVisible = WS_CHILD | WS_VISIBLE;
constexpr DWORD kButton = kVisible | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kGroup = kVisible | BS_GROUPBOX;
constexpr DWORD kLabel = kVisible | SS_LEFT;
constexpr DWORD kRightLabel = kVisible | SS_RIGHT;
constexpr DWORD kEdit = kVisible | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kCheck = kVisible | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kComboBox = kVisible | WS_TABSTOP | CBS_DROPDOWN;
constexpr DWORD kLines = kVisible | WS_BORDER | WS_TABSTOP | ES_MULTILINE;

constexpr int kButtonHeight = 14;
constexpr int kPanelTop = 250;
constexpr int kEditHeight = 12;
constexpr int kPanelRowPitch = kEditHeight + 2;  // an edit box and a gap; labels sit two units lower
constexpr int kCoverRoom = 130;  // the Cover group's width and its margin
// The More fields group below the panel, the rules and the cover.
constexpr int kMoreTop = 371;
constexpr int kMoreHeight = 44;
constexpr int kLyricsHeight = 26;

// Where a field's label and edit box sit in the tag panel, in tab order;
// the panel's rows, or (row -1) the More fields group's.
struct PanelPlace {
  Field field;
  int labelX, labelWidth, editX, editWidth, row;
  DWORD labelStyle;
};
constexpr int kMoreRow = -1;

constexpr PanelPlace kPanelPlaces[] = {
    {kFileName, 12, 41, 59, 132, 0, kRightLabel},    {kArtist, 12, 41, 59, 132, 1, kRightLabel},
    {kAlbum, 12, 41, 59, 132, 2, kRightLabel},       {kTitle, 12, 41, 59, 132, 3, kRightLabel},
    {kTrack, 12, 41, 59, 51, 4, kRightLabel},        {kYear, 116, 17, 140, 51, 4, kLabel},
    {kOrigArtist, 12, 41, 59, 132, 5, kRightLabel},  {kComment, 12, 41, 59, 132, 6, kRightLabel},
    {kGenre, 12, 41, 59, 132, 7, kRightLabel},
    {kComposer, 197, 40, 242, 132, 0, kRightLabel},  {kEncodedBy, 197, 40, 242, 132, 1, kRightLabel},
    {kCopyright, 197, 40, 242, 132, 2, kRightLabel}, {kURL, 197, 40, 242, 132, 3, kRightLabel},
    {kBand, 197, 40, 242, 132, 4, kRightLabel},      {kPublisher, 197, 40, 242, 132, 5, kRightLabel},
    {kConductor, 197, 40, 242, 132, 6, kRightLabel},
    {kDisc, 12, 41, 59, 51, kMoreRow, kRightLabel},  {kLyrics, 116, 30, 150, 472 + kCoverRoom, kMoreRow, kRightLabel},
};
static_assert(std::size(kPanelPlaces) == kPanelEnd, "a place for every edit box");

platform::DialogTemplate MakeMainTemplate() {
  platform::DialogTemplate t{IDD_QUILLORY_DIALOG, "TarvelloNet-Mp3 Tag Editor", 635 + kCoverRoom,
                             kMoreTop + kMoreHeight + 19, "MS Shell Dlg",
                             8, kMainStyle, {}};
  auto& items = t.items;
  items = {
      {IDC_STATIC, "Button", "Folder operations", 6, 7, 213, 28, kGroup},
      {IDC_OPEN_FOLDER, "Button", "Open Folder ..", 12, 17, 62, kButtonHeight, kButton},
      {IDC_RELOAD, "Button", "Reload", 83, 17, 67, kButtonHeight, kButton},
      {IDC_EXPLORE, "Button", "Explore..", 155, 17, 55, kButtonHeight, kButton},
      {IDC_STATIC, "Button", "Folder information", 222, 7, 326, 28, kGroup},
      {IDC_TOTAL_FILES_LABEL, "Static", "Total number of files =", 233, 20, 73, 8, kLabel},
      {IDC_TOTAL_FILES, "Static", "--", 312, 20, 27, 8, kLabel},
      {IDC_TOTAL_SIZE_LABEL, "Static", "Total size = ", 340, 20, 40, 8, kLabel},
      {IDC_TOTAL_SIZE, "Static", "--", 388, 20, 47, 8, kLabel},
      {IDC_TOTAL_TIME_LABEL, "Static", "Total time = ", 441, 20, 42, 8, kLabel},
      {IDC_TOTAL_TIME, "Static", "--", 488, 20, 48, 8, kLabel},
      {IDC_SAVE_ALL, "Button", "Save all to disk", 555, 9, 73, kButtonHeight, kButton},
      // Stops a load or a save; it takes Save all's place while one runs.
      {IDC_CANCEL_WORK, "Button", "Cancel", 555, 9, 73, kButtonHeight, kButton & ~WS_VISIBLE},
      {IDC_PLAY, "Button", "Play", 555, 25, 36, 12, kButton},
      {IDC_TOGGLE_PANEL, "Button", "_", 595, 25, 15, 12, kButton},
      {IDC_DELETE_ROW, "Button", "X", 613, 25, 15, 12, kButton},
      {IDC_FILE_LIST, "SysListView32", "", 6, 38, 622 + kCoverRoom, 198,
       kVisible | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS},
      {IDC_TAGS_GROUP, "Button", "MP3 tags", 6, 239, 374, 129, kGroup},
  };
  items.push_back({IDC_MORE_GROUP, "Button", "More fields", 6, kMoreTop, 622 + kCoverRoom, kMoreHeight, kGroup});
  for (const PanelPlace& p : kPanelPlaces) {
    const FieldEdit& edit = BoxOf(p.field).edit;
    const int y = p.row == kMoreRow ? kMoreTop + 12 : kPanelTop + kPanelRowPitch * p.row;
    items.push_back({edit.nLabelId, "Static", edit.strLabel, p.labelX, y + 2, p.labelWidth, 8, p.labelStyle});
    // Only the editable fields' boxes take typing; the key's shows the row.
    // The genre is typed, or chosen from the names of ID3v1's genres.
    const bool editable = p.field >= kEditableFirst && p.field < kEditableEnd;
    if (p.field == kGenre)
      items.push_back({edit.nId, "ComboBox", "", p.editX, y, p.editWidth, kEditHeight, kComboBox});
    else if (p.field == kLyrics)
      items.push_back({edit.nId, "Edit", "", p.editX, y, p.editWidth, kLyricsHeight, kLines});
    else
      items.push_back({edit.nId, "Edit", "", p.editX, y, p.editWidth, kEditHeight, editable ? kEdit : kEdit | ES_READONLY});
  }
  // The buttons sit in the right column's last row, beside the genre.
  constexpr int kPanelButtonsTop = kPanelTop + kPanelRowPitch * 7 - 1;
  items.push_back({IDC_CLEAR, "Button", "Clear", 268, kPanelButtonsTop, 50, kButtonHeight, kButton});
  // The save progress bar shows only while saving, over Clear.
  items.push_back({IDC_SAVE_PROGRESS, "msctls_progress32", "", 197, kPanelButtonsTop + 1, 121, 12, WS_CHILD | WS_BORDER});
  // Enter in an edit box presses Update (and does nothing while it is disabled).
  items.push_back({IDC_UPDATE_ROW, "Button", "Update", 324, kPanelButtonsTop, 50, kButtonHeight, kButton | BS_DEFPUSHBUTTON});
  items.push_back({IDC_RULES_GROUP, "Button", "Apply to all", 386, 239, 242, 108, kGroup});
  // The rules in two columns, the first half on the left.
  constexpr int kRulesPerColumn = (kRuleCount + 1) / 2;
  for (int k = 0; k < kRuleCount; ++k) {
    const FieldRuleBox& rule = BoxOf(kRuleFields[static_cast<std::size_t>(k)]).rule;
    const bool left = k < kRulesPerColumn;
    items.push_back({rule.nId, "Button", rule.strCaption, left ? 393 : 513, 252 + 11 * (k % kRulesPerColumn),
                     left ? 113 : 108, 10, kCheck});
  }
  items.push_back({IDC_CHECK_ALL, "Button", "Check all", 393, 330, 50, kButtonHeight, kButton});
  items.push_back({IDC_UNCHECK_ALL, "Button", "Unckeck all", 456, 330, 50, kButtonHeight, kButton});
  items.push_back({IDC_UPDATE_LIST, "Button", "Update list", 544, 330, 77, kButtonHeight, kButton});
  // The selected rows' front cover, right of the rules; the window and the list are wider by it.
  items.push_back({IDC_COVER_GROUP, "Button", "Cover", 634, 239, kCoverRoom - 6, 129, kGroup});
  items.push_back({IDC_COVER_PICTURE, "Picture", "No file selected", 640, 249, kCoverRoom - 18, 63, kVisible});
  // Two lines: the picture's facts, and how many files share it and whether it is saved.
  items.push_back({IDC_COVER_CAPTION, "Static", "", 640, 314, kCoverRoom - 18, 18, kVisible | SS_CENTER});
  constexpr int kCoverButton = (kCoverRoom - 20) / 2;
  items.push_back({IDC_ADD_COVER, "Button", "Add cover\u2026", 640, 334, kCoverButton, kButtonHeight, kButton});
  items.push_back({IDC_EXTRACT_COVER, "Button", "Extract cover\u2026", 642 + kCoverButton, 334, kCoverButton,
                   kButtonHeight, kButton});
  items.push_back({IDC_REMOVE_COVER, "Button", "Remove cover", 640, 351, kCoverButton, kButtonHeight, kButton});
  items.push_back({ID_HELP, "Button", "&Help", 386, 352, 50, kButtonHeight, kButton});
  items.push_back({IDC_WEB_SITE, "Button", "Quillory", 447, 352, 57, kButtonHeight, kButton});
  items.push_back({IDC_ABOUT, "Button", "About..", 515, 352, 50, kButtonHeight, kButton});
  items.push_back({IDOK, "Button", "Exit", 578, 352, 50, kButtonHeight, kButton});
  return t;
}

platform::DialogTemplate MakeAboutTemplate() {
  // Picture statics name their resource: "#128" the program icon, "#129" the picture.
  static_assert(IDR_MAINFRAME == 128 && IDB_ABOUT == 129);
  return {IDD_ABOUTBOX,
          "About Quillory",
          306,
          76,
          "MS Shell Dlg",
          8,
          DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
          {
              {IDC_STATIC, "Static", "#128", 11, 10, 21, 20, kVisible | SS_ICON},
              // Each text fits its control whole: the name and version beside the
              // icon, the second address as wide as the picture above it.
              {IDC_STATIC, "Static", "Quillory 1.0", 47, 23, 68, 8, kVisible | SS_CENTER},
              {IDC_ABOUT_PICTURE, "Static", "#129", 128, 7, 170, 52,
               kVisible | SS_BITMAP | SS_CENTERIMAGE | SS_REALSIZEIMAGE},
              {IDC_LINK_SITE, "Static", kWebSite, 9, 62, 96, 8, kVisible | SS_NOTIFY | WS_TABSTOP},
              {IDC_LINK_SITE2, "Static", kIssueTracker, 128, 62, 170, 8, kVisible | SS_NOTIFY | WS_TABSTOP | SS_CENTER},
          }};
}

}  // namespace

const platform::DialogTemplate& MainDialogTemplate() {
  static const platform::DialogTemplate t = MakeMainTemplate();
  return t;
}

const platform::DialogTemplate& AboutDialogTemplate() {
  static const platform::DialogTemplate t = MakeAboutTemplate();
  return t;
}
