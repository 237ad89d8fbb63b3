#include "common/format_number.h"

#include "common/significant_digits.h"

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
  char text[24];
  const auto result = std::to_chars(text, text + sizeof text, value);
  const int length = static_cast<int>(result.ptr - text);
  for (int i = length; i < width; ++i) *out++ = ' ';
  std::memcpy(out, text, static_cast<std::size_t>(length));
  return out + length;
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
  std::uint64_t digits = 0;
  int exponent = 0;
  const int count = precision + 1;
  if (value == 0 || !RoundSignificantDigitsFast(std::fabs(value), count, digits, exponent)) {
    return FormatExponentExact(out, value, precision, blank_for_non_negative);
  }
  if (std::signbit(value)) {
    *out++ = '-';
  } else if (blank_for_non_negative) {
    *out++ = ' ';
  }
  // digits holds exactly `count` decimal digits: the first, the point, the rest.
  char text[8] = {};
  for (int i = count - 1; i >= 0; --i) {
    text[i] = static_cast<char>('0' + digits % 10);
    digits /= 10;
  }
  *out++ = text[0];
  if (precision > 0) {
    *out++ = '.';
    std::memcpy(out, text + 1, static_cast<std::size_t>(precision));
    out += precision;
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
