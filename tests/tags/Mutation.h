#pragma once
// Mutated copies of tagged fixtures, each linked and read in full, some
// saved: the tag object must survive every one of them, write none it
// refused, and lose no frame in a save it makes.
#include <base/String.h>

namespace test {

struct MutationCounts {
  int nRead = 0;          // mutants linked and read
  int nSaved = 0;         // saves the object made
  int nRefused = 0;       // saves it refused (the file checked unchanged)
  int nFramesKept = 0;    // old frames found byte for byte after a save
  int nMutagenViews = 0;  // saves compared through mutagen's view
  int nRestored = 0;      // saves put back byte for byte by their records
  int nDamagedRefused = 0;  // damaged records refused (the file unchanged)
};

// Runs count mutations (seeded, so a failure can be replayed) in folder of
// the fixtures whose tag is of one kind: "v1" (ID3v1 only), "v22", "v23",
// "v24", or "all". A crash, a hang, a refused file changed or a save that
// loses a frame ends the process with the mutation's number.
MutationCounts RunMutations(const CString& folder, const char* kind, unsigned seed, int count);

}  // namespace test
