#pragma once
#include <base/String.h>

// The user guide shipped with the program: beside the installed program
// (share/quillory/help), else in the source tree it was built from; empty
// when neither exists.
CString UserGuidePath();
