#include "common/binary_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <string>

#include "common/fatal_exit.h"
#include "common/little_endian.h"
#include "tests/support/test_dir.h"

namespace sheet {
namespace {

// Byte i of the pattern is i * 7 + i / 251, so that a misplaced item shows.
std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
  return bytes;
}

// Takes items of `size` until a short read; checks each against the source.
void ExpectItemsThenShort(BinaryReader& reader, const std::string& source, std::size_t size) {
  std::size_t at = 0;
  for (; at + size <= source.size(); at += size) {
    const unsigned char* item = reader.Take(size);
    ASSERT_NE(item, nullptr) << "item at " << at;
    ASSERT_EQ(std::memcmp(item, source.data() + at, size), 0) << "item at " << at;
  }
  EXPECT_EQ(reader.Take(size), nullptr);
  EXPECT_EQ(reader.ShortCount(), source.size() - at);
}

TEST(BinaryReader, DeliversWholeItemsAcrossBlocksThenAShortRead) {
  // 112-byte items straddle the end of the first block; the source ends 7
  // bytes into an item.
  const std::string source = Pattern(BinaryReader::kBlockSize / 112 * 112 * 2 + 112 * 3 + 7);
  BinaryReader reader(std::string_view(source), "memory");
  ExpectItemsThenShort(reader, source, 112);
  // The partial rest was consumed: the file is at its end.
  EXPECT_EQ(reader.Take(1), nullptr);
  EXPECT_EQ(reader.ShortCount(), 0u);
}

TEST(BinaryReader, MixedItemSizesFollowEachOther) {
  // Record number and coordinates, record number and volume, in turn, over
  // the end of the first block; the source ends 2 bytes into a number.
  const std::size_t sizes[4] = {4, 24, 4, 8};
  const std::string source = Pattern((BinaryReader::kBlockSize / 40 + 1) * 40 + 2);
  BinaryReader reader(std::string_view(source), "memory");
  std::size_t at = 0;
  for (int k = 0; at + sizes[k % 4] <= source.size(); at += sizes[k++ % 4]) {
    const unsigned char* item = reader.Take(sizes[k % 4]);
    ASSERT_NE(item, nullptr);
    ASSERT_EQ(std::memcmp(item, source.data() + at, sizes[k % 4]), 0) << "item at " << at;
  }
  EXPECT_EQ(reader.Take(4), nullptr);
  EXPECT_EQ(reader.ShortCount(), 2u);
}

TEST(BinaryReader, EmptySourceIsShortAtOnce) {
  BinaryReader reader(std::string_view(), "memory");
  EXPECT_EQ(reader.Take(16), nullptr);
  EXPECT_EQ(reader.ShortCount(), 0u);
}

TEST(BinaryReader, ReadsAFileDescriptor) {
  testing::TempDir dir;
  const std::string source = Pattern(BinaryReader::kBlockSize * 2 + 27);
  dir.Write("t-felm-cntr.tmp", source);
  BinaryReader reader(::open((dir / "t-felm-cntr.tmp").c_str(), O_RDONLY), "t-felm-cntr.tmp");
  ExpectItemsThenShort(reader, source, 28);
}

TEST(BinaryReader, ReadErrorEndsTheRun) {
  testing::TempDir dir;
  // A directory opens for reading but fails to read.
  BinaryReader reader(::open(dir.path().c_str(), O_RDONLY), "at-nresl-struct.tmp");
  try {
    reader.Take(16);
    FAIL() << "no failure";
  } catch (const RunFailure& failure) {
    EXPECT_EQ(failure.reason().file, "at-nresl-struct.tmp");
    EXPECT_EQ(failure.reason().message.rfind("cannot read: ", 0), 0u) << failure.reason().message;
  }
}

TEST(LittleEndian, DecodesWhateverTheHost) {
  const unsigned char minus_one[4] = {0xFF, 0xFF, 0xFF, 0xFF};
  const unsigned char smallest[4] = {0x00, 0x00, 0x00, 0x80};
  const unsigned char ordered[4] = {0x01, 0x02, 0x03, 0x04};
  EXPECT_EQ(DecodeInt32(minus_one), -1);
  EXPECT_EQ(DecodeInt32(smallest), INT32_MIN);
  EXPECT_EQ(DecodeInt32(ordered), 0x04030201);
  const unsigned char one[8] = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
  const unsigned char minus_quarter_thousandth[8] = {0xFC, 0xA9, 0xF1, 0xD2, 0x4D, 0x62, 0x30, 0xBF};
  EXPECT_EQ(DecodeDouble(one), 1.0);
  EXPECT_EQ(DecodeDouble(minus_quarter_thousandth), -2.5e-4);
}

}  // namespace
}  // namespace sheet
