#include "common/text_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "common/fatal_exit.h"

namespace sheet {
namespace {

constexpr std::size_t kMinimumRead = std::size_t{64} << 10;
constexpr char kEndOfFileByte = 0x1A;
constexpr std::size_t kUnknownSize = static_cast<std::size_t>(-1);

// A whole block, or for a source known to be smaller, room for all of it and
// one minimum read: it is then read in one piece all the same, and small
// inputs (the sheets, tests, fuzzing) do not each take a megabyte. The slot
// for a held-back CR comes on top.
std::size_t CapacityFor(std::size_t source_size) {
  const std::size_t block = source_size < TextReader::kBlockSize - kMinimumRead
                                ? source_size + kMinimumRead
                                : TextReader::kBlockSize;
  return block + 1;
}

std::size_t RegularFileSize(int fd) {
  struct stat status;
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size < 0) {
    return kUnknownSize;
  }
  return static_cast<std::size_t>(status.st_size);
}

}  // namespace

TextReader::TextReader(int fd, std::string name)
    : name_(std::move(name)), fd_(fd), capacity_(CapacityFor(RegularFileSize(fd))) {
  buffer_.reset(new char[capacity_]);
  cur_ = end_ = buffer_.get();
}

TextReader::TextReader(std::string_view bytes, std::string name, std::size_t largest_read)
    : name_(std::move(name)),
      memory_(bytes),
      largest_read_(std::max<std::size_t>(largest_read, 1)),
      capacity_(CapacityFor(bytes.size())) {
  buffer_.reset(new char[capacity_]);
  cur_ = end_ = buffer_.get();
}

TextReader::~TextReader() {
  if (fd_ >= 0) ::close(fd_);
}

std::size_t TextReader::ReadRaw(char* destination, std::size_t room) {
  if (fd_ < 0) {
    const std::size_t count = std::min({room, memory_.size(), largest_read_});
    if (count == 0) return 0;  // an empty view may have no data pointer at all
    std::memcpy(destination, memory_.data(), count);
    memory_.remove_prefix(count);
    return count;
  }
  for (;;) {
    const ssize_t got = ::read(fd_, destination, room);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno == EINTR) continue;
    FatalExit({name_, 0, 0, std::string("cannot read: ") + ErrorText(errno)});
  }
}

void TextReader::DiscardConsumed() {
  char* const begin = buffer_.get();
  const std::size_t consumed = static_cast<std::size_t>(cur_ - begin);
  if (consumed == 0) return;
  const char* last_line_end = nullptr;
  for (const char* p = begin; (p = static_cast<const char*>(
                                   std::memchr(p, '\n', static_cast<std::size_t>(cur_ - p))));
       ++p) {
    ++base_line_;
    last_line_end = p;
  }
  if (last_line_end != nullptr) {
    base_column_ = cur_ - last_line_end - 1;
  } else {
    base_column_ += static_cast<long>(consumed);
  }
  const std::size_t kept = static_cast<std::size_t>(end_ - cur_);
  std::memmove(begin, cur_, kept);
  cur_ = begin;
  end_ = begin + kept;
}

// Translates `count` raw bytes that were read to end_ + 1 (one slot left for a
// held-back CR) in place, appending the text to the window.
void TextReader::Translate(char* raw, std::size_t count) {
  char* out = end_;
  const char* in = raw;
  const char* stop = raw + count;
  bool end_byte_seen = false;
  if (const void* marker = std::memchr(raw, kEndOfFileByte, count)) {
    stop = static_cast<const char*>(marker);
    end_byte_seen = true;
  }
  if (pending_cr_) {
    pending_cr_ = false;
    if (in == stop || *in != '\n') *out++ = '\r';
  }
  while (in < stop) {
    const char* cr = static_cast<const char*>(
        std::memchr(in, '\r', static_cast<std::size_t>(stop - in)));
    const char* run_end = cr ? cr : stop;
    std::memmove(out, in, static_cast<std::size_t>(run_end - in));
    out += run_end - in;
    in = run_end;
    if (cr == nullptr) break;
    ++in;  // past the CR
    if (in == stop) {
      if (end_byte_seen) {
        *out++ = '\r';
      } else {
        pending_cr_ = true;  // the next block decides
      }
      break;
    }
    if (*in != '\n') *out++ = '\r';  // a lone CR is an ordinary character
  }
  if (end_byte_seen) source_done_ = true;
  end_ = out;
}

std::size_t TextReader::Fill(std::size_t want) {
  std::size_t available = static_cast<std::size_t>(end_ - cur_);
  while (available < want && !source_done_) {
    char* const begin = buffer_.get();
    if (capacity_ - static_cast<std::size_t>(end_ - begin) < kMinimumRead + 1) {
      DiscardConsumed();
      if (capacity_ - available < kMinimumRead + 1) {
        // A single token longer than the buffer: grow it.
        const std::size_t grown = std::max(capacity_ * 2, want + kMinimumRead + 1);
        std::unique_ptr<char[]> bigger(new char[grown]);
        std::memcpy(bigger.get(), cur_, available);
        buffer_ = std::move(bigger);
        capacity_ = grown;
        cur_ = buffer_.get();
        end_ = cur_ + available;
      }
    }
    char* const raw = end_ + 1;
    const std::size_t room = capacity_ - static_cast<std::size_t>(raw - buffer_.get());
    const std::size_t got = ReadRaw(raw, room);
    if (got == 0) {
      if (pending_cr_) {
        pending_cr_ = false;
        *end_++ = '\r';
      }
      source_done_ = true;
    } else {
      Translate(raw, got);
    }
    available = static_cast<std::size_t>(end_ - cur_);
  }
  return available;
}

TextPosition TextReader::Position() const {
  TextPosition position{base_line_, base_column_ + 1};
  const char* begin = buffer_.get();
  const char* last_line_end = nullptr;
  for (const char* p = begin; (p = static_cast<const char*>(
                                   std::memchr(p, '\n', static_cast<std::size_t>(cur_ - p))));
       ++p) {
    ++position.line;
    last_line_end = p;
  }
  if (last_line_end != nullptr) {
    position.column = cur_ - last_line_end;
  } else {
    position.column = base_column_ + (cur_ - begin) + 1;
  }
  return position;
}

std::string TextReader::DescribeNext() {
  constexpr std::size_t kShown = 20;
  const std::size_t available = Fill(kShown + 1);
  if (available == 0) return "end of file";
  if (*cur_ == '\n') return "a line end";
  std::string text = "\"";
  std::size_t taken = 0;
  for (const char* p = cur_; p < end_ && taken < kShown; ++p, ++taken) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c == '\n' || ((c == ' ' || c == '\t' || c == ',') && taken > 0)) break;
    if (c == '"' || c == '\\') {
      text += '\\';
      text += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7F) {
      static const char kHex[] = "0123456789abcdef";
      text += "\\x";
      text += kHex[c >> 4];
      text += kHex[c & 15];
    } else {
      text += static_cast<char>(c);
    }
  }
  if (taken == kShown && available > kShown) text += "...";
  text += '"';
  return text;
}

}  // namespace sheet
