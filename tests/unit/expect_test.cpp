// The required reads: the value, or a failure "FILE:LINE:COL: expected WHAT,
// found ..." that points at the offending characters, wherever the read
// blocks fell.
#include <gtest/gtest.h>

#include <string>

#include "common/expect.h"
#include "common/fatal_exit.h"
#include "tests/unit/reader_sources.h"

namespace sheet {
namespace {

using testing::BlockDescriptor;

// The failure of `read` on `reader`, or "no failure".
template <typename Read>
std::string Failure(TextReader& reader, Read read) {
  try {
    read(reader);
  } catch (const RunFailure& failure) {
    return failure.what();
  }
  return "no failure";
}

template <typename Read>
std::string Failure(const std::string& text, Read read) {
  TextReader reader(std::string_view(text), "Ana.csv");
  return Failure(reader, read);
}

TEST(Expect, ReadsTheValues) {
  const std::string text = "12,-2.5e1\r\nline two\r\n";
  TextReader reader(std::string_view(text), "Ana.csv");
  EXPECT_EQ(ExpectInt(reader, "the count"), 12);
  EXPECT_EQ(ExpectChar(reader, "a separator"), ',');
  EXPECT_EQ(ExpectReal(reader, "the current"), -25.0);
  EXPECT_EQ(ExpectChar(reader, "the line end"), '\n');
  LineBuffer line;
  ExpectLine(reader, line, "line two");
  EXPECT_EQ(line.view(), "line two\n");
}

TEST(Expect, FailureNamesPlaceWhatWasExpectedAndWhatWasFound) {
  auto int_read = [](TextReader& r) { ExpectInt(r, "the first material number"); };
  auto real_read = [](TextReader& r) { ExpectReal(r, "the current"); };
  auto char_read = [](TextReader& r) { ExpectChar(r, "a separator"); };
  auto line_read = [](TextReader& r) {
    LineBuffer line;
    ExpectLine(r, line, "the title line");
  };
  EXPECT_EQ(Failure("Title\r\n2DIM\r\n3\r\n1,  COIL,3", [&](TextReader& r) {
              LineBuffer line;
              ReadLine(r, line);
              ReadLine(r, line);
              ExpectInt(r, "the row count");
              ExpectInt(r, "the region number");
              ExpectChar(r, "a separator");
              int_read(r);
            }),
            "Ana.csv:4:5: expected the first material number, found \"COIL\"");
  EXPECT_EQ(Failure("", int_read), "Ana.csv:1:1: expected the first material number, found end of file");
  EXPECT_EQ(Failure("\r\n\r\n  ", real_read), "Ana.csv:3:3: expected the current, found end of file");
  EXPECT_EQ(Failure("  .e5", real_read), "Ana.csv:1:3: expected the current, found \".e5\"");
  EXPECT_EQ(Failure("\r\n12345678901,", int_read),
            "Ana.csv:2:1: expected the first material number, found \"12345678901\" (out of range)");
  EXPECT_EQ(Failure("1e999", real_read), "Ana.csv:1:1: expected the current, found \"1e999\" (out of range)");
  EXPECT_EQ(Failure("ab\x1a" "cd", [&](TextReader& r) {
              r.Get();
              r.Get();
              char_read(r);
            }),
            "Ana.csv:1:3: expected a separator, found end of file");
  EXPECT_EQ(Failure("a\r\nb", [&](TextReader& r) {
              line_read(r);
              line_read(r);
              line_read(r);
            }),
            "Ana.csv:2:2: expected the title line, found end of file");
}

TEST(Expect, FailAtGivesAMessageOfItsOwnAtTheReadersPlace) {
  EXPECT_EQ(Failure("PMAG\r\n", [](TextReader& r) {
              r.Get();
              FailAt(r, "a magnet needs three values");
            }),
            "Ana.csv:1:2: a magnet needs three values");
}

TEST(Expect, DescriptionIsMadeOnlyOnFailure) {
  int made = 0;
  auto what = [&] {
    ++made;
    return std::string("node 3 of element 7");
  };
  const std::string text = "5 6 x";
  TextReader reader(std::string_view(text), "Model.msh");
  ExpectInt(reader, what);
  ExpectReal(reader, what);
  ExpectChar(reader, what);
  EXPECT_EQ(made, 0);
  EXPECT_EQ(Failure(reader, [&](TextReader& r) { ExpectInt(r, what); }),
            "Model.msh:1:5: expected node 3 of element 7, found \"x\"");
  EXPECT_EQ(made, 1);
}

// Lines and columns of failures past the first megabyte of a file, and
// across read blocks that split line ends.
TEST(Expect, PlaceIsRightAcrossReadBlocks) {
  std::string text;
  const int kLines = 40000;
  for (int i = 1; i <= kLines; ++i) text += std::to_string(i) + ",1.5,2.5\r\n";
  text += "   x";
  TextReader reader(std::string_view(text), "Model.msh");
  EXPECT_EQ(Failure(reader, [](TextReader& r) {
              for (;;) {
                ExpectInt(r, "the node number");
                ExpectChar(r, "a separator");
                ExpectReal(r, "x");
                ExpectChar(r, "a separator");
                ExpectReal(r, "y");
              }
            }),
            "Model.msh:" + std::to_string(kLines + 1) + ":4: expected the node number, found \"x\"");

  // "1\n2\r\n\n  34 y": a lone CR is white space to a field read.
  TextReader blocks(BlockDescriptor({"1\r", "\n2\r", "\r\n", "\r", "\n  3", "4 y"}), "Model.msh");
  EXPECT_EQ(Failure(blocks, [](TextReader& r) {
              for (;;) ExpectInt(r, "a number");
            }),
            "Model.msh:4:6: expected a number, found \"y\"");
}

TEST(Expect, FailureTextWithAndWithoutAPlace) {
  EXPECT_EQ(DescribeFailure({"Ana.csv", 7, 3, "expected x, found \"y\""}),
            "Ana.csv:7:3: expected x, found \"y\"");
  EXPECT_EQ(DescribeFailure({"Prop.csv", 0, 0, "cannot open for reading: no such file or directory"}),
            "Prop.csv: cannot open for reading: no such file or directory");
  EXPECT_EQ(DescribeFailure({"", 0, 0, "out of memory"}), "out of memory");
}

}  // namespace
}  // namespace sheet
