// FieldScanner: the field reads of every text reader, after the input
// templates "%d", "%lf", "%c" and white space.
//
// A single field read returns a status and consumes only what belongs to the
// field: the character that ends or fails a numeric field stays unread. Scan()
// composes fields as a template does ("%d%c%lf" is
// Scan(r, IntField{a}, CharField{c}, RealField{x})) and reports how many were
// converted; the first field that fails ends the read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "common/digit_run.h"
#include "common/text_reader.h"

namespace sheet {

enum class FieldStatus {
  converted,
  no_match,      // the next characters are not the field (nothing consumed)
  end_of_file,   // the file ended before the field began
  out_of_range,  // an integer beyond 32 bits or a real beyond the double range
};

// White space of the templates: blank, tab, line feed, vertical tab, form
// feed, carriage return.
inline bool IsWhiteSpace(int c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

void SkipWhiteSpace(TextReader& reader);

namespace scan_detail {
inline constexpr std::uint64_t kIntegerPowers[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
// Characters that must follow the start of a token for the fast paths.
inline constexpr std::ptrdiff_t kFastWindow = 64;
}  // namespace scan_detail

// The general path of "%d": any window, tokens of any length, across blocks.
[[gnu::noinline]] FieldStatus ScanIntFieldGeneral(TextReader& reader, std::int32_t& value);

// "%d": white space, an optional sign, one or more decimal digits. The fast
// path serves a token that lies whole inside the window with room to spare
// (up to ten digits); everything else goes the general way, with the same
// result.
inline FieldStatus ScanIntField(TextReader& reader, std::int32_t& value) {
  const char* p = reader.cur();
  const char* const end = reader.end();
  if (end - p >= scan_detail::kFastWindow && !IsWhiteSpace(static_cast<unsigned char>(*p))) [[likely]] {
    const char* q = p;
    const bool negative = *q == '-';
    if (*q == '+' || *q == '-') ++q;
    const DigitRun first = ReadDigitRun8(q);
    std::uint64_t magnitude = first.value;
    int length = first.length;
    if (length == 8) {
      const DigitRun second = ReadDigitRun8(q + 8);
      magnitude = magnitude * scan_detail::kIntegerPowers[second.length] + second.value;
      length += second.length;
    }
    if (length > 0 && length <= 10) [[likely]] {
      const std::int64_t signed_value =
          negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
      if (signed_value >= INT32_MIN && signed_value <= INT32_MAX) [[likely]] {
        reader.ConsumeTo(q + length);
        value = static_cast<std::int32_t>(signed_value);
        return FieldStatus::converted;
      }
    }
  }
  return ScanIntFieldGeneral(reader, value);
}
// "%lf": white space, then the longest prefix of
// [sign] digits [. digits] [(e|E) [sign] digits] with at least one mantissa
// digit; converted with correct rounding. An underflow gives 0.0, -0.0 or a
// subnormal; an overflow does not convert.
FieldStatus ScanRealField(TextReader& reader, double& value);
// "%c": the very next character, white space and line ends included.
inline FieldStatus ScanCharField(TextReader& reader, char& value) {
  const int c = reader.Get();
  if (c == TextReader::kEnd) return FieldStatus::end_of_file;
  value = static_cast<char>(c);
  return FieldStatus::converted;
}

struct IntField { std::int32_t& value; };
struct RealField { double& value; };
struct CharField { char& value; };
struct WhiteSpace {};

struct ScanResult {
  int converted = 0;
  bool end_of_file = false;  // the file ended before the first field
  FieldStatus stopped = FieldStatus::converted;  // why the read stopped early
};

namespace scan_detail {
inline FieldStatus ScanOne(TextReader& r, IntField f) { return ScanIntField(r, f.value); }
inline FieldStatus ScanOne(TextReader& r, RealField f) { return ScanRealField(r, f.value); }
inline FieldStatus ScanOne(TextReader& r, CharField f) { return ScanCharField(r, f.value); }
inline FieldStatus ScanOne(TextReader& r, WhiteSpace) {
  SkipWhiteSpace(r);
  return FieldStatus::converted;
}
template <typename F>
constexpr int Counts() { return std::is_same_v<F, WhiteSpace> ? 0 : 1; }
}  // namespace scan_detail

template <typename... Fields>
ScanResult Scan(TextReader& reader, Fields... fields) {
  ScanResult result;
  bool going = true;
  auto one = [&](auto field) {
    if (!going) return;
    const FieldStatus status = scan_detail::ScanOne(reader, field);
    if (status == FieldStatus::converted) {
      result.converted += scan_detail::Counts<decltype(field)>();
      return;
    }
    going = false;
    result.stopped = status;
    result.end_of_file = result.converted == 0 && status == FieldStatus::end_of_file;
  };
  (one(fields), ...);
  return result;
}

}  // namespace sheet
