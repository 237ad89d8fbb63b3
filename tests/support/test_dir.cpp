#include "tests/support/test_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// LeakSanitizer cannot run in a traced process, and a sanitizer's own memory
// would swamp the figure: built with AddressSanitizer, peak memory is not
// measured.
#if defined(__SANITIZE_ADDRESS__)
#define SHEET_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SHEET_ADDRESS_SANITIZER 1
#endif
#endif
#ifndef SHEET_ADDRESS_SANITIZER
#define SHEET_ADDRESS_SANITIZER 0
#endif

namespace sheet::testing {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "sheet-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  if (path_.empty()) return;
  std::error_code error;
  // Make everything removable again (tests make files read-only).
  for (auto& entry : fs::recursive_directory_iterator(path_, error)) {
    fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, error);
  }
  fs::remove_all(path_, error);
}

void TempDir::Write(const std::string& name, const std::string& bytes) const {
  WriteFile(*this / name, bytes);
}

std::string TempDir::Read(const std::string& name) const {
  EXPECT_TRUE(Exists(name)) << name << " is missing";
  return ReadFile(*this / name);
}

bool TempDir::Exists(const std::string& name) const {
  std::error_code error;
  return fs::exists(fs::symlink_status(*this / name, error));
}

std::vector<std::string> TempDir::List() const {
  std::vector<std::string> names;
  for (auto& entry : fs::directory_iterator(path_)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

std::string Crlf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

namespace {

std::string Drain(int fd) {
  std::string text;
  char buffer[4096];
  for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, got);
  ::close(fd);
  return text;
}

}  // namespace

namespace {

// Opens the directory and its entries up for the unprivileged user, keeping
// read-only files read-only.
void OpenUpForNobody(const std::string& directory) {
  ::chmod(directory.c_str(), 0777);
  for (auto& entry : fs::directory_iterator(directory)) {
    if (!entry.is_symlink()) ::chmod(entry.path().c_str(), entry.is_directory() ? 0777 : (fs::status(entry).permissions() & fs::perms::owner_write) != fs::perms::none ? 0666 : 0444);
  }
}

// VmHWM of a process, in KiB; -1 when it cannot be read.
long PeakResidentKib(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

int AnonymousFile(const char* pattern) {
  std::string name = pattern;
  const int fd = ::mkstemp(name.data());
  if (fd < 0) throw std::runtime_error("mkstemp failed");
  ::unlink(name.c_str());
  return fd;
}

}  // namespace

StartedRun::StartedRun(const std::string& directory, const std::string& program,
                       const std::vector<std::string>& arguments, const RunConditions& conditions) {
  const bool trace = conditions.measure_peak_memory && !SHEET_ADDRESS_SANITIZER;
  if (conditions.unprivileged) OpenUpForNobody(directory);
  int pipe_fds[2] = {-1, -1};
  if (conditions.output_to_closed_pipe) {
    if (::pipe(pipe_fds) != 0) throw std::runtime_error("pipe failed");
    ::close(pipe_fds[0]);  // the reader has gone before the program writes
    out_fd_ = ::dup(pipe_fds[1]);
    err_fd_ = pipe_fds[1];
  } else {
    out_fd_ = AnonymousFile("/tmp/sheet-out-XXXXXX");
    err_fd_ = AnonymousFile("/tmp/sheet-err-XXXXXX");
  }
  // Built before the fork: the child only makes system calls.
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    if (conditions.unprivileged && ::geteuid() == 0) {
      constexpr gid_t kNobody = 65534;
      if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(126);
    }
    if (::chdir(directory.c_str()) != 0) ::_exit(127);
    // The programs must cope with these signals on their own: start them
    // with the default actions, which end a process.
    for (const int signal : {SIGPIPE, SIGXFSZ, SIGALRM}) ::signal(signal, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    if (conditions.file_size_limit >= 0) {
      const rlimit limit{static_cast<rlim_t>(conditions.file_size_limit),
                         static_cast<rlim_t>(conditions.file_size_limit)};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(125);
    }
    const int null_fd = ::open("/dev/null", O_RDONLY);
    ::dup2(null_fd, 0);
    ::dup2(out_fd_, 1);
    ::dup2(err_fd_, 2);
    ::close(out_fd_);
    ::close(err_fd_);
    if (conditions.time_limit_seconds > 0) ::alarm(conditions.time_limit_seconds);  // kept across exec
    // Stops at the exec for the parent to trace it; goes on untraced if the
    // system does not allow it.
    if (trace) ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  measure_ = conditions.measure_peak_memory;
  if (trace) {
    // Traced, the child stops at the exec; untraced, this reaps it.
    while (::waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {
    }
    if (WIFSTOPPED(status_)) {
      traced_ = true;
      ::ptrace(PTRACE_SETOPTIONS, pid_, nullptr, PTRACE_O_TRACEEXIT | PTRACE_O_EXITKILL);
      ::ptrace(PTRACE_CONT, pid_, nullptr, nullptr);
    } else {
      ended_ = true;
    }
  }
}

StartedRun::~StartedRun() {
  if (pid_ > 0) Finish();
}

RunResult StartedRun::Finish() {
  RunResult result;
  if (pid_ <= 0) return result;
  if (measure_ && !traced_) result.peak_memory_kib = -1;
  while (!ended_) {
    while (::waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {
    }
    if (!WIFSTOPPED(status_)) break;
    // A traced run stops as it exits, with its memory still there, and
    // whenever a signal is delivered, which goes on to it unchanged.
    int signal = WSTOPSIG(status_);
    if (status_ >> 8 == (SIGTRAP | (PTRACE_EVENT_EXIT << 8))) {
      result.peak_memory_kib = PeakResidentKib(pid_);
      signal = 0;
    }
    ::ptrace(PTRACE_CONT, pid_, nullptr, signal);
  }
  pid_ = -1;
  result.exit_status = WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
  result.signal = WIFSIGNALED(status_) ? WTERMSIG(status_) : 0;
  if (::lseek(out_fd_, 0, SEEK_SET) == 0 && ::lseek(err_fd_, 0, SEEK_SET) == 0) {
    result.standard_output = Drain(out_fd_);
    result.standard_error = Drain(err_fd_);
  } else {  // the pipe
    ::close(out_fd_);
    ::close(err_fd_);
  }
  return result;
}

RunResult RunIn(const std::string& directory, const std::string& program,
                const std::vector<std::string>& arguments) {
  return StartedRun(directory, program, arguments).Finish();
}

RunResult RunIn(const std::string& directory, const std::string& program,
                const std::vector<std::string>& arguments, const RunConditions& conditions) {
  return StartedRun(directory, program, arguments, conditions).Finish();
}

RunResult RunUnprivilegedIn(const std::string& directory, const std::string& program,
                            const std::vector<std::string>& arguments) {
  RunConditions conditions;
  conditions.unprivileged = true;
  return StartedRun(directory, program, arguments, conditions).Finish();
}

}  // namespace sheet::testing
