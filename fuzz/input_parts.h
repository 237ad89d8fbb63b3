// Splitting one fuzz input into the several files a program reads.
//
// The parts are separated by the line "--8<--" with its line feed; part k is
// everything between separator k - 1 and separator k, taken as it stands.
// Parts that the input does not reach are absent (the file is not written);
// the last part wanted takes the whole rest, separators included. A seed is
// therefore the files one after another, each followed by the separator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace sheet::fuzz {

inline constexpr std::string_view kPartSeparator = "--8<--\n";

inline std::vector<std::optional<std::string_view>> SplitInput(std::string_view input,
                                                               std::size_t count) {
  std::vector<std::optional<std::string_view>> parts(count);
  std::size_t k = 0;
  for (; k + 1 < count; ++k) {
    const std::size_t at = input.find(kPartSeparator);
    if (at == std::string_view::npos) break;
    parts[k] = input.substr(0, at);
    input.remove_prefix(at + kPartSeparator.size());
  }
  parts[k] = input;
  return parts;
}

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace sheet::fuzz
