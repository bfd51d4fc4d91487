#pragma once
// The user's remembered choices, kept between runs in one small file,
// $XDG_CONFIG_HOME/quillory/quillory.conf (~/.config when the variable is
// unset or empty). The file is read and written on each call, so every
// window of the program sees the same values; a value that cannot be read
// gives the fallback, and a write that fails is forgotten (the program works
// on without it).
#include <base/String.h>

namespace platform {

CString ReadSetting(const char* key, const CString& fallback = CString());
void WriteSetting(const char* key, const CString& value);

}  // namespace platform
