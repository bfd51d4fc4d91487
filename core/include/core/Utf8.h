#pragma once
// UTF-8 text as wide characters and back, for the pieces that work on
// characters rather than bytes (case conversion, regular expressions, cutting
// a name at a character boundary). A byte that is not part of valid UTF-8 is
// carried through as a character of its own and written back as the same
// byte, so converting never changes text it does not mean to.
#include <string>

namespace utf8 {

// Every character of text; an invalid byte b becomes 0xDC00 + b.
std::wstring Decode(const std::string& text);
// The UTF-8 bytes of text; 0xDC80..0xDCFF become the single byte they stand for.
std::string Encode(const std::wstring& text);

// The longest prefix of text that is at most maxBytes long and does not end
// inside a character.
std::string CutAtBoundary(const std::string& text, std::size_t maxBytes);

// Whether a byte continues a character begun before it.
inline bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace utf8
