#include "common/binary_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "common/fatal_exit.h"

namespace sheet {
namespace {

constexpr std::size_t kSmallestBlock = std::size_t{64} << 10;
constexpr std::size_t kUnknownSize = static_cast<std::size_t>(-1);

// A whole block, or for a source known to be smaller, room for all of it
// (and at least the largest record): small inputs (tests, fuzzing) do not
// each take a megabyte, and are read in one piece all the same.
std::size_t CapacityFor(std::size_t source_size) {
  return std::clamp(source_size, kSmallestBlock, BinaryReader::kBlockSize);
}

std::size_t RegularFileSize(int fd) {
  struct stat status;
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size < 0) {
    return kUnknownSize;
  }
  return static_cast<std::size_t>(status.st_size);
}

}  // namespace

BinaryReader::BinaryReader(int fd, std::string name)
    : name_(std::move(name)), fd_(fd), capacity_(CapacityFor(RegularFileSize(fd))) {
  buffer_.reset(new unsigned char[capacity_]);
  cur_ = end_ = buffer_.get();
}

BinaryReader::BinaryReader(std::string_view bytes, std::string name)
    : name_(std::move(name)), memory_(bytes), capacity_(CapacityFor(bytes.size())) {
  buffer_.reset(new unsigned char[capacity_]);
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
    const std::size_t got = ReadRaw(end_, capacity_ - kept);
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
