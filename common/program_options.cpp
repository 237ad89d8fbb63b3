#include "common/program_options.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <unistd.h>

namespace sheet {

void PrintFailure(const char* program, const std::string& text) {
  std::string line = std::string(program) + ": " + text + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
}

void IgnoreWriteSignals() {
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
}

std::optional<int> ParseProgramOptions(int argc, char** argv, const char* program,
                                       const char* usage, ProgramOptions& options) {
  IgnoreWriteSignals();
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help") {
      std::fputs(usage, stdout);
      return 0;
    }
    if (argument == "--version") {
      std::printf("%s %s\n", program, SHEET_VERSION);
      return 0;
    }
    if (argument == "-v" || argument == "--verbose") {
      options.verbose = true;
    } else if (argument == "-C" && i + 1 < argc) {
      options.directory = argv[++i];
    }
  }
  if (!options.directory.empty() && ::chdir(options.directory.c_str()) != 0) {
    PrintFailure(program, "cannot change to directory " + options.directory + ": " +
                              std::strerror(errno));
    return 1;
  }
  return std::nullopt;
}

}  // namespace sheet
