#pragma once
// Conversions between the UTF-8 of CString and the encodings ID3 frames hold.
#include <base/String.h>

#include <string>

namespace textcodec {

CString Latin1ToUtf8(const char* text);
// At most count code units (fewer when a zero comes first), in the order
// id3lib hands them out: each one byte-swapped.
CString SwappedUtf16ToUtf8(const unsigned short* units, std::size_t count);
// The value as Latin-1 bytes; false (and out untouched) when it does not fit.
bool Utf8ToLatin1(const CString& value, std::string* out);
// The value as zero-terminated UTF-16 in the byte-swapped order id3lib needs.
std::u16string Utf8ToSwappedUtf16(const CString& value);
// Copies text into buffer (size bytes with the terminating zero), cut at a
// character boundary when it does not fit.
void CopyCut(const CString& text, char* buffer, int size);

}  // namespace textcodec
