// quillory-cli as scripts use it: the built program run on copies of real
// MP3 files, its exit status, what it prints, and the files afterwards, read
// back byte for byte and by another program (mutagen).
#include <core/FolderSession.h>
#include <core/RowCommands.h>
#include <core/Spreadsheet.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

namespace fs = std::filesystem;

namespace {

std::string Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::string Quoted(const std::string& arg) {
  std::string quoted = "'";
  for (char ch : arg) quoted += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
  return quoted + "'";
}

// What a shell command prints.
std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    pclose(pipe);
  }
  return out;
}

struct Result {
  int status = -1;
  std::string out, err;
};

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/quillory-cli-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_root = fs::canonical(pattern);
    fs::create_directories(m_root / "m" / "CD2");
    const fs::path fixtures = QUILLORY_FIXTURES_DIR;
    fs::copy_file(fixtures / "cbr_v23_latin1.mp3", m_root / "m" / "a.mp3");
    fs::copy_file(fixtures / "v24.mp3", m_root / "m" / "b.mp3");
    fs::copy_file(fixtures / "untagged.mp3", m_root / "m" / "c.mp3");
    fs::copy_file(fixtures / "cbr_v23_utf16.mp3", m_root / "m" / "CD2" / "d10.mp3");
    fs::copy_file(fixtures / "cbr_v23_latin1.mp3", m_root / "m" / "CD2" / "d9.mp3");
    // The journal of saves lives beside the music, never in the user's own.
    setenv("XDG_STATE_HOME", (m_root / "state").c_str(), 1);
  }
  void TearDown() override { fs::remove_all(m_root); }

  std::string m_strRunAs;  // a command that runs quillory-cli as another user

  // Runs quillory-cli in the test's folder; input, when given, is its standard input.
  Result Run(const std::vector<std::string>& args, const std::string& input = {}) {
    std::string command = "cd " + Quoted(m_root.string()) + " && " + m_strRunAs + Quoted(QUILLORY_CLI);
    for (const std::string& arg : args) command.append(" ").append(Quoted(arg));
    if (!input.empty()) {
      std::ofstream(m_root / "stdin", std::ios::binary) << input;
      command += " <stdin";
    }
    command += " >out 2>err";
    Result result;
    const int status = std::system(command.c_str());
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = Bytes(m_root / "out");
    result.err = Bytes(m_root / "err");
    return result;
  }
  // Every file below m, by its path there, with a digest of its bytes.
  std::map<std::string, std::size_t> Disk() const {
    std::map<std::string, std::size_t> files;
    for (const auto& item : fs::recursive_directory_iterator(m_root / "m"))
      if (item.is_regular_file())
        files[fs::relative(item.path(), m_root / "m").string()] = std::hash<std::string>()(Bytes(item.path()));
    return files;
  }
  // What mutagen reads as a frame of each file: "a.mp3=X;b.mp3=-;...".
  std::string Mutagen(const char* frame) const {
    const std::string command = "cd " + Quoted((m_root / "m").string()) +
                                " && /usr/bin/python3 -c \"import sys, glob, mutagen.id3\n"
                                "for f in sorted(glob.glob('**/*.mp3', recursive=True)):\n"
                                "  t = mutagen.id3.ID3(f) if open(f, 'rb').read(3) == b'ID3' else {}\n"
                                "  print(f + '=' + (str(t['" + frame + "'].text[0]) if '" + frame +
                                "' in t else '-'), end=';')\"";
    return Output(command);
  }

  fs::path m_root;
};

}  // namespace

TEST_F(CliTest, BadUsageAndBadInputAreRefusedWithStatus2AndNothingWritten) {
  const auto before = Disk();
  std::ofstream(m_root / "notes.txt") << "not music";
  struct Case {
    std::vector<std::string> args;
    std::string input;
    const char* error;  // a part of what standard error says
  } cases[] = {
      {{}, "", "quillory-cli [-r] [-n] [-q] COMMAND"},
      {{"-x", "list", "m"}, "", "unknown option -x"},
      {{"frob", "m"}, "", "unknown command \"frob\""},
      {{"set", "artst=X", "m"}, "", "no field is called \"artst\""},
      {{"set", "bitrate=1", "m"}, "", "that can be written"},
      {{"set", "title=\xff", "m"}, "", "The value of title is not UTF-8 text"},
      {{"get", "nope", "m"}, "", "no field is called \"nope\""},
      {{"set", "artist=X", "m", "m/none.mp3"}, "", "m/none.mp3: no such file or folder"},
      {{"set", "artist=X", "notes.txt"}, "", "notes.txt: not a music file"},
      {{"from-names", "%nope%", "m"}, "", "Unknown placeholder %nope%"},
      {{"from-names", "just text", "m"}, "", "Nothing was written"},
      {{"format", "title", "--replace", "(", "x", "--regex", "m"}, "", "is not valid"},
      {{"format", "title", "--case", "sideways", "m"}, "", "--case is title, lower, upper or first"},
      {{"number", "--start", "x", "m"}, "", "--start takes a number"},
      {{"cover", "--set", "m/a.mp3", "m"}, "", "cannot be a cover"},
      {{"cover", "--set", "x", "--remove", "m"}, "", "cover takes one of"},
      {{"export", "--csv", "m/b.mp3", "m/a.mp3"}, "", "m/b.mp3 is the name of a music file"},
      {{"playlist", "m/a.MP3", "m"}, "", "m/a.MP3 is the name of a music file"},
      {{"import", "--csv", "-", "m"}, "key,artst\na,X\n", "line 1, column 2: no field is called \"artst\""},
      {{"import", "--csv", "-", "m"}, "key,artist\na,\"X\nb,Y\n", "line 2: a quoted cell is not closed"},
      {{"import", "--csv", "-", "m"}, "key,artist\nb,Y\n../a,X\n", "line 3: the key \"../a\" names no file inside"},
  };
  for (const Case& c : cases) {
    const Result result = Run(c.args, c.input);
    const std::string shown = c.args.empty() ? "(none)" : c.args.front() + " " + c.input;
    EXPECT_EQ(result.status, 2) << shown << result.err;
    EXPECT_NE(result.err.find(c.error), std::string::npos) << shown << ": " << result.err;
    EXPECT_EQ(Disk(), before) << shown;
  }
  EXPECT_FALSE(fs::exists(m_root / "state" / "quillory"));
  const Result help = Run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("quillory-cli [-r] [-n] [-q] COMMAND ARGS...\n", 0), 0u);
}

TEST_F(CliTest, SetIsWhatMutagenReadsAndUndoLastSaveGivesBackEveryByte) {
  const auto before = Disk();
  const Result dry = Run({"-n", "-r", "set", "album=Ünïcode ♫", "comment=", "m"});
  EXPECT_EQ(dry.status, 0) << dry.err;
  EXPECT_NE(dry.out.find("m/a.mp3: album: \"Album Ünë\" -> \"Ünïcode ♫\""), std::string::npos) << dry.out;
  EXPECT_NE(dry.out.find("m/CD2/d10.mp3: comment: \"A comment\" -> \"\""), std::string::npos) << dry.out;
  EXPECT_EQ(Disk(), before);

  const Result set = Run({"-r", "-q", "set", "album=Ünïcode ♫", "comment=", "--", "m"});
  EXPECT_EQ(set.status, 0) << set.err;
  EXPECT_EQ(set.out, "");
  EXPECT_EQ(Mutagen("TALB"), "CD2/d10.mp3=Ünïcode ♫;CD2/d9.mp3=Ünïcode ♫;a.mp3=Ünïcode ♫;b.mp3=Ünïcode ♫;c.mp3=Ünïcode ♫;");
  EXPECT_EQ(Mutagen("COMM::eng"), "CD2/d10.mp3=-;CD2/d9.mp3=-;a.mp3=-;b.mp3=-;c.mp3=-;");
  const Result got = Run({"get", "album", "m/b.mp3", "m/CD2/d9.mp3"});
  EXPECT_EQ(got.out, "m/b.mp3\tÜnïcode ♫\nm/CD2/d9.mp3\tÜnïcode ♫\n");

  const Result undo = Run({"undo-last-save", "m"});
  EXPECT_EQ(undo.status, 0) << undo.err;
  EXPECT_EQ(Disk(), before);

  // An expression that would take for ever on a long value is refused, not run to the end.
  ASSERT_EQ(Run({"set", "title=" + std::string(20000, 'a') + "!", "m/c.mp3"}).status, 0);
  const auto longTitle = Disk();
  const Result slow = Run({"format", "title", "--replace", "(a+)+$", "x", "--regex", "m"});
  EXPECT_EQ(slow.status, 2);
  EXPECT_NE(slow.err.find("is refused"), std::string::npos) << slow.err;
  EXPECT_EQ(slow.err.find(".;"), std::string::npos) << slow.err;
  EXPECT_EQ(Disk(), longTitle);
  ASSERT_EQ(Run({"undo-last-save", "m"}).status, 0);

  const Result again = Run({"undo-last-save", "m"});
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.err.find("no save of m to undo"), std::string::npos) << again.err;
}

TEST_F(CliTest, ExportThenImportChangesNoByteAndAnEditedCellReachesOnlyItsFile) {
  const auto before = Disk();
  ASSERT_EQ(Run({"-r", "export", "--csv", "out.csv", "--bom", "m"}).status, 0);
  std::string csv = Bytes(m_root / "out.csv");
  ASSERT_EQ(csv.rfind("\xEF\xBB\xBFkey,artist,album,title,track,", 0), 0u) << csv;
  EXPECT_NE(csv.find("\r\nCD2/d9,Latin Artist,"), std::string::npos) << csv;
  const Result same = Run({"-r", "import", "--csv", "out.csv", "m"});
  EXPECT_EQ(same.status, 0) << same.err;
  EXPECT_EQ(same.out, "Nothing to change.\n");
  EXPECT_EQ(Disk(), before);

  // One cell edited; the facts (size, tag...) edited too are ignored.
  csv.replace(csv.find("\r\nCD2/d9,Latin Artist,"), 22, "\r\nCD2/d9,\"Edited, Artist\",");
  csv.replace(csv.find("ID3v2.4"), 7, "ID3v9.9");
  std::ofstream(m_root / "out.csv", std::ios::binary) << csv;
  const Result dry = Run({"-n", "import", "--csv", "out.csv", "m"});
  EXPECT_EQ(dry.out, "m/CD2/d9.mp3: artist: \"Latin Artist\" -> \"Edited, Artist\"\n"
                     "1 file would be written (dry run: nothing was written).\n");
  EXPECT_EQ(Disk(), before);
  EXPECT_EQ(Run({"import", "--csv", "out.csv", "m"}).status, 0);
  EXPECT_EQ(Mutagen("TPE1"), "CD2/d10.mp3=日本語の歌手;CD2/d9.mp3=Edited, Artist;a.mp3=Latin Artist;b.mp3=V24 Artist;c.mp3=-;");
  auto after = Disk();
  EXPECT_NE(after["CD2/d9.mp3"], before.at("CD2/d9.mp3"));
  after["CD2/d9.mp3"] = before.at("CD2/d9.mp3");
  EXPECT_EQ(after, before);

  // A missing file and a key given twice are refused; the other rows are written.
  const Result partly = Run({"import", "--csv", "-", "m"}, "key,title\ngone,X\na,One\na,Two\nb,New\n");
  EXPECT_EQ(partly.status, 1);
  EXPECT_NE(partly.err.find("line 2: there is no file \"gone.mp3\""), std::string::npos) << partly.err;
  EXPECT_NE(partly.err.find("line 3: the key \"a\" is on line 4 too"), std::string::npos) << partly.err;
  EXPECT_EQ(Mutagen("TIT2"), "CD2/d10.mp3=Björk – Jóga ♫;CD2/d9.mp3=Café del Mar;a.mp3=Café del Mar;b.mp3=New;c.mp3=-;");

  const Result json = Run({"list", "--json", "m/c.mp3"});
  EXPECT_EQ(json.out.substr(0, 30), "[\n  {\"key\": \"c\", \"artist\": \"-\"");
}

// A name that is not UTF-8 (Latin-1, from an old disk) is exported as the
// characters it is read as, so the sheet is UTF-8; read back, its row names
// that file.
TEST_F(CliTest, ASheetIsUtf8AndALatin1NameInItReachesItsFile) {
  fs::copy_file(fs::path(QUILLORY_FIXTURES_DIR) / "cbr_v23_latin1.mp3", m_root / "m" / "caf\xE9.mp3");
  ASSERT_EQ(Run({"export", "--csv", "out.csv", "m"}).status, 0);
  std::string csv = Bytes(m_root / "out.csv");
  EXPECT_TRUE(IsUtf8(csv));
  const std::size_t row = csv.find("\r\ncaf\xC3\xA9,Latin Artist,");
  ASSERT_NE(row, std::string::npos) << csv;
  std::ofstream(m_root / "out.csv", std::ios::binary) << csv.replace(row, 21, "\r\ncaf\xC3\xA9,Edited,");
  const Result edited = Run({"import", "--csv", "out.csv", "m"});
  EXPECT_EQ(edited.status, 0) << edited.err;
  EXPECT_EQ(Run({"get", "artist", "m/caf\xE9.mp3"}).out, "m/caf\xE9.mp3\tEdited\n");
}

// A file that cannot be read whole is named with its reason by every
// command, as the save names it, and the status says not all was done; a
// dry run of the save, or of its undo, names what they would refuse and
// writes nothing. A folder that cannot be read is named too.
TEST_F(CliTest, WhatCannotBeReadIsNamedAndTheStatusSaysSo) {
  const fs::path fixtures = QUILLORY_FIXTURES_DIR;
  fs::copy_file(fixtures / "bad_cut.flac", m_root / "m" / "cut.flac");
  fs::copy_file(fixtures / "notmpeg_ogg.mp3", m_root / "m" / "ogg.mp3");
  const std::string named = "m/cut.flac: The FLAC metadata block 5 runs past the end of the file.\n"
                            "m/ogg.mp3: The file is not MPEG audio (it looks like an Ogg Vorbis file).\n";
  auto before = Disk();
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"list", "m"}, {"get", "artist", "m"}, {"export", "--csv", "-", "m"}, {"-n", "set", "artist=Z", "m"}}) {
    const Result shown = Run(args);
    EXPECT_EQ(shown.status, 1) << args[0];
    EXPECT_EQ(shown.err, named) << args[0];
    EXPECT_NE(shown.out.find(args[0] == "-n" ? "\n3 files would be written" : "cut.flac"), std::string::npos) << shown.out;
  }
  EXPECT_EQ(Disk(), before);
  EXPECT_EQ(Run({"set", "artist=Z", "m"}).err, named);
  std::ofstream(m_root / "m" / "b.mp3", std::ios::app) << "another program's bytes";
  before = Disk();
  const Result undo = Run({"-n", "undo-last-save", "m"});
  EXPECT_EQ(undo.status, 1);
  EXPECT_EQ(undo.err, "m/b.mp3: Its size changed since the save (it would be left alone)\n");
  EXPECT_EQ(Disk(), before);
  fs::remove(m_root / "m" / "cut.flac");
  fs::remove(m_root / "m" / "ogg.mp3");

  if (::geteuid() == 0) {
    // Root reads every folder: the command runs as nobody.
    if (std::system("setpriv --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no setpriv to run as another user";
    m_strRunAs = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    fs::permissions(m_root, fs::perms::all);
  }
  fs::permissions(m_root / "m" / "CD2", fs::perms::none);
  const Result listed = Run({"-r", "list", "m"});
  fs::permissions(m_root / "m" / "CD2", fs::perms::owner_all);
  EXPECT_EQ(listed.status, 1);
  EXPECT_EQ(listed.err, "m: 1 folder could not be read; the music files in it were left out.\n");
  EXPECT_NE(listed.out.find("\nc\t"), std::string::npos) << listed.out;
  EXPECT_EQ(listed.out.find("d9"), std::string::npos) << listed.out;
}

TEST_F(CliTest, TracksAreNumberedPerFolderAndThePlaylistNamesTheFilesFromItsFolder) {
  ASSERT_EQ(Run({"-r", "number", "--total", "--disc", "m"}).status, 0);
  // Each folder's files are listed, numbered and put in playlists in natural order.
  EXPECT_EQ(Run({"-r", "get", "track", "m"}).out,
            "m/a.mp3\t1/3\nm/b.mp3\t2/3\nm/c.mp3\t3/3\nm/CD2/d9.mp3\t1/2\nm/CD2/d10.mp3\t2/2\n");
  // The disc from the folder named CD2; the files beside it keep theirs.
  EXPECT_EQ(Run({"-r", "get", "disc", "m"}).out, "m/a.mp3\t-\nm/b.mp3\t-\nm/c.mp3\t-\nm/CD2/d9.mp3\t2/2\nm/CD2/d10.mp3\t2/2\n");
  ASSERT_EQ(Run({"playlist", "m/CD2/all.m3u8", "m/a.mp3", "m/CD2"}).status, 0);
  EXPECT_EQ(Bytes(m_root / "m" / "CD2" / "all.m3u8"),
            "#EXTM3U\n#EXTINF:1,Latin Artist - Café del Mar\n../a.mp3\n"
            "#EXTINF:1,Latin Artist - Café del Mar\nd9.mp3\n#EXTINF:1,日本語の歌手 - Björk – Jóga ♫\nd10.mp3\n");
}

TEST_F(CliTest, PatternsAndCoversRefuseTheFilesTheyCannotDoAndAreUndoneWithTheirRenames) {
  const auto before = Disk();
  const Result renamed = Run({"to-names", "%track:2% %title%", "m"});
  EXPECT_EQ(renamed.status, 1);
  EXPECT_NE(renamed.err.find("m/c.mp3: %track% is empty. It keeps its name."), std::string::npos) << renamed.err;
  EXPECT_TRUE(fs::exists(m_root / "m" / "03 Café del Mar.mp3"));
  EXPECT_TRUE(fs::exists(m_root / "m" / "c.mp3"));
  const Result read = Run({"from-names", "%track% %title%", "m"});
  EXPECT_EQ(read.status, 1);  // c.mp3 does not fit the pattern
  EXPECT_NE(read.err.find("m/c.mp3: its name does not fit the pattern"), std::string::npos) << read.err;
  EXPECT_EQ(Mutagen("TRCK"), "03 Café del Mar.mp3=03;03 Four Ünicode ♫.mp3=03;CD2/d10.mp3=3/12;CD2/d9.mp3=3/12;c.mp3=-;");
  ASSERT_EQ(Run({"undo-last-save", "m"}).status, 0);
  ASSERT_EQ(Run({"undo-last-save", "m"}).status, 0);  // the renames too
  EXPECT_EQ(Disk(), before);

  ASSERT_EQ(Run({"cover", "--set", std::string(QUILLORY_FIXTURES_DIR) + "/cover_front.jpg", "m/a.mp3", "m/c.mp3"}).status, 0);
  fs::create_directory(m_root / "covers");
  // A link that leads nowhere takes its name too: it stays, and the picture gets a number.
  fs::create_symlink(m_root / "nowhere.jpg", m_root / "covers" / "c.jpg");
  ASSERT_EQ(Run({"cover", "--extract", "covers", "m"}).status, 0);
  EXPECT_EQ(Bytes(m_root / "covers" / "Latin Artist - Album Ünë.jpg"),
            Bytes(fs::path(QUILLORY_FIXTURES_DIR) / "cover_front.jpg"));
  EXPECT_TRUE(fs::is_symlink(m_root / "covers" / "c.jpg"));
  EXPECT_TRUE(fs::exists(m_root / "covers" / "c (2).jpg"));
  EXPECT_TRUE(fs::exists(m_root / "covers" / "V24 Artist - Album Ünë.png"));
  ASSERT_EQ(Run({"cover", "--remove", "m"}).status, 0);
  EXPECT_EQ(Mutagen("APIC:"), "CD2/d10.mp3=-;CD2/d9.mp3=-;a.mp3=-;b.mp3=-;c.mp3=-;");
  ASSERT_EQ(Run({"undo-last-save", "m"}).status, 0);
  ASSERT_EQ(Run({"undo-last-save", "m"}).status, 0);
  EXPECT_EQ(Disk(), before);
}

// FLAC, Ogg and MP4 files are taken like MP3 files: listed by their keys
// (with their extension), read, set as several values, given a cover, and
// undone to the byte.
TEST_F(CliTest, EveryFormatIsReadSetCoveredAndUndoneLikeMp3Files) {
  const fs::path fixtures = QUILLORY_FIXTURES_DIR;
  fs::copy_file(fixtures / "tagged.flac", m_root / "m" / "e.flac");
  fs::copy_file(fixtures / "tagged_alac.m4a", m_root / "m" / "CD2" / "f.m4a");
  fs::copy_file(fixtures / "tagged_vorbis.ogg", m_root / "m" / "g.ogg");
  const auto before = Disk();
  EXPECT_EQ(Run({"get", "artist", "m/e.flac", "m/CD2/f.m4a"}).out,
            "m/e.flac\tFirst Artist; Second Artist\nm/CD2/f.m4a\tFirst Artist; Second Artist\n");
  const Result listed = Run({"-r", "list", "--csv", "m"});
  for (const char* key : {"\nCD2/f.m4a,", "\ne.flac,", "\ng.ogg,", "\na,"})
    EXPECT_NE(listed.out.find(key), std::string::npos) << key << listed.out;
  ASSERT_EQ(Run({"-r", "-q", "set", "composer=X; Y", "--", "m/e.flac", "m/CD2/f.m4a", "m/g.ogg"}).status, 0);
  ASSERT_EQ(Run({"cover", "--set", (fixtures / "cover_other.png").string(), "m/g.ogg"}).status, 0);
  const std::string command = "cd " + Quoted((m_root / "m").string()) +
                              " && /usr/bin/python3 -c \"import mutagen\n"
                              "for f, k in [('e.flac', 'composer'), ('CD2/f.m4a', '\u00a9wrt'), ('g.ogg', 'composer')]:\n"
                              "  print(f, mutagen.File(f).tags[k], end=';')\n"
                              "print(len(mutagen.File('g.ogg').tags['metadata_block_picture']), end='')\"";
  const std::string out = Output(command);
  // Two values each; the new front cover replaced the old one beside the other picture.
  EXPECT_EQ(out, "e.flac ['X', 'Y'];CD2/f.m4a ['X', 'Y'];g.ogg ['X', 'Y'];2");
  ASSERT_EQ(Run({"undo-last-save", "m"}).status, 0);
  ASSERT_EQ(Run({"undo-last-save", "m"}).status, 0);
  EXPECT_EQ(Disk(), before);
}

TEST_F(CliTest, TheWindowsSessionAndTheCommandLineUndoEachOthersSaves) {
  const auto before = Disk();
  {
    // A save as the window makes it, undone from the command line.
    CFolderSession session;
    session.Open((m_root / "m").c_str(), false);
    CPackedCells wanted;
    wanted.Set(ColumnOf(kArtist), "By the window");
    std::vector<RowId> ids;
    for (int row = 0; row < session.Rows().Rows(); ++row) ids.push_back(session.Table().IdOf(row));
    ASSERT_EQ(session.SetCells(ids, wanted, "Edit"), 3);
    ASSERT_EQ(session.Save(ids, {}, nullptr).nWritten, 3);
  }
  EXPECT_EQ(Mutagen("TPE1"), "CD2/d10.mp3=日本語の歌手;CD2/d9.mp3=Latin Artist;a.mp3=By the window;b.mp3=By the window;c.mp3=By the window;");
  ASSERT_EQ(Run({"undo-last-save", "m"}).status, 0);
  EXPECT_EQ(Disk(), before);

  // And the other way round.
  ASSERT_EQ(Run({"set", "year=2001", "m"}).status, 0);
  CFolderSession session;
  session.SetFolder((m_root / "m").c_str(), false);
  CString problem;
  const std::optional<JournalEntry> entry = session.LastSave(problem, nullptr);
  ASSERT_TRUE(entry) << problem;
  EXPECT_EQ(entry->files.size(), 3u);
  session.UndoSave(*entry, {});
  EXPECT_EQ(Disk(), before);
}
