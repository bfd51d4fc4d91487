#pragma once
// CAudioTagFile: one FLAC, Ogg Vorbis, Ogg Opus or MP4/M4A file's tags as a
// value, with the promises of CTagFile (an MP3 file's value): one reading
// gives the fields, the front cover, the stream facts and the identity; the
// setters change the value only; SaveRecord gives what a save will replace
// and Save writes exactly that, onto the file that was read, never tearing it:
//   std::unique_ptr<CAudioTagFile> file = CAudioTagFile::Read(path, &reason);
//   file->Set(TagField::Artist, "A; B");       // two ARTIST values
//   record = file->SaveRecord(&reason);        // for the journal
//   if (!file->Save(&reason)) ... not saved (reason) ...
//   ... later: RestoreAudioSave(path, record, &reason) puts the old bytes back.
// The fields map to each format's usual keys (Vorbis comment names, MP4
// atoms; see FieldKey). Several values of one key are shown joined by "; ".
// Every key, value and picture not edited, the vendor string and the audio
// keep their bytes. Unlike CTagFile a value does not keep its file mapped:
// a save reads the file again and proves it is the one read.
#include <base/String.h>
#include <tags/TagFile.h>
#include <tags/MyMP3Tags.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

// What a file's bytes say it is.
enum class AudioFormat { Unknown, Mpeg, Flac, OggVorbis, OggOpus, Mp4 };

// The format of the file whose first bytes (all of it, or at least its
// first 64 KB) are data. For Unknown, what receives what the bytes look
// like ("an empty file", "an Ogg FLAC file", "a ZIP archive"...); Mpeg is
// only said of bytes that start with an MPEG frame or an ID3v2 tag followed
// by neither FLAC nor another known format.
AudioFormat DetectAudioFormat(const unsigned char* data, std::size_t size, CString* what = nullptr);

// True for a file name the folder lists as audio of one of these formats
// (.flac .ogg .oga .opus .m4a .mp4, any case); which format it holds is
// decided by its bytes.
bool HasAudioExtension(const CString& fileName);

// The facts of a file's audio stream.
struct CStreamFacts {
  CString strCodec;     // "FLAC", "Vorbis", "Opus", "AAC", "ALAC"
  int nSeconds = 0;     // playing time, whole seconds
  int nMilliseconds = 0;
  int nBitRate = 0;     // average, bits per second
  int nSampleRate = 0;  // Hz (Opus: the input rate its header names, else 48000)
  int nChannels = 0;
  int nBitsPerSample = 0;  // FLAC and ALAC; 0 where the format has none
};

class CAudioTagFile : public CMusicFile {
 public:
  // Reads the file. Never null: a file that cannot be read (empty,
  // truncated, damaged, of no supported format) gives a value whose fields
  // are all "-" and that cannot be saved; reason receives why (empty when
  // it can be saved).
  static std::unique_ptr<CAudioTagFile> Read(const CString& path, CString* reason = nullptr);
  ~CAudioTagFile() override;
  CAudioTagFile(const CAudioTagFile&) = delete;
  CAudioTagFile& operator=(const CAudioTagFile&) = delete;

  const CString& Path() const override;
  AudioFormat Format() const;
  // The file as it was read, or as the last Save left it.
  CFileIdentity Identity() const override;
  long FileSize() const override;
  // "Vorbis comment", "MP4 ilst", "none" (an MP4 without ilst), "-" when unread.
  CString TagKind() const;
  // The codec and the tag kind: "FLAC, Vorbis comment", "ALAC, MP4 ilst"; "-" when unread.
  CString TagVersion() const override;
  // A file changing while it is read is not read at all (WriteRefusal says so).
  bool WasChangedWhileRead() const override { return false; }
  // Why the value cannot be saved; empty when it can.
  CString WriteRefusal() const override;
  // False when the file could not be read (facts untouched).
  bool GetStreamFacts(CStreamFacts* facts) const;
  CStreamColumns StreamColumns() const override;

  // The field's values joined by "; ", "-" when the tag has none.
  CString Get(TagField field) const override;
  // Changes the value only. "a; b" becomes two values of the field's key.
  // Empty when done or when value is what the field holds; else why not.
  CString Set(TagField field, const CString& value) override;
  CString Remove(TagField field) override;
  // The front cover: FLAC and Ogg, the first picture of type 3 (front
  // cover); MP4, the first covr image. False when the file holds none.
  bool GetFrontCover(CCoverArt* cover, bool withBytes = true) const override;
  // The image (JPEG or PNG) becomes the front cover (replacing the one
  // shown, if any; other pictures stay); RemoveFrontCover removes the one
  // shown, only while it still is that picture.
  CString SetFrontCover(const std::string& image) override;
  CString RemoveFrontCover(const CCoverArt& shown) override;

  // Every Vorbis comment key, picture or MP4 item (see CMusicFile); a key
  // set replaces its values in the place of its first entry.
  std::vector<CStoredField> StoredFields() const override;
  CString SetStored(const CString& key, const std::vector<CString>& values) override;

  bool IsChanged() const override;
  // The record of what Save will replace (RestoreAudioSave puts it back),
  // made from the very bytes Save then writes; from here on the setters
  // refuse. Empty when nothing is to be written or the value cannot be
  // saved (reason says why).
  std::vector<unsigned char> SaveRecord(CString* reason = nullptr) override;
  // Writes the edits, only onto a file that is still the one read: a new
  // file beside it, flushed, renamed over it, the folder flushed (in a
  // batch: at its commit, which says whether the file was saved). True
  // when written (handed to the batch) or when there was nothing to write;
  // after a write the value holds what the file now holds, and its identity.
  bool Save(CString* reason, CSaveBatch* batch = nullptr) override;

  struct Impl;

 private:
  explicit CAudioTagFile(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> m_pImpl;
};

// True for a record SaveRecord of a CAudioTagFile made (not an MP3 one).
bool IsAudioSaveRecord(const std::vector<unsigned char>& record);
// Puts back what the save of record replaced, only into a file that holds
// exactly what that save wrote (AlreadyRestored when it holds the old
// bytes; else Refused, with reason).
CRestoreResult RestoreAudioSave(const CString& path, const std::vector<unsigned char>& record, CString* reason);

// The columns' texts of a stream's facts (HeaderInfo.cpp), one rule for both kinds of file.
CStreamColumns MpegColumns(const CMpegFacts& facts);
CStreamColumns StreamFactColumns(const CStreamFacts& facts);
