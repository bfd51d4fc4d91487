// Damaged files must never crash the tag object (id3lib itself crashes on
// about one in 160 mutated tagged files).
#include "Mutation.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(TagsMutation, ThousandsOfDamagedFilesAreReadWithoutCrashing) {
  test::TempDir dir;
  EXPECT_EQ(test::RunMutations(dir.Path(), 20261208u, 3000), 3000);
}
