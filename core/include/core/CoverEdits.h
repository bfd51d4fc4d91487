#pragma once
// Front covers as the table edits them: a cover change waiting for a save,
// the text the Cover column shows for a picture, the name an extracted
// picture is offered under, and the cover several rows have in common.
#include <base/String.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// A file's front cover as the window showed it: which picture a removal
// removes (the file's next picture would become its cover).
struct CShownCover {
  int nType = -1;     // as ID3 numbers picture types (3: front cover)
  int nIndex = 0;     // its place among the file's pictures, from 0
  int nPictures = 0;  // how many the file has; 0: none was shown
  CString strMime;
  std::size_t nBytes = 0;
  int nWidth = 0;
  int nHeight = 0;
  CString strText;    // as the Cover group said it
};

// A front-cover change waiting for the next save of its rows: the picture
// to set or, with no picture, the cover's removal. Rows given the same
// picture hold the same object, so its bytes are in memory once.
struct CPendingCover {
  std::string strImage;  // JPEG or PNG bytes; empty: the front cover is removed
  CString strSummary;    // as the Cover column shows it; "-" for a removal
  CString strExtension;  // "jpg" or "png"
  CShownCover shown;     // a removal: the file's cover it removes
};
using PendingCoverPtr = std::shared_ptr<const CPendingCover>;

// The change that sets image (checked already), described by its format
// ("JPEG", "PNG") and size in pixels.
PendingCoverPtr MakePendingCover(std::string image, const CString& format, int width, int height);
// The change that removes the file's front cover shown (only that picture).
PendingCoverPtr MakeCoverRemoval(const CShownCover& shown = {});

// "600×600 JPEG, 48 KB": the size in pixels (left out when unknown), the
// format (else the MIME type), the bytes in kilobytes (at least 1), from a
// megabyte on in megabytes with one decimal.
// What a file's cover is, on two lines: which picture ("Back cover, 1 of 3
// pictures"; the place left out when it is the file's only one), then its
// facts ("120×90 PNG, 1 KB").
struct CCoverArt;
CString ShownCoverText(const CCoverArt& cover);
CString CoverSummary(const CString& format, const CString& mime, int width, int height, std::size_t bytes);

// The name an extracted cover is offered under: "Artist - Album.jpg"; the
// artist or the album alone when the other is missing ("-" or empty); else
// the row's file name (key without its folder); made safe as a file name.
CString CoverFileName(const CString& artist, const CString& album, const CString& key, const CString& extension);

// One row's cover as the table stands: its pending change, else its file's
// cover, known by the file's Cover cell ("-": none).
struct CRowCover {
  PendingCoverPtr pending;
  CString strFileSummary;
};

// What rows have in common.
struct CCommonCover {
  enum Kind { kNoRows, kNoCover, kSame, kDifferent } kind = kNoRows;
  std::shared_ptr<const std::string> image;  // kSame: the picture (empty when it could not be read)
  CString strSummary;                        // kSame: as the Cover column shows it
  std::size_t nCompared = 0;                 // kSame: rows whose pictures were compared byte for byte
};

// Rows whose Cover texts differ have different covers; rows whose texts
// agree are compared by their pictures, up to maxCompared rows (the rest
// by their texts alone). readFile(i) gives the picture of row i's file
// (empty when it cannot be read); it is asked only for rows with no pending
// change, and no further than the first picture that differs.
CCommonCover FindCommonCover(const std::vector<CRowCover>& rows,
                             const std::function<std::string(std::size_t)>& readFile, std::size_t maxCompared);
