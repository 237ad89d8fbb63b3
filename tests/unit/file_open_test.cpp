// Opening inputs and outputs with the sharing rules: an input shares reading
// only, an output shares nothing and is emptied only once it is held.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/fatal_exit.h"
#include "common/file_open.h"
#include "tests/support/test_dir.h"

namespace sheet {
namespace {

// Another program holding `path` with a lock (LOCK_SH or LOCK_EX) until the
// holder is destroyed: a child process, which takes the lock before the
// constructor returns.
class OtherProgram {
 public:
  OtherProgram(const std::string& path, int lock) {
    int ready[2];
    EXPECT_EQ(::pipe(ready), 0);
    EXPECT_EQ(::pipe(release_), 0);
    child_ = ::fork();
    if (child_ == 0) {
      ::close(release_[1]);
      const int fd = ::open(path.c_str(), O_RDWR);
      const char status = fd >= 0 && ::flock(fd, lock) == 0 ? 'y' : 'n';
      if (::write(ready[1], &status, 1) != 1) ::_exit(1);
      // Until the parent says so: a byte, or the end if the parent is gone
      // (other children may hold copies of the write end).
      char done;
      (void)!::read(release_[0], &done, 1);
      ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release_[0]);
    char status = 'n';
    EXPECT_EQ(::read(ready[0], &status, 1), 1);
    EXPECT_EQ(status, 'y') << "the other program could not lock " << path;
    ::close(ready[0]);
  }
  ~OtherProgram() {
    (void)!::write(release_[1], "x", 1);
    ::close(release_[1]);
    int status = 0;
    ::waitpid(child_, &status, 0);
  }
  OtherProgram(const OtherProgram&) = delete;
  OtherProgram& operator=(const OtherProgram&) = delete;

 private:
  pid_t child_ = -1;
  int release_[2] = {-1, -1};
};

// The same file held through a second open file description of this
// process; flock locks belong to the description, so this conflicts too.
class SecondOpen {
 public:
  SecondOpen(const std::string& path, int lock) : fd_(::open(path.c_str(), O_RDWR)) {
    EXPECT_EQ(::flock(fd_, lock | LOCK_NB), 0);
  }
  ~SecondOpen() { ::close(fd_); }
  SecondOpen(const SecondOpen&) = delete;
  SecondOpen& operator=(const SecondOpen&) = delete;

 private:
  int fd_;
};

std::string OpenFailure(int (*open)(const char*), const std::string& path) {
  try {
    ::close(open(path.c_str()));
  } catch (const RunFailure& failure) {
    return failure.what();
  }
  return "no failure";
}

class FileOpenTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) { return dir_ / name; }
  OpenResult Input(const std::string& name) { return Kept(TryOpenInput(Path(name).c_str())); }
  OpenResult Output(const std::string& name) { return Kept(TryOpenOutput(Path(name).c_str())); }

  void TearDown() override {
    for (int fd : open_) ::close(fd);
  }

  testing::TempDir dir_;

 private:
  OpenResult Kept(OpenResult result) {
    if (result.fd >= 0) open_.push_back(result.fd);
    return result;
  }
  std::vector<int> open_;
};

TEST_F(FileOpenTest, InputIsReadFromTheStart) {
  dir_.Write("Ana.csv", "title\r\n");
  const OpenResult input = Input("Ana.csv");
  ASSERT_GE(input.fd, 0);
  char text[16];
  EXPECT_EQ(::read(input.fd, text, sizeof text), 7);
  EXPECT_EQ(::write(input.fd, "x", 1), -1) << "an input is not writable";
}

TEST_F(FileOpenTest, InputThatCannotBeOpened) {
  EXPECT_EQ(Input("Ana.csv").error, OpenError::not_found);
  EXPECT_EQ(OpenFailure(OpenInput, Path("Ana.csv")),
            Path("Ana.csv") + ": cannot open for reading: no such file or directory");
  ::mkdir(Path("Prop.csv").c_str(), 0755);
  EXPECT_EQ(Input("Prop.csv").error, OpenError::other);
  EXPECT_EQ(OpenFailure(OpenInput, Path("Prop.csv")),
            Path("Prop.csv") + ": cannot open for reading: is a directory");
}

TEST_F(FileOpenTest, InputFailsWhileAnotherProgramWritesIt) {
  dir_.Write("Model.msh", "mesh");
  {
    OtherProgram writer(Path("Model.msh"), LOCK_EX);
    const OpenResult input = Input("Model.msh");
    EXPECT_EQ(input.fd, -1);
    EXPECT_EQ(input.error, OpenError::in_use);
    EXPECT_EQ(OpenFailure(OpenInput, Path("Model.msh")),
              Path("Model.msh") + ": cannot open for reading: in use by another program");
  }
  EXPECT_GE(Input("Model.msh").fd, 0) << "the lock was released";
}

TEST_F(FileOpenTest, InputIsSharedWithReaders) {
  dir_.Write("Model.msh", "mesh");
  OtherProgram reader(Path("Model.msh"), LOCK_SH);
  SecondOpen our_reader(Path("Model.msh"), LOCK_SH);
  EXPECT_GE(Input("Model.msh").fd, 0);
  EXPECT_GE(Input("Model.msh").fd, 0);
}

TEST_F(FileOpenTest, InputFailsWhileThisProcessWritesIt) {
  dir_.Write("Model.msh", "mesh");
  ASSERT_GE(Output("Model.msh").fd, 0);
  EXPECT_EQ(Input("Model.msh").error, OpenError::in_use);
}

TEST_F(FileOpenTest, OutputIsCreatedOrEmptied) {
  const OpenResult created = Output("t-node-data.txt");
  ASSERT_GE(created.fd, 0);
  EXPECT_TRUE(dir_.Exists("t-node-data.txt"));

  dir_.Write("t-felm-data.txt", "from an earlier run");
  const OpenResult emptied = Output("t-felm-data.txt");
  ASSERT_GE(emptied.fd, 0);
  EXPECT_EQ(dir_.Read("t-felm-data.txt"), "");
  EXPECT_EQ(::write(emptied.fd, "new", 3), 3);
  EXPECT_EQ(dir_.Read("t-felm-data.txt"), "new");
}

TEST_F(FileOpenTest, OutputHeldByAnotherProgramIsNeitherOpenedNorEmptied) {
  for (const int lock : {LOCK_SH, LOCK_EX}) {
    dir_.Write("t-cntl-data.txt", "held by a viewer");
    OtherProgram viewer(Path("t-cntl-data.txt"), lock);
    const OpenResult output = Output("t-cntl-data.txt");
    EXPECT_EQ(output.fd, -1) << (lock == LOCK_SH ? "shared" : "exclusive");
    EXPECT_EQ(output.error, OpenError::in_use);
    EXPECT_EQ(dir_.Read("t-cntl-data.txt"), "held by a viewer");
    EXPECT_EQ(OpenFailure(OpenOutput, Path("t-cntl-data.txt")),
              Path("t-cntl-data.txt") + ": cannot open for writing: in use by another program");
    EXPECT_EQ(dir_.Read("t-cntl-data.txt"), "held by a viewer");
  }
}

TEST_F(FileOpenTest, OutputConflictsWithEveryOtherOpenOfThisProcess) {
  dir_.Write("Ana.csv", "title");
  {
    SecondOpen reader(Path("Ana.csv"), LOCK_SH);
    EXPECT_EQ(Output("Ana.csv").error, OpenError::in_use);
  }
  ASSERT_GE(Input("Ana.csv").fd, 0);  // kept open until the test ends
  EXPECT_EQ(Output("Ana.csv").error, OpenError::in_use);
  EXPECT_EQ(dir_.Read("Ana.csv"), "title");

  ASSERT_GE(Output("t-prop-data.txt").fd, 0);
  EXPECT_EQ(Output("t-prop-data.txt").error, OpenError::in_use);
}

TEST_F(FileOpenTest, OutputThatCannotBeOpened) {
  ::mkdir(Path("t-lcs-data.txt").c_str(), 0755);
  EXPECT_EQ(Output("t-lcs-data.txt").error, OpenError::other);
  EXPECT_EQ(OpenFailure(OpenOutput, Path("t-lcs-data.txt")),
            Path("t-lcs-data.txt") + ": cannot open for writing: is a directory");
  EXPECT_EQ(Output("no-such-directory/t-lcs-data.txt").error, OpenError::not_found);
}

// A device is no file that somebody holds: it takes no lock, so that runs
// writing to /dev/null at the same time do not fail each other.
TEST_F(FileOpenTest, OutputThroughALinkToADeviceTakesNoLock) {
  ASSERT_EQ(::symlink("/dev/null", Path("Model_post.pst").c_str()), 0);
  EXPECT_GE(Output("Model_post.pst").fd, 0);
  EXPECT_GE(Output("Model_post.pst").fd, 0);
  EXPECT_GE(Input("Model_post.pst").fd, 0);
}

}  // namespace
}  // namespace sheet
