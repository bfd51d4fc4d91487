// Reading a music file as the value of its kind.
#include <tags/AudioTagFile.h>
#include <tags/TagFile.h>

#include "FileIdentity.h"
#include "MappedFile.h"

std::unique_ptr<CMusicFile> CMusicFile::Read(const CString& path, CString* reason) {
  if (HasAudioExtension(path)) return CAudioTagFile::Read(path, reason);
  return CTagFile::Read(path, reason);
}

CFileIdentity CMusicFile::ReadIdentity(const CString& path) { return IdentityOfMap(CMappedFile(path)); }

CStreamColumns CTagFile::StreamColumns() const {
  CMpegFacts facts;
  return GetMpegFacts(&facts) ? MpegColumns(facts) : CStreamColumns();
}

CString CAudioTagFile::TagVersion() const {
  CStreamFacts facts;
  if (!GetStreamFacts(&facts)) return "-";
  return facts.strCodec + ", " + TagKind();
}

CStreamColumns CAudioTagFile::StreamColumns() const {
  CStreamFacts facts;
  return GetStreamFacts(&facts) ? StreamFactColumns(facts) : CStreamColumns();
}
