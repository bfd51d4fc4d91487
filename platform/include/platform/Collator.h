#pragma once
// The order in which a person expects names and numbers: runs of digits
// compare as numbers ("2" before "1023"), letters without regard to case.
#include <base/String.h>

#include <vector>

namespace platform {

// The rank of every text in that order: 0 for the first, equal texts share a
// rank, and the next different text takes the next rank. The window's paint
// events are let through now and then (PumpPaintEvents), as for 100,000 texts
// this takes a tenth of a second.
std::vector<int> RankNatural(const std::vector<CString>& texts);

}  // namespace platform
