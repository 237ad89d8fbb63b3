// TextReader: a text input file read in large blocks, with the text-file
// rules of every .csv, .msh and .txt file applied as the bytes arrive:
// CR LF is one line end ('\n'), a lone LF is a line end, a lone CR is an
// ordinary character, and a byte 0x1A ends the file.
//
// The scanners work directly on the window [cur(), end()) of translated
// bytes; Fill() widens the window (growing the buffer only for a single token
// longer than the buffer). Line and column are not counted per character:
// Position() works them out from the line ends seen, only when a diagnostic
// needs them.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace sheet {

struct TextPosition {
  long line = 1;    // 1-based
  long column = 1;  // 1-based, in characters of the translated text
};

class TextReader {
 public:
  static constexpr int kEnd = -1;
  static constexpr std::size_t kBlockSize = std::size_t{1} << 20;

  // Reads the open descriptor fd, which the reader closes.
  TextReader(int fd, std::string name);
  // Reads the given bytes, which must outlive the reader (tests, fuzzing).
  // Each read takes at most `largest_read` of them, so that a test can put
  // the ends of blocks where a file's reads might leave them.
  TextReader(std::string_view bytes, std::string name, std::size_t largest_read = kBlockSize);
  TextReader(std::string&& bytes, std::string name) = delete;  // would dangle
  ~TextReader();
  TextReader(const TextReader&) = delete;
  TextReader& operator=(const TextReader&) = delete;

  const std::string& name() const { return name_; }

  // The next character as an unsigned byte value, or kEnd.
  int Peek() {
    if (cur_ == end_ && Fill(1) == 0) return kEnd;
    return static_cast<unsigned char>(*cur_);
  }
  int Get() {
    if (cur_ == end_ && Fill(1) == 0) return kEnd;
    return static_cast<unsigned char>(*cur_++);
  }

  // The window of translated characters not yet consumed.
  const char* cur() const { return cur_; }
  const char* end() const { return end_; }
  void Consume(std::size_t count) { cur_ += count; }
  void ConsumeTo(const char* position) { cur_ = const_cast<char*>(position); }

  // Makes at least `want` characters available in the window unless the file
  // ends first; returns how many are available. Pointers into the window are
  // invalid afterwards.
  std::size_t Fill(std::size_t want);
  bool AtEnd() { return Peek() == kEnd; }

  // Line and column of cur().
  TextPosition Position() const;
  // What stands at cur(), for a diagnostic: "end of file", "a line end", or
  // the next few characters in quotes ("\"COIL\"").
  std::string DescribeNext();

 private:
  std::size_t ReadRaw(char* destination, std::size_t room);
  void DiscardConsumed();
  void Translate(char* raw, std::size_t count);

  std::string name_;
  int fd_ = -1;
  std::string_view memory_;  // the unread rest of a memory source
  std::size_t largest_read_ = kBlockSize;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_ = 0;
  char* cur_ = nullptr;
  char* end_ = nullptr;
  bool pending_cr_ = false;  // a raw CR at the end of a block, not yet judged
  bool source_done_ = false;
  long base_line_ = 1;    // line of buffer_[0]
  long base_column_ = 0;  // characters before buffer_[0] on that line
};

}  // namespace sheet
