#include "language/internal_check.h"

#include <gtest/gtest.h>

namespace {

int checked_half(int n) {
  INTERNAL_CHECK("halves", n % 2 == 0);
  return n / 2;
}

TEST(InternalCheck, PassesQuietlyAndAbortsWithWhatFailed) {
  EXPECT_EQ(checked_half(8), 4);
  EXPECT_DEATH(checked_half(7), "^Internal error: n % 2 == 0 \\(halves, line [0-9]+\\)\n");
}

}  // namespace
