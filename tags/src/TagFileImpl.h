#pragma once
// What a CTagFile holds: the file's map, its tag scan, the engine that reads
// and renders its ID3v2 frames, and the edits not yet written. CMyMP3Tags
// works on one of these at a time.
#include <tags/TagFile.h>

#include "MappedFile.h"
#include "MpegFrame.h"
#include "TagCheck.h"
#include "TagEngine.h"
#include "TagWriter.h"
#include "V1Tag.h"

#include <array>
#include <memory>
#include <vector>

class ID3_Tag;

struct CTagFile::Impl {
  Impl();
  ~Impl();

  CString strPath;
  CString strReadPath;                // where the file's new bytes wait for their batch's commit
  std::unique_ptr<ID3_Tag> pTag;      // id3lib's tag object (the id3lib engine reads it)
  std::unique_ptr<CMappedFile> pMap;  // the file as read
  CTagScan scan;
  CFileIdentity identity;             // of the file as read, or as the last write left it
  unsigned char nV23FrameFlags = 0;     // the format flags of all ID3v2.3 frames together
  std::unique_ptr<CTagEngine> pEngine;  // reads and renders the ID3v2 frames
  CMpegFrame firstFrame;
  unsigned short nLinkFlags = 0;
  long nFileSize = 0;
  CString strReadOnlyReason;    // empty when the file may be written
  bool bChangedWhileRead = false;  // another program kept rewriting it: nothing was read
  bool bStale = false;          // the file was written; it is read again when next asked
  bool bFieldsCurrent = false;  // while stale: the engine, MPEG facts, size and identity show
                                // what the write left on the disk
  bool bDirty = false;          // the value holds edits not yet written
  bool bV2Dirty = false;        // of the ID3v2 tag (else its region is written back as it is)
  int nConvertedMajor = 0;      // the ID3v2 version the engine's tag was converted to; 0: as read
  bool bVersionOnly = false;    // the ID3v2 tag's only change is its version (so one back is none)
  enum class V1Change { Keep, Add, Remove } eV1Change = V1Change::Keep;  // the ID3v1 tag's
  CV1Edits v1Edits;             // what those edits change in the ID3v1 tag
  std::array<unsigned char, 128> oldV1{};  // the ID3v1 block as read, when scan.bV1
  // The write whose record of what it replaces was handed out
  // (SaveRecord): made once, written as it is.
  struct CSealed {
    CTagWrite request;
    bool bChecked = false;  // as CRenderedTag::bChecked
    std::vector<unsigned char> record;
  };
  std::unique_ptr<CSealed> pSealed;

  // Maps the file (or where its new bytes wait) and reads it.
  void ReadFile();
  // Reads the tags and first frame from the file's bytes (open: the file could be opened).
  void Parse(const unsigned char* data, std::size_t size, bool open);
  // The engine for the ID3v2 region at data (scan.nV2End bytes, its frames
  // walked) and the ID3v1 block v1 (null: none).
  void BuildEngine(const unsigned char* data, const CTagFrames& frames, const unsigned char* v1);
  // Reads the file again when a write or a drop left it stale (and the
  // engine does not show what is on the disk).
  void ReadIfStale();
  // Reads the file again when a write left it stale: edits start from its bytes.
  void ReadForWrite();
  // Why no edit may be made now; empty when one may (the file read again first if stale).
  CString PrepareWrite();
  CString Text(TagField field);
  CString Genre();
  CString SetText(TagField field, CString value);
  bool RemoveFrame(TagField field);  // true when a frame was removed
  CString RemoveAll();
  CString SetCover(const std::string& image);
  CString RemoveCover(const CCoverArt& shown);
  bool Cover(CCoverArt* cover, bool withBytes);
  void MarkEdited(TagField field);
  // The ID3v2 version a save writes (a v2.2 tag is saved as v2.3).
  int V2Major() const;
  bool HasV1() const;
  // The ID3v1 block a save writes into a file that has none: every ID3v1 field from the tag.
  std::array<unsigned char, 128> NewV1Block();
  // The ID3v1 block the file has after a save; false when it has none.
  bool V1After(std::array<unsigned char, 128>* block);
  // After a conversion or a removal of every tag: the engine over tag
  // (empty: none), in ID3v2 version major.
  void AdoptConverted(const std::string& tag, int major);
  bool RenderWrite(CTagWrite* request, bool* checked, CString* error, bool recheck = true);
  // The record of the coming write (see CTagFile::SaveRecord); MatchRecord
  // takes one made earlier from the same edits (CMyMP3Tags::MatchSaveUndo).
  std::vector<unsigned char> Seal(CString* error);
  bool MatchRecord(const std::vector<unsigned char>& record, CString* error);
  // Writes the sealed write, or renders the edits and writes them; false with error.
  bool Write(CString* error, CWriteBatch* batch);
  // Gives up the edits; the file is read again when next asked.
  void DropEdits();

  // The same as Read, but through id3lib's own file reading (many system
  // calls per file); gives the same results. For comparison and measurement.
  static std::unique_ptr<CTagFile> ReadThroughId3lib(const CString& path);
  static std::unique_ptr<CTagFile> Wrap(std::unique_ptr<Impl> impl);

 private:
  bool Submit(const CTagWrite* request, bool checked, CString* error, CWriteBatch* batch);
  // After a write of request: the engine, size and identity the file now has, from the bytes written.
  void AdoptWritten(const CTagWrite& request, bool checked, long newSize);
};
