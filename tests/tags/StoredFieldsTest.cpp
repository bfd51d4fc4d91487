// Every stored field of a file, as other programs wrote it: listed by key,
// one value edited, one field added and one deleted, saved and read back by
// mutagen with every other frame or key kept byte for byte, and the save's
// record putting the file back; names a format does not allow refused.
#include "TagsTestSupport.h"

#include <tags/AudioTagFile.h>
#include <tags/MyMP3Tags.h>
#include <tags/TagFile.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace {

using Values = std::vector<CString>;

// A field of the list by key: its values, or its summary in brackets; "missing".
std::string Shown(const std::vector<CStoredField>& fields, const std::string& key) {
  for (const CStoredField& f : fields) {
    if (f.strKey.Str() != key) continue;
    if (!f.bText) return "[" + f.strSummary.Str() + "]";
    std::string out;
    for (std::size_t i = 0; i < f.values.size(); ++i) out += (i ? "|" : "") + f.values[i].Str();
    return out;
  }
  return "missing";
}

// Each field as "key=values[summary]", in order or sorted.
std::vector<std::string> Listing(const std::vector<CStoredField>& fields, bool sorted) {
  std::vector<std::string> out;
  for (const CStoredField& f : fields) out.push_back(f.strKey.Str() + "=" + Shown({f}, f.strKey.Str()));
  if (sorted) std::sort(out.begin(), out.end());
  return out;
}

// The file's ID3v2 frames but those whose identifier and data start with one of the prefixes.
std::vector<std::string> FramesBut(const std::string& bytes, const std::vector<std::string>& prefixes) {
  std::vector<std::string> kept;
  for (const std::string& frame : test::TagFrames(bytes)) {
    const std::string idAndData = frame.substr(0, 4) + frame.substr(6);
    if (std::none_of(prefixes.begin(), prefixes.end(), [&](const std::string& p) { return idAndData.rfind(p, 0) == 0; }))
      kept.push_back(frame);
  }
  return kept;
}

// Changes a fresh value, saves it with its record, checks a new reading
// lists what the value listed, and puts the file back by the record.
// Returns mutagen's view after the save; saved looks at the saved bytes.
std::string SaveAndUndo(const CString& path, const std::function<void(CMusicFile&)>& change,
                        const std::function<void(const std::string&)>& saved, const std::string& view) {
  const std::string before = test::ReadFile(path);
  std::vector<unsigned char> record;
  std::string after;
  {
    const std::unique_ptr<CMusicFile> file = CMusicFile::Read(path);
    change(*file);
    // TagLib lays new MP4 items out in its own order.
    const auto* audio = dynamic_cast<CAudioTagFile*>(file.get());
    const bool sorted = audio && audio->Format() == AudioFormat::Mp4;
    const std::vector<std::string> pending = Listing(file->StoredFields(), sorted);
    CString reason;
    record = file->SaveRecord(&reason);
    EXPECT_FALSE(record.empty()) << reason.Str();
    EXPECT_TRUE(file->Save(&reason)) << reason.Str();
    EXPECT_EQ(pending, Listing(CMusicFile::Read(path)->StoredFields(), sorted));
    after = test::RunCommand(view);
    saved(test::ReadFile(path));
  }
  CMyMP3Tags tags;
  EXPECT_EQ(tags.RestoreSave(path, record), CRestoreResult::Restored) << tags.GetLastWriteError().Str();
  EXPECT_TRUE(test::ReadFile(path) == before) << "not put back byte for byte";
  return after;
}

CString Tagged(const test::TempDir& dir, const std::string& kind) {
  if (kind.find('.') != std::string::npos) return dir.CopyFixture(kind.c_str());
  const CString path = dir.CopyFixture("untagged.mp3", (kind + ".mp3").c_str());
  test::RunCommand("/usr/bin/python3 " QUILLORY_SOURCE_DIR "/tests/tags/make_versions.py '" + path.Str() + "' " + kind);
  return path;
}

std::string Brief(const CString& path) {
  return "/usr/bin/python3 " QUILLORY_SOURCE_DIR "/tests/tags/mutagen_view.py '" + path.Str() + "' brief";
}

// The lines of a listing that start with one of the prefixes.
std::string Lines(const std::string& listing, const std::vector<std::string>& prefixes) {
  std::istringstream in(listing);
  std::string out;
  for (std::string line; std::getline(in, line);)
    if (std::any_of(prefixes.begin(), prefixes.end(), [&](const std::string& p) { return line.rfind(p, 0) == 0; }))
      out += line + "\n";
  return out;
}

TEST(StoredFields, Id3FramesListedEditedAddedAndDeletedKeepingTheOthers) {
  struct Case {
    const char* kind;
    std::map<std::string, std::string> listed;  // key: values joined by "|", or [summary]
    std::string written;                        // mutagen's lines of the keys changed, after the save
  };
  const Case cases[] = {
      {"v24-mb",
       {{"TPE1", "Nina Simone|Ärtist Two ♫"},
        {"TXXX:MusicBrainz Artist Id", "id-one|id-two"},
        {"TXXX:REPLAYGAIN_TRACK_GAIN", "-6.50 dB"},
        {"COMM::deu", "Kommentar ♫"},
        {"USLT::deu", "Erste Zeile ♫\nZweite Zeile"},
        {"WOAR", "https://artist.example/"},
        {"APIC:Cövér", "[image/png, front cover, 72 bytes]"},
        {"UFID:http://musicbrainz.org", "[identifier f00dbabe-0000-4000-8000-000000000002]"},
        {"POPM:a@b", "[rating 196 by a@b, played 3 times]"},
        {"PRIV:WM/MediaClassPrimaryID", "[binary, 8 bytes]"}},
       "TPE1 0 Solo\n"
       "TXXX:MOOD 3 Ruhig ♫|Still\n"
       "TXXX:REPLAYGAIN_TRACK_GAIN 0 -7.25 dB\n"},
      {"v23-mb",
       {{"TPE1", "Nina Simone/Ärtist Two ♫"},
        {"TXXX:MusicBrainz Artist Id", "id-one/id-two"},
        {"TYER", "2001"},
        {"USLT::deu", "Erste Zeile ♫\nZweite Zeile"},
        {"POPM:a@b", "[rating 196 by a@b, played 3 times]"}},
       "TPE1 0 Solo\n"
       "TXXX:MOOD 1 Ruhig ♫/Still\n"
       "TXXX:REPLAYGAIN_TRACK_GAIN 0 -7.25 dB\n"},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    const CString path = Tagged(dir, c.kind);
    const std::vector<CStoredField> fields = CMusicFile::Read(path)->StoredFields();
    for (const auto& [key, shown] : c.listed) EXPECT_EQ(Shown(fields, key), shown) << key;
    const std::string before = test::ReadFile(path);
    const std::string view = SaveAndUndo(
        path,
        [](CMusicFile& file) {
          EXPECT_EQ(file.SetStored("TXXX:REPLAYGAIN_TRACK_GAIN", {"-7.25 dB"}), "");
          EXPECT_EQ(file.SetStored("TXXX:MOOD", {"Ruhig ♫", "Still"}), "");
          EXPECT_EQ(file.SetStored("PRIV:WM/MediaClassPrimaryID", {}), "");
          EXPECT_EQ(file.SetStored("TPE1", {"Solo"}), "");
          // The artist's frame is the field's.
          EXPECT_EQ(file.Get(TagField::Artist), "Solo");
          EXPECT_EQ(Shown(file.StoredFields(), "PRIV:WM/MediaClassPrimaryID"), "missing");
        },
        [&](const std::string& bytes) {
          EXPECT_EQ(FramesBut(bytes, {"TXXX", "PRIV", "TPE1"}), FramesBut(before, {"TXXX", "PRIV", "TPE1"}));
          // The TXXX frames not edited keep their bytes and their place.
          const auto txxx = [](const std::string& b) {
            std::vector<std::string> out;
            for (const std::string& f : test::TagFrames(b))
              if (f.rfind("TXXX", 0) == 0 && f.find("MusicBrainz") != std::string::npos) out.push_back(f);
            return out;
          };
          EXPECT_EQ(txxx(bytes), txxx(before));
          // The artist reaches the ID3v1 tag as a Set would take it there.
          EXPECT_EQ(bytes.substr(bytes.size() - 128 + 33, 5), std::string("Solo\0", 5));
        },
        Brief(path));
    EXPECT_EQ(Lines(view, {"TPE1", "TXXX:MOOD", "TXXX:REPLAYGAIN", "PRIV"}), c.written);
  }
}

// Keys a format does not allow, or values a field cannot take, are refused
// with the rule, and the value is left as it was.
TEST(StoredFields, RefusedChangesChangeNothing) {
  struct Case {
    const char* file;  // a fixture, or a kind of make_versions.py
    const char* key;
    Values values;
    const char* refusal;  // the start of the answer
  };
  const Case cases[] = {
      {"v24-mb", "tpe1", {"x"}, "An ID3v2 frame id is four characters A to Z and 0 to 9"},
      {"v24-mb", "APIC:Cövér", {"x"}, "APIC:Cövér is not text"},
      {"v24-mb", "TYER", {"2001"}, "ID3v2.4 has no text or link frame TYER"},
      {"v23-mb", "TDRC", {"2001"}, "ID3v2.3 has no text or link frame TDRC"},
      {"v24-mb", "COMM:x:eng", {"a", "b"}, "An ID3v2 COMM frame holds one value"},
      {"tagged.flac", "KEY=1", {"x"}, "A Vorbis comment name is made of the characters 0x20 to 0x7D except ="},
      {"tagged.flac", "", {"x"}, "A Vorbis comment name is made of the characters 0x20 to 0x7D except ="},
      {"tagged.opus", "K\x7E", {"x"}, "A Vorbis comment name is made of the characters 0x20 to 0x7D except ="},
      {"tagged.opus", "KÄY", {"x"}, "A Vorbis comment name is made of the characters 0x20 to 0x7D except ="},
      {"tagged.flac", "PICTURE", {"x"}, "PICTURE is not text"},
      {"tagged_vorbis.ogg", "METADATA_BLOCK_PICTURE", {"x"}, "METADATA_BLOCK_PICTURE is not text"},
      {"tagged_alac.m4a", "covr", {"x"}, "covr is not text"},
      {"tagged_alac.m4a", "grp", {"x"}, "An MP4 item is named by four Latin-1 characters"},
      {"tagged_alac.m4a", "----:com.apple.iTunes", {"x"}, "An MP4 item is named by four Latin-1 characters"},
      {"tagged_alac.m4a", "trkn", {"3 of 12"}, "An MP4 track must be a number or number/total"},
      {"tagged_alac.m4a", "cpil", {"2"}, "The MP4 item cpil holds one number from 0 to 1"},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    const CString path = Tagged(dir, c.file);
    const std::unique_ptr<CMusicFile> file = CMusicFile::Read(path);
    const std::vector<CStoredField> before = file->StoredFields();
    EXPECT_EQ(file->SetStored(c.key, c.values).Left(static_cast<int>(std::strlen(c.refusal))), c.refusal);
    EXPECT_FALSE(file->IsChanged());
    EXPECT_EQ(file->StoredFields().size(), before.size());
  }
}

std::string AudioView(const CString& path, const char* view) {
  return "/usr/bin/python3 " QUILLORY_SOURCE_DIR "/tests/tags/mutagen_audio.py '" + path.Str() + "' " + view;
}

// FLAC, Ogg and MP4 files as other programs wrote them: custom keys edited,
// added and deleted; keys a field reads set as the field; every other key
// and picture read back as it was.
TEST(StoredFields, VorbisCommentsAndMp4ItemsListedEditedAddedAndDeleted) {
  struct Edit {
    std::string key;
    Values values;
  };
  struct Case {
    const char* file;
    std::map<std::string, std::string> listed;
    std::vector<Edit> edits;
    std::vector<std::string> touched;  // mutagen's keys the edits change
    std::string written;               // mutagen's lines of those keys after the save
    const char* track;                 // the track field after the edits
  };
  const std::string ff = "----:com.apple.iTunes:";
  const Case cases[] = {
      {"tagged.flac",
       {{"ARTIST", "First Artist|Second Artist"},
        {"REPLAYGAIN_TRACK_GAIN", "-6.50 dB"},
        {"unknown_lower", "kept as written"},
        {"PICTURE", "[image/jpeg, front cover, 241 bytes]"}},
       {{"replaygain_track_gain", {"-7.00 dB"}}, {"Mood", {"Ruhig ♫", "Still"}}, {"MUSICBRAINZ_TRACKID", {}},
        {"TRACKTOTAL", {"13"}}, {"artist", {"Solo"}}},
       {"REPLAYGAIN_TRACK_GAIN", "MOOD", "MUSICBRAINZ_TRACKID", "TRACKTOTAL", "ARTIST"},
       "ARTIST=['Solo']\nMOOD=['Ruhig ♫', 'Still']\nREPLAYGAIN_TRACK_GAIN=['-7.00 dB']\nTRACKTOTAL=['13']\n",
       "3/13"},
      {"tagged_vorbis.ogg",
       {{"encoder", "Lavc libvorbis"}, {"METADATA_BLOCK_PICTURE", "[image/jpeg, front cover, 241 bytes]"}},
       {{"REPLAYGAIN_TRACK_GAIN", {"-7.00 dB"}}, {"MOOD", {"Ruhig ♫", "Still"}}, {"musicbrainz_trackid", {}},
        {"TRACKNUMBER", {"4"}}, {"ARTIST", {"Solo"}}},
       {"REPLAYGAIN_TRACK_GAIN", "MOOD", "MUSICBRAINZ_TRACKID", "TRACKNUMBER", "ARTIST"},
       "ARTIST=['Solo']\nMOOD=['Ruhig ♫', 'Still']\nREPLAYGAIN_TRACK_GAIN=['-7.00 dB']\nTRACKNUMBER=['4']\n",
       "4/12"},
      {"tagged_moov_end.m4a",
       {{"trkn", "3/12"}, {ff + "MusicBrainz Track Id", "0f3d0e0c-1111-2222-3333-444455556666"},
        {"covr", "[image/jpeg, 241 bytes]"}},
       {{ff + "replaygain_track_gain", {"-7.00 dB"}}, {ff + "MOOD", {"Ruhig ♫", "Still"}},
        {ff + "MusicBrainz Track Id", {}}, {"trkn", {"4/12"}}, {"tmpo", {"120"}}, {"©grp", {"Gruppe"}},
        {"©ART", {"Solo"}}},
       {ff + "replaygain", ff + "MOOD", ff + "MusicBrainz", "trkn", "tmpo", "©grp", "©ART"},
       ff + "MOOD=[b'Ruhig \\xe2\\x99\\xab', b'Still']\n" + ff + "replaygain_track_gain=[b'-7.00 dB']\n" +
           "tmpo=[120]\ntrkn=[(4, 12)]\n©ART=['Solo']\n©grp=['Gruppe']\n",
       "4/12"},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const CString path = dir.CopyFixture(c.file);
    const std::vector<CStoredField> fields = CMusicFile::Read(path)->StoredFields();
    for (const auto& [key, shown] : c.listed) EXPECT_EQ(Shown(fields, key), shown) << key;
    const std::string tagsBefore = test::RunCommand(AudioView(path, "tags"));
    const std::string picturesBefore = test::RunCommand(AudioView(path, "pictures"));
    std::vector<std::string> touched = c.touched;
    const std::string written = SaveAndUndo(
        path,
        [&](CMusicFile& file) {
          for (const Edit& e : c.edits) EXPECT_EQ(file.SetStored(CString(e.key), e.values), "") << e.key;
          EXPECT_EQ(file.Get(TagField::Artist), "Solo");
          EXPECT_EQ(file.Get(TagField::Track), c.track);
        },
        [&](const std::string&) {
          EXPECT_EQ(test::Without(test::RunCommand(AudioView(path, "tags")), touched), test::Without(tagsBefore, touched));
          EXPECT_EQ(test::RunCommand(AudioView(path, "pictures")), picturesBefore);
        },
        AudioView(path, "tags"));
    EXPECT_EQ(Lines(written, touched), c.written);
  }
}

// A stored key that is one of the program's fields is that field's frame or
// key: set either way, each reads what the other wrote; pending edits of the
// fields are listed; a value whose record was made refuses.
TEST(StoredFields, FieldsAndTheirStoredKeysAgree) {
  struct Case {
    const char* file;
    TagField field;
    const char* key;
    const char* value;
  };
  const Case cases[] = {
      {"v24-mb", TagField::Comment, "COMM::deu", "Neu ♫"},
      {"v24-mb", TagField::Lyrics, "USLT::deu", "Zeile ♫"},
      {"v24-mb", TagField::Disc, "TPOS", "2/2"},
      {"v24-mb", TagField::Year, "TDRC", "1999"},
      {"v23-mb", TagField::Year, "TYER", "1999"},
      {"v23-mb", TagField::Genre, "TCON", "Blues"},
      {"v22_full.mp3", TagField::Band, "TPE2", "Bänd"},
      {"v22_full.mp3", TagField::URL, "WXXX:", "http://new.example/"},
      {"tagged.flac", TagField::Album, "ALBUM", "Neu ♫"},
      {"tagged_vorbis.ogg", TagField::Genre, "GENRE", "Jazz"},
      {"tagged_alac.m4a", TagField::Disc, "disk", "1/2"},
      {"tagged_alac.m4a", TagField::Publisher, "----:com.apple.iTunes:LABEL", "Label ♫"},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    const CString path = Tagged(dir, c.file);
    {
      const std::unique_ptr<CMusicFile> file = CMusicFile::Read(path);
      EXPECT_EQ(file->SetStored(c.key, {c.value}), "");
      EXPECT_EQ(file->Get(c.field), c.value);
    }
    const std::unique_ptr<CMusicFile> file = CMusicFile::Read(path);
    EXPECT_EQ(file->Set(c.field, c.value), "");
    EXPECT_EQ(Shown(file->StoredFields(), c.key), c.value);
    // The same value again is nothing to do; after the record, a change is refused.
    EXPECT_EQ(file->SetStored(c.key, {c.value}), "");
    CString reason;
    ASSERT_FALSE(file->SaveRecord(&reason).empty()) << reason.Str();
    EXPECT_NE(file->SetStored(c.key, {"Later"}), "");
    EXPECT_EQ(file->Get(c.field), c.value);
  }
}

// Stored edits and a conversion of the tag's version in either order: one
// save writes both, as the other version's standard says, and its record
// puts the file back.
TEST(StoredFields, EditsAndVersionConversionsCombine) {
  const auto stored = [](CMusicFile& file) {
    EXPECT_EQ(file.SetStored("TXXX:CATALOGNUMBER", {"QL-001"}), "");
    EXPECT_EQ(file.SetStored("TXXX:MusicBrainz Album Id", {}), "");
    EXPECT_EQ(file.SetStored("USLT::deu", {"Neue Zeile ♫"}), "");
    EXPECT_EQ(file.SetStored("TPOS", {"2/2"}), "");
  };
  const auto convert = [](CMusicFile& file) {
    auto& mp3 = dynamic_cast<CTagFile&>(file);
    EXPECT_EQ(mp3.SetTagVersion(TagTarget::Id3v23), "");
    EXPECT_EQ(mp3.SetV1Tag(false), "");
  };
  const std::vector<std::function<void(CMusicFile&)>> orders[] = {{stored, convert}, {convert, stored}};
  test::TempDir dir;
  for (const auto& steps : orders) {
    const CString path = Tagged(dir, "v24-mb");
    const std::string view = SaveAndUndo(
        path, [&](CMusicFile& file) { for (const auto& step : steps) step(file); },
        [](const std::string& bytes) { EXPECT_NE(bytes.substr(bytes.size() - 128, 3), "TAG"); }, Brief(path));
    EXPECT_EQ(Lines(view, {"v2", "TXXX", "USLT", "TPOS", "TPE1", "TYER"}),
              "v2.3\nTPE1 1 Nina Simone/Ärtist Two ♫\nTPOS 0 2/2\n"
              "TXXX:CATALOGNUMBER 0 QL-001\nTXXX:MusicBrainz Artist Id 1 id-one/id-two\n"
              "TXXX:REPLAYGAIN_TRACK_GAIN 0 -6.50 dB\nTYER 0 2001\nUSLT::deu 1 Neue Zeile ♫\n");
  }
}

}  // namespace
