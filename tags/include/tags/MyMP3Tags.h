#pragma once
// CMyMP3Tags: one MP3 file's ID3 text frames, tag types and MPEG header facts.
// Text goes in and out as UTF-8; "-" marks a value that is not there (not
// linked, no frame, no header). A file whose tag cannot be read safely reads
// as having no tag; a file whose tag cannot be written without loss (ID3v2.4,
// v2.2, damaged, empty, not MPEG) is never written: its setters refuse and
// GetLastWriteError() says why.
#include <platform/String.h>

#include <memory>

class ID3_Tag;

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
  // Detaches the object again.
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
  // getter returns now (then nothing is written).
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

  CString GetString(int id);
  bool m_getString(int id, char* buffer, int bufferSize);
  void SetTag(int id, CString value);
  void RemoveTag(int id);
  bool PrepareWrite();
  void WriteTag();

  std::unique_ptr<ID3_Tag> m_pTag;
  bool m_bLinked = false;
  bool m_bHeaderInfo = false;
  HeaderFacts m_header;
  std::unique_ptr<FileState> m_pFile;
  CString m_strLastWriteError;
};
