// fuzz_sheetprep: the whole of sheetprep (RunPreparation, every stage in
// order) on inputs made of the fuzz bytes: Ana.csv, Prop.csv and Model.msh,
// split as fuzz/input_parts.h says (a file the input does not reach is
// absent).
//
// The run works in a private directory (fuzz/scratch_dir.h). A failure is a
// RunFailure, which the target catches. A run that succeeds must leave all
// eleven solver files.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "common/fatal_exit.h"
#include "fuzz/input_parts.h"
#include "fuzz/scratch_dir.h"
#include "prep/preparation_run.h"

namespace sheet::fuzz {
namespace {

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
  try {
    RunPreparation();
  } catch (const RunFailure&) {
    return 0;
  }
  for (const char* name : kSolverFiles) {
    Expect(run.Read(name).has_value(), "a solver file is missing after a run that succeeded");
  }
  return 0;
}
