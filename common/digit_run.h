// Reading a run of decimal digits eight at a time (SWAR: one 64-bit word
// holds eight characters). The caller guarantees that eight bytes can be read
// at `p`; only the digits of the run are used.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace sheet {

struct DigitRun {
  std::uint64_t value = 0;  // the digits as a number
  int length = 0;           // 0 to 8 digits
};

inline DigitRun ReadDigitRun8(const char* p) {
  static_assert(std::endian::native == std::endian::little, "the first character must be the low byte");
  std::uint64_t word;
  std::memcpy(&word, p, 8);
  // A byte is a digit exactly when byte ^ '0' is below 10.
  const std::uint64_t values = word ^ 0x3030303030303030ULL;
  const std::uint64_t not_digit =
      (((values & 0x7F7F7F7F7F7F7F7FULL) + 0x7676767676767676ULL) | values) & 0x8080808080808080ULL;
  const int length = not_digit == 0 ? 8 : std::countr_zero(not_digit) / 8;
  if (length == 0) return {};
  // Move the digits to the top bytes, so that the bytes below read as
  // leading zeros, then combine pairs, quads and halves.
  std::uint64_t x = length == 8 ? values : values << (8 * (8 - length));
  x = (x * 2561) >> 8;
  x = ((x & 0x00FF00FF00FF00FFULL) * 6553601) >> 16;
  x = ((x & 0x0000FFFF0000FFFFULL) * 42949672960001ULL) >> 32;
  return {x & 0xFFFFFFFFULL, length};
}

}  // namespace sheet
