// fuzz_field_scanner: the field and line reads of every text input (the
// FieldScanner templates, SkipWhiteSpace, ReadLine) on a TextReader over any
// bytes, each result checked against a plain model: the whole text translated
// at once by the text-file rules, and each read done on it in the simplest
// way (the C library converting the numbers). Every number read is also
// written through the output conversions and checked against a plain way of
// writing it.
//
// Input layout:
//   byte 0   the source. Below 0x80 the bytes come from memory in one piece.
//            Otherwise the operations run a second time on a reader that
//            reads the bytes in pieces of (byte 0 & 0x7F) + 1, so that block
//            ends fall inside CR LF pairs, numbers and lines.
//   byte 1   the number of operation bytes that follow (modulo 64); none
//            means every operation in turn.
//   then     the operation bytes, then the text.
// The operations run round and round until a budget in proportion to the
// text is spent; then the rest of the text is read character by character.
// Every operation's result and the reader's position after it must match the
// model; a mismatch aborts with a description.
#include <bit>
#include <cerrno>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "common/field_scanner.h"
#include "common/format_number.h"
#include "common/line_buffer.h"
#include "common/text_reader.h"
#include "fuzz/input_parts.h"

namespace sheet::fuzz {
namespace {

[[noreturn]] void Mismatch(const std::string& what) {
  const std::string line = "fuzz_field_scanner: " + what + "\n";
  std::fputs(line.c_str(), stderr);
  std::abort();
}

// `describe` builds the message, only when the check fails.
template <typename Describe>
void Expect(bool holds, const Describe& describe) {
  if (!holds) [[unlikely]] {
    Mismatch(describe());
  }
}

const char* StatusName(FieldStatus status) {
  switch (status) {
    case FieldStatus::converted:
      return "converted";
    case FieldStatus::no_match:
      return "no match";
    case FieldStatus::end_of_file:
      return "end of file";
    case FieldStatus::out_of_range:
      return "out of range";
  }
  return "?";
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The text as the reads see it: everything before the first 0x1A, each CR LF
// pair one line feed.
std::string Translate(std::string_view raw) {
  raw = raw.substr(0, raw.find('\x1a'));
  std::string text;
  text.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
    text += raw[i];
  }
  return text;
}

// The model: the translated text and the offset of the next character.
class Model {
 public:
  explicit Model(std::string text) : text_(std::move(text)) {}

  std::size_t offset() const { return offset_; }
  std::size_t size() const { return text_.size(); }
  std::string_view rest() const { return std::string_view(text_).substr(offset_); }
  TextPosition Position() const { return position_; }
  // Whether the last real converted lay below the normal range, where 0 of
  // the token's sign is accepted as well as the C library's value.
  bool last_real_underflowed() const { return underflow_; }

  void SkipWhiteSpace() {
    std::size_t p = offset_;
    while (p < text_.size() && IsWhiteSpace(static_cast<unsigned char>(text_[p]))) ++p;
    MoveTo(p);
  }

  FieldStatus Int(std::int32_t& value) {
    SkipWhiteSpace();
    if (offset_ == text_.size()) return FieldStatus::end_of_file;
    std::size_t p = offset_;
    if (text_[p] == '+' || text_[p] == '-') ++p;
    const std::size_t digits = p;
    while (p < text_.size() && IsDigit(text_[p])) ++p;
    if (p == digits) return FieldStatus::no_match;
    // Leading zeros aside, more than ten digits are out of range anyway.
    std::size_t first = digits;
    while (first + 1 < p && text_[first] == '0') ++first;
    if (p - first > 10) return FieldStatus::out_of_range;
    const long long magnitude = std::strtoll(text_.substr(first, p - first).c_str(), nullptr, 10);
    const long long signed_value = text_[offset_] == '-' ? -magnitude : magnitude;
    if (signed_value < std::numeric_limits<std::int32_t>::min() ||
        signed_value > std::numeric_limits<std::int32_t>::max()) {
      return FieldStatus::out_of_range;
    }
    value = static_cast<std::int32_t>(signed_value);
    MoveTo(p);
    return FieldStatus::converted;
  }

  FieldStatus Real(double& value) {
    SkipWhiteSpace();
    if (offset_ == text_.size()) return FieldStatus::end_of_file;
    std::size_t p = offset_;
    const auto more = [&](std::size_t q) { return q < text_.size(); };
    if (text_[p] == '+' || text_[p] == '-') ++p;
    std::size_t digits = 0;
    while (more(p) && IsDigit(text_[p])) ++p, ++digits;
    if (more(p) && text_[p] == '.') {
      ++p;
      while (more(p) && IsDigit(text_[p])) ++p, ++digits;
    }
    if (digits == 0) return FieldStatus::no_match;
    if (more(p) && (text_[p] == 'e' || text_[p] == 'E')) {
      std::size_t q = p + 1;
      if (more(q) && (text_[q] == '+' || text_[q] == '-')) ++q;
      if (more(q) && IsDigit(text_[q])) {
        while (more(q) && IsDigit(text_[q])) ++q;
        p = q;
      }
    }
    const std::string token = text_.substr(offset_, p - offset_);
    errno = 0;
    const double converted = std::strtod(token.c_str(), nullptr);
    if (std::isinf(converted)) return FieldStatus::out_of_range;
    underflow_ = converted != 0.0 ? std::fabs(converted) < DBL_MIN : errno == ERANGE;
    value = converted;
    MoveTo(p);
    return FieldStatus::converted;
  }

  FieldStatus Char(char& value) {
    if (offset_ == text_.size()) return FieldStatus::end_of_file;
    value = text_[offset_];
    MoveTo(offset_ + 1);
    return FieldStatus::converted;
  }

  bool Line(std::string& line) {
    if (offset_ == text_.size()) return false;
    std::size_t taken = 0;
    while (offset_ + taken < text_.size() && taken < LineBuffer::kMaxCharacters) {
      if (text_[offset_ + taken++] == '\n') break;
    }
    line = text_.substr(offset_, taken);
    MoveTo(offset_ + taken);
    return true;
  }

  int Peek() const {
    return offset_ == text_.size() ? TextReader::kEnd : static_cast<unsigned char>(text_[offset_]);
  }
  int Get() {
    const int c = Peek();
    if (c != TextReader::kEnd) MoveTo(offset_ + 1);
    return c;
  }

 private:
  void MoveTo(std::size_t offset) {
    for (; offset_ < offset; ++offset_) {
      if (text_[offset_] == '\n') {
        ++position_.line;
        position_.column = 1;
      } else {
        ++position_.column;
      }
    }
  }

  std::string text_;
  std::size_t offset_ = 0;
  TextPosition position_;
  bool underflow_ = false;
};

std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text.substr(0, 40)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte >= 0x7F) {
      static const char kHex[] = "0123456789abcdef";
      quoted += "\\x";
      quoted += kHex[byte >> 4];
      quoted += kHex[byte & 15];
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

class Checker {
 public:
  Checker(TextReader& reader, Model& model, const char* source)
      : reader_(reader), model_(model), source_(source) {}

  std::string Where() const {
    return std::string(source_) + " reader, step " + std::to_string(step_) + " at offset " +
           std::to_string(model_.offset()) + " before " + Quoted(model_.rest());
  }

  void Statuses(FieldStatus got, FieldStatus wanted, const char* read) const {
    Expect(got == wanted, [&] {
      return Where() + ": " + read + " gave " + StatusName(got) + ", the model " +
             StatusName(wanted);
    });
  }

  void Int() {
    std::int32_t got = 0;
    std::int32_t wanted = 0;
    const FieldStatus status = ScanIntField(reader_, got);
    Statuses(status, model_.Int(wanted), "%d");
    if (status == FieldStatus::converted) {
      Expect(got == wanted, [&] {
        return Where() + ": %d gave " + std::to_string(got) + ", the model " +
               std::to_string(wanted);
      });
      Formats(got);
    }
  }

  void Real() {
    double got = 0.0;
    double wanted = 0.0;
    const FieldStatus status = ScanRealField(reader_, got);
    Statuses(status, model_.Real(wanted), "%lf");
    if (status != FieldStatus::converted) return;
    Expect(RealOf::Same(model_, got, wanted),
           [&] { return Where() + ": %lf gave " + Hex(got) + ", the model " + Hex(wanted); });
    Formats(got);
  }

  // Every real read also goes through the exponent form of the output
  // templates, as read and divided by 1000 as the node records do: the fast
  // path must write what the plain 17-digit path writes.
  void Formats(double value) {
    for (const double written : {value, value / 1000.0}) {
      for (const int precision : {1, 5, 7}) {
        for (const bool blank : {false, true}) {
          char fast[kMaxNumberWidth];
          char exact[kMaxNumberWidth];
          const std::string_view fast_text(fast,
                                           FormatExponent(fast, written, precision, blank) - fast);
          const std::string_view exact_text(
              exact, FormatExponentExact(exact, written, precision, blank) - exact);
          Expect(fast_text == exact_text, [&] {
            return Where() + ": " + Hex(written) + " formats as " + std::string(fast_text) +
                   ", by the plain path " + std::string(exact_text);
          });
        }
      }
    }
  }

  // "%Nd" of every integer read, against the standard conversion.
  void Formats(std::int32_t value) {
    for (const int width : {1, 5, 8, 10}) {
      char formatted[kMaxNumberWidth];
      const std::string_view text(formatted, FormatInteger(formatted, value, width) - formatted);
      char digits[16];
      const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
      std::string wanted(digits, end);
      if (wanted.size() < static_cast<std::size_t>(width))
        wanted.insert(0, width - wanted.size(), ' ');
      Expect(text == wanted,
             [&] { return Where() + ": " + wanted + " formats as \"" + std::string(text) + "\""; });
    }
  }

  void Char() {
    char got = 0;
    char wanted = 0;
    const FieldStatus status = ScanCharField(reader_, got);
    Statuses(status, model_.Char(wanted), "%c");
    if (status == FieldStatus::converted)
      Expect(got == wanted, [&] { return Where() + ": %c differs"; });
  }

  void Line() {
    LineBuffer line;
    std::string wanted;
    const bool got_line = ReadLine(reader_, line);
    const bool wanted_line = model_.Line(wanted);
    Expect(got_line == wanted_line, [&] {
      return Where() + ": the line read " +
             (got_line ? "found a line, the model none" : "found none");
    });
    if (!got_line) return;
    Expect(line.view() == wanted, [&] {
      return Where() + ": the line read gave " + Quoted(line.view()) + ", the model " +
             Quoted(wanted);
    });
    Expect(line.text[line.length] == '\0',
           [&] { return Where() + ": the line is not terminated"; });
  }

  // A template of three fields, as Scan() composes them.
  template <typename First, typename Second, typename Third>
  void Template(const char* name) {
    typename First::Value got1{}, wanted1{};
    typename Second::Value got2{}, wanted2{};
    typename Third::Value got3{}, wanted3{};
    const ScanResult got =
        Scan(reader_, First::Field(got1), Second::Field(got2), Third::Field(got3));
    ScanResult wanted;
    bool going = true;
    const auto one = [&](FieldStatus status) {
      if (!going) return false;
      if (status == FieldStatus::converted) {
        ++wanted.converted;
        return true;
      }
      going = false;
      wanted.stopped = status;
      wanted.end_of_file = wanted.converted == 0 && status == FieldStatus::end_of_file;
      return false;
    };
    const bool same1 = !one(First::Read(model_, wanted1)) || First::Same(model_, got1, wanted1);
    const bool same2 =
        !going || !one(Second::Read(model_, wanted2)) || Second::Same(model_, got2, wanted2);
    const bool same3 =
        !going || !one(Third::Read(model_, wanted3)) || Third::Same(model_, got3, wanted3);
    Expect(got.converted == wanted.converted && got.end_of_file == wanted.end_of_file &&
               (got.converted == 3 || got.stopped == wanted.stopped),
           [&] {
             return Where() + ": " + name + " converted " + std::to_string(got.converted) + " (" +
                    StatusName(got.stopped) + "), the model " + std::to_string(wanted.converted) +
                    " (" + StatusName(wanted.stopped) + ")";
           });
    Expect(same1 && same2 && same3,
           [&] { return Where() + ": " + name + " converted other values"; });
  }

  void Describe() {
    const std::string text = reader_.DescribeNext();
    const int next = model_.Peek();
    if (next == TextReader::kEnd) {
      Expect(text == "end of file", [&] { return Where() + ": described the end as " + text; });
    } else if (next == '\n') {
      Expect(text == "a line end", [&] { return Where() + ": described a line end as " + text; });
    } else {
      Expect(text.size() >= 3 && text.front() == '"' && text.back() == '"',
             [&] { return Where() + ": described the next characters as " + text; });
    }
  }

  void Peek() {
    const int got = reader_.Peek();
    Expect(got == model_.Peek(), [&] { return Where() + ": Peek differs"; });
  }
  void Get() {
    const int got = reader_.Get();
    Expect(got == model_.Get(), [&] { return Where() + ": Get differs"; });
  }

  void Fill(unsigned argument) {
    const std::size_t want = std::size_t{1} << (argument % 22);
    const std::size_t available = reader_.Fill(want);
    const std::size_t rest = model_.size() - model_.offset();
    Expect(available <= rest && available >= std::min(want, rest), [&] {
      return Where() + ": Fill(" + std::to_string(want) + ") made " + std::to_string(available) +
             " available of " + std::to_string(rest);
    });
    Expect(static_cast<std::size_t>(reader_.end() - reader_.cur()) == available,
           [&] { return Where() + ": Fill's count and the window differ"; });
  }

  void Position() const {
    const TextPosition got = reader_.Position();
    const TextPosition wanted = model_.Position();
    Expect(got.line == wanted.line && got.column == wanted.column, [&] {
      return Where() + ": position " + std::to_string(got.line) + ":" + std::to_string(got.column) +
             ", the model " + std::to_string(wanted.line) + ":" + std::to_string(wanted.column);
    });
  }

  void Run(std::string_view operations, std::size_t budget) {
    static constexpr unsigned char kEveryOperation[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    if (operations.empty()) {
      operations = {reinterpret_cast<const char*>(kEveryOperation), sizeof kEveryOperation};
    }
    for (step_ = 0; step_ < budget; ++step_) {
      const auto byte = static_cast<unsigned char>(operations[step_ % operations.size()]);
      switch (byte % 13) {
        case 0:
          Int();
          break;
        case 1:
          Real();
          break;
        case 2:
          Char();
          break;
        case 3:
          SkipWhiteSpace(reader_);
          model_.SkipWhiteSpace();
          break;
        case 4:
          Line();
          break;
        case 5:
          Template<IntOf, CharOf, RealOf>("%d%c%lf");
          break;
        case 6:
          Template<RealOf, CharOf, RealOf>("%lf%c%lf");
          break;
        case 7:
          Template<IntOf, CharOf, IntOf>("%d%c%d");
          break;
        case 8:
          Describe();
          break;
        case 9:
          Peek();
          break;
        case 10:
          Get();
          break;
        case 11:
          Fill(byte / 13);
          break;
        case 12:
          Template<CharOf, RealOf, CharOf>("%c%lf%c");
          break;
      }
      Position();
    }
    // The rest, character by character, must be the rest of the model.
    for (;;) {
      const int got = reader_.Get();
      Expect(got == model_.Get(), [&] { return Where() + ": the rest of the text differs"; });
      if (got == TextReader::kEnd) break;
    }
    Position();
  }

 private:
  struct IntOf {
    using Value = std::int32_t;
    static IntField Field(Value& v) { return {v}; }
    static FieldStatus Read(Model& m, Value& v) { return m.Int(v); }
    static bool Same(const Model&, Value got, Value wanted) { return got == wanted; }
  };
  struct RealOf {
    using Value = double;
    static RealField Field(Value& v) { return {v}; }
    static FieldStatus Read(Model& m, Value& v) { return m.Real(v); }
    static bool Same(const Model& m, Value got, Value wanted) {
      return std::bit_cast<std::uint64_t>(got) == std::bit_cast<std::uint64_t>(wanted) ||
             (m.last_real_underflowed() && got == 0.0 && std::signbit(got) == std::signbit(wanted));
    }
  };
  struct CharOf {
    using Value = char;
    static CharField Field(Value& v) { return {v}; }
    static FieldStatus Read(Model& m, Value& v) { return m.Char(v); }
    static bool Same(const Model&, Value got, Value wanted) { return got == wanted; }
  };

  static std::string Hex(double value) {
    char text[64];
    const auto [end, error] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::hex);
    return error == std::errc() ? std::string(text, end) : "?";
  }

  TextReader& reader_;
  Model& model_;
  const char* source_;
  std::size_t step_ = 0;
};

}  // namespace
}  // namespace sheet::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sheet;
  using namespace sheet::fuzz;
  if (size < 2) return 0;
  const std::string_view input = AsText(data, size);
  const unsigned source = static_cast<unsigned char>(input[0]);
  const std::size_t operation_count = std::min<std::size_t>(input[1] % 64u, size - 2);
  const std::string_view operations = input.substr(2, operation_count);
  const std::string_view raw = input.substr(2 + operation_count);
  const std::string translated = Translate(raw);
  const std::size_t budget = 2 * translated.size() + 16;
  {
    Model model(translated);
    TextReader reader(raw, "memory");
    Checker(reader, model, "memory").Run(operations, budget);
  }
  if (source >= 0x80) {
    Model model(translated);
    TextReader reader(raw, "pieces", (source & 0x7F) + 1);
    Checker(reader, model, "piecewise").Run(operations, budget);
  }
  return 0;
}
