#include "common/output_file.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "common/fatal_exit.h"

namespace sheet {

OutputFile::OutputFile(int fd, std::string name)
    : name_(std::move(name)), fd_(fd), buffer_(new char[kFirstBufferSize]) {
  position_ = buffer_.get();
  limit_ = position_ + kFirstBufferSize;
}

OutputFile::OutputFile(std::string* sink, std::string name)
    : name_(std::move(name)), sink_(sink), buffer_(new char[kFirstBufferSize]) {
  position_ = buffer_.get();
  limit_ = position_ + kFirstBufferSize;
}

OutputFile::~OutputFile() {
  if (!open_) return;
  // A failure is unwinding: keep what was written, and ignore further errors.
  WriteOut(buffer_.get(), static_cast<std::size_t>(position_ - buffer_.get()));
  if (fd_ >= 0) ::close(fd_);
}

bool OutputFile::WriteOut(const char* data, std::size_t count) {
  if (sink_ != nullptr) {
    sink_->append(data, count);
    return true;
  }
  while (count > 0) {
    const ssize_t written = ::write(fd_, data, count);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    count -= static_cast<std::size_t>(written);
  }
  return true;
}

void OutputFile::MakeRoom() {
  const std::size_t pending = static_cast<std::size_t>(position_ - buffer_.get());
  if (static_cast<std::size_t>(limit_ - buffer_.get()) == kBufferSize) {
    Flush();
    return;
  }
  std::unique_ptr<char[]> grown(new char[kBufferSize]);
  std::memcpy(grown.get(), buffer_.get(), pending);
  buffer_ = std::move(grown);
  position_ = buffer_.get() + pending;
  limit_ = buffer_.get() + kBufferSize;
}

void OutputFile::Flush() {
  const std::size_t pending = static_cast<std::size_t>(position_ - buffer_.get());
  position_ = buffer_.get();
  if (!WriteOut(buffer_.get(), pending)) {
    const int error = errno;
    open_ = false;
    ::close(fd_);
    FatalExit({name_, 0, 0, std::string("cannot write: ") + ErrorText(error)});
  }
}

void OutputFile::Write(std::string_view text) {
  while (!text.empty()) {
    const std::size_t room = static_cast<std::size_t>(limit_ - position_);
    if (room == 0) {
      MakeRoom();
      continue;
    }
    const std::size_t count = text.size() < room ? text.size() : room;
    std::memcpy(position_, text.data(), count);
    position_ += count;
    text.remove_prefix(count);
  }
}

void OutputFile::Close() {
  if (!open_) return;
  Flush();
  open_ = false;
  if (fd_ >= 0 && ::close(fd_) != 0) {
    FatalExit({name_, 0, 0, std::string("cannot close: ") + ErrorText(errno)});
  }
}

}  // namespace sheet
