// OutputFile: one block-buffered text output. Every line end goes out as
// CR LF, whatever the platform: WriteRecord turns each "\n" of a template or
// text into CR LF; Write() and Reserve() take bytes as they stand, so their
// callers write "\r\n" themselves.
//
// Close() flushes and closes and treats a failed write or close as a failure
// of the run (FatalExit). When a failure unwinds past an output that is still
// open, the destructor flushes what was written and closes it, so the file
// keeps every record written before the failure.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace sheet {

class OutputFile {
 public:
  // Output goes out in blocks of kBufferSize. The buffer starts small and
  // grows to that size when it first fills, before anything is written, so
  // that the many small outputs (and tests, fuzzing) do not each take a
  // megabyte.
  static constexpr std::size_t kBufferSize = std::size_t{1} << 20;
  static constexpr std::size_t kFirstBufferSize = std::size_t{64} << 10;

  // Writes to the open descriptor fd, which the output closes.
  OutputFile(int fd, std::string name);
  // Appends to `sink` instead of a file (tests, fuzzing).
  OutputFile(std::string* sink, std::string name);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  const std::string& name() const { return name_; }

  // Room for `count` characters at the returned position; Commit() with the
  // position after the last one written.
  char* Reserve(std::size_t count) {
    if (static_cast<std::size_t>(limit_ - position_) < count) MakeRoom();
    return position_;
  }
  void Commit(char* position) { position_ = position; }

  void Write(std::string_view text);
  void Close();

 private:
  void MakeRoom();  // grows the first buffer, else flushes
  void Flush();
  bool WriteOut(const char* data, std::size_t count);

  std::string name_;
  int fd_ = -1;
  std::string* sink_ = nullptr;
  std::unique_ptr<char[]> buffer_;
  char* position_ = nullptr;
  char* limit_ = nullptr;
  bool open_ = true;
};

}  // namespace sheet
