// BinaryReader: a binary input file read front to back in large blocks, bytes
// taken as they stand (no line-end translation, no end-of-file byte).
//
// Reads ask for whole items: Take(size) hands out the next `size` bytes in
// one piece, or reports a short read when fewer remain in the file. A short
// read consumes the partial rest, as a read of whole items does, so the file
// is then at its end; ShortCount() says how many bytes that rest held.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace sheet {

class BinaryReader {
 public:
  static constexpr std::size_t kBlockSize = std::size_t{1} << 20;

  // Reads the open descriptor fd, which the reader closes.
  BinaryReader(int fd, std::string name);
  // Reads the given bytes, which must outlive the reader (tests, fuzzing).
  BinaryReader(std::string_view bytes, std::string name);
  ~BinaryReader();
  BinaryReader(const BinaryReader&) = delete;
  BinaryReader& operator=(const BinaryReader&) = delete;

  const std::string& name() const { return name_; }

  // The next `size` bytes (at most 64 KiB), valid until the next call,
  // or nullptr when the file ends first.
  const unsigned char* Take(std::size_t size) {
    if (static_cast<std::size_t>(end_ - cur_) < size) [[unlikely]] return TakeAcrossBlocks(size);
    const unsigned char* item = cur_;
    cur_ += size;
    return item;
  }

  // The bytes that the last short read found before the end (0 to size - 1).
  std::size_t ShortCount() const { return short_count_; }

  // Closes the file now rather than at destruction.
  void Close();

 private:
  const unsigned char* TakeAcrossBlocks(std::size_t size);
  std::size_t ReadRaw(unsigned char* destination, std::size_t room);

  std::string name_;
  int fd_ = -1;
  std::string_view memory_;  // the unread rest of a memory source
  std::size_t capacity_ = 0;  // at least the smallest block, 64 KiB
  std::unique_ptr<unsigned char[]> buffer_;
  unsigned char* cur_ = nullptr;
  unsigned char* end_ = nullptr;
  std::size_t short_count_ = 0;
  bool source_done_ = false;
};

}  // namespace sheet
