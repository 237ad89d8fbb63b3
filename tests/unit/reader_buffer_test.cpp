// The readers size their buffers to a source known to be small: a file that
// grows after it was opened must still be read whole, and a memory source
// read in small pieces must read exactly like one read in a single piece; an
// empty memory source is an empty file, whatever its view holds.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "common/binary_reader.h"
#include "common/text_reader.h"
#include "tests/support/test_dir.h"
#include "tests/unit/reader_sources.h"

namespace sheet {
namespace {

using testing::ReadAll;
using testing::TempDir;

// `count` numbered lines ending in `line_end`.
std::string Lines(int count, const std::string& line_end = "\r\n") {
  std::string text;
  for (int i = 0; i < count; ++i) text += "line " + std::to_string(i) + line_end;
  return text;
}

void Append(const std::string& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  ::close(fd);
}

TEST(ReaderBuffers, TextFileThatGrowsAfterOpeningIsReadWhole) {
  TempDir dir;
  dir.Write("grows.txt", "first\r\n");
  TextReader reader(::open((dir / "grows.txt").c_str(), O_RDONLY), "grows.txt");
  Append(dir / "grows.txt", Lines(300000));  // over 3 MB
  const std::string text = ReadAll(reader);
  EXPECT_TRUE(text == "first\n" + Lines(300000, "\n")) << "read " << text.size() << " characters";
}

TEST(ReaderBuffers, BinaryFileThatGrowsAfterOpeningIsReadWhole) {
  TempDir dir;
  dir.Write("grows.tmp", std::string(112, 'a'));
  BinaryReader reader(::open((dir / "grows.tmp").c_str(), O_RDONLY), "grows.tmp");
  std::string appended;
  for (int k = 0; appended.size() < 3 * BinaryReader::kBlockSize; ++k) {
    appended += std::string(112, static_cast<char>('b' + k % 20));
  }
  Append(dir / "grows.tmp", appended);
  const std::string source = std::string(112, 'a') + appended;
  for (std::size_t at = 0; at < source.size(); at += 112) {
    const unsigned char* item = reader.Take(112);
    ASSERT_NE(item, nullptr) << "item at " << at;
    ASSERT_EQ(std::memcmp(item, source.data() + at, 112), 0) << "item at " << at;
  }
  EXPECT_EQ(reader.Take(112), nullptr);
}

// Whatever the pieces, CR LF pairs split between them are one line end, a
// lone CR stays a character, and 0x1A ends the text.
TEST(ReaderBuffers, MemoryReadInPiecesReadsLikeOneRead) {
  const std::string raw = "a\r\nb\r\r\nc\rd\r\n\r\n" + Lines(30) + "\r" + "e\x1a" + "after\r\n";
  TextReader whole(std::string_view(raw), "whole");
  const std::string expected = ReadAll(whole);
  for (const std::size_t piece : {1, 2, 3, 4, 7, 64, 1000}) {
    TextReader reader(std::string_view(raw), "pieces", piece);
    EXPECT_EQ(ReadAll(reader), expected) << "pieces of " << piece;
    EXPECT_EQ(reader.Position().line, whole.Position().line) << "pieces of " << piece;
  }
}

// A view with no data pointer at all (std::string_view{}) is an empty file,
// read without handing the null pointer on to a copy.
TEST(ReaderBuffers, EmptyViewWithoutDataReadsAsAnEmptyFile) {
  TextReader text(std::string_view{}, "empty");
  EXPECT_EQ(text.Get(), TextReader::kEnd);
  BinaryReader binary(std::string_view{}, "empty");
  EXPECT_EQ(binary.Take(4), nullptr);
  EXPECT_EQ(binary.ShortCount(), 0u);
}

}  // namespace
}  // namespace sheet
