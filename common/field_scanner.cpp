#include "common/field_scanner.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace sheet {
namespace {

// Characters looked at before a token is known to be whole; widened when a
// token reaches the end of the window before the file does.
constexpr std::size_t kTokenWindow = 64;

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Where a real-number token ends, or nullptr when the window [begin, end)
// ended before the token did and the file goes on.
struct RealMatch {
  const char* end = nullptr;        // one past the token
  bool is_number = false;           // at least one mantissa digit
  const char* mantissa_end = nullptr;
};

bool MatchReal(const char* begin, const char* end, bool window_is_whole, RealMatch& match) {
  const char* p = begin;
  auto more = [&](const char* q) { return q < end; };
  auto cut_short = [&](const char* q) { return q == end && !window_is_whole; };
  if (more(p) && (*p == '+' || *p == '-')) ++p;
  if (cut_short(p)) return false;
  std::size_t digits = 0;
  while (more(p) && IsDigit(*p)) ++p, ++digits;
  if (cut_short(p)) return false;
  if (more(p) && *p == '.') {
    ++p;
    while (more(p) && IsDigit(*p)) ++p, ++digits;
    if (cut_short(p)) return false;
  }
  match.is_number = digits > 0;
  match.mantissa_end = p;
  match.end = p;
  if (!match.is_number) return true;
  if (more(p) && (*p == 'e' || *p == 'E')) {
    const char* q = p + 1;
    if (cut_short(q)) return false;
    if (more(q) && (*q == '+' || *q == '-')) ++q;
    if (cut_short(q)) return false;
    if (more(q) && IsDigit(*q)) {
      while (more(q) && IsDigit(*q)) ++q;
      if (cut_short(q)) return false;
      match.end = q;
    }
  }
  return true;
}

// from_chars reports both overflow and underflow as out of range; the
// decimal order of the token tells them apart (an overflow has a positive
// order, an underflow a very negative one).
bool IsUnderflow(const char* begin, const RealMatch& match) {
  const char* p = begin;
  if (*p == '+' || *p == '-') ++p;
  long long order = 0;
  bool seen_nonzero = false;
  for (; p < match.mantissa_end && *p != '.'; ++p) {
    if (*p != '0') seen_nonzero = true;
    if (seen_nonzero) ++order;
  }
  if (!seen_nonzero && p < match.mantissa_end && *p == '.') {
    for (++p; p < match.mantissa_end && *p == '0'; ++p) --order;
  }
  long long exponent = 0;
  if (match.end != match.mantissa_end) {
    const char* q = match.mantissa_end + 1;
    bool negative = false;
    if (*q == '+' || *q == '-') negative = *q++ == '-';
    for (; q < match.end; ++q) {
      if (exponent < 1000000) exponent = exponent * 10 + (*q - '0');
    }
    if (negative) exponent = -exponent;
  }
  return order + exponent < 0;
}

}  // namespace

void SkipWhiteSpace(TextReader& reader) {
  for (;;) {
    const char* p = reader.cur();
    const char* end = reader.end();
    while (p < end && IsWhiteSpace(static_cast<unsigned char>(*p))) ++p;
    reader.ConsumeTo(p);
    if (p < end || reader.Fill(1) == 0) return;
  }
}

FieldStatus ScanIntField(TextReader& reader, std::int32_t& value) {
  SkipWhiteSpace(reader);
  for (std::size_t window = kTokenWindow;; window *= 2) {
    const std::size_t available = reader.Fill(window);
    if (available == 0) return FieldStatus::end_of_file;
    const bool whole = available < window;
    const char* begin = reader.cur();
    const char* end = reader.end();
    const char* p = begin;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    if (p == end && !whole) continue;
    const char* digits = p;
    std::int64_t magnitude = 0;
    constexpr std::int64_t kLimit = std::int64_t{1} << 31;
    while (p < end && IsDigit(*p)) {
      if (magnitude <= kLimit) magnitude = magnitude * 10 + (*p - '0');
      ++p;
    }
    if (p == end && !whole) continue;
    if (p == digits) return FieldStatus::no_match;
    const std::int64_t signed_value = negative ? -magnitude : magnitude;
    if (signed_value < std::numeric_limits<std::int32_t>::min() ||
        signed_value > std::numeric_limits<std::int32_t>::max()) {
      return FieldStatus::out_of_range;  // left unread, for the diagnostic
    }
    reader.ConsumeTo(p);
    value = static_cast<std::int32_t>(signed_value);
    return FieldStatus::converted;
  }
}

FieldStatus ScanRealField(TextReader& reader, double& value) {
  SkipWhiteSpace(reader);
  for (std::size_t window = kTokenWindow;; window *= 2) {
    const std::size_t available = reader.Fill(window);
    if (available == 0) return FieldStatus::end_of_file;
    const char* begin = reader.cur();
    RealMatch match;
    if (!MatchReal(begin, reader.end(), available < window, match)) continue;
    if (!match.is_number) return FieldStatus::no_match;
    const char* text = *begin == '+' ? begin + 1 : begin;
    double converted = 0.0;
    const auto [stop, error] = std::from_chars(text, match.end, converted);
    (void)stop;
    if (error == std::errc::result_out_of_range) {
      if (!IsUnderflow(begin, match)) return FieldStatus::out_of_range;
      converted = *begin == '-' ? -0.0 : 0.0;
    }
    reader.ConsumeTo(match.end);
    value = converted;
    return FieldStatus::converted;
  }
}

FieldStatus ScanCharField(TextReader& reader, char& value) {
  const int c = reader.Get();
  if (c == TextReader::kEnd) return FieldStatus::end_of_file;
  value = static_cast<char>(c);
  return FieldStatus::converted;
}

}  // namespace sheet
