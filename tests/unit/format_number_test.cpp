// The number conversions of the output templates: "%Nd", the exponent forms
// "% 1.5E", "% 1.7E", "%1.1E" and the fixed form "%1.1lf", with their
// rounding (17 significant digits first, then half away from zero).
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

#include "common/format_number.h"

namespace sheet {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

std::string Exponent(double value, int precision, bool blank) {
  char text[kMaxNumberWidth];
  return std::string(text, FormatExponent(text, value, precision, blank));
}

std::string Fixed(double value, int precision) {
  char text[kMaxNumberWidth];
  return std::string(text, FormatFixed(text, value, precision));
}

std::string Integer(std::int64_t value, int width) {
  char text[kMaxNumberWidth];
  return std::string(text, FormatInteger(text, value, width));
}

// A real through one of the templates the files use.
std::string Format(const char* output_template, double value) {
  const std::string t = output_template;
  if (t == "% 1.5E") return Exponent(value, 5, true);
  if (t == "% 1.7E") return Exponent(value, 7, true);
  if (t == "%1.1E") return Exponent(value, 1, false);
  if (t == "%1.1lf") return Fixed(value, 1);
  ADD_FAILURE() << "unknown template " << t;
  return "";
}

struct Example {
  const char* output_template;
  double value;
  const char* text;
};

TEST(FormatNumber, WorkedExamples) {
  const Example examples[] = {
      // The examples that document the templates.
      {"% 1.5E", 1.0, " 1.00000E+000"},
      {"% 1.5E", -0.00025, "-2.50000E-004"},
      {"% 1.5E", 0.0, " 0.00000E+000"},
      {"%1.1E", 0.0, "0.0E+000"},
      {"%1.1lf", 0.0, "0.0"},
      {"%1.1lf", -12.5, "-12.5"},
      {"%1.1lf", 0.25, "0.3"},
      {"% 1.5E", 1.140625, " 1.14063E+000"},
      // Precisions and the blank flag.
      {"% 1.7E", 1.0, " 1.0000000E+000"},
      {"% 1.7E", -123456.789, "-1.2345679E+005"},
      {"%1.1E", 12.5, "1.3E+001"},
      {"%1.1E", -0.0125, "-1.3E-002"},
      {"% 1.5E", 1e100, " 1.00000E+100"},
      {"% 1.5E", 1e-100, " 1.00000E-100"},
      // The carry runs into the exponent.
      {"% 1.5E", 9.9999996, " 1.00000E+001"},
      {"% 1.5E", -9.9999951e-10, "-1.00000E-009"},
      {"%1.1E", 9.96, "1.0E+001"},
      {"%1.1lf", 9.96, "10.0"},
      {"%1.1lf", 99.95, "100.0"},  // 99.950000000000003 in 17 digits
      // Half away from zero on the 17-digit string, not on the binary value:
      // 1.999995 is 1.99999499999999996..., 1.9999950000000000 in 17 digits.
      {"% 1.5E", 1.999995, " 2.00000E+000"},
      {"% 1.5E", 1.234565, " 1.23456E+000"},  // 1.2345649999999999 in 17 digits
      {"%1.1lf", 123456789.25, "123456789.3"},
      {"%1.1lf", -0.25, "-0.3"},
      {"%1.1lf", 0.15, "0.1"},                 // 0.14999999999999999
      {"%1.1lf", 0.05, "0.1"},
      {"%1.1lf", 0.04, "0.0"},
      {"%1.1lf", -0.04, "-0.0"},
      {"%1.1lf", 1e-300, "0.0"},
      // Digits past the seventeenth are zeros.
      {"%1.1lf", 1.2345678901234566e25, "12345678901234566000000000.0"},
      {"%1.1lf", 1e20, "100000000000000000000.0"},
      // Signed zero, range ends, subnormals.
      {"% 1.5E", -0.0, "-0.00000E+000"},
      {"%1.1E", -0.0, "-0.0E+000"},
      {"%1.1lf", -0.0, "-0.0"},
      {"% 1.5E", std::numeric_limits<double>::max(), " 1.79769E+308"},
      {"% 1.5E", std::numeric_limits<double>::min(), " 2.22507E-308"},
      {"% 1.5E", std::numeric_limits<double>::denorm_min(), " 4.94066E-324"},
      {"% 1.7E", -std::numeric_limits<double>::denorm_min(), "-4.9406565E-324"},
      {"% 1.5E", 1e-310, " 1.00000E-310"},  // 9.9999999999999694E-311
      // Not finite.
      {"% 1.5E", kInf, " INF"},
      {"% 1.5E", -kInf, "-INF"},
      {"% 1.5E", kNan, " NAN"},
      {"%1.1E", kInf, "INF"},
  };
  for (const auto& e : examples) {
    EXPECT_EQ(Format(e.output_template, e.value), e.text)
        << e.output_template << " of " << std::bit_cast<std::uint64_t>(e.value);
  }
}

TEST(FormatNumber, IntegerIsRightAlignedAndNeverCut) {
  const struct {
    std::int64_t value;
    int width;
    const char* text;
  } cases[] = {
      {5, 5, "    5"},
      {-3, 5, "   -3"},
      {0, 0, "0"},
      {42, 1, "42"},
      {123456, 3, "123456"},
      {-2147483648LL, 8, "-2147483648"},
      {2147483647, 10, "2147483647"},
      {7, 10, "         7"},
  };
  for (const auto& c : cases) EXPECT_EQ(Integer(c.value, c.width), c.text) << c.value << " in " << c.width;
}

// The 17 significant digits and the decimal exponent of |value|, from the C
// conversion "%.16e".
struct Digits {
  std::string digits;  // 17 of them
  int exponent;
};

Digits SeventeenDigits(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.16e", std::fabs(value));
  Digits d;
  d.digits = std::string(1, text[0]) + std::string(text + 2, 16);
  d.exponent = std::atoi(text + 19);
  return d;
}

// Rounds `digits` half away from zero to its first `kept` digits; returns
// true when a carry added a leading digit (the result then has kept + 1).
bool RoundHalfAway(std::string& digits, std::size_t kept) {
  const bool up = kept < digits.size() && digits[kept] >= '5';
  digits.resize(kept);
  if (!up) return false;
  for (std::size_t i = kept; i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return false;
    }
    digits[i] = '0';
  }
  digits.insert(digits.begin(), '1');
  return true;
}

std::string ExpectedExponent(double value, int precision, bool blank) {
  Digits d = SeventeenDigits(value);
  if (RoundHalfAway(d.digits, static_cast<std::size_t>(precision) + 1)) {
    d.digits.pop_back();
    ++d.exponent;
  }
  char exponent[16];
  std::snprintf(exponent, sizeof exponent, "E%c%03d", d.exponent < 0 ? '-' : '+', std::abs(d.exponent));
  std::string text = std::signbit(value) ? "-" : blank ? " " : "";
  return text + d.digits[0] + "." + d.digits.substr(1) + exponent;
}

// The digits as a plain decimal with `precision` decimals.
std::string ExpectedFixed(double value, int precision) {
  const Digits d = SeventeenDigits(value);
  // Digits from the units place (or the highest place) down, with a decimal
  // point after the units place.
  std::string whole;
  std::string fraction;
  for (int place = std::max(d.exponent, 0); place >= -(precision + 20); --place) {
    const int k = d.exponent - place;
    const char digit = k >= 0 && k < 17 ? d.digits[static_cast<std::size_t>(k)] : '0';
    (place >= 0 ? whole : fraction) += digit;
  }
  std::string all = whole + fraction;
  const bool grew = RoundHalfAway(all, whole.size() + static_cast<std::size_t>(precision));
  const std::size_t whole_size = whole.size() + (grew ? 1 : 0);
  std::string text = std::signbit(value) ? "-" : "";
  text += all.substr(0, whole_size);
  if (precision > 0) text += "." + all.substr(whole_size);
  // Leading zeros of the whole part beyond the units place go.
  const std::size_t sign = text[0] == '-' ? 1 : 0;
  while (text.size() > sign + 1 && text[sign] == '0' && text[sign + 1] != '.') text.erase(sign, 1);
  return text;
}

double RandomFiniteDouble(std::mt19937_64& random) {
  for (;;) {
    const double value = std::bit_cast<double>(random());
    if (std::isfinite(value)) return value;
  }
}

// A value with few significant digits ending in 5 near a rounding place,
// where the half-away rule decides.
double RandomTie(std::mt19937_64& random, int significant) {
  std::string text = std::to_string(1 + random() % 9) + ".";
  for (int i = 1; i < significant; ++i) text += static_cast<char>('0' + random() % 10);
  text += "5e" + std::to_string(static_cast<int>(random() % 600) - 300);
  return std::strtod(text.c_str(), nullptr) * (random() % 2 ? -1 : 1);
}

TEST(FormatNumber, ExponentFormAgreesWithAnIndependentRounding) {
  std::mt19937_64 random(7);
  for (int i = 0; i < 4000; ++i) {
    const double value = i % 2 ? RandomFiniteDouble(random) : RandomTie(random, i % 4 ? 6 : 8);
    for (const auto& [precision, blank] : {std::pair{5, true}, std::pair{7, true}, std::pair{1, false}}) {
      ASSERT_EQ(Exponent(value, precision, blank), ExpectedExponent(value, precision, blank))
          << "%." << precision << "E of " << std::bit_cast<std::uint64_t>(value);
    }
  }
}

TEST(FormatNumber, FixedFormAgreesWithAnIndependentRounding) {
  std::mt19937_64 random(11);
  for (int i = 0; i < 3000; ++i) {
    double value;
    switch (i % 3) {
      case 0: value = RandomFiniteDouble(random); break;
      case 1: value = static_cast<double>(static_cast<std::int64_t>(random() % 2000001) - 1000000) / 20.0; break;
      default: value = std::ldexp(static_cast<double>(random() % 1000000), static_cast<int>(random() % 120) - 60);
    }
    ASSERT_EQ(Fixed(value, 1), ExpectedFixed(value, 1)) << std::bit_cast<std::uint64_t>(value);
  }
}

}  // namespace
}  // namespace sheet
