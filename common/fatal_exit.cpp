#include "common/fatal_exit.h"

#include <cctype>
#include <cstring>
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

std::string ErrorText(int error) {
  std::string text = std::strerror(error);
  if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  return text;
}

}  // namespace sheet
