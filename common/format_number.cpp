#include "common/format_number.h"

#include "common/significant_digits.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

namespace sheet {
namespace {

char* WriteNonFinite(char* out, double value, bool blank_for_non_negative, bool upper) {
  if (std::signbit(value)) {
    *out++ = '-';
  } else if (blank_for_non_negative) {
    *out++ = ' ';
  }
  const char* word = std::isnan(value) ? (upper ? "NAN" : "nan") : (upper ? "INF" : "inf");
  std::memcpy(out, word, 3);
  return out + 3;
}

// Rounds digits[0..kept) half away from zero by the digit at `kept`; returns
// true when the carry ran out of the first digit (all nines), in which case
// the digits are now 1000...
bool RoundDigits(char* digits, int kept, char next_digit) {
  if (next_digit < '5') return false;
  for (int i = kept - 1; i >= 0; --i) {
    if (digits[i] != '9') {
      ++digits[i];
      return false;
    }
    digits[i] = '0';
  }
  if (kept > 0) digits[0] = '1';
  return true;
}

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// "E", the exponent's sign and its three digits.
char* WriteExponentPart(char* out, int exponent) {
  *out++ = 'E';
  *out++ = exponent < 0 ? '-' : '+';
  const int magnitude = exponent < 0 ? -exponent : exponent;
  *out++ = static_cast<char>('0' + magnitude / 100);
  *out++ = static_cast<char>('0' + magnitude / 10 % 10);
  *out++ = static_cast<char>('0' + magnitude % 10);
  return out;
}

}  // namespace

Decimal17 ToDecimal17(double value) {
  // "d.dddddddddddddddde+XX": 1 + 1 + 16 + 'e' + sign + up to 3 digits.
  char text[32];
  const auto result =
      std::to_chars(text, text + sizeof text, std::fabs(value), std::chars_format::scientific, 16);
  Decimal17 decimal;
  decimal.digits[0] = text[0];
  std::memcpy(decimal.digits + 1, text + 2, 16);
  const char* exponent = text + 19;  // after 'e'
  const bool negative = *exponent == '-';
  int magnitude = 0;
  for (const char* p = exponent + 1; p < result.ptr; ++p) magnitude = magnitude * 10 + (*p - '0');
  decimal.exponent = negative ? -magnitude : magnitude;
  return decimal;
}

char* FormatInteger(char* out, std::int64_t value, int width) {
  std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  // The number of digits from the bit width (1233 / 4096 is about log10(2)).
  static constexpr std::uint64_t kPowers[] = {1ULL,
                                              10ULL,
                                              100ULL,
                                              1000ULL,
                                              10000ULL,
                                              100000ULL,
                                              1000000ULL,
                                              10000000ULL,
                                              100000000ULL,
                                              1000000000ULL,
                                              10000000000ULL,
                                              100000000000ULL,
                                              1000000000000ULL,
                                              10000000000000ULL,
                                              100000000000000ULL,
                                              1000000000000000ULL,
                                              10000000000000000ULL,
                                              100000000000000000ULL,
                                              1000000000000000000ULL,
                                              10000000000000000000ULL};
  // (magnitude | 1 has the digits of magnitude, and zero counts as one digit.)
  const std::uint64_t probe = magnitude | 1;
  const int estimate = (std::bit_width(probe) * 1233) >> 12;
  const int digits = estimate + 1 - (probe < kPowers[estimate] ? 1 : 0);
  const int length = digits + (value < 0 ? 1 : 0);
  // Blanks eight at a time: the caller's room covers the width.
  for (int pad = width - length; pad > 0; pad -= 8) {
    std::memcpy(out, "        ", 8);
    out += pad < 8 ? pad : 8;
  }
  if (value < 0) *out++ = '-';
  char* p = out + digits;
  while (magnitude >= 100) {
    const std::size_t pair = static_cast<std::size_t>(magnitude % 100) * 2;
    magnitude /= 100;
    p -= 2;
    std::memcpy(p, kDigitPairs + pair, 2);
  }
  if (magnitude >= 10) {
    std::memcpy(p - 2, kDigitPairs + magnitude * 2, 2);
  } else {
    p[-1] = static_cast<char>('0' + magnitude);
  }
  return out + digits;
}

char* FormatExponentExact(char* out, double value, int precision, bool blank_for_non_negative) {
  if (!std::isfinite(value)) return WriteNonFinite(out, value, blank_for_non_negative, true);
  if (std::signbit(value)) {
    *out++ = '-';
  } else if (blank_for_non_negative) {
    *out++ = ' ';
  }
  Decimal17 decimal = ToDecimal17(value);
  const int kept = precision + 1;
  int exponent = decimal.exponent;
  if (kept < 17 && RoundDigits(decimal.digits, kept, decimal.digits[kept])) ++exponent;
  *out++ = decimal.digits[0];
  if (precision > 0) *out++ = '.';
  // Places past the seventeenth digit are zeros.
  const int copied = precision < 16 ? precision : 16;
  std::memcpy(out, decimal.digits + 1, static_cast<std::size_t>(copied));
  out += copied;
  for (int i = copied; i < precision; ++i) *out++ = '0';
  return WriteExponentPart(out, exponent);
}

char* FormatExponent(char* out, double value, int precision, bool blank_for_non_negative) {
  const int count = precision + 1;
  std::uint64_t digits = 0;
  int exponent = 0;
  if (count > 8) return FormatExponentExact(out, value, precision, blank_for_non_negative);
  if (value == 0) {
    digits = 0;  // zero of either sign: all digits 0, exponent +000
  } else if (!RoundSignificantDigitsFast(std::fabs(value), count, digits, exponent)) {
    return FormatExponentExact(out, value, precision, blank_for_non_negative);
  }
  if (std::signbit(value)) {
    *out++ = '-';
  } else if (blank_for_non_negative) {
    *out++ = ' ';
  }
  // `digits` holds `count` decimal digits (or is zero). They are written
  // from out + 1 in pairs straight from a table, then the first moves in
  // front of the point.
  const auto number = static_cast<std::uint32_t>(digits);
  auto pair = [](char* at, std::uint32_t two_digits) { std::memcpy(at, kDigitPairs + 2 * two_digits, 2); };
  switch (count) {
    case 2:
      pair(out + 1, number);
      break;
    case 6:
      pair(out + 1, number / 10000);
      pair(out + 3, number / 100 % 100);
      pair(out + 5, number % 100);
      break;
    case 8:
      pair(out + 1, number / 1000000);
      pair(out + 3, number / 10000 % 100);
      pair(out + 5, number / 100 % 100);
      pair(out + 7, number % 100);
      break;
    default: {
      std::uint32_t rest = number;
      for (int i = count; i >= 1; --i) {
        out[i] = static_cast<char>('0' + rest % 10);
        rest /= 10;
      }
    }
  }
  out[0] = out[1];
  if (precision > 0) {
    out[1] = '.';
    out += count + 1;
  } else {
    out += 1;
  }
  return WriteExponentPart(out, exponent);
}

char* FormatFixed(char* out, double value, int precision) {
  if (!std::isfinite(value)) return WriteNonFinite(out, value, false, false);
  if (std::signbit(value)) *out++ = '-';
  Decimal17 decimal = ToDecimal17(value);
  // Digits of the value from the highest integer place down to `precision`
  // decimals, taken from the 17-digit string and padded with zeros.
  // Place of digit k of the string: exponent - k (0 is the units place).
  const int lowest_place = -precision;
  int exponent = decimal.exponent;
  const int kept = exponent - lowest_place + 1;  // string digits that are written
  char digits[17];
  std::memcpy(digits, decimal.digits, 17);
  if (kept < 17) {
    if (kept <= 0) {
      // Everything lies below the last decimal written; only the first digit
      // right below it can round up.
      const bool up = kept == 0 && digits[0] >= '5';
      std::memset(digits, '0', 17);
      if (up) {
        digits[0] = '1';
        exponent = lowest_place;
      } else {
        exponent = lowest_place - 1;  // the value is written as zero
      }
    } else {
      if (RoundDigits(digits, kept, digits[kept])) ++exponent;
      std::memset(digits + kept, '0', static_cast<std::size_t>(17 - kept));
    }
  }
  auto digit_at = [&](int place) -> char {
    const int k = exponent - place;
    return k < 0 || k >= 17 ? '0' : digits[k];
  };
  const int highest = exponent > 0 ? exponent : 0;
  for (int place = highest; place >= 0; --place) *out++ = digit_at(place);
  if (precision > 0) {
    *out++ = '.';
    for (int place = -1; place >= lowest_place; --place) *out++ = digit_at(place);
  }
  return out;
}

}  // namespace sheet
