// The fast path of the exponent form's rounding.
//
// The output templates take a value to 17 significant digits first and then
// round that digit string half away from zero at the last digit written.
// Getting 17 correctly rounded digits costs far more than the 6 or 8 that are
// written, so this path scales the value into [10^(count-1), 10^count) with
// one 64 x 64-bit integer product against a 64-bit power of ten, where the
// error is far below anything that could move the rounding decision, and
// only declines when the value lies within a hair of a rounding boundary (a
// tie such as 1.140625 with 6 digits) or is subnormal; the caller then takes
// the exact 17-digit path.
#pragma once

#include <cstdint>

namespace sheet {

// For a finite magnitude > 0 and 1 <= count <= 8: the first `count`
// significant digits as an integer in [10^(count-1), 10^count) and the
// decimal exponent of the first digit, rounded as the templates round.
// Returns false when only the exact path can decide.
bool RoundSignificantDigitsFast(double magnitude, int count, std::uint64_t& digits, int& exponent);

}  // namespace sheet
