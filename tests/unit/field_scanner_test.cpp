// FieldScanner: "%d", "%lf", "%c" and white space as the readers apply them,
// including what each leaves unread and tokens split across read blocks.
#include <gtest/gtest.h>

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "common/field_scanner.h"
#include "tests/unit/reader_sources.h"

namespace sheet {
namespace {

using testing::BlockDescriptor;
using testing::ReadAll;

constexpr std::size_t kBlock = TextReader::kBlockSize;

const char* Name(FieldStatus status) {
  switch (status) {
    case FieldStatus::converted: return "converted";
    case FieldStatus::no_match: return "no_match";
    case FieldStatus::end_of_file: return "end_of_file";
    case FieldStatus::out_of_range: return "out_of_range";
  }
  return "?";
}

// One field read on `reader`, then everything it left unread.
template <typename Value>
struct Read {
  FieldStatus status;
  Value value;
  std::string rest;
};

Read<std::int32_t> ReadInt(TextReader& reader) {
  Read<std::int32_t> read{FieldStatus::converted, -7, ""};
  read.status = ScanIntField(reader, read.value);
  read.rest = ReadAll(reader);
  return read;
}
Read<std::int32_t> ReadInt(const std::string& text) {
  TextReader reader(std::string_view(text), "f.csv");
  return ReadInt(reader);
}

Read<double> ReadReal(TextReader& reader) {
  Read<double> read{FieldStatus::converted, -7.0, ""};
  read.status = ScanRealField(reader, read.value);
  read.rest = ReadAll(reader);
  return read;
}
Read<double> ReadReal(const std::string& text) {
  TextReader reader(std::string_view(text), "f.csv");
  return ReadReal(reader);
}

std::uint64_t Bits(double value) { return std::bit_cast<std::uint64_t>(value); }

struct IntCase {
  std::string text;
  FieldStatus status;
  std::int32_t value;  // checked when converted
  std::string rest;
};

TEST(FieldScanner, IntegerField) {
  using enum FieldStatus;
  const IntCase cases[] = {
      {"42", converted, 42, ""},
      {" \t\r\n\v\f-17,x", converted, -17, ",x"},
      {"\r\n\r\n5\r\n", converted, 5, "\n"},
      {"+5", converted, 5, ""},
      {"-0", converted, 0, ""},
      {"007", converted, 7, ""},
      {"12abc", converted, 12, "abc"},
      {"1.5", converted, 1, ".5"},
      {"3e2", converted, 3, "e2"},
      {"2147483647", converted, 2147483647, ""},
      {"-2147483648 ", converted, std::numeric_limits<std::int32_t>::min(), " "},
      {"000000000000000000000000000012", converted, 12, ""},
      {"2147483648", out_of_range, 0, "2147483648"},
      {"-2147483649", out_of_range, 0, "-2147483649"},
      {"  99999999999999999999999,", out_of_range, 0, "99999999999999999999999,"},
      {"x", no_match, 0, "x"},
      {",5", no_match, 0, ",5"},
      {"-", no_match, 0, "-"},
      {"+-3", no_match, 0, "+-3"},
      {"- 3", no_match, 0, "- 3"},
      {".5", no_match, 0, ".5"},
      {"", end_of_file, 0, ""},
      {" \r\n\t", end_of_file, 0, ""},
      {"\x1a" "12", end_of_file, 0, ""},
      {"12\x1a" "34", converted, 12, ""},
  };
  for (const auto& c : cases) {
    const auto read = ReadInt(c.text);
    EXPECT_STREQ(Name(read.status), Name(c.status)) << c.text;
    if (c.status == FieldStatus::converted) {
      EXPECT_EQ(read.value, c.value) << c.text;
    } else {
      EXPECT_EQ(read.value, -7) << c.text << " changed the value";
    }
    EXPECT_EQ(read.rest, c.rest) << c.text;
  }
}

struct RealCase {
  std::string text;
  FieldStatus status;
  double value;  // checked bit for bit when converted
  std::string rest;
};

TEST(FieldScanner, RealField) {
  using enum FieldStatus;
  constexpr double kMax = std::numeric_limits<double>::max();
  constexpr double kTiniest = std::numeric_limits<double>::denorm_min();
  const RealCase cases[] = {
      {"1.5", converted, 1.5, ""},
      {" \r\n-2.5e3,", converted, -2500.0, ","},
      {"+7", converted, 7.0, ""},
      {"+.5", converted, 0.5, ""},
      {"5.", converted, 5.0, ""},
      {"5.,", converted, 5.0, ","},
      {".5", converted, 0.5, ""},
      {"-.5", converted, -0.5, ""},
      {"1E-2x", converted, 0.01, "x"},
      {"1e+03", converted, 1000.0, ""},
      {"1e,", converted, 1.0, "e,"},
      {"1e+,", converted, 1.0, "e+,"},
      {"1E-", converted, 1.0, "E-"},
      {"2.e5", converted, 2e5, ""},
      {"1.5.5", converted, 1.5, ".5"},
      {"1e5e5", converted, 1e5, "e5"},
      {"12,3", converted, 12.0, ",3"},
      {"0x1p3", converted, 0.0, "x1p3"},
      {"0.1", converted, 0.1, ""},
      {"9007199254740993", converted, 9007199254740992.0, ""},    // tie: to even
      {"9007199254740993.0000000000001", converted, 9007199254740994.0, ""},
      {"2.2250738585072011e-308", converted, 2.2250738585072009e-308, ""},
      {"123456789012345678901234567890e-29", converted, 1.2345678901234568, ""},
      {"0.000000000000000000000000000000000000001e+39", converted, 1.0, ""},
      {"1e0000000000000000000001", converted, 10.0, ""},
      {"0e99999", converted, 0.0, ""},
      {"1.7976931348623157e308", converted, kMax, ""},
      {"4.9406564584124654e-324", converted, kTiniest, ""},
      {"3e-324", converted, kTiniest, ""},
      {"1000e-326", converted, 2 * kTiniest, ""},
      {"1e-310", converted, 1e-310, ""},
      {"2e-324", converted, 0.0, ""},
      {"1e-400,", converted, 0.0, ","},
      {"-1e-400", converted, -0.0, ""},
      {"100000e-330", converted, 0.0, ""},
      {"1e-99999999999999999999", converted, 0.0, ""},
      {"-0", converted, -0.0, ""},
      {"1e999", out_of_range, 0, "1e999"},
      {"-1e999,", out_of_range, 0, "-1e999,"},
      {"1.7976931348623159e308", out_of_range, 0, "1.7976931348623159e308"},
      {"0.001e1000", out_of_range, 0, "0.001e1000"},
      {"1e99999999999999999999", out_of_range, 0, "1e99999999999999999999"},
      {".", no_match, 0, "."},
      {"-.", no_match, 0, "-."},
      {"+.e5", no_match, 0, "+.e5"},
      {"e5", no_match, 0, "e5"},
      {"+-1", no_match, 0, "+-1"},
      {"inf", no_match, 0, "inf"},
      {"-INF", no_match, 0, "-INF"},
      {"nan", no_match, 0, "nan"},
      {"Infinity", no_match, 0, "Infinity"},
      {",1", no_match, 0, ",1"},
      {"", end_of_file, 0, ""},
      {"  \r\n", end_of_file, 0, ""},
  };
  for (const auto& c : cases) {
    const auto read = ReadReal(c.text);
    EXPECT_STREQ(Name(read.status), Name(c.status)) << c.text;
    if (c.status == FieldStatus::converted) {
      EXPECT_EQ(Bits(read.value), Bits(c.value)) << c.text << " read as " << read.value;
    } else {
      EXPECT_EQ(read.value, -7.0) << c.text << " changed the value";
    }
    EXPECT_EQ(read.rest, c.rest) << c.text;
  }
}

// Random decimal texts against strtod, which rounds correctly.
TEST(FieldScanner, RealFieldRoundsLikeStrtod) {
  std::mt19937_64 random(20240611);
  auto digits = [&](int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += static_cast<char>('0' + random() % 10);
    return text;
  };
  for (int i = 0; i < 3000; ++i) {
    std::string text;
    const int sign = static_cast<int>(random() % 3);
    if (sign == 1) text += '-';
    if (sign == 2) text += '+';
    const int whole = static_cast<int>(random() % 22);
    const int fraction = static_cast<int>(random() % 22);
    text += digits(whole);
    if (whole == 0 || random() % 2) text += '.' + digits(whole == 0 && fraction == 0 ? 1 : fraction);
    if (random() % 2) {
      text += random() % 2 ? 'e' : 'E';
      if (random() % 2) text += random() % 2 ? '-' : '+';
      text += std::to_string(random() % 340);
    }
    errno = 0;
    const double expected = std::strtod(text.c_str(), nullptr);
    const auto read = ReadReal(text + ",");
    if (std::isinf(expected)) {
      EXPECT_STREQ(Name(read.status), "out_of_range") << text;
      continue;
    }
    EXPECT_STREQ(Name(read.status), "converted") << text;
    EXPECT_EQ(Bits(read.value), Bits(expected)) << text;
    EXPECT_EQ(read.rest, ",") << text;
  }
}

TEST(FieldScanner, CharacterFieldTakesTheVeryNextCharacter) {
  const std::string text = " ,\r\nx\ry";
  TextReader reader(std::string_view(text), "f.csv");
  std::string taken;
  char c = 0;
  while (ScanCharField(reader, c) == FieldStatus::converted) taken += c;
  EXPECT_EQ(taken, " ,\nx\ry");
  EXPECT_EQ(ScanCharField(reader, c), FieldStatus::end_of_file);
}

TEST(FieldScanner, WhiteSpaceSkipsAnyRunAndNeverFails) {
  const std::pair<std::string, std::string> cases[] = {
      {" \t\n\v\f\r\r\nx y", "x y"},
      {"x", "x"},
      {"", ""},
      {"   ", ""},
  };
  for (const auto& [text, rest] : cases) {
    TextReader reader(std::string_view(text), "f.csv");
    SkipWhiteSpace(reader);
    EXPECT_EQ(ReadAll(reader), rest);
  }
}

struct ScanCase {
  std::string text;
  int converted;
  bool end_of_file;
  FieldStatus stopped;
  std::string rest;
};

// "%d%c%lf", the read of most rows.
TEST(FieldScanner, ScanCountsFieldsUpToTheFirstFailure) {
  using enum FieldStatus;
  const ScanCase cases[] = {
      {"7,2.5\r\n", 3, false, converted, "\n"},
      {" 7 2.5", 3, false, converted, ""},
      {"7,x", 2, false, no_match, "x"},
      {"7,1e999", 2, false, out_of_range, "1e999"},
      {"7,", 2, false, end_of_file, ""},
      {"7", 1, false, end_of_file, ""},
      {"x,2.5", 0, false, no_match, "x,2.5"},
      {"", 0, true, end_of_file, ""},
      {"\r\n  \r\n", 0, true, end_of_file, ""},
  };
  for (const auto& c : cases) {
    TextReader reader(std::string_view(c.text), "f.csv");
    std::int32_t a = -1;
    char separator = '?';
    double x = -1.0;
    const ScanResult result = Scan(reader, IntField{a}, CharField{separator}, RealField{x});
    EXPECT_EQ(result.converted, c.converted) << c.text;
    EXPECT_EQ(result.end_of_file, c.end_of_file) << c.text;
    EXPECT_STREQ(Name(result.stopped), Name(c.stopped)) << c.text;
    EXPECT_EQ(ReadAll(reader), c.rest) << c.text;
    if (c.converted < 3) {
      EXPECT_EQ(x, -1.0) << c.text << ": a later field was converted";
    }
    if (c.converted < 2) {
      EXPECT_EQ(separator, '?') << c.text << ": a later field was converted";
    }
  }
}

// "%d\n%c": white space in a template counts no field.
TEST(FieldScanner, ScanWithWhiteSpaceInTheTemplate) {
  const std::string text = "5 \r\n  x";
  TextReader reader(std::string_view(text), "f.csv");
  std::int32_t a = 0;
  char c = 0;
  const ScanResult result = Scan(reader, IntField{a}, WhiteSpace{}, CharField{c});
  EXPECT_EQ(result.converted, 2);
  EXPECT_EQ(a, 5);
  EXPECT_EQ(c, 'x');

  const std::string blank = "  ";
  TextReader at_end(std::string_view(blank), "f.csv");
  EXPECT_TRUE(Scan(at_end, WhiteSpace{}, CharField{c}).end_of_file);
}

// A token split at every place between two read blocks reads as if whole.
TEST(FieldScanner, TokensSplitBetweenReadBlocks) {
  const std::string ints[] = {"-123456", "+42", "2147483647", "0000000000000000000000000000000000000000000000000000000000000000000000009"};
  for (const std::string& token : ints) {
    for (std::size_t k = 1; k < token.size(); ++k) {
      TextReader reader(BlockDescriptor({" " + token.substr(0, k), token.substr(k) + ",rest"}), "f.csv");
      const auto read = ReadInt(reader);
      EXPECT_STREQ(Name(read.status), "converted") << token << " split at " << k;
      EXPECT_EQ(read.value, std::stoi(token)) << token << " split at " << k;
      EXPECT_EQ(read.rest, ",rest") << token << " split at " << k;
    }
  }
  const std::pair<std::string, std::string> reals[] = {
      {"-1.25e+10", ""}, {"5.", ""}, {".5e-3", ""}, {"1e", "e"}, {"1e-", "e-"},
      {"0.1000000000000000000000000000000000000000000000000000000000000000000000001", ""},
  };
  for (const auto& [token, left] : reals) {
    for (std::size_t k = 1; k < token.size(); ++k) {
      TextReader reader(BlockDescriptor({token.substr(0, k), token.substr(k) + ",rest"}), "f.csv");
      const auto read = ReadReal(reader);
      EXPECT_STREQ(Name(read.status), "converted") << token << " split at " << k;
      EXPECT_EQ(read.value, std::strtod(token.c_str(), nullptr)) << token << " split at " << k;
      EXPECT_EQ(read.rest, left + ",rest") << token << " split at " << k;
    }
  }
  // One block per character.
  std::vector<std::string> blocks;
  for (char c : std::string("  -2.5E+2;")) blocks.push_back(std::string(1, c));
  TextReader reader(BlockDescriptor(blocks), "f.csv");
  const auto read = ReadReal(reader);
  EXPECT_EQ(read.value, -250.0);
  EXPECT_EQ(read.rest, ";");
}

TEST(FieldScanner, TokenAcrossTheFirstMegabyte) {
  const std::string text = std::string(kBlock - 4, ' ') + "-1.5e+3,";
  EXPECT_EQ(ReadReal(text).value, -1500.0);
  const std::string digits = std::string(kBlock - 2, ' ') + "1234,";
  EXPECT_EQ(ReadInt(digits).value, 1234);
}

TEST(FieldScanner, TokensLongerThanTheBuffer) {
  const std::string zeros(kBlock + 100, '0');
  auto i = ReadInt(zeros + "42,");
  EXPECT_EQ(i.value, 42);
  EXPECT_EQ(i.rest, ",");
  i = ReadInt("1" + zeros + ",");
  EXPECT_STREQ(Name(i.status), "out_of_range");

  auto x = ReadReal("1" + zeros + "e-" + std::to_string(zeros.size()) + ",");
  EXPECT_EQ(x.value, 1.0);
  EXPECT_EQ(x.rest, ",");
  x = ReadReal("-0." + zeros + zeros + "25e" + std::to_string(2 * zeros.size() + 1) + ",");
  EXPECT_EQ(x.value, -2.5);
  EXPECT_EQ(x.rest, ",");
  x = ReadReal("0." + zeros + "1");  // far below the smallest double
  EXPECT_EQ(Bits(x.value), Bits(0.0));
  x = ReadReal("1" + zeros);
  EXPECT_STREQ(Name(x.status), "out_of_range");
}

}  // namespace
}  // namespace sheet
