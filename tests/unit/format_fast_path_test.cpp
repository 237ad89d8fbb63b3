// The fast exponent formatting must write exactly what the plain path
// writes. The full run over ten million values is a slow test; this one is
// the same check with fewer random values.
#include <gtest/gtest.h>

#include "tests/support/fast_path_check.h"

namespace sheet::testing {
namespace {

TEST(FormatFastPath, AgreesWithThePlainPath) {
  const auto mismatch = FindFastPathMismatch(20261211, 300000, 20000);
  ASSERT_FALSE(mismatch.has_value()) << "differs on " << *mismatch;
}

TEST(FormatFastPath, TiesAndCarriesOfTheWorkedExamples) {
  for (double value : {1.140625, 1.999995, 9.9999996, 9.999995, 0.25, 99999.95, 1e-300, 4.9406564584124654e-324,
                       1.7976931348623157e308, 2.2250738585072014e-308, 123456.5, 0.5, 1.5e-7}) {
    EXPECT_TRUE(FormatsAgree(value)) << value;
    EXPECT_TRUE(FormatsAgree(-value)) << value;
  }
}

}  // namespace
}  // namespace sheet::testing
