// A private working directory for the targets that run whole stages or
// programs, which open their files by fixed names in the working directory.
//
// The directory is made once per process, in memory (/dev/shm) when that is
// available, and removed at the end. Each run (ScratchRun) empties it, writes
// the input files, and works in it; the previous working directory comes back
// when the run ends, so that libFuzzer's own paths (corpus directories, given
// relative) keep their meaning. Crash files are written while a run is still
// inside the directory, so AddArtifactPrefix points them at the directory the
// fuzzer was started in unless the command line says otherwise.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace sheet::fuzz {

// A fault of the harness itself, not of the code under test.
[[noreturn]] inline void HarnessFailure(const std::string& what) {
  const std::string line = "fuzz harness: " + what + ": " + std::strerror(errno) + "\n";
  std::fputs(line.c_str(), stderr);
  std::abort();
}

class ScratchDir {
 public:
  static ScratchDir& Get() {
    static ScratchDir* const dir = new ScratchDir;  // lives until the exit handler
    return *dir;
  }

  const std::string& path() const { return path_; }
  int descriptor() const { return fd_; }
  int home() const { return home_fd_; }

  void Empty() const {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(path_, error)) {
      std::filesystem::remove_all(entry.path(), error);
    }
    if (error) HarnessFailure("cannot empty " + path_);
  }

 private:
  ScratchDir() {
    std::string pattern = BaseDirectory() + "/sheet-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) HarnessFailure("cannot make " + pattern);
    path_ = pattern;
    fd_ = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    home_fd_ = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0 || home_fd_ < 0)
      HarnessFailure("cannot open " + path_ + " or the working directory");
    std::atexit([] { std::filesystem::remove_all(Get().path_); });
  }

  static std::string BaseDirectory() {
    if (::access("/dev/shm", W_OK | X_OK) == 0) return "/dev/shm";
    const char* temporary = std::getenv("TMPDIR");
    return temporary != nullptr && *temporary != '\0' ? temporary : "/tmp";
  }

  std::string path_;
  int fd_ = -1;
  int home_fd_ = -1;
};

// One run in the scratch directory with the given input files; a file whose
// content is absent is not written.
class ScratchRun {
 public:
  using File = std::pair<const char*, std::optional<std::string_view>>;

  explicit ScratchRun(std::initializer_list<File> files) : dir_(ScratchDir::Get()) {
    dir_.Empty();
    for (const auto& [name, content] : files) {
      if (content) Write(name, *content);
    }
    if (::fchdir(dir_.descriptor()) != 0) HarnessFailure("cannot enter " + dir_.path());
  }
  ~ScratchRun() {
    if (::fchdir(dir_.home()) != 0) HarnessFailure("cannot go back to the working directory");
  }
  ScratchRun(const ScratchRun&) = delete;
  ScratchRun& operator=(const ScratchRun&) = delete;

  bool Exists(const char* name) const { return ::faccessat(dir_.descriptor(), name, F_OK, 0) == 0; }

  // How many files the directory holds.
  std::size_t FileCount() const {
    std::error_code error;
    std::size_t count = 0;
    for (auto entry = std::filesystem::directory_iterator(dir_.path(), error);
         !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
      ++count;
    }
    if (error) HarnessFailure("cannot list " + dir_.path());
    return count;
  }

  // The content of a file in the directory, or nothing when it does not exist.
  std::optional<std::string> Read(const char* name) const {
    const int fd = ::openat(dir_.descriptor(), name, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string content;
    char block[1 << 16];
    for (ssize_t got; (got = ::read(fd, block, sizeof block)) > 0;) {
      content.append(block, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return content;
  }

 private:
  void Write(const char* name, std::string_view content) const {
    const int fd =
        ::openat(dir_.descriptor(), name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) HarnessFailure(std::string("cannot write ") + name);
    while (!content.empty()) {
      const ssize_t written = ::write(fd, content.data(), content.size());
      if (written <= 0) HarnessFailure(std::string("cannot write ") + name);
      content.remove_prefix(static_cast<std::size_t>(written));
    }
    ::close(fd);
  }

  const ScratchDir& dir_;
};

// For LLVMFuzzerInitialize: adds -artifact_prefix=<the starting directory>/
// unless the command line names where crash files go.
inline void AddArtifactPrefix(int* argc, char*** argv) {
  for (int i = 1; i < *argc; ++i) {
    const std::string_view argument = (*argv)[i];
    if (argument.starts_with("-artifact_prefix=") ||
        argument.starts_with("-exact_artifact_path=")) {
      return;
    }
  }
  static std::string prefix = "-artifact_prefix=" + std::filesystem::current_path().string() + "/";
  static char** extended = new char*[static_cast<std::size_t>(*argc) + 2];
  for (int i = 0; i < *argc; ++i) extended[i] = (*argv)[i];
  extended[*argc] = prefix.data();
  extended[*argc + 1] = nullptr;
  ++*argc;
  *argv = extended;
}

}  // namespace sheet::fuzz
