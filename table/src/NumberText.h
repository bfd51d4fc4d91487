#pragma once
// Numbers to cell text and back, always with a '.' decimal point: the desktop
// locale must not change what a cell holds or how it reads.
#include <base/String.h>

namespace gridora {

// value with places decimals, as "%.<places>f" writes it in the C locale.
CString FormatFixed(double value, int places);
// The text read the way atoi reads it; out-of-range values clamp to int.
int ReadInt(const CString& text);
// The text read the way atof reads it in the C locale.
double ReadReal(const CString& text);

}  // namespace gridora
