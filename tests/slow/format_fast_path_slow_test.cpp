// The fast exponent formatting held against the plain path on ten million
// random doubles and large tie sets.
#include <gtest/gtest.h>

#include "tests/support/fast_path_check.h"

namespace sheet::testing {
namespace {

TEST(FormatFastPathSlow, AgreesOnTenMillionValues) {
  const auto mismatch = FindFastPathMismatch(1, 10000000, 1000000);
  ASSERT_FALSE(mismatch.has_value()) << "differs on " << *mismatch;
}

}  // namespace
}  // namespace sheet::testing
