#include "common/line_buffer.h"

#include <algorithm>
#include <cstring>

namespace sheet {

bool ReadLine(TextReader& reader, LineBuffer& line) {
  const std::size_t available = reader.Fill(LineBuffer::kMaxCharacters);
  if (available == 0) return false;
  const std::size_t limit = std::min(available, LineBuffer::kMaxCharacters);
  const char* begin = reader.cur();
  const void* line_end = std::memchr(begin, '\n', limit);
  const std::size_t taken =
      line_end ? static_cast<std::size_t>(static_cast<const char*>(line_end) - begin) + 1 : limit;
  std::memcpy(line.text, begin, taken);
  line.text[taken] = '\0';
  line.length = taken;
  reader.Consume(taken);
  return true;
}

}  // namespace sheet
