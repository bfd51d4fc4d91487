#pragma once
// The genre list of ID3v1, by number.
#include <base/String.h>

namespace genres {

constexpr int kCount = 148;

// The name of genre n; null outside the list.
const char* Name(int n);
// The number of the genre a value names (a name, letter case and trailing
// blanks aside, or a reference "(17)"); -1 when none.
int IndexOf(const CString& value);

}  // namespace genres
