#pragma once
// CTagFile: one MP3 file's tags as a value. Read gives the file's ID3 text
// frames, cover, tag types, MPEG facts and identity from one reading of it;
// the setters change the value only; SaveRecord gives what a save will
// replace (for a journal) and Save writes exactly that rendering, then holds
// what the file holds without reading it again:
//   std::unique_ptr<CTagFile> file = CTagFile::Read(path);
//   if (file->Identity() != loaded) ... changed on disk since it was loaded ...
//   file->Set(TagField::Artist, "..."); ...
//   if (!file->IsChanged()) ... nothing to write ...
//   record = file->SaveRecord(&reason);      // empty: cannot be saved (reason)
//   journal.Add(path, record);
//   if (!file->Save(&reason, &batch)) ... not saved (reason) ...
//   ... batch.Commit(): each outcome says whether its file was saved ...
// The rules of reading and writing (which library reads which tag, what
// a setter stores, what is refused) are CMyMP3Tags's, which is built on this.
// A value keeps its file mapped until it is destroyed: hold a batch's worth
// of them, not a folder's.
#include <base/String.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CWriteBatch;

// The text fields the program shows: the fifteen of the columns in their
// order, then the disc ("1/2" as written) and the unsynchronised lyrics.
enum class TagField {
  Artist, Album, Title, Comment, Track, Year, Composer, Copyright, EncodedBy,
  OriginalArtist, URL, Band, Publisher, Conductor, Genre, Disc, Lyrics
};
// How many there are, for tables indexed by them.
constexpr int kTagFieldCount = static_cast<int>(TagField::Lyrics) + 1;

// The ID3v2 versions a tag can be converted to.
enum class TagTarget { Id3v23, Id3v24 };

// What became of one file of a batch of saves.
struct CWriteOutcome {
  CString strPath;   // as it was read
  CString strError;  // empty: saved, the new tag is on the disk; else why not
};

// A tag's front cover, or what an image's own bytes say of it.
struct CCoverArt {
  CString strMime;          // as the tag names it ("image/jpeg"); an ID3v2.2 format as a MIME type
  CString strFormat;        // "JPEG" or "PNG" when the bytes are one, whatever the MIME type says
  int nWidth = 0;           // pixels, from the image's own header; 0 when it does not say
  int nHeight = 0;
  std::size_t nBytes = 0;   // of the image
  std::string strData;      // the image itself (empty from a summary)
  int nType = -1;           // a tag's picture: its type as ID3 numbers them (3: front cover)
  int nIndex = 0;           // its place among the tag's pictures, from 0
  int nPictures = 0;        // how many pictures the tag holds
};

// One state of a file on the disk: where it lies, its size and modification
// time, and a digest of the bytes other taggers change (the whole ID3v2
// region, the first 4 KB of the audio, the last 4 KB of the file, where
// ID3v1, Lyrics3 and APE tags end). Another program that writes a tag, or
// puts another file in its place, changes it.
struct CFileIdentity {
  std::uint64_t nDevice = 0;
  std::uint64_t nInode = 0;
  long long nSize = -1;  // -1: unknown (not read)
  long long nMtimeNs = 0;
  std::uint64_t nTagDigest = 0;

  bool IsKnown() const { return nSize >= 0; }
  bool operator==(const CFileIdentity&) const = default;
};

// The MPEG facts of a file's first audio frame and its playing time.
struct CMpegFacts {
  int nLayer = 0;        // 1 = III, 2 = II, 3 = I
  int nVersion = 0;      // 0 = 2.5, 2 = 2.0, 3 = 1.0
  int nBitRate = 0;      // of the first frame, bits per second
  int nVbrBitRate = 0;   // the average of a variable bit rate; 0 for a constant one
  int nChannelMode = 0;  // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
  int nSampleRate = 0;
  int nSeconds = 0;
};

// Saves of many values flushed together (Save's batch): a saved file's new
// bytes reach the disk, and a new file takes its original's name, only at a
// commit, which says for each file written since the last one whether it
// was saved. The destructor commits what is pending.
class CSaveBatch {
 public:
  CSaveBatch();
  ~CSaveBatch();
  CSaveBatch(const CSaveBatch&) = delete;
  CSaveBatch& operator=(const CSaveBatch&) = delete;
  // True when the batch holds as many files or bytes as one flush should take.
  bool IsFull() const;
  // wait, when given, is called about every 10 ms while the disk works.
  std::vector<CWriteOutcome> Commit(const std::function<void()>& wait = {});
  // Waits for the commit started before, if any, and returns its outcomes
  // (with any made meanwhile); then starts committing what was saved since
  // and returns at once: those files are flushed and renamed while the
  // caller saves the next ones. A save of a file still being committed
  // waits for it first.
  std::vector<CWriteOutcome> CommitInBackground(const std::function<void()>& wait = {});

 private:
  friend class CTagFile;
  friend class CAudioTagFile;
  std::unique_ptr<CWriteBatch> m_pBatch;
};

// The facts of a file's audio stream as the table's columns show them;
// "-" where the file has none (an MP3 file's MPEG layer and version only).
struct CStreamColumns {
  CString strBitRate = "-";     // "128 kbit/s", "245 kbit/s (VBR)"
  CString strSampleRate = "-";  // "44100"
  CString strSeconds = "-";     // whole seconds: "215"
  CString strLayer = "-";       // "III"
  CString strVersion = "-";     // "1.0"
  CString strChannel = "-";     // "Joint Stereo", "Stereo", "Mono", "6 channels"
};

// One field of a file as it is stored: an ID3 frame, a Vorbis comment key, an MP4 atom.
struct CStoredField {
  CString strKey;               // its identity, as StoredFields gives it and SetStored takes it
  std::vector<CString> values;  // its text values (several for a multi-value field); empty when not text
  CString strSummary;           // what is not text: "image/jpeg, front cover, 48213 bytes", "rating 196 by a@b",
                                // "binary, 120 bytes"; empty for text
  bool bText = false;           // true: values can be edited through SetStored
};

// One music file's tags as a value, whatever its format: CTagFile for an
// MP3 file, CAudioTagFile for FLAC, Ogg Vorbis, Ogg Opus and MP4. Each
// keeps the same promises (see CTagFile); the folder works on this.
class CMusicFile {
 public:
  // Reads the file as its name says it is (an ".mp3" name as MP3, the other
  // formats' names by their bytes). Never null: a file that cannot be read
  // gives a value whose fields are "-" and that cannot be saved; reason,
  // when given, receives why it cannot be saved (empty when it can).
  static std::unique_ptr<CMusicFile> Read(const CString& path, CString* reason = nullptr);
  // The file's identity as it is now, read as Read would read it.
  static CFileIdentity ReadIdentity(const CString& path);
  virtual ~CMusicFile() = default;

  virtual const CString& Path() const = 0;
  virtual CFileIdentity Identity() const = 0;
  virtual long FileSize() const = 0;
  // The Tag column: "ID3v2.3 + ID3v1", "FLAC, Vorbis comment", "AAC, MP4 ilst"...
  virtual CString TagVersion() const = 0;
  virtual CString WriteRefusal() const = 0;
  virtual bool WasChangedWhileRead() const = 0;
  virtual CStreamColumns StreamColumns() const = 0;

  virtual CString Get(TagField field) const = 0;
  virtual CString Set(TagField field, const CString& value) = 0;
  virtual CString Remove(TagField field) = 0;
  virtual bool GetFrontCover(CCoverArt* cover, bool withBytes = true) const = 0;
  virtual CString SetFrontCover(const std::string& image) = 0;
  virtual CString RemoveFrontCover(const CCoverArt& shown) = 0;

  // Every field the tag holds, in the order stored (the value's pending edits included: what a save would write).
  //   ID3: a text or link frame by its id ("TPE1", "WOAR"); "TXXX:<description>", "WXXX:<description>",
  //   "COMM:<description>:<lang>", "USLT:<description>:<lang>"; other frames, not text, as "<ID>" or
  //   "<ID>:<owner or description>" (APIC, UFID, PRIV, POPM, GEOB). A v2.2 tag is listed as the v2.3
  //   tag it is saved as.
  //   Vorbis comments: each key as stored (its values together); pictures as METADATA_BLOCK_PICTURE
  //   (Ogg) or PICTURE (FLAC blocks), not text.
  //   MP4: each ilst item by its atom ("©ART", "trkn" as "3/12", "----:<mean>:<name>"); covr not text.
  virtual std::vector<CStoredField> StoredFields() const = 0;
  // Sets the field of that key to values (several: as the format keeps several values; added when the
  // file has none), or with values empty removes every field of that key (text or not). A change of the
  // value only, as Set is; empty when done or nothing to do; else why not, with the rule for a key the
  // format does not allow ("A Vorbis comment name is made of the characters 0x20 to 0x7D except =").
  virtual CString SetStored(const CString& key, const std::vector<CString>& values) = 0;

  virtual bool IsChanged() const = 0;
  virtual std::vector<unsigned char> SaveRecord(CString* reason = nullptr) = 0;
  virtual bool Save(CString* reason, CSaveBatch* batch = nullptr) = 0;
};

class CTagFile : public CMusicFile {
 public:
  // Reads the file (by its real name on disk). Never null: a file that
  // cannot be read gives a value whose fields are all "-" and that cannot
  // be saved. reason, when given, receives why the file cannot be saved
  // (not readable, empty, damaged, not MPEG audio, changed while it was
  // read); empty when it can.
  static std::unique_ptr<CTagFile> Read(const CString& path, CString* reason = nullptr);
  ~CTagFile() override;
  CTagFile(const CTagFile&) = delete;
  CTagFile& operator=(const CTagFile&) = delete;

  const CString& Path() const override;
  // The file as it was read, or as the last Save left it (in a batch: as
  // its commit will leave it); unknown when it could not be read.
  CFileIdentity Identity() const override;
  long FileSize() const override;
  bool HasV1Tag() const;
  bool HasV2Tag() const;
  bool HasLyricsTag() const;
  // "ID3v2.3 + ID3v1", "ID3v2.4", "ID3v1", "none", "ID3v2.3 (damaged)"...
  // as the value will be saved (a conversion or a removal made counts).
  CString TagVersion() const override;
  // Why the value cannot be saved; empty when it can.
  CString WriteRefusal() const override;
  bool WasChangedWhileRead() const override;
  // False when the file holds no MPEG audio frame (then facts is untouched).
  bool GetMpegFacts(CMpegFacts* facts) const;
  CStreamColumns StreamColumns() const override;

  // The field as the value holds it, "-" when the tag has none. The genre
  // is shown by name for an ID3v1-only file's "(17)".
  CString Get(TagField field) const override;
  // Changes the value only. Empty when done, or when value is what the
  // field holds (then nothing will be written for it; a genre name equal
  // to the stored reference's counts as that); else why the field cannot
  // take it (the file cannot be saved, the frame cannot be read, the
  // record was made already).
  CString Set(TagField field, const CString& value) override;
  // Removes the field's frame; the same answers as Set.
  CString Remove(TagField field) override;
  // The front cover (with its bytes, or without them for a summary); false
  // when the tag has none.
  bool GetFrontCover(CCoverArt* cover, bool withBytes = true) const override;
  // As Set: the image (checked as CMyMP3Tags::CheckCoverImage does) becomes
  // the front cover; RemoveFrontCover removes the one shown, only while it
  // is still that picture.
  CString SetFrontCover(const std::string& image) override;
  CString RemoveFrontCover(const CCoverArt& shown) override;

  // Every frame of the ID3v2 tag a save would write (see CMusicFile); setting
  // one keeps the bytes of every other frame.
  std::vector<CStoredField> StoredFields() const override;
  CString SetStored(const CString& key, const std::vector<CString>& values) override;

  // The tag's version and ID3v1 tag: changes of the value that the next
  // Save writes (and its record can undo), answered as Set is (empty: done,
  // or nothing to do; else why not, naming the frame that cannot be kept).
  // A conversion keeps every frame the other version has a form for (see
  // Id3Convert.h for the mapping); a v2.2 tag is saved as v2.3 anyway.
  CString SetTagVersion(TagTarget target);
  // Adds an ID3v1 tag made from the fields (Latin-1, cut to its widths:
  // V1Losses names what it cannot hold), or removes the file's.
  CString SetV1Tag(bool present);
  // Removes the ID3v2 and ID3v1 tags; APE and Lyrics3 blocks stay (a file
  // with a Lyrics3 block keeps the ID3v1 tag that block needs: refused).
  CString RemoveAllTags();
  // The fields whose text the ID3v1 tag a save leaves in the file does not
  // hold exactly (characters outside Latin-1, text cut to the field's
  // width, a track total, a genre without a number); empty without one.
  std::vector<TagField> V1Losses() const;

  // True when Save would write the file.
  bool IsChanged() const override;
  // The record of what Save will replace (CMyMP3Tags::RestoreSave puts it
  // back), made from the rendering that Save then writes; from here on the
  // setters refuse. Empty when nothing is to be written, or when the value
  // cannot be saved (then reason says why, and Save refuses the same way).
  std::vector<unsigned char> SaveRecord(CString* reason = nullptr) override;
  // Writes the changes (the rendering SaveRecord made, or a new one), only
  // into a file that still is the one read: else nothing is written and
  // reason says so. True when written (in a batch: when handed to it; its
  // commit says whether the file was saved) or when there was nothing to
  // write. After a write the value holds what the file now holds, and its
  // identity, without reading the file again; after a failure, the file as
  // it is, read again when next asked.
  bool Save(CString* reason, CSaveBatch* batch = nullptr) override;

  struct Impl;

 private:
  friend class CMyMP3Tags;  // a cursor over one value at a time
  explicit CTagFile(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> m_pImpl;
};
