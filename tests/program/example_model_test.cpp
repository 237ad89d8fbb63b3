// The bundled example model end to end: sheetprep, the solver's results
// (from their text description), sheetpost; every output byte for byte
// against the checked files in examples/model/expected.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_dir.h"

namespace sheet::testing {
namespace {

const std::string kModel = std::string(EXAMPLES_DIR) + "/model";

const std::vector<std::string> kOutputs = {
    "t-dimension-data.txt", "ch-curr-data.txt", "g-belm-data.txt", "g-celm-data.txt",
    "t-lcs-data.txt",       "bh-table-data.txt", "t-cntl-data.txt", "t-node-data.txt",
    "t-felm-data.txt",      "t-prop-data.txt",  "t-fixc-data.txt", "Model_post.pst"};

TEST(ExampleModel, BothProgramsWriteTheExpectedFiles) {
  TempDir dir;
  for (const std::string name : {"Ana.csv", "Prop.csv", "Model.msh"}) {
    dir.Write(name, ReadFile(kModel + "/" + name));
  }
  const RunResult prep = RunIn(dir.path(), SHEETPREP_PATH);
  ASSERT_EQ(prep.exit_status, 0) << prep.standard_error;
  const RunResult solver =
      RunIn(dir.path(), std::string(TOOLS_DIR) + "/make_results", {kModel + "/results.txt"});
  ASSERT_EQ(solver.exit_status, 0) << solver.standard_error;
  const RunResult post = RunIn(dir.path(), SHEETPOST_PATH);
  ASSERT_EQ(post.exit_status, 0) << post.standard_error;
  for (const auto& name : kOutputs) {
    EXPECT_TRUE(dir.Read(name) == ReadFile(kModel + "/expected/" + name)) << name << " differs";
  }
  // Nothing was changed in the inputs.
  for (const std::string name : {"Ana.csv", "Prop.csv", "Model.msh"}) {
    EXPECT_TRUE(dir.Read(name) == ReadFile(kModel + "/" + name)) << name;
  }
}

// The example is generated: the generator must still make exactly the files
// that are checked in.
TEST(ExampleModel, GeneratorMakesTheCheckedInFiles) {
  TempDir dir;
  const RunResult run = RunIn(dir.path(), std::string(TOOLS_DIR) + "/make_example", {dir.path()});
  ASSERT_EQ(run.exit_status, 0) << run.standard_error;
  for (const std::string name : {"Ana.csv", "Prop.csv", "Model.msh", "results.txt"}) {
    EXPECT_TRUE(dir.Read(name) == ReadFile(kModel + "/" + name)) << name << " differs";
  }
}

}  // namespace
}  // namespace sheet::testing
