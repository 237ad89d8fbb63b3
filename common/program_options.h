// The options both programs share. They are additions: with no arguments a
// program behaves exactly as it always does, and arguments it does not know
// are ignored.
//   --help       print the usage and exit 0
//   --version    print the version and exit 0
//   -v, --verbose  on failure, one line on standard error naming the file,
//                line and column, what was expected and what was found; on
//                success, a one-line summary
//   -C DIR       run in DIR instead of the current directory
#pragma once

#include <optional>
#include <string>

namespace sheet {

struct ProgramOptions {
  bool verbose = false;
  std::string directory;  // empty: the current directory
};

// Parses the arguments. Returns an exit status when the program is done
// (--help, --version, or a -C that could not be used), else nothing and the
// options. -C is applied here, and the signals of failed writes are ignored
// (IgnoreWriteSignals) before anything is written.
std::optional<int> ParseProgramOptions(int argc, char** argv, const char* program,
                                       const char* usage, ProgramOptions& options);

// Runs `run` and turns a failure into exit status 1, printing its reason
// with -v. `run` returns the success summary line.
template <typename Run>
int RunProgram(const char* program, const ProgramOptions& options, Run&& run);

void PrintFailure(const char* program, const std::string& text);

// A write beyond the file-size limit (SIGXFSZ) or into a pipe nobody reads
// (SIGPIPE) would end the process by a signal, with no exit status and the
// other outputs unflushed. Ignored, such a write fails (EFBIG, EPIPE) like any
// other and the run ends with exit status 1 through its usual path.
void IgnoreWriteSignals();

}  // namespace sheet

#include "common/fatal_exit.h"

#include <new>

namespace sheet {

template <typename Run>
int RunProgram(const char* program, const ProgramOptions& options, Run&& run) {
  try {
    std::string summary = run();
    if (options.verbose) PrintFailure(program, summary);
    return 0;
  } catch (const RunFailure& failure) {
    if (options.verbose) PrintFailure(program, failure.what());
  } catch (const std::bad_alloc&) {
    if (options.verbose) PrintFailure(program, "out of memory");
  }
  return 1;
}

}  // namespace sheet
