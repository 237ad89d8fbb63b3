// Helpers of the program-level tests: a fresh temporary directory per test,
// whole-file reads and writes, and running a built program in a directory.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace sheet::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  TempDir(TempDir&& other) noexcept : path_(std::move(other.path_)) { other.path_.clear(); }

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  void Write(const std::string& name, const std::string& bytes) const;
  std::string Read(const std::string& name) const;  // fails the test if missing
  bool Exists(const std::string& name) const;
  std::vector<std::string> List() const;  // sorted file names

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

// "a\nb\n" -> "a\r\nb\r\n": the line ends the programs write.
std::string Crlf(const std::string& text);

struct RunResult {
  int exit_status = -1;  // -1 when killed by a signal
  int signal = 0;        // the signal that ended the run; 0 when it exited
  // The program's peak resident memory in KiB (its VmHWM as it exits), with
  // RunConditions::measure_peak_memory; -1 when it cannot be measured here
  // (no ptrace, or an AddressSanitizer build), 0 when not asked for.
  long peak_memory_kib = 0;
  std::string standard_output;
  std::string standard_error;
};

// What a run is subject to beyond its directory and arguments.
struct RunConditions {
  long long file_size_limit = -1;  // bytes, as `ulimit -f` sets; -1: none
  unsigned time_limit_seconds = 0; // SIGALRM ends the run then; 0: none
  bool unprivileged = false;       // as RunUnprivilegedIn
  // Standard output and error are a pipe whose reader has gone, as in
  // `sheetprep -v 2>&1 | true`; nothing is captured.
  bool output_to_closed_pipe = false;
  // Fills RunResult::peak_memory_kib. The process's own maximum resident
  // size would also count the test process it was forked from, so the run is
  // traced and its memory read as it exits.
  bool measure_peak_memory = false;
};

// Runs `program` with `arguments` in `directory`, standard input closed.
RunResult RunIn(const std::string& directory, const std::string& program,
                const std::vector<std::string>& arguments = {});
RunResult RunIn(const std::string& directory, const std::string& program,
                const std::vector<std::string>& arguments, const RunConditions& conditions);

// The same as an unprivileged user (nobody) when the tests run as root, so
// that file permissions apply; the directory is opened up for it.
RunResult RunUnprivilegedIn(const std::string& directory, const std::string& program,
                            const std::vector<std::string>& arguments = {});

// A run that has been started and not yet waited for, so that runs can
// overlap. Finish() waits for it; a run never finished is waited for when it
// goes out of scope.
class StartedRun {
 public:
  StartedRun(const std::string& directory, const std::string& program,
             const std::vector<std::string>& arguments, const RunConditions& conditions = {});
  ~StartedRun();
  StartedRun(const StartedRun&) = delete;
  StartedRun& operator=(const StartedRun&) = delete;

  RunResult Finish();

 private:
  int pid_ = -1;
  int out_fd_ = -1;
  int err_fd_ = -1;
  bool measure_ = false;  // its peak memory was asked for
  bool traced_ = false;
  bool ended_ = false;    // reaped already (it could not be traced)
  int status_ = 0;
};

}  // namespace sheet::testing
