// FatalExit: the one error path of both programs.
//
// A failure carries what a user needs to find it: the file, the line and
// column in that file (0 when the failure has no position, such as a failed
// open), and a short lower-case message ("expected the region number, found
// \"COIL\""). FatalExit throws it as RunFailure; the program's entry catches
// it, lets every open output flush and close on the way out, prints the reason
// only with -v, and ends with exit status 1. Throwing (rather than calling
// exit) keeps a failure observable by tests and fuzz targets that run a stage
// in-process.
#pragma once

#include <exception>
#include <string>

namespace sheet {

struct FailureReason {
  std::string file;     // the user's file the failure concerns, may be empty
  long line = 0;        // 1-based; 0 when the failure has no position
  long column = 0;      // 1-based; 0 when the failure has no position
  std::string message;  // lower case, no trailing period
};

// "Ana.csv:7:3: expected ..., found ..." or "Ana.csv: cannot open ...".
std::string DescribeFailure(const FailureReason& reason);

class RunFailure : public std::exception {
 public:
  explicit RunFailure(FailureReason reason);
  const FailureReason& reason() const noexcept { return reason_; }
  const char* what() const noexcept override { return text_.c_str(); }

 private:
  FailureReason reason_;
  std::string text_;
};

[[noreturn]] void FatalExit(FailureReason reason);

// The system's text for an errno value, in lower case ("no such file or
// directory"), for messages that go on after a colon.
std::string ErrorText(int error);

}  // namespace sheet
