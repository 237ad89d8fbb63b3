// sheetprep: turns Ana.csv, Prop.csv and Model.msh in the working directory
// into the solver's input files.
#include "common/program_options.h"
#include "prep/preparation_run.h"

namespace {

constexpr const char* kUsage =
    "usage: sheetprep [-v] [-C DIR]\n"
    "Reads Ana.csv, Prop.csv and Model.msh in the working directory and writes the\n"
    "solver's input files t-dimension-data.txt, ch-curr-data.txt, g-belm-data.txt,\n"
    "g-celm-data.txt, t-lcs-data.txt, bh-table-data.txt, t-cntl-data.txt,\n"
    "t-node-data.txt, t-felm-data.txt, t-prop-data.txt and t-fixc-data.txt.\n"
    "Exit status 0 when every file is written, 1 at the first failure.\n"
    "  -v, --verbose  say on standard error where a failure is, or what was done\n"
    "  -C DIR         work in DIR instead of the current directory\n"
    "  --help, --version\n";

}  // namespace

int main(int argc, char** argv) {
  sheet::ProgramOptions options;
  if (auto done = sheet::ParseProgramOptions(argc, argv, "sheetprep", kUsage, options)) return *done;
  return sheet::RunProgram("sheetprep", options, [] { return sheet::RunPreparation(); });
}
