// The stream facts of a file as the table's columns show them, and the
// linked file's MPEG header facts.
#include <tags/AudioTagFile.h>
#include <tags/MyMP3Tags.h>

#include <cstdlib>

CStreamColumns MpegColumns(const CMpegFacts& facts) {
  CStreamColumns columns;
  columns.strBitRate = facts.nVbrBitRate > 0 ? CString::Formatted("%i kbit/s (VBR)", facts.nVbrBitRate / 1000)
                                             : CString::Formatted("%i kbit/s", facts.nBitRate / 1000);
  columns.strSampleRate = CString::Formatted("%i", facts.nSampleRate);
  columns.strSeconds = CString::Formatted("%i", facts.nSeconds);
  switch (facts.nLayer) {
    case 0: columns.strLayer = "UNDEFINED"; break;
    case 1: columns.strLayer = "III"; break;
    case 2: columns.strLayer = "II"; break;
    default: columns.strLayer = "I"; break;
  }
  switch (facts.nVersion) {
    case 0: columns.strVersion = "2.5"; break;
    case 2: columns.strVersion = "2.0"; break;
    case 3: columns.strVersion = "1.0"; break;
    default: columns.strVersion = "0.0"; break;
  }
  switch (facts.nChannelMode) {
    case 0: columns.strChannel = "Stereo"; break;
    case 1: columns.strChannel = "Joint Stereo"; break;
    case 2: columns.strChannel = "Dual Channel"; break;
    case 3: columns.strChannel = "Single Channel"; break;
    default: break;
  }
  return columns;
}

// The other formats have no MPEG layer or version; their codec is named in
// the Tag column. Their bit rate is an average, as a VBR MP3's is, but
// shown plainly: it varies for every one of them.
CStreamColumns StreamFactColumns(const CStreamFacts& facts) {
  CStreamColumns columns;
  columns.strBitRate = CString::Formatted("%i kbit/s", (facts.nBitRate + 500) / 1000);
  columns.strSampleRate = CString::Formatted("%i", facts.nSampleRate);
  columns.strSeconds = CString::Formatted("%i", facts.nSeconds);
  if (facts.nChannels == 1)
    columns.strChannel = "Mono";
  else if (facts.nChannels == 2)
    columns.strChannel = "Stereo";
  else if (facts.nChannels > 2)
    columns.strChannel = CString::Formatted("%i channels", facts.nChannels);
  return columns;
}

// The facts are read from the stream itself rather than from id3lib's
// summary: id3lib misplaces the Xing header of MPEG-2 and 2.5 files, reads
// no Info header (a short constant-bit-rate clip then lasts 0 seconds) and
// would be handed whatever bytes follow a tag.
bool CMyMP3Tags::GetHeaderInfo() {
  if (!m_pValue) return false;
  m_bHeaderInfo = false;
  CMpegFacts stream;
  if (!m_pValue->GetMpegFacts(&stream)) return false;
  m_header = MpegColumns(stream);
  m_bHeaderInfo = true;
  return true;
}

CString CMyMP3Tags::HeaderFact(CString CStreamColumns::*column) const {
  return m_pValue && m_bHeaderInfo ? m_header.*column : CString("-");
}

CString CMyMP3Tags::GetBitRate() { return HeaderFact(&CStreamColumns::strBitRate); }
CString CMyMP3Tags::GetSampleRate() { return HeaderFact(&CStreamColumns::strSampleRate); }
CString CMyMP3Tags::GetDuration() { return HeaderFact(&CStreamColumns::strSeconds); }
CString CMyMP3Tags::GetMpegLayer() { return HeaderFact(&CStreamColumns::strLayer); }
CString CMyMP3Tags::GetMpegVer() { return HeaderFact(&CStreamColumns::strVersion); }
CString CMyMP3Tags::GetChannel() { return HeaderFact(&CStreamColumns::strChannel); }

CString CMyMP3Tags::ConvDuration(CString seconds) {
  const long s = std::atol(seconds);
  // Negative input is shown as no time at all.
  const long t = s < 0 ? 0 : s;
  return CString::Formatted("%2.0f:%2.0f:%.1f", static_cast<double>(t / 3600), static_cast<double>((t % 3600) / 60),
                            static_cast<double>(t % 60));
}
