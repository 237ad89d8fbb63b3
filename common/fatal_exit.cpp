#include "common/fatal_exit.h"

#include <utility>

namespace sheet {

std::string DescribeFailure(const FailureReason& reason) {
  std::string text = reason.file;
  if (reason.line > 0) {
    text += ':';
    text += std::to_string(reason.line);
    text += ':';
    text += std::to_string(reason.column);
  }
  if (!text.empty()) text += ": ";
  text += reason.message;
  return text;
}

RunFailure::RunFailure(FailureReason reason)
    : reason_(std::move(reason)), text_(DescribeFailure(reason_)) {}

void FatalExit(FailureReason reason) { throw RunFailure(std::move(reason)); }

}  // namespace sheet
