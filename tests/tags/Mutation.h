#pragma once
// Mutated copies of tagged fixtures, each linked and read in full: the tag
// object must survive every one of them.
#include <platform/String.h>

namespace test {

// Runs count mutations (seeded, so a failure can be replayed) in folder;
// returns how many copies were read. Crashes and hangs end the process.
int RunMutations(const CString& folder, unsigned seed, int count);

}  // namespace test
