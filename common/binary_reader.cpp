#include "common/binary_reader.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "common/fatal_exit.h"

namespace sheet {

BinaryReader::BinaryReader(int fd, std::string name)
    : name_(std::move(name)), fd_(fd), buffer_(new unsigned char[kBlockSize]) {
  cur_ = end_ = buffer_.get();
}

BinaryReader::BinaryReader(std::string_view bytes, std::string name)
    : name_(std::move(name)), memory_(bytes), buffer_(new unsigned char[kBlockSize]) {
  cur_ = end_ = buffer_.get();
}

BinaryReader::~BinaryReader() { Close(); }

void BinaryReader::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  source_done_ = true;
}

std::size_t BinaryReader::ReadRaw(unsigned char* destination, std::size_t room) {
  if (fd_ < 0) {
    const std::size_t count = room < memory_.size() ? room : memory_.size();
    if (count == 0) return 0;  // an empty view may have no data pointer at all
    std::memcpy(destination, memory_.data(), count);
    memory_.remove_prefix(count);
    return count;
  }
  for (;;) {
    const ssize_t got = ::read(fd_, destination, room);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno == EINTR) continue;
    FatalExit({name_, 0, 0, std::string("cannot read: ") + std::strerror(errno)});
  }
}

// The item straddles the end of the buffered block: move the rest to the
// front and read whole blocks behind it until the item is complete or the
// file has ended.
const unsigned char* BinaryReader::TakeAcrossBlocks(std::size_t size) {
  unsigned char* const begin = buffer_.get();
  std::size_t kept = static_cast<std::size_t>(end_ - cur_);
  std::memmove(begin, cur_, kept);
  cur_ = begin;
  end_ = begin + kept;
  while (kept < size && !source_done_) {
    const std::size_t got = ReadRaw(end_, kBlockSize - kept);
    if (got == 0) {
      source_done_ = true;
      break;
    }
    kept += got;
    end_ += got;
  }
  if (kept < size) {
    short_count_ = kept;
    cur_ = end_;
    return nullptr;
  }
  cur_ += size;
  return begin;
}

}  // namespace sheet
