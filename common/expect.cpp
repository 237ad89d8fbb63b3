#include "common/expect.h"

#include "common/fatal_exit.h"

namespace sheet {

void FailAt(TextReader& reader, const std::string& message) {
  const TextPosition position = reader.Position();
  FatalExit({reader.name(), position.line, position.column, message});
}

void FailExpected(TextReader& reader, FieldStatus status, const std::string& what) {
  std::string message = "expected " + what + ", found " + reader.DescribeNext();
  if (status == FieldStatus::out_of_range) message += " (out of range)";
  FailAt(reader, message);
}

}  // namespace sheet
