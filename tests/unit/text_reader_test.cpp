// TextReader: the text-file rules (CR LF and LF are line ends, a lone CR is a
// character, 0x1A ends the file) wherever the block boundaries of the reads
// fall, and line and column for diagnostics.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "common/fatal_exit.h"
#include "common/text_reader.h"
#include "tests/support/test_dir.h"
#include "tests/unit/reader_sources.h"

namespace sheet {
namespace {

using testing::BlockDescriptor;
using testing::ReadAll;

constexpr std::size_t kBlock = TextReader::kBlockSize;

std::string Translated(const std::string& raw) {
  TextReader reader(std::string_view(raw), "t.txt");
  return ReadAll(reader);
}

struct TranslationCase {
  const char* name;
  std::string raw;
  std::string text;
};

TEST(TextReader, TranslatesLineEndsAndStopsAtTheEndByte) {
  const TranslationCase cases[] = {
      {"crlf", "a\r\nb\r\n", "a\nb\n"},
      {"lf alone", "a\nb", "a\nb"},
      {"lone cr", "a\rb", "a\rb"},
      {"lone cr before crlf", "a\r\r\nb", "a\r\nb"},
      {"lf cr", "a\n\rb", "a\n\rb"},
      {"cr at the end of the file", "a\r", "a\r"},
      {"end byte", std::string("ab\x1a" "cd\r\n"), "ab"},
      {"end byte after cr", std::string("a\r\x1a\n"), "a\r"},
      {"end byte first", std::string("\x1a" "abc"), ""},
      {"empty", "", ""},
      {"zero byte is a character", std::string("a\0b", 3), std::string("a\0b", 3)},
      {"high bytes", "\xff\xfe\r\n", "\xff\xfe\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(Translated(c.raw), c.text) << c.name;
}

struct BlockCase {
  const char* name;
  std::vector<std::string> blocks;
  std::string text;
};

// Each block is what one read() returns.
TEST(TextReader, JudgesACarriageReturnAtTheEndOfABlockByTheNextBlock) {
  const BlockCase cases[] = {
      {"cr | lf", {"ab\r", "\ncd"}, "ab\ncd"},
      {"cr | character", {"ab\r", "cd"}, "ab\rcd"},
      {"cr | end of file", {"ab\r"}, "ab\r"},
      {"cr | end byte", {"ab\r", "\x1a\n"}, "ab\r"},
      {"cr | cr | lf", {"\r", "\r", "\n"}, "\r\n"},
      {"cr | cr lf", {"a\r", "\r\nb"}, "a\r\nb"},
      {"cr | lf cr | lf", {"a\r", "\n\r", "\nb"}, "a\n\nb"},
      {"text | end byte", {"ab", "\x1a" "cd"}, "ab"},
      {"end byte ends reading", {"ab\x1a", "cd"}, "ab"},
      {"lf | lf", {"\n", "\n"}, "\n\n"},
  };
  for (const auto& c : cases) {
    TextReader reader(BlockDescriptor(c.blocks), "t.txt");
    EXPECT_EQ(ReadAll(reader), c.text) << c.name;
    EXPECT_EQ(reader.Get(), TextReader::kEnd) << c.name;
  }
}

TEST(TextReader, FillWidensTheWindowAcrossBlocks) {
  TextReader reader(BlockDescriptor({"ab\r", "\nc", "d", "\r\r\nef"}), "t.txt");
  ASSERT_GE(reader.Fill(7), 7u);
  EXPECT_EQ(std::string(reader.cur(), 7), "ab\ncd\r\n");
  reader.Consume(5);
  EXPECT_EQ(reader.Fill(100), 4u);  // the file ends first
  EXPECT_EQ(std::string(reader.cur(), reader.end()), "\r\nef");
}

// The first read of a reader takes exactly one buffer's worth, so these place
// bytes right at the first boundary; a memory source and a regular file split
// the same way.
class MegabyteBoundary : public ::testing::TestWithParam<bool> {
 protected:
  std::string Read(const std::string& raw) {
    if (!GetParam()) {
      TextReader reader(std::string_view(raw), "t.txt");
      return ReadAll(reader);
    }
    dir_.Write("t.txt", raw);
    TextReader reader(::open((dir_ / "t.txt").c_str(), O_RDONLY), "t.txt");
    return ReadAll(reader);
  }
  testing::TempDir dir_;
};

TEST_P(MegabyteBoundary, CrLfSplitAcrossTheBoundaryIsOneLineEnd) {
  const std::string before(kBlock - 1, 'x');
  EXPECT_EQ(Read(before + "\r\ny"), before + "\ny");
}

TEST_P(MegabyteBoundary, LoneCrAtTheBoundaryStaysACharacter) {
  const std::string before(kBlock - 1, 'x');
  EXPECT_EQ(Read(before + "\ry\r"), before + "\ry\r");
}

TEST_P(MegabyteBoundary, EndByteRightAfterACrAtTheBoundary) {
  const std::string before(kBlock - 1, 'x');
  EXPECT_EQ(Read(before + "\r\x1a\n" + "more"), before + "\r");
}

TEST_P(MegabyteBoundary, EndByteInALaterBlock) {
  std::string raw(3 * kBlock, 'x');
  raw[2 * kBlock + 5] = '\x1a';
  EXPECT_EQ(Read(raw), std::string(2 * kBlock + 5, 'x'));
}

INSTANTIATE_TEST_SUITE_P(TextReader, MegabyteBoundary, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "File" : "Memory"; });

TEST(TextReader, WindowLongerThanTheBufferGrowsIt) {
  std::string raw;
  for (std::size_t i = 0; raw.size() < 4 * kBlock; ++i) raw += static_cast<char>('a' + i % 26);
  TextReader reader(std::string_view(raw), "t.txt");
  ASSERT_EQ(reader.Fill(10), kBlock);  // the first read takes a whole block
  const std::size_t consumed = kBlock - 3;
  reader.Consume(consumed);
  const std::size_t want = 2 * kBlock + 17;
  ASSERT_GE(reader.Fill(want), want);
  EXPECT_EQ(std::string(reader.cur(), want), raw.substr(consumed, want));
  reader.Consume(want);
  EXPECT_EQ(ReadAll(reader), raw.substr(consumed + want));
}

struct PositionCase {
  std::string raw;
  std::size_t characters_read;
  long line;
  long column;
};

TEST(TextReader, PositionCountsTranslatedCharacters) {
  const PositionCase cases[] = {
      {"abc", 0, 1, 1},
      {"abc", 2, 1, 3},
      {"abc", 3, 1, 4},
      {"ab\r\ncd", 3, 2, 1},     // CR LF is one character, the line end
      {"ab\r\ncd", 4, 2, 2},
      {"a\rb\nc", 3, 1, 4},      // a lone CR takes a column
      {"\n\n\nx", 3, 4, 1},
  };
  for (const auto& c : cases) {
    TextReader reader(std::string_view(c.raw), "t.txt");
    for (std::size_t i = 0; i < c.characters_read; ++i) reader.Get();
    const TextPosition position = reader.Position();
    EXPECT_EQ(position.line, c.line) << c.raw << " after " << c.characters_read;
    EXPECT_EQ(position.column, c.column) << c.raw << " after " << c.characters_read;
  }
}

TEST(TextReader, PositionIsRightAcrossSmallBlocks) {
  TextReader reader(BlockDescriptor({"ab\r", "\ncd\r", "\r\ne", "f"}), "t.txt");
  for (int i = 0; i < 3; ++i) reader.Get();  // "ab\n"
  EXPECT_EQ(reader.Position().line, 2);
  EXPECT_EQ(reader.Position().column, 1);
  for (int i = 0; i < 5; ++i) reader.Get();  // "cd\r\ne"
  EXPECT_EQ(reader.Position().line, 3);
  EXPECT_EQ(reader.Position().column, 2);
}

// Past the first megabyte the reader drops what was consumed; line and column
// must carry over.
TEST(TextReader, PositionIsRightAfterConsumedTextWasDropped) {
  // 30000 lines of 98 characters and CR LF, then a long last line.
  const long kLines = 30000;
  std::string raw;
  for (long i = 0; i < kLines; ++i) raw += std::string(98, 'x') + "\r\n";
  raw += "a" + std::string(3 * kBlock, 'y') + "z";
  TextReader reader(std::string_view(raw), "t.txt");

  for (long i = 0; i < 12345 * 99 + 7; ++i) reader.Get();
  EXPECT_EQ(reader.Position().line, 12346);
  EXPECT_EQ(reader.Position().column, 8);

  while (reader.Peek() != 'a') reader.Get();
  EXPECT_EQ(reader.Position().line, kLines + 1);
  EXPECT_EQ(reader.Position().column, 1);
  while (reader.Peek() != 'z') reader.Get();
  EXPECT_EQ(reader.Position().line, kLines + 1);
  EXPECT_EQ(reader.Position().column, static_cast<long>(3 * kBlock) + 2);
}

TEST(TextReader, DescribeNextNamesWhatStandsThere) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "end of file"},
      {"\x1a" "abc", "end of file"},
      {"\r\nabc", "a line end"},
      {"\nabc", "a line end"},
      {"COIL,3", "\"COIL\""},
      {"12 34", "\"12\""},
      {"\ttab", "\"\\x09tab\""},
      {"say \"hi\"", "\"say\""},
      {"a\"b\\c", "\"a\\\"b\\\\c\""},
      {"\rx", "\"\\x0dx\""},
      {"abcdefghijklmnopqrstuvwxyz", "\"abcdefghijklmnopqrst...\""},
      {"abcdefghijklmnopqrst", "\"abcdefghijklmnopqrst\""},
  };
  for (const auto& [raw, description] : cases) {
    TextReader reader(std::string_view(raw), "t.txt");
    EXPECT_EQ(reader.DescribeNext(), description) << raw;
  }
}

TEST(TextReader, ReadErrorIsARunFailure) {
  testing::TempDir dir;
  TextReader reader(::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY), "Model.msh");
  try {
    reader.Peek();
    FAIL() << "no failure";
  } catch (const RunFailure& failure) {
    EXPECT_EQ(failure.reason().file, "Model.msh");
    EXPECT_EQ(std::string(failure.what()), "Model.msh: cannot read: is a directory");
  }
}

TEST(TextReader, ClosesItsDescriptor) {
  const int fd = BlockDescriptor({"x"});
  { TextReader reader(fd, "t.txt"); }
  EXPECT_EQ(::fcntl(fd, F_GETFD), -1);
}

}  // namespace
}  // namespace sheet
