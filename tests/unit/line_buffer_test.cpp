// Line reads: up to and including the next line end, at most 99 characters,
// failing only at the end of the file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/line_buffer.h"
#include "tests/unit/reader_sources.h"

namespace sheet {
namespace {

using testing::BlockDescriptor;

std::vector<std::string> Lines(TextReader& reader) {
  std::vector<std::string> lines;
  LineBuffer line;
  while (ReadLine(reader, line)) {
    EXPECT_EQ(line.text[line.length], '\0') << "no terminating zero after " << line.view();
    lines.emplace_back(line.view());
  }
  EXPECT_FALSE(ReadLine(reader, line)) << "a failed read must keep failing";
  return lines;
}

std::vector<std::string> Lines(const std::string& text) {
  TextReader reader(std::string_view(text), "f.csv");
  return Lines(reader);
}

struct LineCase {
  const char* name;
  std::string text;
  std::vector<std::string> lines;
};

TEST(LineRead, TakesLinesAndPartsOfLongLines) {
  const std::string x99(99, 'x');
  const LineCase cases[] = {
      {"crlf lines", "ab\r\ncd\r\n", {"ab\n", "cd\n"}},
      {"lf lines", "ab\ncd\n", {"ab\n", "cd\n"}},
      {"last line without a line end", "ab\r\ncd", {"ab\n", "cd"}},
      {"empty lines", "\r\n\n", {"\n", "\n"}},
      {"empty file", "", {}},
      {"end byte", std::string("ab\r\ncd\x1a\r\nef"), {"ab\n", "cd"}},
      {"lone cr inside a line", "a\rb\r\n", {"a\rb\n"}},
      {"98 characters and the line end", std::string(98, 'x') + "\r\n", {std::string(98, 'x') + "\n"}},
      {"99 characters and the line end", x99 + "\r\n", {x99, "\n"}},
      {"250 characters", std::string(250, 'x') + "\ny", {x99, x99, std::string(52, 'x') + "\n", "y"}},
      {"zero byte", std::string("a\0b\n", 4), {std::string("a\0b\n", 4)}},
  };
  for (const auto& c : cases) EXPECT_EQ(Lines(c.text), c.lines) << c.name;
}

TEST(LineRead, LineSplitBetweenReadBlocks) {
  TextReader reader(BlockDescriptor({"ab", "c\r", "\nde", "f\r", "\r\n", std::string(120, 'y')}), "f.csv");
  EXPECT_EQ(Lines(reader), (std::vector<std::string>{"abc\n", "def\r\n", std::string(99, 'y'),
                                                      std::string(21, 'y')}));
}

// Lines of a file much larger than the read buffer, with a CR LF split across
// the first block boundary.
TEST(LineRead, LinesAcrossTheFirstMegabyte) {
  std::vector<std::string> expected;
  std::string text;
  auto add = [&](const std::string& line) {
    text += line + "\r\n";
    expected.push_back(line + "\n");
  };
  for (int i = 0; text.size() + 64 < TextReader::kBlockSize; ++i) add("line " + std::to_string(i));
  add(std::string(TextReader::kBlockSize - text.size() - 1, 'z'));  // its CR ends the block
  ASSERT_EQ(text[TextReader::kBlockSize - 1], '\r');
  for (int i = 0; i < 30000; ++i) add(std::to_string(i) + ",a,b,c");

  // The long line comes back in parts of 99.
  std::vector<std::string> parted;
  for (const std::string& line : expected) {
    for (std::size_t at = 0; at < line.size(); at += 99) parted.push_back(line.substr(at, 99));
  }
  EXPECT_EQ(Lines(text), parted);
}

}  // namespace
}  // namespace sheet
