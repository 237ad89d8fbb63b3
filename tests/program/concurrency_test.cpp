// Runs that overlap in one directory, many times over: two sheetprep runs,
// two sheetpost runs, and a sheetpost run while sheetprep writes. An output
// is held by one run at a time, so a run that finds an output held ends with
// exit status 1 ("in use by another program") and leaves the file to the run
// that holds it: afterwards every output is complete and identical to a lone
// run's, never a mix of two runs.
//
// The model is the example's sheets with a generated mesh and generated
// results, large enough that the node, element and post files each take
// more than one buffer of writes, so that two runs could interleave inside a
// file if the holding failed.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/test_dir.h"

namespace sheet::testing {
namespace {

const std::string kModel = std::string(EXAMPLES_DIR) + "/model";
const std::vector<std::string> kResultFiles = {"at-nresl-struct.tmp", "at-eresl-struct.tmp",
                                               "t-felm-cntr.tmp", "t-felm-vole.tmp"};
const std::vector<std::string> kPrepOutputs = {
    "t-dimension-data.txt", "ch-curr-data.txt", "g-belm-data.txt", "g-celm-data.txt",
    "t-lcs-data.txt",       "bh-table-data.txt", "t-cntl-data.txt", "t-node-data.txt",
    "t-felm-data.txt",      "t-prop-data.txt",  "t-fixc-data.txt"};
const std::string kPostFile = "Model_post.pst";

// Some 100 ms a run in a debug build. In each round the second run starts a
// little later (up to some 45 ms), so that it comes upon the first at
// different points of a file: at its start, and after some of it has been
// written.
constexpr int kRounds = 12;
std::chrono::milliseconds StartDelay(int round) { return std::chrono::milliseconds(round * 4); }
constexpr const char* kMeshNodes = "20000";  // t-node-data.txt of 1.2 MB, t-felm-data.txt of 1.4 MB
constexpr int kResultElements = 9000;       // a post file of 1.7 MB

// A description for make_results: every node of the mesh, then the first
// kResultElements elements with their centres and volumes.
std::string ResultDescription(int nodes) {
  std::string text;
  for (int i = 1; i <= nodes; ++i) text += "node " + std::to_string(i) + " " + std::to_string(i * 1e-6) + "\n";
  text += "node 0\n";
  for (int j = 1; j <= kResultElements; ++j) {
    const std::string number = std::to_string(j);
    text += "element " + number + " 0.6 0.8 " + std::to_string(j * 1e-3) + "\n";
    text += "centre " + number + " 0.01 0.02 0\n";
    text += "volume " + number + " 5e-5\n";
  }
  return text + "element 0\n";
}

class Concurrency : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    files_ = new std::vector<std::pair<std::string, std::string>>;
    lone_outputs_ = new std::vector<std::pair<std::string, std::string>>;
    TempDir dir;
    for (const std::string name : {"Ana.csv", "Prop.csv"}) dir.Write(name, ReadFile(kModel + "/" + name));
    ASSERT_EQ(RunIn(dir.path(), std::string(TOOLS_DIR) + "/make_mesh", {kMeshNodes, "Model.msh"})
                  .exit_status,
              0);
    dir.Write("results.txt", ResultDescription(std::stoi(kMeshNodes)));
    ASSERT_EQ(RunIn(dir.path(), std::string(TOOLS_DIR) + "/make_results", {"results.txt"}).exit_status, 0);
    std::remove((dir / "results.txt").c_str());
    for (const auto& name : dir.List()) files_->emplace_back(name, dir.Read(name));

    // What a lone run of each program leaves.
    const RunResult prep = RunIn(dir.path(), SHEETPREP_PATH, {"-v"});
    ASSERT_EQ(prep.exit_status, 0) << prep.standard_error;
    const RunResult post = RunIn(dir.path(), SHEETPOST_PATH, {"-v"});
    ASSERT_EQ(post.exit_status, 0) << post.standard_error;
    for (const auto& name : kPrepOutputs) lone_outputs_->emplace_back(name, dir.Read(name));
    lone_outputs_->emplace_back(kPostFile, dir.Read(kPostFile));
  }

  static void TearDownTestSuite() {
    delete files_;
    delete lone_outputs_;
  }

  // A fresh directory with the model and the solver's results.
  static void Fill(const TempDir& dir) {
    for (const auto& [name, bytes] : *files_) dir.Write(name, bytes);
  }

  // A run that overlapped another: complete, or ended at an output the other
  // run held. Returns whether it completed.
  static bool CompletedOrFoundAnOutputInUse(const RunResult& run, const char* program) {
    EXPECT_EQ(run.signal, 0) << program << " killed by signal " << run.signal;
    if (run.exit_status == 0) return true;
    EXPECT_EQ(run.exit_status, 1) << program;
    EXPECT_NE(run.standard_error.find(": cannot open for writing: in use by another program\n"),
              std::string::npos)
        << program << " failed for another reason: " << run.standard_error;
    return false;
  }

  // Every output of the programs that ran is a lone run's.
  static void ExpectLoneRunOutputs(const TempDir& dir, bool prep, bool post, int round) {
    for (const auto& [name, bytes] : *lone_outputs_) {
      if (name == kPostFile ? !post : !prep) continue;
      EXPECT_TRUE(dir.Read(name) == bytes) << name << " differs from a lone run's in round " << round;
    }
  }

  // Two runs of `program` started together in one directory.
  static void RaceTwo(const char* program, bool prep) {
    int rounds_where_they_met = 0;
    for (int round = 0; round < kRounds; ++round) {
      TempDir dir;
      Fill(dir);
      StartedRun first(dir.path(), program, {"-v"});
      std::this_thread::sleep_for(StartDelay(round));
      StartedRun second(dir.path(), program, {"-v"});
      const RunResult first_result = first.Finish();
      const RunResult second_result = second.Finish();
      const bool first_done = CompletedOrFoundAnOutputInUse(first_result, program);
      const bool second_done = CompletedOrFoundAnOutputInUse(second_result, program);
      // An output is held only while it is written and both runs take the
      // files in the same order: one of them always gets through.
      EXPECT_TRUE(first_done || second_done) << "both runs failed in round " << round;
      if (!first_done || !second_done) ++rounds_where_they_met;
      ExpectLoneRunOutputs(dir, prep, !prep, round);
      if (HasFailure()) return;
    }
    RecordProperty("rounds_where_the_runs_met", rounds_where_they_met);
  }

  static std::vector<std::pair<std::string, std::string>>* files_;
  static std::vector<std::pair<std::string, std::string>>* lone_outputs_;
};

std::vector<std::pair<std::string, std::string>>* Concurrency::files_ = nullptr;
std::vector<std::pair<std::string, std::string>>* Concurrency::lone_outputs_ = nullptr;

TEST_F(Concurrency, TwoPreparationRuns) { RaceTwo(SHEETPREP_PATH, true); }

TEST_F(Concurrency, TwoPostRuns) { RaceTwo(SHEETPOST_PATH, false); }

// sheetpost reads Ana.csv and Model.msh while sheetprep reads them too and
// writes its own files: the two never want one file for writing, so both
// complete.
TEST_F(Concurrency, PostRunWhilePreparationWrites) {
  for (int round = 0; round < kRounds; ++round) {
    TempDir dir;
    Fill(dir);
    StartedRun prep(dir.path(), SHEETPREP_PATH, {"-v"});
    std::this_thread::sleep_for(StartDelay(round));
    StartedRun post(dir.path(), SHEETPOST_PATH, {"-v"});
    const RunResult prep_result = prep.Finish();
    const RunResult post_result = post.Finish();
    EXPECT_EQ(prep_result.exit_status, 0) << prep_result.standard_error;
    EXPECT_EQ(post_result.exit_status, 0) << post_result.standard_error;
    ExpectLoneRunOutputs(dir, true, true, round);
    if (HasFailure()) return;
  }
}

}  // namespace
}  // namespace sheet::testing
