// sheetprep at its edge: the run of stages 1 and 2 (Ana.csv and the five
// fixed solver files), its failures and what they leave on disk, and the
// options.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/test_dir.h"

namespace sheet::testing {
namespace {

const std::vector<std::string> kFixedFiles = {"t-dimension-data.txt", "ch-curr-data.txt",
                                              "g-belm-data.txt", "g-celm-data.txt",
                                              "t-lcs-data.txt"};
const std::vector<std::string> kLaterFiles = {"bh-table-data.txt", "t-cntl-data.txt",
                                              "t-node-data.txt",   "t-felm-data.txt",
                                              "t-prop-data.txt",   "t-fixc-data.txt"};

// A model that runs through every stage: no region rows (so no Prop.csv is
// needed) and a mesh of one node.
const std::string kEmptyModelAna = "Title\r\n2DIM,,,\r\n0\r\n0\r\n";
const std::string kOneNodeMesh = "h1\r\nh2\r\nh3\r\n0,1\r\nNodes\r\n1,0.0,0.0,0\r\nEnd\r\nElements\r\n";

const std::string kLcs = "1 1 0\r\n0.0 0.0 0.0\r\n0.0 0.0 1.0\r\n1.0 0.0 0.0\r\n0 0 0\r\n";
const std::string kCurrents = "         0        0        0        0        0\r\n";

RunResult Prep(const TempDir& dir, const std::vector<std::string>& arguments = {}) {
  return RunIn(dir.path(), SHEETPREP_PATH, arguments);
}

void SeedOldOutputs(const TempDir& dir, const std::vector<std::string>& names) {
  for (const auto& name : names) dir.Write(name, "old " + name);
}

void ExpectOldOutputs(const TempDir& dir, const std::vector<std::string>& names) {
  for (const auto& name : names) EXPECT_EQ(dir.Read(name), "old " + name) << name;
}

TEST(PreparationRun, WritesTheFixedSolverFiles) {
  TempDir dir;
  dir.Write("Ana.csv", kEmptyModelAna);
  dir.Write("Model.msh", kOneNodeMesh);
  const RunResult run = Prep(dir);
  EXPECT_EQ(run.exit_status, 0) << run.standard_error;
  EXPECT_EQ(run.standard_output, "");
  EXPECT_EQ(run.standard_error, "");
  EXPECT_EQ(dir.Read("t-dimension-data.txt"), "0\r\n");
  EXPECT_EQ(dir.Read("ch-curr-data.txt"), kCurrents);
  EXPECT_EQ(dir.Read("g-belm-data.txt"), "0 0 0\r\n");
  EXPECT_EQ(dir.Read("g-celm-data.txt"), "0 0 0\r\n");
  EXPECT_EQ(dir.Read("t-lcs-data.txt"), kLcs);
}

TEST(PreparationRun, OnlyAnExact2DimGivesTheTwoDimensionalFlag) {
  for (const std::string line2 : {"2DIM", "2DIMENSION,,", "3DIM", "2dim", "2D", ""}) {
    TempDir dir;
    dir.Write("Ana.csv", "Title\r\n" + line2 + "\r\n0\r\n0\r\n");
    dir.Write("Model.msh", kOneNodeMesh);
    Prep(dir);
    const bool two_dimensional = line2.rfind("2DIM", 0) == 0;
    EXPECT_EQ(dir.Read("t-dimension-data.txt"), two_dimensional ? "0\r\n" : "1\r\n") << line2;
    // The other four never change.
    EXPECT_EQ(dir.Read("ch-curr-data.txt"), kCurrents);
    EXPECT_EQ(dir.Read("t-lcs-data.txt"), kLcs);
  }
}

TEST(PreparationRun, MissingAnalysisSheetTouchesNoOutput) {
  TempDir dir;
  SeedOldOutputs(dir, kFixedFiles);
  SeedOldOutputs(dir, kLaterFiles);
  const RunResult run = Prep(dir, {"-v"});
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.standard_error, "sheetprep: Ana.csv: cannot open for reading: no such file or directory\n");
  ExpectOldOutputs(dir, kFixedFiles);
  ExpectOldOutputs(dir, kLaterFiles);
}

TEST(PreparationRun, BadAnalysisSheetTouchesNoOutputAndSaysWhere) {
  TempDir dir;
  dir.Write("Ana.csv", "Title\r\n2DIM\r\n1\r\n1 ,COIL,3,4\r\n0\r\n");
  SeedOldOutputs(dir, kFixedFiles);
  const RunResult silent = Prep(dir);
  EXPECT_EQ(silent.exit_status, 1);
  EXPECT_EQ(silent.standard_error, "") << "nothing is printed without -v";
  const RunResult verbose = Prep(dir, {"-v"});
  EXPECT_EQ(verbose.exit_status, 1);
  EXPECT_EQ(verbose.standard_error,
            "sheetprep: Ana.csv:4:4: expected the first material number of region row 1, "
            "found \"COIL\"\n");
  ExpectOldOutputs(dir, kFixedFiles);
}

// An output that cannot be opened stops the run at that file: the files
// before it are complete, it and the later ones keep what an earlier run left.
TEST(PreparationRun, UnopenableOutputStopsTheRunThere) {
  TempDir dir;
  dir.Write("Ana.csv", kEmptyModelAna);
  dir.Write("Model.msh", kOneNodeMesh);
  SeedOldOutputs(dir, {"t-lcs-data.txt"});
  SeedOldOutputs(dir, kLaterFiles);
  std::filesystem::create_directory(dir / "g-celm-data.txt");  // even root cannot write it
  const RunResult run = Prep(dir, {"-v"});
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.standard_error, "sheetprep: g-celm-data.txt: cannot open for writing: is a directory\n");
  EXPECT_EQ(dir.Read("t-dimension-data.txt"), "0\r\n");
  EXPECT_EQ(dir.Read("ch-curr-data.txt"), kCurrents);
  EXPECT_EQ(dir.Read("g-belm-data.txt"), "0 0 0\r\n");
  ExpectOldOutputs(dir, {"t-lcs-data.txt"});
  ExpectOldOutputs(dir, kLaterFiles);
}

TEST(PreparationRun, ReadOnlyOutputStopsTheRun) {
  TempDir dir;
  dir.Write("Ana.csv", kEmptyModelAna);
  dir.Write("g-celm-data.txt", "old");
  ::chmod((dir / "g-celm-data.txt").c_str(), 0444);
  // Unprivileged, since root may write a read-only file.
  EXPECT_EQ(RunUnprivilegedIn(dir.path(), SHEETPREP_PATH).exit_status, 1);
  EXPECT_EQ(dir.Read("g-celm-data.txt"), "old");
  EXPECT_EQ(dir.Read("g-belm-data.txt"), "0 0 0\r\n");
  EXPECT_FALSE(dir.Exists("t-lcs-data.txt"));
}

// Another program holding an output open (a viewer, a spreadsheet) makes its
// open fail; the file it holds is not emptied.
TEST(PreparationRun, OutputHeldByAnotherProgramIsLeftAlone) {
  TempDir dir;
  dir.Write("Ana.csv", kEmptyModelAna);
  dir.Write("Model.msh", kOneNodeMesh);
  dir.Write("ch-curr-data.txt", "held by a viewer");
  const int held = ::open((dir / "ch-curr-data.txt").c_str(), O_RDONLY);
  ASSERT_GE(held, 0);
  ASSERT_EQ(::flock(held, LOCK_SH), 0);
  const RunResult run = Prep(dir, {"-v"});
  ::close(held);
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.standard_error, "sheetprep: ch-curr-data.txt: cannot open for writing: in use by another program\n");
  EXPECT_EQ(dir.Read("ch-curr-data.txt"), "held by a viewer");
  EXPECT_EQ(dir.Read("t-dimension-data.txt"), "0\r\n");
  EXPECT_FALSE(dir.Exists("g-belm-data.txt"));
}

TEST(PreparationRun, InputBeingWrittenByAnotherProgramCannotBeRead) {
  TempDir dir;
  dir.Write("Ana.csv", kEmptyModelAna);
  const int writer = ::open((dir / "Ana.csv").c_str(), O_WRONLY);
  ASSERT_GE(writer, 0);
  ASSERT_EQ(::flock(writer, LOCK_EX), 0);
  const RunResult run = Prep(dir, {"-v"});
  ::close(writer);
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.standard_error, "sheetprep: Ana.csv: cannot open for reading: in use by another program\n");
  EXPECT_FALSE(dir.Exists("t-dimension-data.txt"));
}

// A write that fails (a full disk) is a failure, not a silent success.
TEST(PreparationRun, FailedWriteIsAFailure) {
  TempDir dir;
  dir.Write("Ana.csv", kEmptyModelAna);
  dir.Write("Model.msh", kOneNodeMesh);
  ASSERT_EQ(::symlink("/dev/full", (dir / "g-belm-data.txt").c_str()), 0);
  SeedOldOutputs(dir, {"t-lcs-data.txt"});
  const RunResult run = Prep(dir, {"-v"});
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.standard_error, "sheetprep: g-belm-data.txt: cannot write: no space left on device\n");
  EXPECT_EQ(dir.Read("ch-curr-data.txt"), kCurrents);
  EXPECT_FALSE(dir.Exists("g-celm-data.txt"));
  ExpectOldOutputs(dir, {"t-lcs-data.txt"});
}

// A FIFO in place of a file never makes a run wait: an input FIFO without a
// writer reads as an empty file, an output FIFO without a reader cannot be
// opened.
TEST(PreparationRun, FifoNamesDoNotHang) {
  TempDir input_dir;
  ASSERT_EQ(::mkfifo((input_dir / "Ana.csv").c_str(), 0666), 0);
  const RunResult input = Prep(input_dir, {"-v"});
  EXPECT_EQ(input.exit_status, 1);
  EXPECT_EQ(input.standard_error, "sheetprep: Ana.csv:1:1: expected the title line, found end of file\n");

  TempDir output_dir;
  output_dir.Write("Ana.csv", kEmptyModelAna);
  ASSERT_EQ(::mkfifo((output_dir / "ch-curr-data.txt").c_str(), 0666), 0);
  const RunResult output = Prep(output_dir, {"-v"});
  EXPECT_EQ(output.exit_status, 1);
  EXPECT_EQ(output.standard_error,
            "sheetprep: ch-curr-data.txt: cannot open for writing: no such device or address\n");
  EXPECT_EQ(output_dir.Read("t-dimension-data.txt"), "0\r\n");
}

TEST(PreparationRun, OptionsHelpVersionDirectoryAndIgnoredArguments) {
  TempDir dir;
  const RunResult help = Prep(dir, {"--help"});
  EXPECT_EQ(help.exit_status, 0);
  EXPECT_NE(help.standard_output.find("usage: sheetprep"), std::string::npos);
  const RunResult version = Prep(dir, {"--version"});
  EXPECT_EQ(version.exit_status, 0);
  EXPECT_EQ(version.standard_output.rfind("sheetprep ", 0), 0u);
  EXPECT_TRUE(dir.List().empty()) << "--help and --version write nothing";

  TempDir model;
  model.Write("Ana.csv", kEmptyModelAna);
  model.Write("Model.msh", kOneNodeMesh);
  const RunResult elsewhere = Prep(dir, {"-C", model.path(), "unknown", "--other"});
  EXPECT_EQ(elsewhere.exit_status, 0) << elsewhere.standard_error;
  EXPECT_EQ(model.Read("t-lcs-data.txt"), kLcs);
  EXPECT_TRUE(dir.List().empty());

  const RunResult missing = Prep(dir, {"-C", dir / "nowhere"});
  EXPECT_EQ(missing.exit_status, 1);
}

TEST(PreparationRun, VerboseSuccessPrintsOneSummaryLine) {
  TempDir dir;
  dir.Write("Ana.csv", kEmptyModelAna);
  dir.Write("Model.msh", kOneNodeMesh);
  const RunResult run = Prep(dir, {"-v"});
  EXPECT_EQ(run.exit_status, 0);
  ASSERT_FALSE(run.standard_error.empty());
  EXPECT_EQ(run.standard_error.rfind("sheetprep: ", 0), 0u);
  EXPECT_EQ(run.standard_error.find('\n'), run.standard_error.size() - 1);
}

}  // namespace
}  // namespace sheet::testing
