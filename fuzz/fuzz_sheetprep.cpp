// fuzz_sheetprep: the whole of sheetprep (RunPreparation, every stage in
// order) on inputs made of the fuzz bytes: Ana.csv, Prop.csv and Model.msh,
// split as fuzz/input_parts.h says (a file the input does not reach is
// absent).
//
// The run works in a private directory (fuzz/scratch_dir.h). A failure is a
// RunFailure, which the target catches. Whatever the outcome, the solver
// files present must be the first ones of the order in which the stages
// write them (a stage never runs after a failure), and the directory must
// hold nothing else but the inputs; a run that succeeds leaves all eleven.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "common/fatal_exit.h"
#include "fuzz/input_parts.h"
#include "fuzz/scratch_dir.h"
#include "prep/preparation_run.h"

namespace sheet::fuzz {
namespace {

// In the order in which the stages create them.
constexpr const char* kSolverFiles[] = {
    "t-dimension-data.txt", "ch-curr-data.txt",  "g-belm-data.txt", "g-celm-data.txt",
    "t-lcs-data.txt",       "bh-table-data.txt", "t-cntl-data.txt", "t-node-data.txt",
    "t-felm-data.txt",      "t-prop-data.txt",   "t-fixc-data.txt"};

void Expect(bool holds, const char* what) {
  if (holds) return;
  std::fputs("fuzz_sheetprep: ", stderr);
  std::fputs(what, stderr);
  std::fputs("\n", stderr);
  std::abort();
}

}  // namespace
}  // namespace sheet::fuzz

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  sheet::fuzz::AddArtifactPrefix(argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sheet;
  using namespace sheet::fuzz;
  const auto parts = SplitInput(AsText(data, size), 3);
  ScratchRun run({{"Ana.csv", parts[0]}, {"Prop.csv", parts[1]}, {"Model.msh", parts[2]}});
  bool succeeded = true;
  try {
    RunPreparation();
  } catch (const RunFailure&) {
    succeeded = false;
  }
  std::size_t written = 0;
  while (written < std::size(kSolverFiles) && run.Exists(kSolverFiles[written])) ++written;
  for (std::size_t later = written; later < std::size(kSolverFiles); ++later) {
    Expect(!run.Exists(kSolverFiles[later]), "a solver file was written after a failure");
  }
  Expect(!succeeded || written == std::size(kSolverFiles),
         "a solver file is missing after a run that succeeded");
  std::size_t inputs = 0;
  for (const auto& part : parts) inputs += part.has_value();
  Expect(run.FileCount() == inputs + written, "the run left a file of another name");
  return 0;
}
