#pragma once
// UTF-8 text as wide characters and back: the one reading of UTF-8 that
// every library uses (case conversion, regular expressions, cutting a name
// at a character boundary, the text of tags).
//
// Only well-formed UTF-8 is a character: an overlong form, an encoded
// surrogate, a value past U+10FFFF or a sequence cut short is not. Each byte
// of such a sequence stands for the Latin-1 character of the same value: it
// is carried through as the mark 0xDC00 + byte, which Encode writes back as
// that very byte (so converting never changes bytes it does not mean to),
// and which text leaving for another encoding (a tag's Latin-1 or UTF-16)
// takes as that Latin-1 character (CharacterOf), so nothing a user could
// read is lost.
#include <cstddef>
#include <string>
#include <string_view>

namespace utf8 {

// Every character of text; an invalid byte b becomes 0xDC00 + b.
std::wstring Decode(const std::string& text);
// The character at pos (which must be before the end), as Decode reads it;
// pos moves past it.
wchar_t Next(std::string_view text, std::size_t& pos);
// The UTF-8 bytes of text; 0xDC80..0xDCFF become the single byte they stand
// for, and any other surrogate or value past Unicode (which no text holds)
// U+FFFD.
std::string Encode(const std::wstring& text);

// Whether ch is the mark of an invalid byte.
inline bool IsRawByte(wchar_t ch) { return ch >= 0xDC80 && ch <= 0xDCFF; }
// The character ch stands for: an invalid byte's Latin-1 character, else ch.
inline wchar_t CharacterOf(wchar_t ch) { return IsRawByte(ch) ? ch - 0xDC00 : ch; }

// The longest prefix of text that is at most maxBytes long and does not end
// inside a character.
std::string CutAtBoundary(const std::string& text, std::size_t maxBytes);

// Whether a byte continues a character begun before it.
inline bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace utf8
