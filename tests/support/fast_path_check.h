// Holds the fast exponent formatting against the plain, obviously correct
// path: random doubles of every exponent and both signs (subnormals
// included), every power of two, and the values at and next to the rounding
// ties of the 2-, 6- and 8-digit templates, including the ties whose carry
// bumps the exponent. Returns the first value on which the two differ.
#pragma once

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>

#include "common/format_number.h"

namespace sheet::testing {

inline bool FormatsAgree(double value) {
  static constexpr int kPrecisions[] = {1, 5, 7};
  for (int precision : kPrecisions) {
    for (bool blank : {true, false}) {
      char fast[64];
      char exact[64];
      const std::string_view a(fast, static_cast<std::size_t>(FormatExponent(fast, value, precision, blank) - fast));
      const std::string_view b(exact, static_cast<std::size_t>(FormatExponentExact(exact, value, precision, blank) - exact));
      if (a != b) return false;
    }
  }
  return true;
}

inline bool AgreeAroundTheNearestDouble(const std::string& decimal) {
  double value = 0;
  if (std::from_chars(decimal.data(), decimal.data() + decimal.size(), value).ec != std::errc()) return true;
  return FormatsAgree(value) && FormatsAgree(std::nextafter(value, 0.0)) &&
         FormatsAgree(std::nextafter(value, INFINITY)) && FormatsAgree(-value);
}

// `random_count` random bit patterns, plus the edge sets.
inline std::optional<double> FindFastPathMismatch(std::uint64_t seed, std::uint64_t random_count,
                                                  std::uint64_t ties_per_template) {
  std::mt19937_64 generator(seed);
  for (std::uint64_t i = 0; i < random_count; ++i) {
    const double value = std::bit_cast<double>(generator());
    if (!FormatsAgree(value)) return value;
  }
  for (int k = -1074; k <= 1023; ++k) {
    const double power = std::ldexp(1.0, k);
    if (!FormatsAgree(power) || !FormatsAgree(-power)) return power;
  }
  // Decimal ties d.ddd...d5 x 10^e of each template's digit count, and the
  // all-nines ties whose rounding carries into a new exponent.
  std::uniform_int_distribution<int> exponent(-330, 310);
  for (int digits : {2, 6, 8}) {
    std::uniform_int_distribution<std::uint64_t> leading(1, 9);
    std::uniform_int_distribution<std::uint64_t> rest(0, 9);
    for (std::uint64_t i = 0; i < ties_per_template; ++i) {
      std::string decimal(1, static_cast<char>('0' + leading(generator)));
      decimal += '.';
      for (int d = 1; d < digits; ++d) decimal += static_cast<char>('0' + rest(generator));
      decimal += "5e" + std::to_string(exponent(generator));
      if (!AgreeAroundTheNearestDouble(decimal)) return std::strtod(decimal.c_str(), nullptr);
    }
    for (int e = -324; e <= 308; ++e) {
      const std::string nines = "9." + std::string(static_cast<std::size_t>(digits - 1), '9') + "5e" + std::to_string(e);
      if (!AgreeAroundTheNearestDouble(nines)) return std::strtod(nines.c_str(), nullptr);
    }
  }
  return std::nullopt;
}

}  // namespace sheet::testing
