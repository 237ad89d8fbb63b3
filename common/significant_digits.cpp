#include "common/significant_digits.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace sheet {
namespace {

// The powers of ten are taken from extended precision (64-bit mantissa);
// without it the fast path is not used.
constexpr bool kHasExtendedPrecision = std::numeric_limits<long double>::digits >= 64;

constexpr int kLowestPower = -360;
constexpr int kHighestPower = 360;

// 10^k = significand x 2^binary_exponent, the significand in [2^63, 2^64)
// and correctly rounded: relative error below 2^-64.
struct Power {
  std::uint64_t significand = 0;
  int binary_exponent = 0;
};

struct PowersOfTen {
  std::array<Power, kHighestPower - kLowestPower + 1> table{};
  PowersOfTen() {
    if constexpr (!kHasExtendedPrecision) return;
    for (int k = kLowestPower; k <= kHighestPower; ++k) {
      const std::string text = "1e" + std::to_string(k);
      long double value = 0;
      std::from_chars(text.data(), text.data() + text.size(), value);
      int exponent = 0;
      const long double fraction = std::frexp(value, &exponent);  // in [0.5, 1)
      Power& power = table[static_cast<std::size_t>(k - kLowestPower)];
      power.significand = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
      power.binary_exponent = exponent - 64;
    }
  }
  const Power& operator[](int k) const { return table[static_cast<std::size_t>(k - kLowestPower)]; }
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
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(magnitude);
  const int biased_exponent = static_cast<int>(bits >> 52);
  if (biased_exponent == 0) return false;  // subnormals take the exact path
  // magnitude = mantissa x 2^mantissa_exponent, exactly.
  const std::uint64_t mantissa = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
  const int mantissa_exponent = biased_exponent - 1075;
  // magnitude lies in [2^e, 2^(e+1)); floor(e log10(2)) is floor(log10(magnitude))
  // or one less (78913 / 2^18 is log10(2), exact enough for every e here).
  int decimal_exponent = ((biased_exponent - 1023) * 78913) >> 18;
  const PowersOfTen& powers = Powers();
  for (int attempt = 0; attempt < 2; ++attempt) {
    // scaled = magnitude x 10^(count - 1 - decimal_exponent), in
    // [10^(count-1), 10^count) when the decimal exponent is right. The
    // product holds it as a fixed-point number with `shift` fraction bits.
    const Power& power = powers[count - 1 - decimal_exponent];
    const unsigned __int128 product = static_cast<unsigned __int128>(mantissa) * power.significand;
    const int shift = -(mantissa_exponent + power.binary_exponent);
    if (shift <= 64 || shift >= 128) return false;
    std::uint64_t whole = static_cast<std::uint64_t>(product >> shift);
    if (whole >= kIntegerPowers[count]) {
      ++decimal_exponent;
      continue;
    }
    if (whole < kIntegerPowers[count - 1]) {
      --decimal_exponent;
      continue;
    }
    // The fraction in units of 2^-64. The product is within 6e-12 of the
    // exact scaled value and the 17-digit string within 5e-10 (count <= 8):
    // a margin of about 1e-6 around the half leaves every decision certain.
    const std::uint64_t fraction = static_cast<std::uint64_t>((product << (128 - shift)) >> 64);
    constexpr std::uint64_t kHalf = std::uint64_t{1} << 63;
    constexpr std::uint64_t kMargin = std::uint64_t{1} << 44;
    if (fraction > kHalf - kMargin && fraction < kHalf + kMargin) return false;
    if (fraction > kHalf) ++whole;
    if (whole == kIntegerPowers[count]) {
      whole = kIntegerPowers[count - 1];
      ++decimal_exponent;
    }
    digits = whole;
    exponent = decimal_exponent;
    return true;
  }
  return false;
}

}  // namespace sheet
