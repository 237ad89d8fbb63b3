#include "common/significant_digits.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace sheet {
namespace {

// Extended precision (64-bit mantissa) keeps the scaled value within about
// 2e-19 of the exact product; without it the fast path is not used.
constexpr bool kHasExtendedPrecision = std::numeric_limits<long double>::digits >= 64;

constexpr int kLowestPower = -360;
constexpr int kHighestPower = 360;

// 10^k correctly rounded to long double, for every k the scaling can need.
struct PowersOfTen {
  std::array<long double, kHighestPower - kLowestPower + 1> table{};
  PowersOfTen() {
    for (int k = kLowestPower; k <= kHighestPower; ++k) {
      const std::string text = "1e" + std::to_string(k);
      long double value = 0;
      std::from_chars(text.data(), text.data() + text.size(), value);
      table[static_cast<std::size_t>(k - kLowestPower)] = value;
    }
  }
  long double operator[](int k) const { return table[static_cast<std::size_t>(k - kLowestPower)]; }
};

const PowersOfTen& Powers() {
  static const PowersOfTen powers;
  return powers;
}

constexpr std::uint64_t kIntegerPowers[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

}  // namespace

bool RoundSignificantDigitsFast(double magnitude, int count, std::uint64_t& digits, int& exponent) {
  if constexpr (!kHasExtendedPrecision) return false;
  if (!(magnitude > 0) || !std::isfinite(magnitude) || count < 1 || count > 8) return false;
  const PowersOfTen& powers = Powers();
  int binary_exponent = 0;
  std::frexp(magnitude, &binary_exponent);
  // floor(log10(magnitude)) or one less.
  int decimal_exponent = static_cast<int>(std::floor((binary_exponent - 1) * 0.30102999566398119521));
  const long double low = static_cast<long double>(kIntegerPowers[count - 1]);
  const long double high = static_cast<long double>(kIntegerPowers[count]);
  long double scaled = static_cast<long double>(magnitude) * powers[count - 1 - decimal_exponent];
  if (scaled >= high) {
    ++decimal_exponent;
    scaled = static_cast<long double>(magnitude) * powers[count - 1 - decimal_exponent];
  } else if (scaled < low) {
    --decimal_exponent;
    scaled = static_cast<long double>(magnitude) * powers[count - 1 - decimal_exponent];
  }
  if (scaled < low || scaled >= high) return false;
  std::uint64_t whole = static_cast<std::uint64_t>(scaled);
  const long double fraction = scaled - static_cast<long double>(whole);
  // The 17-digit string lies within 5e-10 of the exact value in these units
  // (count <= 8), the scaled value within 2e-11: a margin of 1e-6 around the
  // half leaves every decision certain.
  constexpr long double kMargin = 1e-6L;
  if (std::fabs(fraction - 0.5L) < kMargin) return false;
  if (fraction > 0.5L) ++whole;
  if (whole == kIntegerPowers[count]) {
    whole = kIntegerPowers[count - 1];
    ++decimal_exponent;
  }
  digits = whole;
  exponent = decimal_exponent;
  return true;
}

}  // namespace sheet
