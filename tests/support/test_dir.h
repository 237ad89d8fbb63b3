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
  std::string standard_output;
  std::string standard_error;
};

// Runs `program` with `arguments` in `directory`, standard input closed.
RunResult RunIn(const std::string& directory, const std::string& program,
                const std::vector<std::string>& arguments = {});

// The same as an unprivileged user (nobody) when the tests run as root, so
// that file permissions apply; the directory is opened up for it.
RunResult RunUnprivilegedIn(const std::string& directory, const std::string& program,
                            const std::vector<std::string>& arguments = {});

}  // namespace sheet::testing
