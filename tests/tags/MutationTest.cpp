// Damaged files must never crash the tag object (id3lib itself crashes on
// about one in 160 mutated tagged files), and a save of one must keep every
// frame it did not edit.
#include "Mutation.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(TagsMutation, ThousandsOfDamagedFilesAreReadWithoutCrashingAndSavedWithoutLoss) {
  test::TempDir dir;
  const test::MutationCounts counts = test::RunMutations(dir.Path(), "all", 20261208u, 3000);
  EXPECT_EQ(counts.nRead, 3000);
  EXPECT_GT(counts.nSaved, 100);
  EXPECT_GT(counts.nFramesKept, 500);
}
