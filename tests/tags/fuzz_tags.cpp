// The long mutation run: tags_mutation [count] [seed]. Prints the count read;
// a crash or hang is the failure.
#include "Mutation.h"
#include "support/TestSupport.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
  const unsigned seed = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 1u;
  test::TempDir dir;
  std::printf("%d mutated files read\n", test::RunMutations(dir.Path(), seed, count));
  return 0;
}
