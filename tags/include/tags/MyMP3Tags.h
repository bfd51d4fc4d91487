#pragma once
// CMyMP3Tags: one MP3 file's ID3 text frames, tag types and MPEG header facts.
// Text goes in and out as UTF-8; "-" marks a value that is not there (not
// linked, no frame, no header). ID3v1 and ID3v2.3 tags are read and written
// through id3lib, ID3v2.4 and v2.2 tags through TagLib: a v2.4 tag stays
// v2.4 with every frame not edited kept byte for byte, a v2.2 tag is saved
// as v2.3 with all its frames. Compressed frames are read like any other and
// kept as they are, encrypted ones kept unread. A file whose tag cannot be
// read safely reads as having no tag; a file that cannot be written without
// loss (damaged, empty, not MPEG audio, a v2.2 frame with no v2.3 form) is
// never written: its setters refuse and GetLastWriteError() says why (for a
// file that is not MPEG audio, what it looks like). Where a tag holds several frames
// of one field, the first is the field's (of comments and links the first
// without a description); a setter replaces that one in its place.
// The object is a cursor over one CTagFile at a time (TagFile.h), which
// does the reading, editing and saving.
#include <base/String.h>
#include <tags/TagFile.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CWriteBatch;

// What CMyMP3Tags::RestoreSave did.
enum class CRestoreResult {
  Restored,         // the file holds its tags of before the save again (in a batch: once committed)
  AlreadyRestored,  // it held them already; nothing was written
  Refused,          // nothing was written; GetLastWriteError says why
  Failed            // it holds what the save wrote, but the write failed (GetLastWriteError
                    // says why: a full disk, a read-only file); it can be tried again
};

class CMyMP3Tags {
 public:
  CMyMP3Tags();
  ~CMyMP3Tags();
  // One object stands for one linked file at a time; it is never copied.
  CMyMP3Tags(const CMyMP3Tags&) = delete;
  CMyMP3Tags& operator=(const CMyMP3Tags&) = delete;

  // Attaches the object to a file (by its real name on disk); does nothing
  // while another file is linked.
  void Link(CString fileName);
  // The same for a file already read: the object then works on that value.
  void Link(std::unique_ptr<CTagFile> file);
  // Detaches the object again (ending an open BeginUpdate group first, so
  // its edits are written, not lost).
  void Reset();
  // Removes thirteen text frames (not genre and URL) and writes the file.
  void RemoveAllTags();

  long GetFileSize();  // bytes, or -1 when not linked
  // The linked file as Link read it (no second reading); after a write of
  // this object, the file as the write left it (in a batch: as its commit
  // will leave it), read again. Unknown while unlinked or unreadable.
  CFileIdentity GetFileIdentity();
  // The file at path as it is now; unknown when it cannot be read.
  static CFileIdentity ReadFileIdentity(CString fileName);
  int isV1Tag();       // 1, 0, or -1 when not linked
  int isV2Tag();
  int isLyricsTag();

  // True when a setter may write the linked file.
  bool IsWritable();
  // True when another program kept rewriting the linked file while it was
  // read: nothing read from it is shown, and it is not written.
  bool WasChangedWhileRead();
  // Why the last setter (or RemoveAllTags) failed to write; empty when it
  // succeeded or had nothing to write.
  CString GetLastWriteError() const;

  // The comment is the first COMM frame without a description, the URL the
  // first WXXX frame without one: described frames (iTunes' iTunNORM, a
  // tagger's "Notes") belong to other programs and are never shown,
  // replaced or removed. A Lyrics3 block is detected, never read as frames.
  // A write never destroys a file: a tag that no longer fits is written into
  // a new file beside it, which is then renamed over it. True for the name
  // (with or without its folder) of such a new file; one is left only by a
  // crash in the middle of a write, and is never an MP3 name ("*.mp3"). The
  // name alone does not make a file one: a user may name a file so.
  static bool IsOwnTemporary(CString fileName);
  // Removes the new files crashed writes left in folder (and below it with
  // subfolders): only those a record proves this program made, whose writer
  // is no longer running (another window's save keeps its own), still
  // regular files reached without a link. Returns how many were removed.
  static int RemoveOwnLeftovers(const CString& folder, bool subfolders);

  CString GetArtist();
  CString GetAlbum();
  CString GetTitle();
  CString GetComment();
  CString GetTrack();
  CString GetYear();
  CString GetComposer();
  CString GetCopyright();
  CString GetEncodedBy();
  CString GetOriginalArtist();
  CString GetURL();
  CString GetBand();
  CString GetPublisher();
  CString GetConductor();

  // Each setter writes the file at once, unless the value equals what the
  // getter returns now (then nothing is written) or a BeginUpdate group is
  // open. The ID3v2 tag gets the value (Latin-1 where it fits, else UTF-8
  // in a v2.4 tag and UTF-16 in the others); an ID3v1 tag the file already
  // has gets title, artist, album, year, comment and track in Latin-1 where
  // they fit (a value that does not fit
  // leaves its ID3v1 field as it was; an empty track clears the ID3v1 track,
  // one without a leading number in ASCII digits leaves it). No ID3v1 tag is
  // added to a file. A new comment takes the language of the file's other
  // comments, else "eng". A URL outside Latin-1 is stored with its non-ASCII
  // characters percent-encoded, and the getter shows that form.
  void SetArtist(CString value);
  void SetAlbum(CString value);
  void SetTitle(CString value);
  void SetComment(CString value);
  void SetTrack(CString value);
  void SetTrack(int track);
  void SetYear(CString value);
  void SetYear(int year);
  void SetComposer(CString value);
  void SetCopyright(CString value);
  void SetEncodedBy(CString value);
  void SetOriginalArtist(CString value);
  void SetURL(CString value);
  void SetBand(CString value);
  void SetPublisher(CString value);
  void SetConductor(CString value);
  // The genre is written as given, normally a name: in ID3v2 as the TCON
  // text, in an ID3v1 tag the file has as the byte of that name (GenreName
  // of the value, in the list of GetGenreNames, letter case and trailing
  // blanks aside), or 255 (none) when the name is not in the list. A value
  // equal to GetGenre(), or to the name GenreName gives it, writes nothing,
  // so "Rock" leaves a stored "(17)" as it is.
  void SetGenre(CString value);
  // The 148 genre names of ID3v1 and its Winamp extensions, by number.
  static std::vector<CString> GetGenreNames();
  // The name a genre box shows for a stored genre: a reference "(17)" or
  // "17" gives "Rock", a refinement after references wins ("(17)Hard Rock"
  // gives "Hard Rock"), "(RX)" and "(CR)" give "Remix" and "Cover"; free
  // text, and a reference to no name ("(200)"), stay as they are.
  static CString GenreName(CString stored);

  // The ID3 tags the file has: "ID3v2.3 + ID3v1", "ID3v2.4", "ID3v2.2",
  // "ID3v1", "none"; an ID3v2 tag that cannot be read safely is named
  // "ID3v2.3 (damaged)". "-" when not linked.
  CString GetTagVersion();

  // Covers. The front cover is the first picture (APIC) of type 3, else
  // the first picture. GetFrontCover gives its bytes, MIME type and pixel
  // size (read from the image's own header, not decoded); false when the
  // tag has no picture, or has pictures that cannot all be read.
  // GetFrontCoverSummary gives the same without copying the bytes (cheap
  // enough for every row of a large folder).
  bool GetFrontCover(CCoverArt* cover);
  bool GetFrontCoverSummary(CCoverArt* cover);
  // Why the image cannot be a cover: empty when it is a JPEG or PNG image
  // (by its bytes, whatever its name) of at most 16 MB whose header gives
  // its size; facts, when given, receives what the header says (no bytes).
  static CString CheckCoverImage(const std::string& image, CCoverArt* facts = nullptr);
  // Setters like the others (written at once, or at EndUpdate in a group;
  // a refusal in GetLastWriteError). SetFrontCover replaces the first
  // picture of type 3 in its place (keeping its description), or adds a
  // picture of type 3 when there is none, so no other picture is lost; an
  // image equal to the front cover writes nothing. RemoveFrontCover removes
  // the front cover; given the cover as it was shown (GetFrontCover or its
  // summary), only while the front cover is still that picture (its place,
  // type, MIME type, bytes and pixel size), else nothing is removed and the
  // reason is the write error. Every other frame, other pictures included,
  // is kept byte for byte.
  void SetFrontCover(const std::string& image);
  void RemoveFrontCover();
  void RemoveFrontCover(const CCoverArt& shown);
  // "Front cover", "Back cover", "Other", "Artist"…: a picture type's name
  // (ID3's list, shortened); "Picture type N" for a number it does not name.
  static CString PictureTypeName(int type);

  // Groups the setters of one file into one write: after BeginUpdate the
  // setters change the tag object only (the getters already give the new
  // values) and EndUpdate writes the file once, so a growing tag rewrites
  // the file at most once. Saving one row:
  //   tags.Link(path); tags.BeginUpdate();
  //   tags.SetArtist(...); ... tags.SetConductor(...);
  //   tags.EndUpdate();
  //   if (!tags.GetLastWriteError().IsEmpty()) ... report it ...
  // Inside a group GetLastWriteError keeps the first failure (a refused
  // setter, or EndUpdate's write); BeginUpdate clears it. Both do nothing
  // while unlinked; BeginUpdate inside an open group does nothing.
  void BeginUpdate();
  void EndUpdate();
  // Ends a group without writing: its edits are dropped, and the getters
  // show the file as it is.
  void CancelUpdate();

  // Saving with a way back. Inside a group (and a batch), after the
  // setters and before EndUpdate: returns an opaque record of what the
  // coming write replaces (the old ID3v2 region and ID3v1 block, as their
  // difference from the new ones: a save of text frames takes a few hundred
  // bytes whatever pictures the file holds) and a fingerprint of what it
  // writes. EndUpdate then writes exactly that, or nothing when the file
  // changed meanwhile (GetLastWriteError says so); setters in between are
  // refused. Empty when the group writes nothing, or cannot write (the
  // reason in GetLastWriteError). Keep the record before the file is
  // written:
  //   tags.Link(path); tags.BeginUpdate(); setters...;
  //   record = tags.PrepareSaveUndo();
  //   if (!record.empty() && !journal.Add(path, record)) tags.CancelUpdate(); // nothing written
  //   tags.EndUpdate();
  // Frames a save only gave new headers (an ID3v2.2 tag written as
  // ID3v2.3) are recorded as references too; the frames of an ID3v2.2 or
  // v2.3 tag unsynchronised as a whole are recorded whole.
  std::vector<unsigned char> PrepareSaveUndo();
  // The same for a record kept from an earlier group of the same edits on
  // the same file (a save that puts all its records on the disk first, then
  // writes): true when this group writes exactly what record describes, so
  // EndUpdate writes that, or nothing when the file changed meanwhile;
  // false when it would write anything else, or nothing (then end the group
  // with CancelUpdate). Cheaper than making the record again: record must be
  // one PrepareSaveUndo gave, whose new bytes were read back and checked
  // then; these are compared with them by their SHA-256, not read back again.
  bool MatchSaveUndo(const std::vector<unsigned char>& record);
  // Puts back what the save of a record replaced, byte for byte, through
  // the same writer (in place when the old region is as long, else a new
  // file renamed over the file; in a batch, committed with it). Only into
  // a file that holds exactly what that save wrote: its tag region and
  // ID3v1 block, its size and the place of its audio; a file that holds its
  // old state already is left alone (AlreadyRestored), any other is refused
  // ("The file was changed since the save"), and so is a file whose name
  // is a symbolic link (a restore writes only the file the name is). A
  // damaged record, or one of another version, is refused and never
  // written. An open group is ended and the object unlinked first.
  CRestoreResult RestoreSave(CString fileName, const std::vector<unsigned char>& record);

  // Saving many files with few flushes: between BeginBatch and EndBatch a
  // write puts the file's new bytes on the disk but leaves their flush to a
  // commit, which flushes all of the batch's files at once, renames each new
  // file over its original only when its own data is durable, and flushes
  // the folders. A file is saved only when a commit says so; until then it
  // is its old self, or holds the new tag in place unflushed (which a crash
  // of the program cannot tear), and the getters of a linked file show the
  // new tag. GetLastWriteError still names what failed before the flush.
  //   tags.BeginBatch();
  //   for each file: Link, BeginUpdate, setters, EndUpdate, Reset;
  //     if (tags.IsBatchFull()) outcomes = tags.CommitBatch(pump);
  //   outcomes = tags.EndBatch(pump);
  // The commits call wait (when given) about every 10 ms while the disk works,
  // and give every file written since the last commit, in the order written.
  void BeginBatch();
  bool IsBatchFull() const;
  std::vector<CWriteOutcome> CommitBatch(const std::function<void()>& wait = {});
  std::vector<CWriteOutcome> EndBatch(const std::function<void()>& wait = {});

  // MPEG header facts: GetHeaderInfo() must succeed before the getters give
  // anything but "-".
  bool GetHeaderInfo();
  CString GetBitRate();
  CString GetSampleRate();
  CString GetDuration();
  static CString ConvDuration(CString seconds);
  CString GetMpegLayer();
  CString GetMpegVer();
  CString GetChannel();
  CString GetGenre();

 private:

  CString GetString(TagField field);
  CString HeaderFact(CString CStreamColumns::*column) const;
  void SetTag(TagField field, CString value);
  // A setter's answer: its refusal becomes the write error; outside a
  // group its edit is written at once.
  void Apply(const CString& refusal);
  void WriteNow();
  void SetWriteError(const CString& reason);

  std::unique_ptr<CTagFile> m_pValue;  // the linked file; null while unlinked
  bool m_bHeaderInfo = false;
  CStreamColumns m_header;
  CString m_strLastWriteError;
  bool m_bGrouped = false;  // between BeginUpdate and EndUpdate
  std::unique_ptr<CWriteBatch> m_pBatch;  // between BeginBatch and EndBatch
};
