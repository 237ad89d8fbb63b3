// Field and line reads that a reader requires: each returns the value or ends
// the run (FatalExit) with the position in the user's file, what was
// expected there and what was found, for example
//   Ana.csv:7:3: expected the first material number, found "COIL"
// `what` is a text or a callable that returns one; a callable is only called
// on failure, so hot loops pay nothing for messages that name a node.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "common/field_scanner.h"
#include "common/line_buffer.h"
#include "common/text_reader.h"

namespace sheet {

[[noreturn]] void FailExpected(TextReader& reader, FieldStatus status, const std::string& what);
// A failure at the reader's position with a message of its own.
[[noreturn]] void FailAt(TextReader& reader, const std::string& message);

template <typename What>
std::string DescribeWhat(What&& what) {
  if constexpr (std::is_convertible_v<What, std::string_view>) {
    return std::string(std::string_view(what));
  } else {
    return what();
  }
}

template <typename What>
inline std::int32_t ExpectInt(TextReader& reader, What&& what) {
  std::int32_t value = 0;
  const FieldStatus status = ScanIntField(reader, value);
  if (status != FieldStatus::converted) [[unlikely]] {
    FailExpected(reader, status, DescribeWhat(std::forward<What>(what)));
  }
  return value;
}

template <typename What>
inline double ExpectReal(TextReader& reader, What&& what) {
  double value = 0.0;
  const FieldStatus status = ScanRealField(reader, value);
  if (status != FieldStatus::converted) [[unlikely]] {
    FailExpected(reader, status, DescribeWhat(std::forward<What>(what)));
  }
  return value;
}

template <typename What>
inline char ExpectChar(TextReader& reader, What&& what) {
  char value = 0;
  const FieldStatus status = ScanCharField(reader, value);
  if (status != FieldStatus::converted) [[unlikely]] {
    FailExpected(reader, status, DescribeWhat(std::forward<What>(what)));
  }
  return value;
}

template <typename What>
inline void ExpectLine(TextReader& reader, LineBuffer& line, What&& what) {
  if (!ReadLine(reader, line)) [[unlikely]] {
    FailExpected(reader, FieldStatus::end_of_file, DescribeWhat(std::forward<What>(what)));
  }
}

}  // namespace sheet
