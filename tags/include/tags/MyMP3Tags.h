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
#include <platform/String.h>

#include <functional>
#include <memory>
#include <vector>

class ID3_Tag;
class CWriteBatch;
enum class TagField;

// What became of one file of a batch of saves (CMyMP3Tags::BeginBatch).
struct CWriteOutcome {
  CString strPath;   // as it was linked
  CString strError;  // empty: saved, the new tag is on the disk; else why not
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
  // The same as Link, but through id3lib's own file reading (many system
  // calls per file); gives the same results. For comparison and measurement.
  void LinkFromDisk(CString fileName);
  // Detaches the object again (ending an open BeginUpdate group first, so
  // its edits are written, not lost).
  void Reset();
  // Removes thirteen text frames (not genre and URL) and writes the file.
  void RemoveAllTags();

  long GetFileSize();  // bytes, or -1 when not linked
  int isV1Tag();       // 1, 0, or -1 when not linked
  int isV2Tag();
  int isLyricsTag();

  // True when a setter may write the linked file.
  bool IsWritable();
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
  // crash in the middle of a write, is never an MP3 name ("*.mp3"), and may
  // be removed whenever no save is running.
  static bool IsOwnTemporary(CString fileName);

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
  CString ConvDuration(CString seconds);
  CString GetMpegLayer();
  CString GetMpegVer();
  CString GetChannel();
  CString GetGenre();

 private:
  struct HeaderFacts {
    int nLayer = 0;
    int nVersion = 0;
    int nBitRate = 0;
    int nChannelMode = 0;
    int nVbrBitRate = 0;
    int nFrequency = 0;
    int nTime = 0;
  };
  struct FileState;

  // Maps the linked file and reads its tags and first frame through memory.
  void ReadLinkedFile();
  // False while unlinked; reads the file again first when a write left it
  // stale, unless the tag object was checked to show what was written.
  bool ReadIfStale();
  // Reads the file again when a write left it stale: edits start from its bytes.
  void ReadForWrite();
  CString GetString(TagField field);
  bool m_getString(TagField field, char* buffer, int bufferSize);
  void SetTag(TagField field, CString value);
  bool RemoveTag(TagField field);  // true when a frame was removed
  bool PrepareWrite();
  void MarkEdited(TagField field);
  void WriteTag();
  void SetWriteError(const CString& reason);

  std::unique_ptr<ID3_Tag> m_pTag;
  bool m_bLinked = false;
  bool m_bHeaderInfo = false;
  HeaderFacts m_header;
  std::unique_ptr<FileState> m_pFile;
  CString m_strLastWriteError;
  bool m_bGrouped = false;  // between BeginUpdate and EndUpdate
  std::unique_ptr<CWriteBatch> m_pBatch;  // between BeginBatch and EndBatch
  CString m_strReadPath;  // where the linked file's new bytes wait for their commit
};
