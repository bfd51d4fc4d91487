#pragma once
// What CMyMP3Tags knows about the linked file besides id3lib's tag object.
#include <tags/MyMP3Tags.h>

#include "MappedFile.h"
#include "MpegFrame.h"
#include "TagEngine.h"
#include "TagCheck.h"
#include "TagWriter.h"
#include "V1Tag.h"

#include <array>
#include <memory>
#include <vector>

struct CMyMP3Tags::FileState {
  CString strPath;
  std::unique_ptr<CMappedFile> pMap;  // the file as read when linked
  CTagScan scan;
  CFileIdentity identity;             // of the file as mapped
  unsigned char nV23FrameFlags = 0;     // the format flags of all ID3v2.3 frames together
  std::unique_ptr<CTagEngine> pEngine;  // reads and renders the ID3v2 frames
  CMpegFrame firstFrame;
  unsigned short nLinkFlags = 0;
  long nFileSize = 0;
  bool bPathLinked = false;     // m_pTag was linked by file name (LinkFromDisk)
  CString strReadOnlyReason;    // empty when the file may be written
  bool bChangedWhileRead = false;  // another program kept rewriting it: nothing was read
  bool bStale = false;          // the file was written; it is read again when next asked
  bool bFieldsCurrent = false;  // while stale: the engine was checked to read as the written
                                // tag does, so its fields, MPEG facts and nFileSize still hold
  bool bDirty = false;          // the tag object holds edits not yet written
  CV1Edits v1Edits;             // what those edits change in the ID3v1 tag
  std::array<unsigned char, 128> oldV1{};  // the ID3v1 block as read, when scan.bV1
  // A group whose record of what it replaces was handed out
  // (PrepareSaveUndo): the write it promised, made once.
  struct CSealed {
    CTagWrite request;
    bool bChecked = false;  // as CRenderedTag::bChecked
    std::vector<unsigned char> record;
  };
  std::unique_ptr<CSealed> pSealed;
};
