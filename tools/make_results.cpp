// make_results: writes the solver's four binary result files from a readable
// text description, for tests and for the example model.
//
//   make_results [-C DIR] [DESCRIPTION]
//
// DESCRIPTION (standard input when absent or "-") holds one record per line;
// blank lines and lines starting with '#' are skipped. Fields are separated
// by blanks or tabs; numbers are decimal, reals may be written like 1.0e-3,
// inf or nan.
//
//   node NUMBER [VALUE]        at-nresl-struct.tmp, 16 bytes: number, fill,
//                              value (0.0 when left out); "node 0" is the end
//                              marker
//   element NUMBER [X Y Z]     at-eresl-struct.tmp, 112 bytes: number, the
//                              vector at offsets 16, 24, 32 (0.0 when left
//                              out); "element 0" is the end marker
//   centre NUMBER X Y Z        t-felm-cntr.tmp, 28 bytes
//   volume NUMBER V            t-felm-vole.tmp, 12 bytes
//   fill HH                    the byte (two hex digits) written into the
//                              unused bytes of the node and element records
//                              that follow; 00 at the start
//   bytes FILE HH HH ...       raw bytes appended to FILE, which is one of
//                              node, element, centre, volume
//
// Any record line may end in "cut N": only the first N bytes of the record
// are written, as a file that ends within a record has them.
//
// The four files are written into the current directory (or DIR), created or
// emptied, each holding its records in the order of the description; a file
// without records is written empty. Integers and reals are little-endian.
#include <bit>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr const char* kUsage =
    "usage: make_results [-C DIR] [DESCRIPTION]\n"
    "Writes at-nresl-struct.tmp, at-eresl-struct.tmp, t-felm-cntr.tmp and t-felm-vole.tmp\n"
    "into the current directory (or DIR) from DESCRIPTION (standard input when absent\n"
    "or -), one record per line; '#' starts a comment line:\n"
    "  node NUMBER [VALUE]       node result, 16 bytes; node 0 is the end marker\n"
    "  element NUMBER [X Y Z]    element result, 112 bytes; element 0 is the end marker\n"
    "  centre NUMBER X Y Z       element centre, 28 bytes\n"
    "  volume NUMBER V           element area or volume, 12 bytes\n"
    "  fill HH                   hex byte for the unused bytes of later node and\n"
    "                            element records (00 at the start)\n"
    "  bytes FILE HH HH ...      raw bytes appended to FILE: node, element, centre, volume\n"
    "A record line may end in \"cut N\": only its first N bytes are written.\n";

enum FileIndex { kNode, kElement, kCentre, kVolume, kFileCount };
constexpr const char* kFileNames[kFileCount] = {"at-nresl-struct.tmp", "at-eresl-struct.tmp",
                                                "t-felm-cntr.tmp", "t-felm-vole.tmp"};
constexpr const char* kKindNames[kFileCount] = {"node", "element", "centre", "volume"};

void Print(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stderr); }

struct DescriptionError {
  std::string message;
};

void PutInt32(std::string& out, std::size_t offset, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int b = 0; b < 4; ++b) out[offset + b] = static_cast<char>(bits >> (8 * b) & 0xFF);
}

void PutDouble(std::string& out, std::size_t offset, double value) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  for (int b = 0; b < 8; ++b) out[offset + b] = static_cast<char>(bits >> (8 * b) & 0xFF);
}

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
    if (i > start) fields.push_back(line.substr(start, i - start));
  }
  return fields;
}

std::int32_t ParseInt(std::string_view text) {
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) {
    throw DescriptionError{"not a 32-bit integer: \"" + std::string(text) + "\""};
  }
  return value;
}

double ParseReal(std::string_view text) {
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) {
    throw DescriptionError{"not a real: \"" + std::string(text) + "\""};
  }
  return value;
}

unsigned char ParseByte(std::string_view text) {
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (text.size() != 2 || error != std::errc() || end != text.data() + text.size()) {
    throw DescriptionError{"not a byte of two hex digits: \"" + std::string(text) + "\""};
  }
  return static_cast<unsigned char>(value);
}

int KindOf(std::string_view word) {
  for (int k = 0; k < kFileCount; ++k) {
    if (word == kKindNames[k]) return k;
  }
  throw DescriptionError{"unknown file \"" + std::string(word) + "\" (node, element, centre or volume)"};
}

int RecordKindOf(std::string_view word) {
  for (int k = 0; k < kFileCount; ++k) {
    if (word == kKindNames[k]) return k;
  }
  throw DescriptionError{"unknown record \"" + std::string(word) + "\""};
}

class Description {
 public:
  void Apply(std::vector<std::string_view> fields) {
    const std::string_view kind = fields[0];
    if (kind == "fill") {
      if (fields.size() != 2) throw DescriptionError{"fill takes one byte"};
      fill_ = static_cast<char>(ParseByte(fields[1]));
      return;
    }
    if (kind == "bytes") {
      if (fields.size() < 2) throw DescriptionError{"bytes takes a file and the bytes"};
      std::string& out = files_[KindOf(fields[1])];
      for (std::size_t i = 2; i < fields.size(); ++i) out += static_cast<char>(ParseByte(fields[i]));
      return;
    }
    std::size_t cut = std::string::npos;
    if (fields.size() >= 3 && fields[fields.size() - 2] == "cut") {
      cut = static_cast<std::size_t>(ParseInt(fields.back()));
      fields.resize(fields.size() - 2);
    }
    const int file = RecordKindOf(kind);
    std::string record = MakeRecord(file, fields);
    if (cut != std::string::npos) {
      if (cut > record.size()) {
        throw DescriptionError{"cut " + std::to_string(cut) + " is longer than the " +
                               std::to_string(record.size()) + "-byte record"};
      }
      record.resize(cut);
    }
    files_[file] += record;
  }

  const std::string& File(int index) const { return files_[index]; }

 private:
  std::string MakeRecord(int file, const std::vector<std::string_view>& fields) const {
    const std::size_t given = fields.size() - 1;
    auto real = [&](std::size_t i) { return i < fields.size() ? ParseReal(fields[i]) : 0.0; };
    auto require = [&](std::size_t first, std::size_t second, const char* counts) {
      if (given != first && given != second) {
        throw DescriptionError{std::string(kKindNames[file]) + " takes " + counts + " fields"};
      }
    };
    std::string record;
    switch (file) {
      case kNode:
        require(1, 2, "1 or 2");
        record.assign(16, fill_);
        PutInt32(record, 0, ParseInt(fields[1]));
        PutDouble(record, 8, real(2));
        break;
      case kElement:
        require(1, 4, "1 or 4");
        record.assign(112, fill_);
        PutInt32(record, 0, ParseInt(fields[1]));
        for (int c = 0; c < 3; ++c) PutDouble(record, 16 + 8 * c, real(2 + c));
        break;
      case kCentre:
        require(4, 4, "4");
        record.assign(28, '\0');
        PutInt32(record, 0, ParseInt(fields[1]));
        for (int c = 0; c < 3; ++c) PutDouble(record, 4 + 8 * c, real(2 + c));
        break;
      default:
        require(2, 2, "2");
        record.assign(12, '\0');
        PutInt32(record, 0, ParseInt(fields[1]));
        PutDouble(record, 4, real(2));
        break;
    }
    return record;
  }

  std::string files_[kFileCount];
  char fill_ = '\0';
};

bool ReadAll(int fd, std::string& text) {
  char block[65536];
  for (;;) {
    const ssize_t got = ::read(fd, block, sizeof block);
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    text.append(block, static_cast<std::size_t>(got));
  }
}

bool WriteAll(const char* name, const std::string& bytes) {
  const int fd = ::open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t written = ::write(fd, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return false;
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  return ::close(fd) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string directory;
  std::string source = "-";
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (argument == "-C" && i + 1 < argc) {
      directory = argv[++i];
    } else {
      source = argv[i];
    }
  }

  std::string text;
  const int fd = source == "-" ? 0 : ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 || !ReadAll(fd, text)) {
    Print("make_results: cannot read " + source + ": " + std::strerror(errno) + "\n");
    return 1;
  }
  if (fd != 0) ::close(fd);

  Description description;
  long line_number = 0;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string_view line(text.data() + start, end - start);
    start = end + 1;
    ++line_number;
    const std::vector<std::string_view> fields = SplitFields(line);
    if (fields.empty() || fields[0][0] == '#') continue;
    try {
      description.Apply(fields);
    } catch (const DescriptionError& error) {
      Print("make_results: " + source + ":" + std::to_string(line_number) + ": " + error.message + "\n");
      return 1;
    }
  }

  if (!directory.empty() && ::chdir(directory.c_str()) != 0) {
    Print("make_results: cannot change to directory " + directory + ": " + std::strerror(errno) + "\n");
    return 1;
  }
  for (int k = 0; k < kFileCount; ++k) {
    if (!WriteAll(kFileNames[k], description.File(k))) {
      Print(std::string("make_results: cannot write ") + kFileNames[k] + ": " + std::strerror(errno) + "\n");
      return 1;
    }
  }
  return 0;
}
