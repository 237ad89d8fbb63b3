// fuzz_results: the solver's four result files as sheetpost reads them, with
// the bounds that the mesh counts put on their records: the whole post run
// (RunPostProcessing) with a fixed Ana.csv and a Model.msh whose counts the
// input chooses.
//
// Input layout:
//   byte 0   the element count, byte 1 the node count, each as an index into
//            kCounts (modulo its size), so that the bounds take their edge
//            values: none, zero, small, and the largest integer;
//   then     at-nresl-struct.tmp, at-eresl-struct.tmp, t-felm-cntr.tmp and
//            t-felm-vole.tmp, split as fuzz/input_parts.h says (a file the
//            input does not reach is absent).
// The run works in a private directory (fuzz/scratch_dir.h). A failure is a
// RunFailure, which the target catches. A run that succeeds must leave a post
// file that ends with the end record of the element section.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/fatal_exit.h"
#include "fuzz/input_parts.h"
#include "fuzz/scratch_dir.h"
#include "post/post_run.h"
#include "post/result_records.h"

namespace sheet::fuzz {
namespace {

constexpr std::array<const char*, 10> kCounts = {
    "-1", "0", "1", "2", "3", "5", "12", "2147483646", "2147483647", "-2147483648"};

void Expect(bool holds, const char* what) {
  if (holds) return;
  std::fputs("fuzz_results: ", stderr);
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
  if (size < 2) return 0;
  const std::string mesh = std::string("MESH\r\nfrom the mesher\r\n\r\n") +
                           kCounts[data[0] % kCounts.size()] + "," +
                           kCounts[data[1] % kCounts.size()] + "\r\n";
  const auto parts = SplitInput(AsText(data + 2, size - 2), 4);
  ScratchRun run({{"Ana.csv", "Fuzzed results,,,\r\n2DIM\r\n"},
                  {"Model.msh", mesh},
                  {kNodeResultFileName, parts[0]},
                  {kElementResultFileName, parts[1]},
                  {kElementCentreFileName, parts[2]},
                  {kElementVolumeFileName, parts[3]}});
  try {
    RunPostProcessing();
  } catch (const RunFailure&) {
    return 0;
  }
  const std::string post = run.Read(kPostFileName).value_or("");
  Expect(post.starts_with("TITL\r\nFuzzed results,,,\r\nGVAL\r\n"),
         "the post file lacks its title");
  Expect(post.ends_with("   -1\r\n  0,  0,  0,  0,  0,  0,  0,  0,  0\r\n"),
         "the post file lacks its end record");
  return 0;
}
