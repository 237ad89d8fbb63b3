// WriteRecord<"template">(out, values...): the compile-time form of the
// output templates, for records written once per node or element.
//
//   WriteRecord<"%8d 0 % 1.7E % 1.7E % 1.7E\n">(out, i, x, y, 0.0);
//
// The template is read while compiling: a conversion that the template
// language does not have, a value count that differs from the template's, or
// a value of the wrong kind (a real for "%d") does not compile. At run time
// each record reserves its room once and writes its parts straight into the
// output buffer. The notation and the output are those of the run-time
// WriteRecord in record_writer.h; the tests hold the two against each other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

#include "common/format_number.h"
#include "common/output_file.h"

namespace sheet {

template <std::size_t N>
struct OutputTemplate {
  char text[N]{};
  consteval OutputTemplate(const char (&literal)[N]) {
    for (std::size_t i = 0; i < N; ++i) text[i] = literal[i];
  }
  constexpr std::string_view view() const { return {text, N - 1}; }
};

namespace record_detail {

enum class Part : std::uint8_t { literal, integer, exponent, fixed, text };

struct Item {
  Part part = Part::literal;
  std::uint16_t begin = 0;   // literal: where its text starts in `literals`
  std::uint16_t length = 0;  // literal: its length
  std::uint16_t value = 0;   // conversion: which value it takes
  std::int16_t width = 0;
  std::int16_t precision = 0;
  bool blank = false;
};

template <std::size_t N>
struct ParsedTemplate {
  char literals[2 * N]{};  // the literal text, each line end expanded to CR LF
  Item items[N]{};
  std::size_t item_count = 0;
  std::size_t value_count = 0;
  std::size_t room = 0;  // the most a record can take, text values aside
};

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Not a constant expression: reaching it stops the compilation.
inline void UnsupportedConversion() {}

template <std::size_t N>
consteval ParsedTemplate<N> Parse(std::string_view text) {
  ParsedTemplate<N> parsed;
  std::size_t literal_end = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    Item item;
    if (text[i] != '%') {
      item.part = Part::literal;
      item.begin = static_cast<std::uint16_t>(literal_end);
      for (; i < text.size() && text[i] != '%'; ++i) {
        if (text[i] == '\n') parsed.literals[literal_end++] = '\r';
        parsed.literals[literal_end++] = text[i];
      }
      item.length = static_cast<std::uint16_t>(literal_end - item.begin);
      parsed.room += item.length;
      parsed.items[parsed.item_count++] = item;
      continue;
    }
    ++i;
    if (i < text.size() && text[i] == ' ') item.blank = true, ++i;
    while (i < text.size() && IsDigit(text[i])) item.width = static_cast<std::int16_t>(item.width * 10 + (text[i++] - '0'));
    if (i < text.size() && text[i] == '.') {
      for (++i; i < text.size() && IsDigit(text[i]); ++i) {
        item.precision = static_cast<std::int16_t>(item.precision * 10 + (text[i] - '0'));
      }
    }
    if (i < text.size() && text[i] == 'l') ++i;
    if (i == text.size()) UnsupportedConversion();
    switch (text[i++]) {
      case 'd': item.part = Part::integer; break;
      case 'E': item.part = Part::exponent; break;
      case 'f': item.part = Part::fixed; break;
      case 's': item.part = Part::text; break;
      default: UnsupportedConversion();
    }
    item.value = static_cast<std::uint16_t>(parsed.value_count++);
    parsed.room += static_cast<std::size_t>(item.width) + kMaxNumberWidth;
    parsed.items[parsed.item_count++] = item;
  }
  return parsed;
}

template <typename Value>
constexpr bool Fits(Part part) {
  using V = std::remove_cvref_t<Value>;
  switch (part) {
    case Part::integer: return std::is_integral_v<V>;
    case Part::exponent:
    case Part::fixed: return std::is_floating_point_v<V>;
    case Part::text: return std::is_convertible_v<const V&, std::string_view>;
    default: return false;
  }
}

template <auto parsed, typename... Values, std::size_t... I>
constexpr bool ValuesFit(std::index_sequence<I...>) {
  using Types = std::tuple<Values...>;
  bool fits = true;
  for (std::size_t k = 0; k < parsed.item_count; ++k) {
    const Item& item = parsed.items[k];
    if (item.part == Part::literal) continue;
    const bool each[] = {true, (item.value == I && !Fits<std::tuple_element_t<I, Types>>(item.part) ? false : true)...};
    for (bool ok : each) fits = fits && ok;
  }
  return fits;
}

// Widths above the length written pad on the left, as the C conversions do.
inline char* PadLeft(char* start, char* end, int width) {
  const std::ptrdiff_t length = end - start;
  if (length >= width) return end;
  const std::size_t pad = static_cast<std::size_t>(width - length);
  std::memmove(start + pad, start, static_cast<std::size_t>(length));
  std::memset(start, ' ', pad);
  return end + pad;
}

// Text goes out as text-mode output does: each line end becomes CR LF.
void WriteTextValue(OutputFile& out, std::string_view text);

template <auto parsed, std::size_t K, typename Tuple>
inline char* WriteItem(OutputFile& out, char* at, const Tuple& values) {
  constexpr Item item = parsed.items[K];
  if constexpr (item.part == Part::literal) {
    std::memcpy(at, parsed.literals + item.begin, item.length);
    return at + item.length;
  } else if constexpr (item.part == Part::integer) {
    return FormatInteger(at, static_cast<std::int64_t>(std::get<item.value>(values)), item.width);
  } else if constexpr (item.part == Part::exponent) {
    char* end = FormatExponent(at, static_cast<double>(std::get<item.value>(values)), item.precision, item.blank);
    return item.width > 1 ? PadLeft(at, end, item.width) : end;
  } else if constexpr (item.part == Part::fixed) {
    char* end = FormatFixed(at, static_cast<double>(std::get<item.value>(values)), item.precision);
    return item.width > 1 ? PadLeft(at, end, item.width) : end;
  } else {
    out.Commit(at);
    WriteTextValue(out, std::string_view(std::get<item.value>(values)));
    return out.Reserve(parsed.room);
  }
}

template <auto parsed, typename Tuple, std::size_t... K>
inline void WriteItems(OutputFile& out, const Tuple& values, std::index_sequence<K...>) {
  char* at = out.Reserve(parsed.room);
  ((at = WriteItem<parsed, K>(out, at, values)), ...);
  out.Commit(at);
}

}  // namespace record_detail

template <OutputTemplate output_template, typename... Values>
inline void WriteRecord(OutputFile& out, const Values&... values) {
  static constexpr auto parsed = record_detail::Parse<sizeof(output_template.text)>(output_template.view());
  static_assert(parsed.value_count == sizeof...(Values), "the template takes another number of values");
  static_assert(record_detail::ValuesFit<parsed, Values...>(std::index_sequence_for<Values...>{}),
                "a value does not fit its conversion");
  record_detail::WriteItems<parsed>(out, std::forward_as_tuple(values...),
                                    std::make_index_sequence<parsed.item_count>{});
}

}  // namespace sheet
