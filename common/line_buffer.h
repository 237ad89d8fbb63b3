// LineBuffer: the 100-byte buffer of every line read.
//
// A line read takes the characters up to and including the next line end, but
// at most 99 (the hundredth byte holds the terminating zero): a longer line is
// taken in parts, and the next read goes on in the same line. It fails only
// when the file is at its end before any character; a last line without a
// line end is delivered without one.
#pragma once

#include <cstddef>
#include <string_view>

#include "common/text_reader.h"

namespace sheet {

struct LineBuffer {
  static constexpr std::size_t kCapacity = 100;
  static constexpr std::size_t kMaxCharacters = kCapacity - 1;

  char text[kCapacity] = {};
  std::size_t length = 0;

  std::string_view view() const { return {text, length}; }
};

// Returns false at end of file before any character.
bool ReadLine(TextReader& reader, LineBuffer& line);

}  // namespace sheet
