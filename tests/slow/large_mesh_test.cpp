// sheetprep streams the mesh: its peak memory on a mesh of a million nodes is
// that of a small mesh. The meshes are made by tools/make_mesh.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/test_dir.h"

namespace sheet::testing {
namespace {

constexpr long kToleranceKilobytes = 1024;
constexpr long kLargeNodeCount = 1000000;
// Small, but enough to fill the 1 MiB buffers of Model.msh and of the output
// files: a mesh of a few nodes touches only a few pages of them, and the
// comparison would show the buffers rather than growth with the mesh.
constexpr long kSmallNodeCount = 20000;
constexpr const char* kGnuTime = "/usr/bin/time";

// A child's peak resident size as the kernel reports it includes the size of
// the process that started it (the fork's pages count until the exec). GNU
// time starts the run from a process of its own, a small one; without it the
// run is started from here, and a peak no larger than this process's own
// shows nothing.
struct Peak {
  long kilobytes = 0;
  bool hidden = false;  // by this process's own size
};

Peak PeakOfRun(const std::string& directory) {
  Peak peak;
  if (::access(kGnuTime, X_OK) == 0) {
    const RunResult run =
        RunIn(directory, kGnuTime, {"-f", "%M", "-o", "peak.txt", SHEETPREP_PATH});
    EXPECT_EQ(run.exit_status, 0) << run.standard_error;
    peak.kilobytes = std::stol(ReadFile(directory + "/peak.txt"));
    return peak;
  }
  const pid_t child = ::fork();
  if (child == 0) {
    if (::chdir(directory.c_str()) != 0) ::_exit(127);
    ::execl(SHEETPREP_PATH, SHEETPREP_PATH, static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  ::wait4(child, &status, 0, &usage);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  rusage own{};
  ::getrusage(RUSAGE_SELF, &own);
  peak.kilobytes = usage.ru_maxrss;
  peak.hidden = usage.ru_maxrss <= own.ru_maxrss;
  return peak;
}

std::string Tail(const std::string& path, std::size_t count) {
  std::ifstream in(path, std::ios::binary);
  in.seekg(-static_cast<std::streamoff>(count), std::ios::end);
  std::string tail(count, '\0');
  in.read(tail.data(), static_cast<std::streamsize>(count));
  return tail;
}

void MakeModel(const TempDir& dir, long node_count) {
  dir.Write("Ana.csv", Crlf("Large model\n2DIM\n0\n0\n"));
  const RunResult made = RunIn(dir.path(), std::string(TOOLS_DIR) + "/make_mesh",
                               {std::to_string(node_count), "Model.msh"});
  ASSERT_EQ(made.exit_status, 0) << made.standard_error;
}

TEST(LargeMesh, PeakMemoryDoesNotGrowWithTheMesh) {
  TempDir small;
  TempDir large;
  MakeModel(small, kSmallNodeCount);
  MakeModel(large, kLargeNodeCount);

  const Peak small_peak = PeakOfRun(small.path());
  const Peak large_peak = PeakOfRun(large.path());
  if (small_peak.hidden) GTEST_SKIP() << "the peak of a run is hidden by this test's own size";

  EXPECT_LE(large_peak.kilobytes, small_peak.kilobytes + kToleranceKilobytes)
      << kSmallNodeCount << " nodes: " << small_peak.kilobytes << " KB, " << kLargeNodeCount
      << " nodes: " << large_peak.kilobytes << " KB";

  // Every node went through: fixed-length records of 60 bytes, then the
  // closing record.
  EXPECT_EQ(std::filesystem::file_size(large / "t-node-data.txt"), 60 * kLargeNodeCount + 32);
  EXPECT_EQ(Tail(large / "t-node-data.txt", 92),
            " 1000000 0  1.2487500E+000  7.4925000E-001  0.0000000E+000\r\n"
            "0 0 0.0E+000 0.0E+000 0.0E+000\r\n");
  EXPECT_EQ(Tail(large / "t-felm-data.txt", 7), "0 0 0\r\n");
}

}  // namespace
}  // namespace sheet::testing
