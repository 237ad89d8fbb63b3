// The number conversions of the output templates, each writing at `out` and
// returning one past the last character written. Nothing here depends on the
// locale; the decimal separator is always the point.
//
// Both real forms first take the value to 17 significant decimal digits
// (correctly rounded), then round that digit string half away from zero at
// the last digit written. The exponent always has a sign and three digits.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sheet {

// Room that any single conversion below needs, whatever the value, for
// precisions up to 80.
constexpr std::size_t kMaxNumberWidth = 400;

// "%Nd": right-aligned in at least `width` columns, never cut.
char* FormatInteger(char* out, std::int64_t value, int width);

// "% 1.5E", "% 1.7E" (blank_for_non_negative) and "%1.1E": one digit, the
// point, `precision` digits, E, the exponent's sign and three digits. The
// sign bit decides the minus sign (-0.0 gives -0.00000E+000). A non-finite
// value is written as the C conversion writes it: INF, -INF, NAN, -NAN, with
// the blank in front when the flag asks for it.
char* FormatExponent(char* out, double value, int precision, bool blank_for_non_negative);
// The same by the plain path alone: the 17 correctly rounded digits, then the
// second rounding. FormatExponent takes a faster exact path where it can; the
// tests hold the two against each other.
char* FormatExponentExact(char* out, double value, int precision, bool blank_for_non_negative);

// "%1.Plf": the integer part, the point, `precision` decimals.
char* FormatFixed(char* out, double value, int precision);

// The 17 significant digits of |value| and its decimal exponent: value is
// 0.d1d2...d17 x 10^(exponent + 1), written d1.d2...d17 E exponent. Zero gives
// seventeen zeros and exponent 0. value must be finite.
struct Decimal17 {
  char digits[17];
  int exponent;
};
Decimal17 ToDecimal17(double value);

}  // namespace sheet
