// The long mutation run: tags_mutation [kind] [count] [seed], kind one of
// v1, v22, v23, v24 or all. Prints what was read and saved; a crash, a hang,
// a refused file changed or a save that lost a frame is the failure.
#include "Mutation.h"
#include "support/TestSupport.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  const char* kind = argc > 1 ? argv[1] : "all";
  const int count = argc > 2 ? std::atoi(argv[2]) : 100000;
  const unsigned seed = argc > 3 ? static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10)) : 1u;
  test::TempDir dir;
  const test::MutationCounts c = test::RunMutations(dir.Path(), kind, seed, count);
  std::printf("%s: %d mutants read, %d saved, %d refused and left unchanged, %d old frames kept byte for byte, "
              "%d saves compared through mutagen, %d put back byte for byte by their records, %d damaged records "
              "refused; 0 crashes, 0 frames lost\n",
              kind, c.nRead, c.nSaved, c.nRefused, c.nFramesKept, c.nMutagenViews, c.nRestored, c.nDamagedRefused);
  return 0;
}
