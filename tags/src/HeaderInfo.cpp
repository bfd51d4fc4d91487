// The MPEG header facts of the linked file.
#include <tags/MyMP3Tags.h>

#include <cstdlib>

// The facts are read from the stream itself rather than from id3lib's
// summary: id3lib misplaces the Xing header of MPEG-2 and 2.5 files, reads
// no Info header (a short constant-bit-rate clip then lasts 0 seconds) and
// would be handed whatever bytes follow a tag.
bool CMyMP3Tags::GetHeaderInfo() {
  if (!m_pValue) return false;
  m_bHeaderInfo = false;
  CMpegFacts stream;
  if (!m_pValue->GetMpegFacts(&stream)) return false;
  m_header.nLayer = stream.nLayer;
  m_header.nVersion = stream.nVersion;
  m_header.nBitRate = stream.nBitRate;
  m_header.nChannelMode = stream.nChannelMode;
  m_header.nVbrBitRate = stream.nVbrBitRate;
  m_header.nFrequency = stream.nSampleRate;
  m_header.nTime = stream.nSeconds;
  m_bHeaderInfo = true;
  return true;
}

CString CMyMP3Tags::GetBitRate() {
  if (!m_pValue || !m_bHeaderInfo) return "-";
  if (m_header.nVbrBitRate > 0) return CString::Formatted("%i kbit/s (VBR)", m_header.nVbrBitRate / 1000);
  return CString::Formatted("%i kbit/s", m_header.nBitRate / 1000);
}

CString CMyMP3Tags::GetSampleRate() {
  if (!m_pValue || !m_bHeaderInfo) return "-";
  return CString::Formatted("%i", m_header.nFrequency);
}

CString CMyMP3Tags::GetDuration() {
  if (!m_pValue || !m_bHeaderInfo) return "-";
  return CString::Formatted("%i", m_header.nTime);
}

CString CMyMP3Tags::ConvDuration(CString seconds) {
  const long s = std::atol(seconds);
  // Negative input is shown as no time at all.
  const long t = s < 0 ? 0 : s;
  return CString::Formatted("%2.0f:%2.0f:%.1f", static_cast<double>(t / 3600), static_cast<double>((t % 3600) / 60),
                            static_cast<double>(t % 60));
}

CString CMyMP3Tags::GetMpegLayer() {
  if (!m_pValue || !m_bHeaderInfo) return "-";
  switch (m_header.nLayer) {
    case 0: return "UNDEFINED";
    case 1: return "III";
    case 2: return "II";
    default: return "I";
  }
}

CString CMyMP3Tags::GetMpegVer() {
  if (!m_pValue || !m_bHeaderInfo) return "-";
  switch (m_header.nVersion) {
    case 0: return "2.5";
    case 2: return "2.0";
    case 3: return "1.0";
    default: return "0.0";
  }
}

CString CMyMP3Tags::GetChannel() {
  if (!m_pValue || !m_bHeaderInfo) return "-";
  switch (m_header.nChannelMode) {
    case 0: return "Stereo";
    case 1: return "Joint Stereo";
    case 2: return "Dual Channel";
    case 3: return "Single Channel";
    default: return "-";
  }
}
