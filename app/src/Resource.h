#pragma once
// Resource and control ids of the program: the two dialog templates, the
// artwork, and every control of the main window.

constexpr unsigned IDD_ABOUTBOX = 100;
constexpr unsigned IDD_QUILLORY_DIALOG = 102;

constexpr unsigned IDR_MAINFRAME = 128;  // program icon
constexpr unsigned IDB_ABOUT = 129;      // the About box's picture
constexpr unsigned IDI_PLAY = 132;       // context-menu icons
constexpr unsigned IDI_DELETE = 133;
constexpr unsigned IDI_EDIT = 134;
constexpr unsigned IDI_SAVE = 135;
constexpr unsigned IDI_REPORT = 136;
constexpr unsigned IDI_ADD_COVER = 2170;  // the cover commands' icons
constexpr unsigned IDI_EXTRACT_COVER = 2171;
constexpr unsigned IDI_REMOVE_COVER = 2172;

// Main window.
constexpr int IDC_OPEN_FOLDER = 1000;
constexpr int IDC_RELOAD = 1001;
constexpr int IDC_FILE_LIST = 1002;
constexpr int IDC_TOTAL_FILES = 1037;
constexpr int IDC_TOTAL_SIZE = 1038;
constexpr int IDC_TOTAL_TIME = 1039;
constexpr int IDC_DELETE_ROW = 1040;
constexpr int IDC_SAVE_ALL = 1042;
constexpr int IDC_PLAY = 1043;
constexpr int IDC_EXPLORE = 1044;
constexpr int IDC_TOGGLE_PANEL = 1046;
constexpr int IDC_SAVE_PROGRESS = 1064;
constexpr int IDC_TOTAL_FILES_LABEL = 1065;
constexpr int IDC_TOTAL_SIZE_LABEL = 1066;
constexpr int IDC_TOTAL_TIME_LABEL = 1067;
constexpr int IDC_CANCEL_WORK = 1068;  // shown in place of Save all while a load or save runs
constexpr int IDC_STATUS_BAR = 517;  // made by the status bar at start-up

// The tag panel: the edit boxes, 2000-2014.
constexpr int IDC_EDIT_FILENAME = 2000;
constexpr int IDC_EDIT_ALBUM = 2001;
constexpr int IDC_EDIT_ARTIST = 2002;
constexpr int IDC_EDIT_TITLE = 2003;
constexpr int IDC_EDIT_YEAR = 2004;
constexpr int IDC_EDIT_TRACK = 2005;
constexpr int IDC_EDIT_COMMENT = 2006;
constexpr int IDC_EDIT_COMPOSER = 2007;
constexpr int IDC_EDIT_ENCODEDBY = 2008;
constexpr int IDC_EDIT_ORIGARTIST = 2009;
constexpr int IDC_EDIT_COPYRIGHT = 2010;
constexpr int IDC_EDIT_BAND = 2011;
constexpr int IDC_EDIT_URL = 2012;
constexpr int IDC_EDIT_PUBLISHER = 2013;
constexpr int IDC_EDIT_CONDUCTOR = 2014;
constexpr int IDC_CLEAR = 2015;
constexpr int IDC_UPDATE_ROW = 2016;
// The apply-to-all rules' check boxes, one per editable field, 2017-2030.
constexpr int IDC_RULE_ARTIST = 2017;
constexpr int IDC_RULE_ALBUM = 2018;
constexpr int IDC_RULE_TITLE = 2019;
constexpr int IDC_RULE_TRACK = 2020;
constexpr int IDC_RULE_YEAR = 2021;
constexpr int IDC_RULE_ORIGARTIST = 2022;
constexpr int IDC_RULE_COMMENT = 2023;
constexpr int IDC_RULE_COMPOSER = 2024;
constexpr int IDC_RULE_ENCODEDBY = 2025;
constexpr int IDC_RULE_COPYRIGHT = 2026;
constexpr int IDC_RULE_URL = 2027;
constexpr int IDC_RULE_BAND = 2028;
constexpr int IDC_RULE_PUBLISHER = 2029;
constexpr int IDC_RULE_CONDUCTOR = 2030;
constexpr int IDC_RULE_FIRST = IDC_RULE_ARTIST;
constexpr int IDC_RULE_LAST = IDC_RULE_CONDUCTOR;
constexpr int IDC_CHECK_ALL = 2031;
constexpr int IDC_UNCHECK_ALL = 2032;
constexpr int IDC_UPDATE_LIST = 2033;
constexpr int IDC_TAGS_GROUP = 2034;
constexpr int IDC_ABOUT = 2035;
constexpr int IDC_RULES_GROUP = 2036;
// The edit boxes' labels, 2037-2051.
constexpr int IDC_LABEL_FILENAME = 2037;
constexpr int IDC_LABEL_ARTIST = 2038;
constexpr int IDC_LABEL_ALBUM = 2039;
constexpr int IDC_LABEL_TITLE = 2040;
constexpr int IDC_LABEL_TRACK = 2041;
constexpr int IDC_LABEL_ORIGARTIST = 2042;
constexpr int IDC_LABEL_COMMENT = 2043;
constexpr int IDC_LABEL_YEAR = 2044;
constexpr int IDC_LABEL_COMPOSER = 2045;
constexpr int IDC_LABEL_ENCODEDBY = 2046;
constexpr int IDC_LABEL_COPYRIGHT = 2047;
constexpr int IDC_LABEL_URL = 2048;
constexpr int IDC_LABEL_BAND = 2049;
constexpr int IDC_LABEL_PUBLISHER = 2050;
constexpr int IDC_LABEL_CONDUCTOR = 2051;
constexpr int IDC_LABEL_FIRST = IDC_LABEL_FILENAME;
constexpr int IDC_LABEL_LAST = IDC_LABEL_CONDUCTOR;
constexpr int IDC_WEB_SITE = 2052;
// Several rows at once, 2120-2159: the genre box and its label, then the
// controls of the dialogs that edit many rows with a preview.
constexpr int IDC_MANY_ROWS_FIRST = 2120;
constexpr int IDC_EDIT_GENRE = 2120;
constexpr int IDC_LABEL_GENRE = 2121;
constexpr int IDC_PATTERN = 2122;
constexpr int IDC_PATTERN_HELP = 2123;
constexpr int IDC_PREVIEW = 2124;
constexpr int IDC_PREVIEW_MESSAGE = 2125;
constexpr int IDC_FORMAT_FIELD = 2126;
constexpr int IDC_FORMAT_CASE = 2127;
constexpr int IDC_FIND = 2128;
constexpr int IDC_REPLACE_WITH = 2129;
constexpr int IDC_REGEX = 2130;
constexpr int IDC_IMPORT_SOURCE = 2131;
constexpr int IDC_NUMBER_START = 2132;
constexpr int IDC_NUMBER_TOTAL = 2133;
constexpr int IDC_TAG_V2 = 2134;
constexpr int IDC_NUMBER_DISC = 2137;
constexpr int IDC_FIELDS_ROWS = 2138;
constexpr int IDC_FIELDS_LIST = 2139;
constexpr int IDC_FIELD_KEY = 2140;
constexpr int IDC_FIELD_SET = 2141;
constexpr int IDC_FIELD_DELETE = 2142;
constexpr int IDC_FIELD_VALUE = 2143;
constexpr int IDC_FIELD_MESSAGE = 2144;
constexpr int IDC_TAG_V1 = 2135;
constexpr int IDC_TAG_REMOVE_ALL = 2136;
constexpr unsigned IDD_TAGS_FROM_NAMES = 2150;
constexpr unsigned IDD_FORMAT_FIELDS = 2151;
constexpr unsigned IDD_NAMES_FROM_TAGS = 2152;
constexpr unsigned IDD_IMPORT = 2153;
constexpr unsigned IDD_NUMBER_TRACKS = 2154;
constexpr unsigned IDD_TAG_VERSION = 2155;
constexpr unsigned IDD_ALL_FIELDS = 2156;
constexpr int IDC_MANY_ROWS_LAST = 2159;
// The Cover group: the selected rows' front cover and its commands, 2160-2165.
constexpr int IDC_COVER_GROUP = 2160;
constexpr int IDC_COVER_PICTURE = 2161;
constexpr int IDC_COVER_CAPTION = 2162;
constexpr int IDC_ADD_COVER = 2163;
constexpr int IDC_EXTRACT_COVER = 2164;
constexpr int IDC_REMOVE_COVER = 2165;
constexpr int IDC_COVER_FIRST = IDC_COVER_GROUP;
constexpr int IDC_COVER_LAST = IDC_REMOVE_COVER;
// The More fields group below the panel: the disc and the lyrics, 2170-2174.
constexpr int IDC_MORE_GROUP = 2170;
constexpr int IDC_EDIT_DISC = 2171;
constexpr int IDC_LABEL_DISC = 2172;
constexpr int IDC_EDIT_LYRICS = 2173;
constexpr int IDC_LABEL_LYRICS = 2174;
constexpr int IDC_MORE_FIRST = IDC_MORE_GROUP;
constexpr int IDC_MORE_LAST = IDC_LABEL_LYRICS;

// Menu commands without a button of their own (the others send their button's id).
constexpr int ID_UNDO_LAST_SAVE = 32771;
constexpr int ID_HTML_REPORT = 32772;
constexpr int ID_EDIT_UNDO = 0xE12B;
constexpr int ID_EDIT_REDO = 0xE12C;
constexpr int ID_TAGS_FROM_NAMES = 32790;
constexpr int ID_FORMAT_FIELDS = 32791;
constexpr int ID_NAMES_FROM_TAGS = 32792;
constexpr int ID_BOXES_FOLLOW_SELECTION = 32800;
// The rows' context menu's Edit and Save.
constexpr int ID_EDIT_ROWS = 32801;
constexpr int ID_SAVE_ROWS = 32802;
// Spreadsheets, numbering and playlists.
constexpr int ID_EXPORT = 32803;
constexpr int ID_IMPORT = 32804;
constexpr int ID_NUMBER_TRACKS = 32805;
constexpr int ID_MAKE_PLAYLIST = 32806;
// Tag version…: the ID3 tags of the selected rows.
constexpr int ID_TAG_VERSION = 32807;
constexpr int ID_ALL_FIELDS = 32808;
// Edit > Columns…: the list of columns a right click on a column title offers.
constexpr int ID_COLUMNS = 32809;
// File > Recent folders: the folders opened last, newest first.
constexpr int ID_RECENT_FOLDER_FIRST = 32810;
constexpr int kRecentFolderCount = 10;
constexpr int ID_RECENT_FOLDER_LAST = ID_RECENT_FOLDER_FIRST + kRecentFolderCount - 1;

// About box.
constexpr int IDC_ABOUT_PICTURE = 1069;
constexpr int IDC_LINK_SITE = 1070;
constexpr int IDC_LINK_SITE2 = 1071;

// The maker's addresses: the web button and the About box's two links.
constexpr const char* kWebSite = "https://quillory.example.org/";
constexpr const char* kIssueTracker = "https://quillory.example.org/issues";
