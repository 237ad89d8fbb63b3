// sheetpost: turns the solver's result files in the working directory into
// the post file Model_post.pst for a viewer.
#include "common/program_options.h"
#include "post/post_run.h"

namespace {

constexpr const char* kUsage =
    "usage: sheetpost [-v] [-C DIR]\n"
    "Reads the title line of Ana.csv, the counts line of Model.msh and the solver's\n"
    "result files at-nresl-struct.tmp, at-eresl-struct.tmp, t-felm-cntr.tmp and\n"
    "t-felm-vole.tmp in the working directory and writes Model_post.pst.\n"
    "Exit status 0 when the post file is complete, 1 at the first failure.\n"
    "  -v, --verbose  say on standard error where a failure is, or what was done\n"
    "  -C DIR         work in DIR instead of the current directory\n"
    "  --help, --version\n";

}  // namespace

int main(int argc, char** argv) {
  sheet::ProgramOptions options;
  if (auto done = sheet::ParseProgramOptions(argc, argv, "sheetpost", kUsage, options)) return *done;
  return sheet::RunProgram("sheetpost", options, [] { return sheet::RunPostProcessing(); });
}
