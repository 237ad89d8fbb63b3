// fuzz_sheetpost: the whole of sheetpost (RunPostProcessing) on inputs made
// of the fuzz bytes: Ana.csv, Model.msh, at-nresl-struct.tmp,
// at-eresl-struct.tmp, t-felm-cntr.tmp and t-felm-vole.tmp, split as
// fuzz/input_parts.h says (a file the input does not reach is absent).
//
// The run works in a private directory (fuzz/scratch_dir.h). A failure is a
// RunFailure, which the target catches. The directory must hold nothing but
// the inputs and Model_post.pst afterwards; a run that succeeds must leave a
// post file that starts with its title section and ends with the end record
// of the element section.
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

void Expect(bool holds, const char* what) {
  if (holds) return;
  std::fputs("fuzz_sheetpost: ", stderr);
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
  const auto parts = SplitInput(AsText(data, size), 6);
  ScratchRun run({{"Ana.csv", parts[0]},
                  {"Model.msh", parts[1]},
                  {kNodeResultFileName, parts[2]},
                  {kElementResultFileName, parts[3]},
                  {kElementCentreFileName, parts[4]},
                  {kElementVolumeFileName, parts[5]}});
  bool succeeded = true;
  try {
    RunPostProcessing();
  } catch (const RunFailure&) {
    succeeded = false;
  }
  std::size_t inputs = 0;
  for (const auto& part : parts) inputs += part.has_value();
  Expect(run.FileCount() == inputs + run.Exists(kPostFileName),
         "the run left a file of another name");
  if (!succeeded) return 0;
  const std::string post = run.Read(kPostFileName).value_or("");
  Expect(post.starts_with("TITL\r\n"), "the post file lacks its title section");
  Expect(post.ends_with("   -1\r\n  0,  0,  0,  0,  0,  0,  0,  0,  0\r\n"),
         "the post file lacks its end record");
  return 0;
}
