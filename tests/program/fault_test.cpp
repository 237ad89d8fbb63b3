// Outputs that cannot be written, on the example model: a name that is a
// directory, a read-only file, a file held by another program, a link to
// /dev/full (every write fails) and a run under a file-size limit. Each run
// ends with exit status 1 and names the file; the outputs before it are
// complete, the one being written holds what went out before the failure,
// the later ones keep what an earlier run left, and no input changes. Last,
// `-v` into a pipe nobody reads: the message is lost, the exit status is not.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/test_dir.h"

namespace sheet::testing {
namespace {

namespace fs = std::filesystem;

const std::string kModel = std::string(EXAMPLES_DIR) + "/model";
const std::vector<std::string> kInputs = {"Ana.csv", "Prop.csv", "Model.msh"};
const std::vector<std::string> kResultFiles = {"at-nresl-struct.tmp", "at-eresl-struct.tmp",
                                               "t-felm-cntr.tmp", "t-felm-vole.tmp"};
// In the order sheetprep writes them.
const std::vector<std::string> kPrepOutputs = {
    "t-dimension-data.txt", "ch-curr-data.txt", "g-belm-data.txt", "g-celm-data.txt",
    "t-lcs-data.txt",       "bh-table-data.txt", "t-cntl-data.txt", "t-node-data.txt",
    "t-felm-data.txt",      "t-prop-data.txt",  "t-fixc-data.txt"};
const std::vector<std::string> kPostOutputs = {"Model_post.pst"};

std::string Expected(const std::string& name) { return ReadFile(kModel + "/expected/" + name); }
std::string Old(const std::string& name) { return "left by an earlier run: " + name; }

// A directory with the example model's inputs and the solver's results for it.
class ExampleDir {
 public:
  ExampleDir() {
    for (const auto& name : kInputs) dir.Write(name, ReadFile(kModel + "/" + name));
    const RunResult solver =
        RunIn(dir.path(), std::string(TOOLS_DIR) + "/make_results", {kModel + "/results.txt"});
    if (solver.exit_status != 0) ADD_FAILURE() << "make_results: " << solver.standard_error;
    for (const auto& name : kResultFiles) results[name] = dir.Read(name);
  }

  void ExpectInputsUnchanged() const {
    for (const auto& name : kInputs) {
      EXPECT_TRUE(dir.Read(name) == ReadFile(kModel + "/" + name)) << name << " changed";
    }
    for (const auto& [name, bytes] : results) EXPECT_TRUE(dir.Read(name) == bytes) << name << " changed";
  }

  TempDir dir;
  std::map<std::string, std::string> results;
};

enum class Fault { directory, read_only, held, device_full, size_limit };

struct WriteFaultCase {
  const char* name;
  Fault fault;
  bool post;  // sheetpost, else sheetprep
  const char* file;
  long long size_limit;  // for Fault::size_limit
  const char* message;
};

std::ostream& operator<<(std::ostream& out, const WriteFaultCase& c) { return out << c.name; }

constexpr const char* kIsDirectory = "cannot open for writing: is a directory";
constexpr const char* kPermissionDenied = "cannot open for writing: permission denied";
constexpr const char* kInUse = "cannot open for writing: in use by another program";
constexpr const char* kNoSpace = "cannot write: no space left on device";
constexpr const char* kTooLarge = "cannot write: file too large";

const WriteFaultCase kWriteFaults[] = {
    {"PrepFirstOutputIsADirectory", Fault::directory, false, "t-dimension-data.txt", 0, kIsDirectory},
    {"PrepBhTableIsADirectory", Fault::directory, false, "bh-table-data.txt", 0, kIsDirectory},
    {"PrepLastOutputIsADirectory", Fault::directory, false, "t-fixc-data.txt", 0, kIsDirectory},
    {"PrepControlDataIsReadOnly", Fault::read_only, false, "t-cntl-data.txt", 0, kPermissionDenied},
    {"PrepPropertyTableIsReadOnly", Fault::read_only, false, "t-prop-data.txt", 0, kPermissionDenied},
    {"PrepNodeFileIsHeldOpen", Fault::held, false, "t-node-data.txt", 0, kInUse},
    {"PrepCurrentFileOnAFullDevice", Fault::device_full, false, "ch-curr-data.txt", 0, kNoSpace},
    // Written while Prop.csv is open, and closed after Model.msh.
    {"PrepBhTableOnAFullDevice", Fault::device_full, false, "bh-table-data.txt", 0, kNoSpace},
    {"PrepElementFileOnAFullDevice", Fault::device_full, false, "t-felm-data.txt", 0, kNoSpace},
    {"PrepLastOutputOnAFullDevice", Fault::device_full, false, "t-fixc-data.txt", 0, kNoSpace},
    // The limit falls inside the first output larger than it.
    {"PrepBhTableBeyondTheSizeLimit", Fault::size_limit, false, "bh-table-data.txt", 1000, kTooLarge},
    {"PrepNodeFileBeyondTheSizeLimit", Fault::size_limit, false, "t-node-data.txt", 50000, kTooLarge},
    {"PostFileIsADirectory", Fault::directory, true, "Model_post.pst", 0, kIsDirectory},
    {"PostFileIsReadOnly", Fault::read_only, true, "Model_post.pst", 0, kPermissionDenied},
    {"PostFileIsHeldOpen", Fault::held, true, "Model_post.pst", 0, kInUse},
    {"PostFileOnAFullDevice", Fault::device_full, true, "Model_post.pst", 0, kNoSpace},
    {"PostFileBeyondTheSizeLimit", Fault::size_limit, true, "Model_post.pst", 100000, kTooLarge},
};

class WriteFault : public ::testing::TestWithParam<WriteFaultCase> {};

TEST_P(WriteFault, EndsTheRunAtThatFileAndKeepsWhatWasWritten) {
  const WriteFaultCase& c = GetParam();
  ExampleDir example;
  const TempDir& dir = example.dir;
  const std::vector<std::string>& outputs = c.post ? kPostOutputs : kPrepOutputs;
  const auto target = std::find(outputs.begin(), outputs.end(), c.file);
  ASSERT_NE(target, outputs.end());
  for (const auto& name : outputs) dir.Write(name, Old(name));

  RunConditions conditions;
  int held = -1;
  switch (c.fault) {
    case Fault::directory:
      fs::remove(dir / c.file);
      fs::create_directory(dir / c.file);  // even root cannot write it
      break;
    case Fault::read_only:
      ::chmod((dir / c.file).c_str(), 0444);
      conditions.unprivileged = true;  // root may write a read-only file
      break;
    case Fault::held:
      // A viewer that has the file open.
      held = ::open((dir / c.file).c_str(), O_RDONLY);
      ASSERT_GE(held, 0);
      ASSERT_EQ(::flock(held, LOCK_SH), 0);
      break;
    case Fault::device_full:
      fs::remove(dir / c.file);
      fs::create_symlink("/dev/full", dir / c.file);
      break;
    case Fault::size_limit:
      ASSERT_GT(Expected(c.file).size(), static_cast<std::size_t>(c.size_limit));
      conditions.file_size_limit = c.size_limit;
      break;
  }
  const RunResult run = RunIn(dir.path(), c.post ? SHEETPOST_PATH : SHEETPREP_PATH, {"-v"}, conditions);
  if (held >= 0) ::close(held);

  EXPECT_EQ(run.signal, 0) << "killed by signal " << run.signal;
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.standard_error,
            std::string(c.post ? "sheetpost: " : "sheetprep: ") + c.file + ": " + c.message + "\n");
  for (auto name = outputs.begin(); name != target; ++name) {
    EXPECT_TRUE(dir.Read(*name) == Expected(*name)) << *name << " is not complete";
  }
  switch (c.fault) {
    case Fault::directory:
      EXPECT_TRUE(fs::is_directory(dir / c.file));
      break;
    case Fault::read_only:
    case Fault::held:
      EXPECT_EQ(dir.Read(c.file), Old(c.file)) << "a file that could not be opened was changed";
      break;
    case Fault::device_full:
      EXPECT_TRUE(fs::is_symlink(dir / c.file));
      EXPECT_EQ(fs::read_symlink(dir / c.file), "/dev/full");
      break;
    case Fault::size_limit:
      // Everything up to the limit went out.
      EXPECT_TRUE(dir.Read(c.file) == Expected(c.file).substr(0, c.size_limit))
          << c.file << " does not hold the first " << c.size_limit << " bytes";
      break;
  }
  for (auto name = target + 1; name != outputs.end(); ++name) {
    EXPECT_EQ(dir.Read(*name), Old(*name)) << "a later output was touched";
  }
  example.ExpectInputsUnchanged();
}

INSTANTIATE_TEST_SUITE_P(Outputs, WriteFault, ::testing::ValuesIn(kWriteFaults),
                         [](const auto& info) { return std::string(info.param.name); });

// `-v` on a standard error that nobody reads any more (`sheetprep -v | true`):
// the message is lost, the exit status is still the run's.
struct ClosedPipeCase {
  const char* name;
  bool post;
  const char* argument;
  const char* remove;  // an input removed to make the run fail, or nullptr
  int exit_status;
};

std::ostream& operator<<(std::ostream& out, const ClosedPipeCase& c) { return out << c.name; }

class ClosedPipe : public ::testing::TestWithParam<ClosedPipeCase> {};

TEST_P(ClosedPipe, LosesTheMessageButNotTheExitStatus) {
  const ClosedPipeCase& c = GetParam();
  ExampleDir example;
  if (c.remove != nullptr) fs::remove(example.dir / c.remove);
  RunConditions conditions;
  conditions.output_to_closed_pipe = true;
  const RunResult run =
      RunIn(example.dir.path(), c.post ? SHEETPOST_PATH : SHEETPREP_PATH, {c.argument}, conditions);
  EXPECT_EQ(run.signal, 0) << "killed by signal " << run.signal;
  EXPECT_EQ(run.exit_status, c.exit_status);
  if (c.exit_status == 0 && std::string(c.argument) == "-v") {
    for (const auto& name : c.post ? kPostOutputs : kPrepOutputs) {
      EXPECT_TRUE(example.dir.Read(name) == Expected(name)) << name;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, ClosedPipe,
    ::testing::Values(ClosedPipeCase{"PrepSummary", false, "-v", nullptr, 0},
                      ClosedPipeCase{"PrepFailure", false, "-v", "Prop.csv", 1},
                      ClosedPipeCase{"PrepHelp", false, "--help", nullptr, 0},
                      ClosedPipeCase{"PostSummary", true, "-v", nullptr, 0},
                      ClosedPipeCase{"PostFailure", true, "-v", "t-felm-vole.tmp", 1},
                      ClosedPipeCase{"PostVersion", true, "--version", nullptr, 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sheet::testing
