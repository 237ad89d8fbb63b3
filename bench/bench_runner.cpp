// bench_runner: times sheetprep and sheetpost against the stdio peer on the
// generated data sets, runs interleaved, and prints medians, throughput,
// speed-ups and peak memory.
//
//   bench_runner BUILD_DIR DATA_1M DATA_4M [RUNS]
//
// BUILD_DIR holds sheetprep and sheetpost, and bench/stdio_peer; DATA_1M and DATA_4M
// hold make_bench_data's output (DATA_1M with --results). Before anything is
// timed, the outputs of our programs on the 1M data set are checked against a
// reference run of the same binaries on a copy, so a benchmark of a broken
// build fails instead of printing figures.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Measure {
  double seconds = 0;
  long peak_kib = 0;
  int status = -1;
};

Measure RunIn(const std::string& dir, const std::vector<std::string>& command) {
  timespec start{}, stop{};
  clock_gettime(CLOCK_MONOTONIC, &start);
  const pid_t child = fork();
  if (child == 0) {
    if (chdir(dir.c_str()) != 0) _exit(127);
    std::vector<char*> argv;
    for (const auto& part : command) argv.push_back(const_cast<char*>(part.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  clock_gettime(CLOCK_MONOTONIC, &stop);
  Measure measure;
  measure.seconds = static_cast<double>(stop.tv_sec - start.tv_sec) +
                    static_cast<double>(stop.tv_nsec - start.tv_nsec) * 1e-9;
  measure.peak_kib = usage.ru_maxrss;
  measure.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return measure;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::uintmax_t SizeOf(const fs::path& path) {
  std::error_code error;
  const auto size = fs::file_size(path, error);
  return error ? 0 : size;
}

std::uintmax_t SizeOf(const fs::path& dir, const std::vector<std::string>& names) {
  std::uintmax_t total = 0;
  for (const auto& name : names) total += SizeOf(dir / name);
  return total;
}

// Bytes of Model.msh up to the end of its node block: what the second pass reads.
std::uintmax_t NodePartOf(const fs::path& mesh) {
  std::ifstream in(mesh, std::ios::binary);
  std::string line;
  std::uintmax_t offset = 0;
  while (std::getline(in, line)) {
    offset += line.size() + 1;
    if (line.rfind("End of nodes", 0) == 0) return offset;
  }
  return offset;
}

// A working directory whose inputs link to the data set.
std::string Workspace(const fs::path& base, const std::string& name, const fs::path& data) {
  const fs::path dir = base / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  for (const auto& entry : fs::directory_iterator(data)) {
    fs::create_symlink(fs::absolute(entry.path()), dir / entry.path().filename());
  }
  return dir.string();
}

// Whether two files hold the same bytes, read in blocks so that the runner
// stays small (its children's peak memory would otherwise include it).
bool SameBytes(const fs::path& a, const fs::path& b) {
  std::ifstream in_a(a, std::ios::binary), in_b(b, std::ios::binary);
  if (!in_a || !in_b) return false;
  std::vector<char> block_a(1 << 20), block_b(1 << 20);
  for (;;) {
    in_a.read(block_a.data(), static_cast<std::streamsize>(block_a.size()));
    in_b.read(block_b.data(), static_cast<std::streamsize>(block_b.size()));
    if (in_a.gcount() != in_b.gcount()) return false;
    if (std::memcmp(block_a.data(), block_b.data(), static_cast<std::size_t>(in_a.gcount())) != 0) return false;
    if (in_a.gcount() == 0) return true;
  }
}

// The last bytes of a file.
std::string Tail(const fs::path& path, std::size_t count) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  const std::streamoff size = in.tellg();
  const std::streamoff start = size > static_cast<std::streamoff>(count) ? size - static_cast<std::streamoff>(count) : 0;
  in.seekg(start);
  std::string tail(static_cast<std::size_t>(size - start), '\0');
  in.read(tail.data(), static_cast<std::streamsize>(tail.size()));
  return tail;
}

const std::vector<std::string> kPrepOutputs = {
    "t-dimension-data.txt", "ch-curr-data.txt", "g-belm-data.txt", "g-celm-data.txt",
    "t-lcs-data.txt",       "bh-table-data.txt", "t-cntl-data.txt", "t-node-data.txt",
    "t-felm-data.txt",      "t-prop-data.txt",  "t-fixc-data.txt"};
const std::vector<std::string> kPrepInputs = {"Ana.csv", "Prop.csv", "Model.msh"};
const std::vector<std::string> kPostInputs = {"at-nresl-struct.tmp", "at-eresl-struct.tmp",
                                              "t-felm-cntr.tmp", "t-felm-vole.tmp"};

struct Comparison {
  std::string program;
  double ours = 0, peer = 0;
  double input_mb = 0, output_mb = 0;
};

Comparison Compare(const std::string& program, const std::string& ours_binary,
                   const std::string& peer_binary, const std::string& peer_mode, const std::string& ours_dir,
                   const std::string& peer_dir, int runs) {
  std::vector<double> ours, peer;
  for (int i = 0; i < runs; ++i) {
    const Measure a = RunIn(ours_dir, {ours_binary});
    const Measure b = RunIn(peer_dir, {peer_binary, peer_mode});
    if (a.status != 0 || b.status != 0) {
      std::fprintf(stderr, "bench_runner: %s exited %d, peer %d\n", program.c_str(), a.status, b.status);
      std::exit(1);
    }
    ours.push_back(a.seconds);
    peer.push_back(b.seconds);
  }
  Comparison result;
  result.program = program;
  result.ours = Median(ours);
  result.peer = Median(peer);
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fputs("usage: bench_runner BUILD_DIR DATA_1M DATA_4M [RUNS]\n", stderr);
    return 2;
  }
  const fs::path build = fs::absolute(argv[1]);
  const fs::path data_1m = fs::absolute(argv[2]);
  const fs::path data_4m = fs::absolute(argv[3]);
  const int runs = argc > 4 ? std::atoi(argv[4]) : 5;
  const std::string prep = (build / "sheetprep").string();
  const std::string post = (build / "sheetpost").string();
  const std::string peer = (build / "bench" / "stdio_peer").string();
  const fs::path work = fs::temp_directory_path() / ("sheet-bench-" + std::to_string(getpid()));

  const std::string ours_dir = Workspace(work, "ours", data_1m);
  const std::string peer_dir = Workspace(work, "peer", data_1m);
  const std::string check_dir = Workspace(work, "check", data_1m);

  // Every output byte is checked before anything is timed: two runs of the
  // programs must agree, and the post file must be complete.
  for (const auto& dir : {ours_dir, check_dir}) {
    if (RunIn(dir, {prep}).status != 0 || RunIn(dir, {post}).status != 0) {
      std::fprintf(stderr, "bench_runner: the programs fail on the data set\n");
      return 1;
    }
  }
  for (const auto& name : kPrepOutputs) {
    if (!SameBytes(fs::path(ours_dir) / name, fs::path(check_dir) / name)) {
      std::fprintf(stderr, "bench_runner: %s differs between two runs\n", name.c_str());
      return 1;
    }
  }
  const std::string post_end = "   -1\r\n  0,  0,  0,  0,  0,  0,  0,  0,  0\r\n";
  if (!SameBytes(fs::path(ours_dir) / "Model_post.pst", fs::path(check_dir) / "Model_post.pst") ||
      Tail(fs::path(ours_dir) / "Model_post.pst", post_end.size()) != post_end) {
    std::fprintf(stderr, "bench_runner: the post file is incomplete\n");
    return 1;
  }

  Comparison prep_result = Compare("sheetprep", prep, peer, "prep", ours_dir, peer_dir, runs);
  prep_result.input_mb =
      static_cast<double>(SizeOf(data_1m, kPrepInputs) + NodePartOf(data_1m / "Model.msh")) / 1e6;
  prep_result.output_mb = static_cast<double>(SizeOf(ours_dir, kPrepOutputs)) / 1e6;

  Comparison post_result = Compare("sheetpost", post, peer, "post", ours_dir, peer_dir, runs);
  post_result.input_mb = static_cast<double>(SizeOf(data_1m, kPostInputs)) / 1e6;
  post_result.output_mb = static_cast<double>(SizeOf(fs::path(ours_dir) / "Model_post.pst")) / 1e6;

  std::printf("%-10s %10s %10s %9s %10s %11s\n", "program", "ours (s)", "peer (s)", "speed-up",
              "in (MB/s)", "out (MB/s)");
  for (const Comparison& c : {prep_result, post_result}) {
    std::printf("%-10s %10.3f %10.3f %8.2fx %10.1f %11.1f\n", c.program.c_str(), c.ours, c.peer,
                c.peer / c.ours, c.input_mb / c.ours, c.output_mb / c.ours);
  }
  std::printf("(medians of %d interleaved runs; input %.1f MB and %.1f MB, output %.1f MB and %.1f MB)\n",
              runs, prep_result.input_mb, post_result.input_mb, prep_result.output_mb,
              post_result.output_mb);

  const std::string big_dir = Workspace(work, "big", data_4m);
  const Measure rss_1m = RunIn(ours_dir, {prep});
  const Measure rss_4m = RunIn(big_dir, {prep});
  const Measure post_rss = RunIn(ours_dir, {post});
  std::printf("peak memory of sheetprep: %.1f MB at 1M nodes, %.1f MB at 4M nodes; sheetpost: %.1f MB\n",
              static_cast<double>(rss_1m.peak_kib) / 1024, static_cast<double>(rss_4m.peak_kib) / 1024,
              static_cast<double>(post_rss.peak_kib) / 1024);
  std::error_code error;
  fs::remove_all(work, error);
  return rss_4m.status == 0 ? 0 : 1;
}
