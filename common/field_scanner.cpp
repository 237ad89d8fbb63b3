#include "common/field_scanner.h"

#include "common/digit_run.h"

#include <charconv>
#include <cstddef>
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

// The general paths: any window, tokens of any length, across blocks.
FieldStatus ScanIntFieldGeneral(TextReader& reader, std::int32_t& value) {
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

namespace {

[[gnu::noinline]] FieldStatus ScanRealFieldGeneral(TextReader& reader, double& value) {
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

// Exact powers of ten for the fast conversion of short decimals.
constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

using scan_detail::kFastWindow;

}  // namespace

// The fast path serves the common case: the token lies whole inside the
// window with room to spare. Everything else (the end of a block, long
// tokens, many digits) goes to the general path, which gives the same result.

FieldStatus ScanRealField(TextReader& reader, double& value) {
  const char* p = reader.cur();
  const char* const end = reader.end();
  while (p < end && IsWhiteSpace(static_cast<unsigned char>(*p))) ++p;
  reader.ConsumeTo(p);
  if (end - p >= kFastWindow) {
    // [sign] digits [. digits] [(e|E) [sign] digits] within `limit`, so that
    // every character looked at lies inside the window.
    const char* const limit = p + kFastWindow - 16;
    const char* q = p;
    const bool negative = *q == '-';
    if (*q == '+' || *q == '-') ++q;
    // The digits before and after the point, eight at a time; at most 19 in
    // all, so that the mantissa cannot overflow.
    std::uint64_t mantissa = 0;
    int digit_count = 0;
    int scale = 0;  // the decimal exponent that the point gives
    for (DigitRun run; q < limit && (run = ReadDigitRun8(q)).length > 0;) {
      mantissa = mantissa * scan_detail::kIntegerPowers[run.length] + run.value;
      digit_count += run.length;
      q += run.length;
      if (run.length < 8 || digit_count > 19) break;
    }
    if (q < limit && *q == '.') {
      for (++q; q < limit && digit_count <= 19;) {
        const DigitRun run = ReadDigitRun8(q);
        if (run.length == 0) break;
        mantissa = mantissa * scan_detail::kIntegerPowers[run.length] + run.value;
        digit_count += run.length;
        scale -= run.length;
        q += run.length;
        if (run.length < 8) break;
      }
    }
    const bool any_digit = digit_count > 0;
    // Digits beyond these nineteen, or a long run, go the general way.
    if (any_digit && q < limit && digit_count <= 19 && !IsDigit(*q) && mantissa <= (std::uint64_t{1} << 53)) {
      int exponent = 0;
      bool short_exponent = true;
      if (*q == 'e' || *q == 'E') {
        const char* e = q + 1;
        const bool exponent_negative = *e == '-';
        if (*e == '+' || *e == '-') ++e;
        if (IsDigit(*e)) {
          const char* const exponent_digits = e;
          while (IsDigit(*e) && e - exponent_digits < 4) exponent = exponent * 10 + (*e++ - '0');
          short_exponent = !IsDigit(*e);
          if (exponent_negative) exponent = -exponent;
          q = e;
        }
      }
      const int power = scale + exponent;
      // A mantissa below 2^53 and an exact power of ten: one correctly
      // rounded multiplication or division gives the correctly rounded value.
      if (short_exponent && power >= -22 && power <= 22) {
        double converted = static_cast<double>(mantissa);
        converted = power < 0 ? converted / kExactPowers[-power] : converted * kExactPowers[power];
        reader.ConsumeTo(q);
        value = negative ? -converted : converted;
        return FieldStatus::converted;
      }
    }
  }
  return ScanRealFieldGeneral(reader, value);
}

}  // namespace sheet
