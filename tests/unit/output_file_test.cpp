// OutputFile: what was written reaches the file, on Close() and when a
// failure unwinds past an open output; a failed write is a failure of the
// run, and the unwinding path never throws.
#include <gtest/gtest.h>

#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "common/fatal_exit.h"
#include "common/output_file.h"
#include "tests/support/test_dir.h"

namespace sheet {
namespace {

class OutputFileTest : public ::testing::Test {
 protected:
  int Create(const std::string& name) {
    return ::open((dir_ / name).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  }
  // An output whose writes fail: the disk is full.
  int Full(const std::string& name) {
    EXPECT_EQ(::symlink("/dev/full", (dir_ / name).c_str()), 0);
    return ::open((dir_ / name).c_str(), O_WRONLY | O_CLOEXEC);
  }
  testing::TempDir dir_;
};

TEST_F(OutputFileTest, CloseWritesEverythingAsItStands) {
  {
    OutputFile out(Create("a.txt"), "a.txt");
    out.Write("1 2\r\n");
    char* at = out.Reserve(3);
    *at++ = 'x';
    *at++ = 'y';
    out.Commit(at);
    EXPECT_EQ(dir_.Read("a.txt"), "") << "written before Close()";
    out.Close();
    EXPECT_EQ(dir_.Read("a.txt"), "1 2\r\nxy");
    out.Close();  // a second Close() does nothing
  }
  EXPECT_EQ(dir_.Read("a.txt"), "1 2\r\nxy");
}

TEST_F(OutputFileTest, LargeOutputGoesOutInFullBlocks) {
  std::string expected;
  {
    OutputFile out(Create("big.txt"), "big.txt");
    for (int i = 0; expected.size() < 3 * OutputFile::kBufferSize; ++i) {
      const std::string piece = std::to_string(i) + std::string(static_cast<std::size_t>(i % 300), '.') + "\r\n";
      out.Write(piece);
      expected += piece;
    }
    out.Close();
  }
  EXPECT_TRUE(dir_.Read("big.txt") == expected);
}

TEST_F(OutputFileTest, UnwindingKeepsWhatWasWritten) {
  try {
    OutputFile out(Create("t-node-data.txt"), "t-node-data.txt");
    out.Write("    1\r\n");
    FatalExit({"Model.msh", 9, 1, "expected a node"});
  } catch (const RunFailure&) {
  }
  EXPECT_EQ(dir_.Read("t-node-data.txt"), "    1\r\n");
}

TEST_F(OutputFileTest, FailedWriteIsAFailureOnClose) {
  OutputFile out(Full("t-prop-data.txt"), "t-prop-data.txt");
  out.Write("1\r\n");
  try {
    out.Close();
    FAIL() << "no failure";
  } catch (const RunFailure& failure) {
    EXPECT_EQ(failure.reason().file, "t-prop-data.txt");
    EXPECT_EQ(std::string(failure.what()), "t-prop-data.txt: cannot write: no space left on device");
  }
  EXPECT_NO_THROW(out.Close());
}

TEST_F(OutputFileTest, FailedWriteOfAFullBufferIsAFailureAtOnce) {
  OutputFile out(Full("t-felm-data.txt"), "t-felm-data.txt");
  const std::string block(OutputFile::kBufferSize, 'x');
  out.Write(block);
  EXPECT_THROW(out.Write("y"), RunFailure);
  EXPECT_NO_THROW(out.Close());
}

TEST_F(OutputFileTest, DestructorSwallowsWriteErrors) {
  EXPECT_NO_THROW({
    OutputFile out(Full("t-cntl-data.txt"), "t-cntl-data.txt");
    out.Write("1\r\n");
  });
  // ... also while a failure unwinds (a throw here would terminate).
  EXPECT_THROW(
      {
        OutputFile out(Full("t-fixc-data.txt"), "t-fixc-data.txt");
        out.Write("1\r\n");
        FatalExit({"Model.msh", 0, 0, "cannot open for reading"});
      },
      RunFailure);
}

TEST_F(OutputFileTest, ClosesItsDescriptor) {
  const int fd = Create("a.txt");
  { OutputFile out(fd, "a.txt"); }
  EXPECT_EQ(::fcntl(fd, F_GETFD), -1);
}

}  // namespace
}  // namespace sheet
