// WriteRecord: output templates taken literally, every line end as CR LF.
#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <string>

#include "common/output_file.h"
#include "common/record_writer.h"

namespace sheet {
namespace {

std::string Written(std::string_view output_template, std::initializer_list<RecordValue> values = {}) {
  std::string sink;
  OutputFile out(&sink, "out.txt");
  WriteRecord(out, output_template, values);
  out.Close();
  return sink;
}

TEST(RecordWriter, RecordsOfTheSolverFiles) {
  EXPECT_EQ(Written("%8d 0 % 1.7E % 1.7E % 1.7E\n", {12, 0.5, -2.0, 0.0}),
            "      12 0  5.0000000E-001 -2.0000000E+000  0.0000000E+000\r\n");
  EXPECT_EQ(Written("%10d%9d%9d%9d%9d\n", {0, 0, 0, 0, 0}),
            "         0        0        0        0        0\r\n");
  EXPECT_EQ(Written("%d%2d%2d\n", {1, 1, 0}), "1 1 0\r\n");
  EXPECT_EQ(Written("%5d\n % 1.5E\n", {3, -1.140625}), "    3\r\n -1.14063E+000\r\n");
  EXPECT_EQ(Written("%5d %1.1E %1.1lf\n", {7, 0.0, 0.25}), "    7 0.0E+000 0.3\r\n");
  EXPECT_EQ(Written("0.0 0.0 0.0\n0.0 0.0 1.0\n"), "0.0 0.0 0.0\r\n0.0 0.0 1.0\r\n");
  EXPECT_EQ(Written("% 1.5E,% 1.5E\n", {std::numeric_limits<double>::infinity(), 1.0}),
            " INF, 1.00000E+000\r\n");
}

TEST(RecordWriter, IntegersAreNeverCut) {
  EXPECT_EQ(Written("%5d|%2d|%d\n", {123456, -2147483647 - 1, 0}), "123456|-2147483648|0\r\n");
  EXPECT_EQ(Written("%3d", {-5L}), " -5");
  EXPECT_EQ(Written("%12d", {1234567890123LL}), "1234567890123");
  EXPECT_EQ(Written("% 5d|% d|% d", {3, 3, -3}), "    3| 3|-3");
}

TEST(RecordWriter, TextIsCopiedWithItsLineEndsAsCrLf) {
  EXPECT_EQ(Written("%s\n", {"Model A,,,"}), "Model A,,,\r\n");
  // A title from a line read carries its line end.
  EXPECT_EQ(Written("TITL\n%s", {std::string_view("Model A\n")}), "TITL\r\nModel A\r\n");
  EXPECT_EQ(Written("%s", {"a\rb"}), "a\rb");  // a lone CR stays one
  EXPECT_EQ(Written("[%s]", {""}), "[]");
  const std::string title = "Model B";
  EXPECT_EQ(Written("%s\n", {title}), "Model B\r\n");
}

TEST(RecordWriter, RealsWiderThanTheirWidthArePadded) {
  EXPECT_EQ(Written("%14.5E", {1.0}), "  1.00000E+000");
  EXPECT_EQ(Written("% 14.5E", {-1.0}), " -1.00000E+000");
  EXPECT_EQ(Written("%6.1lf", {2.25}), "   2.3");
  EXPECT_EQ(Written("%1.20E", {0.1}), "1.00000000000000010000E-001");  // past 17 digits: zeros
}

TEST(RecordWriter, TemplateThatDoesNotMatchItsValuesIsAProgrammingError) {
  EXPECT_THROW(Written("%d", {1.0}), std::logic_error);
  EXPECT_THROW(Written("% 1.5E", {1}), std::logic_error);
  EXPECT_THROW(Written("%s", {1}), std::logic_error);
  EXPECT_THROW(Written("%d %d", {1}), std::logic_error);
  EXPECT_THROW(Written("%d", {1, 2}), std::logic_error);
  EXPECT_THROW(Written("%q", {1}), std::logic_error);
  EXPECT_THROW(Written("%E", {1.0}), std::logic_error);
  EXPECT_THROW(Written("50%", {}), std::logic_error);
  EXPECT_THROW(Written("%05d", {5}), std::logic_error);  // no zero padding
}

// Far more records than the 1 MiB buffer holds: nothing lost or doubled at
// the buffer's end.
TEST(RecordWriter, ManyRecordsThroughTheBuffer) {
  std::string sink;
  std::string expected;
  OutputFile out(&sink, "out.txt");
  for (int i = 0; i < 120000; ++i) {
    WriteRecord(out, "%8d % 1.5E,TEXT\n", {i, i % 2 ? 0.5 : -2.0});
    const std::string number = std::to_string(i);
    expected += std::string(8 - number.size(), ' ') + number +
                (i % 2 ? "  5.00000E-001" : " -2.00000E+000") + ",TEXT\r\n";
  }
  out.Close();
  ASSERT_GT(expected.size(), 2 * OutputFile::kBufferSize);
  EXPECT_EQ(sink.size(), expected.size());
  EXPECT_TRUE(sink == expected);
}

}  // namespace
}  // namespace sheet
