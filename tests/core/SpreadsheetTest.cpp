// The pure pieces of the command line and the spreadsheet round trip: field
// names, CSV written and read, JSON strings, track numbers per folder and
// playlist text.
#include <core/Numbering.h>
#include <core/Playlist.h>
#include <core/Spreadsheet.h>

#include <gtest/gtest.h>

namespace {

std::vector<CString> Cells(std::initializer_list<const char*> texts) { return {texts.begin(), texts.end()}; }

}  // namespace

TEST(FieldNamesTest, EveryFieldHasOneNameThatLeadsBackToItAndAliasesAreAccepted) {
  for (int f = kFileName + 1; f < kFieldCount; ++f) {
    const auto field = static_cast<Field>(f);
    const CString name = FieldNameOf(field);
    EXPECT_FALSE(name.IsEmpty()) << f;
    EXPECT_EQ(FieldNamed(name), field) << name;
    EXPECT_EQ(name.Find(' '), -1) << name;
  }
  struct Case {
    const char* name;
    std::optional<Field> field;
  } cases[] = {
      {"genre", kGenre},          {"Genere", kGenre},       {"ORIGARTIST", kOrigArtist}, {"originalartist", kOrigArtist},
      {"albumartist", kBand},     {"tracknumber", kTrack},  {"encodedby", kEncodedBy},  {"sizekb", kSizeKb},
      {"bitrate", kBitRate},      {"key", std::nullopt},    {"", std::nullopt},         {"%artist%", std::nullopt},
      {"track:2", std::nullopt},  {"dummy", std::nullopt},  {"artst", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(FieldNamed(c.name), c.field) << c.name;
  const std::vector<CString> editable = EditableFieldNames();
  EXPECT_EQ(editable, Cells({"artist", "album", "title", "track", "year", "origartist", "comment", "composer",
                             "encodedby", "copyright", "url", "band", "publisher", "conductor", "genre", "disc",
                             "lyrics"}));
}

TEST(CsvTest, RecordsAreQuotedWhereNeededAndReadBackAsWritten) {
  struct Case {
    std::vector<CString> cells;
    const char* line;
  } cases[] = {
      {Cells({"a", "b c", ""}), "a,b c,\r\n"},
      {Cells({"x,y", "say \"hi\"", "two\nlines"}), "\"x,y\",\"say \"\"hi\"\"\",\"two\nlines\"\r\n"},
      {Cells({" lead", "trail ", "Ünë ♫"}), "\" lead\",\"trail \",Ünë ♫\r\n"},
      {Cells({""}), "\r\n"},
  };
  std::string all;
  for (const Case& c : cases) {
    EXPECT_EQ(CsvRecord(c.cells), c.line);
    all += c.line;
  }
  std::vector<CCsvRecord> records;
  CString error;
  ASSERT_TRUE(ParseCsv("\xEF\xBB\xBF" + all, records, error)) << error;
  ASSERT_EQ(records.size(), 4u);
  for (std::size_t k = 0; k < 4; ++k) EXPECT_EQ(records[k].cells, cases[k].cells) << k;
  EXPECT_EQ(records[2].nLine, 4);  // the quoted line break counts as a line
  EXPECT_EQ(records[3].nLine, 5);
  // LF alone ends a record too, and a last record needs no line end.
  ASSERT_TRUE(ParseCsv("k,a\nx,1", records, error));
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1].cells, Cells({"x", "1"}));
}

TEST(CsvTest, TextThatIsNotCsvIsRefusedWithItsLine) {
  struct Case {
    std::string text;
    const char* error;
  } cases[] = {
      {"k,a\nx,\"open\n\n", "line 2: a quoted cell is not closed"},
      {"k,a\nx,ab\"c\n", "line 2: a quote inside a cell that is not quoted"},
      {"k,a\n\"x\"y,1\n", "line 2: text after a quoted cell's closing quote"},
      {"k,a\nx,1\ny,\xff\n", "line 3: the text is not UTF-8"},
      {"k,a\nx,\xc0\xaf\n", "line 2: the text is not UTF-8"},          // an overlong "/"
      {"k,a\nx,\xed\xa0\x80\n", "line 2: the text is not UTF-8"},      // a surrogate
  };
  for (const Case& c : cases) {
    std::vector<CCsvRecord> records;
    CString error;
    EXPECT_FALSE(ParseCsv(c.text, records, error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
    EXPECT_TRUE(records.empty());
  }
}

TEST(SheetImportTest, TheHeaderAndEveryKeyAreCheckedBeforeAnyRowIsTaken) {
  struct Refused {
    std::string csv;
    const char* error;
  } refused[] = {
      {"", "line 1: there is no header row"},
      {"artist,key\nX,a\n", "line 1, column 1: \"artist\" where the header must begin with key"},
      {"key,artist,artst\na,X,Y\n", "line 1, column 3: no field is called \"artst\""},
      {"key,artist,Artist\na,X,Y\n", "line 1, column 3: the field \"Artist\" is there twice"},
      {"key,artist\nb,Y\na,X,Z\n", "line 3: 3 cells where the header has 2"},
      {"key,artist\nb\n", "line 2: 1 cell where the header has 2"},
      {"key,artist\nb,Y\n../a,X\n", "line 3: the key \"../a\" names no file inside the folder"},
      {"key,artist\n/tmp/a,X\n", "line 2: the key \"/tmp/a\" names no file inside the folder"},
      {"key,artist\nCD1//a,X\n", "line 2: the key \"CD1//a\" names no file inside the folder"},
      {"key,artist\nCD1/./a,X\n", "line 2: the key \"CD1/./a\" names no file inside the folder"},
      {"key,artist\n,X\n", "line 2: the key \"\" names no file inside the folder"},
      {"key,artist\nb,\"Y\n", "line 2: a quoted cell is not closed"},
  };
  for (const Refused& c : refused) {
    const CSheetImport import = ReadSheetImport(c.csv);
    EXPECT_EQ(import.strError, c.error) << c.csv;
    EXPECT_TRUE(import.rows.empty() && import.leftOut.empty()) << c.csv;
  }
  // Facts are skipped, blank lines too; a key given twice leaves out both rows.
  const CSheetImport import = ReadSheetImport(
      "\xEF\xBB\xBF" "KEY,tag,Genere,originalartist\r\na,ID3v2.3,Rock,\r\n\r\nCD1/b,x,,O\r\nc,1,2,3\r\nc,4,5,6\r\n");
  ASSERT_EQ(import.strError, "");
  ASSERT_EQ(import.rows.size(), 2u);
  EXPECT_EQ(import.rows[0].strKey, "a");
  EXPECT_EQ(import.rows[0].values, (FieldValues{{kGenre, "Rock"}, {kOrigArtist, ""}}));
  EXPECT_EQ(import.rows[1].nLine, 4);
  EXPECT_EQ(import.rows[1].strKey, "CD1/b");
  EXPECT_TRUE(import.bSubfolders);
  ASSERT_EQ(import.leftOut.size(), 2u);
  EXPECT_EQ(import.leftOut[0], (std::pair<int, CString>{5, "the key \"c\" is on line 6 too: neither row is imported."}));
  EXPECT_EQ(import.leftOut[1].first, 6);
}

TEST(JsonTest, StringsAreEscapedAndKeptAsUtf8) {
  EXPECT_EQ(JsonString("plain Ünë ♫"), "\"plain Ünë ♫\"");
  EXPECT_EQ(JsonString("a\"b\\c\nd\te\x01"), "\"a\\\"b\\\\c\\nd\\te\\u0001\"");
  EXPECT_EQ(JsonString("bad \xff byte"), "\"bad \xC3\xBF byte\"");
}

TEST(NumberingTest, EachFolderIsNumberedFromTheStartInTheOrderGivenOrInNaturalOrder) {
  const std::vector<CString> keys = Cells({"b10", "CD1/2 two", "b9", "CD1/10 ten", "a", "CD1/1 one"});
  // In the order given (the table's)...
  EXPECT_EQ(NumberTracks(keys, 1, false), Cells({"1", "1", "2", "2", "3", "3"}));
  // ...or in natural order.
  std::vector<CString> natural;
  for (std::size_t k : NaturalOrder(keys)) natural.push_back(keys[k]);
  EXPECT_EQ(natural, Cells({"a", "b9", "b10", "CD1/1 one", "CD1/2 two", "CD1/10 ten"}));
  EXPECT_EQ(NumberTracks(natural, 5, true), Cells({"5/7", "6/7", "7/7", "5/7", "6/7", "7/7"}));
  EXPECT_TRUE(NumberTracks({}, 1, true).empty());
  struct Order {
    const char* a;
    const char* b;
  } before[] = {{"track2", "track10"}, {"Track 02", "track 3"}, {"a", "B"}, {"x007", "x08"}, {"x", "x1"}};
  for (const Order& o : before) {
    EXPECT_TRUE(NaturalLess(o.a, o.b)) << o.a << " < " << o.b;
    EXPECT_FALSE(NaturalLess(o.b, o.a)) << o.b << " < " << o.a;
  }
  struct Disc {
    const char* name;
    int disc;
  } discs[] = {{"CD1", 1}, {"cd 2", 2}, {"Disc 3", 3}, {"Disk-04", 4}, {"CD", 0}, {"CD1 bonus", 0}, {"Abba", 0}, {"Discography", 0}};
  for (const Disc& d : discs) EXPECT_EQ(DiscOfFolderName(d.name), d.disc) << d.name;
  // The disc of each key from its folder's name, its total among the folders beside it.
  const std::vector<CString> albums = Cells({"A/CD1/x", "A/CD3/y", "B/Disc 2/z", "B/Extras/w", "top"});
  EXPECT_EQ(NumberDiscs(albums, false), Cells({"1", "3", "2", "", ""}));
  EXPECT_EQ(NumberDiscs(albums, true), Cells({"1/3", "3/3", "2/2", "", ""}));
}

TEST(PlaylistTest, EntriesNameTheirLengthArtistAndTitleAndPathsAreRelativeToThePlaylist) {
  const std::vector<CPlaylistEntry> entries = {
      {"/m/CD1/01 a.mp3", 215, "Artist", "Song"},
      {"/m/CD2/b.mp3", -1, "-", "Ünë"},
      {"/other/c.mp3", 3, "Who", "-"},
      {"/m/d.mp3", 4, "", "Line\nbreak"},
      {"/m/CD1/#1 Hit.mp3", 5, "", ""},  // not a comment
      {"/m/CD1/e\nf.mp3", 6, "", ""},   // no line can hold it
  };
  std::vector<CPlaylistEntry> leftOut;
  EXPECT_EQ(PlaylistText(entries, "/m/CD1", &leftOut),
            "#EXTM3U\n"
            "#EXTINF:215,Artist - Song\n01 a.mp3\n"
            "#EXTINF:-1,Ünë\n../CD2/b.mp3\n"
            "#EXTINF:3,Who - c.mp3\n../../other/c.mp3\n"
            "#EXTINF:4,Line break\n../d.mp3\n"
            "#EXTINF:5,#1 Hit.mp3\n./#1 Hit.mp3\n");
  ASSERT_EQ(leftOut.size(), 1u);
  EXPECT_EQ(leftOut[0].strPath, "/m/CD1/e\nf.mp3");
  EXPECT_EQ(RelativePath("/m/", "/m/a.mp3"), "a.mp3");
}

TEST(PlaylistTest, RenamedFilesAreNamedAnewAndEveryOtherByteStays) {
  const std::map<CString, CString> renamed = {{"/m/CD1/01 a.mp3", "/m/CD1/01 - Ann - One.mp3"},
                                              {"/m/CD2/b.mp3", "/m/CD2/Two.mp3"},
                                              {"/m/CD1/c.mp3", "/m/CD1/#1 Hit.mp3"}};
  struct Case {
    const char* text;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      // relative, with CRLF ends and #EXTINF lines kept
      {"#EXTM3U\r\n#EXTINF:3,Ann - One\r\n01 a.mp3\r\nkept.mp3\r\n",
       "#EXTM3U\r\n#EXTINF:3,Ann - One\r\n01 - Ann - One.mp3\r\nkept.mp3\r\n"},
      // through another folder and without a last line end; absolute stays absolute
      {"../CD2/b.mp3\n/m/CD1/01 a.mp3", "../CD2/Two.mp3\n/m/CD1/01 - Ann - One.mp3"},
      // ./ and .. resolve before comparing
      {"./x/../01 a.mp3\n", "01 - Ann - One.mp3\n"},
      // a new name that would read as a comment
      {"c.mp3\n", "./#1 Hit.mp3\n"},
      // comments, URLs and other files: no change at all
      {"#01 a.mp3\nhttp://h/01 a.mp3\n01 A.mp3\n", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(RenamedInPlaylist(c.text, "/m/CD1", renamed), c.expected) << c.text;
}
