#include "tests/support/test_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

RunResult Run(const std::string& directory, const std::string& program,
              const std::vector<std::string>& arguments, bool unprivileged) {
  char out_template[] = "/tmp/sheet-out-XXXXXX";
  char err_template[] = "/tmp/sheet-err-XXXXXX";
  const int out_fd = ::mkstemp(out_template);
  const int err_fd = ::mkstemp(err_template);
  ::unlink(out_template);
  ::unlink(err_template);
  const pid_t child = ::fork();
  if (child == 0) {
    if (unprivileged && ::geteuid() == 0) {
      constexpr gid_t kNobody = 65534;
      if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(126);
    }
    if (::chdir(directory.c_str()) != 0) ::_exit(127);
    const int null_fd = ::open("/dev/null", O_RDONLY);
    ::dup2(null_fd, 0);
    ::dup2(out_fd, 1);
    ::dup2(err_fd, 2);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  RunResult result;
  result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  ::lseek(out_fd, 0, SEEK_SET);
  ::lseek(err_fd, 0, SEEK_SET);
  result.standard_output = Drain(out_fd);
  result.standard_error = Drain(err_fd);
  return result;
}

}  // namespace

RunResult RunIn(const std::string& directory, const std::string& program,
                const std::vector<std::string>& arguments) {
  return Run(directory, program, arguments, false);
}

RunResult RunUnprivilegedIn(const std::string& directory, const std::string& program,
                            const std::vector<std::string>& arguments) {
  ::chmod(directory.c_str(), 0777);
  for (auto& entry : fs::directory_iterator(directory)) {
    if (!entry.is_symlink()) ::chmod(entry.path().c_str(), entry.is_directory() ? 0777 : (fs::status(entry).permissions() & fs::perms::owner_write) != fs::perms::none ? 0666 : 0444);
  }
  return Run(directory, program, arguments, true);
}

}  // namespace sheet::testing
