// WriteRecord: writes one record through an output template in the notation
// of the standard formatted-output conversions, so that each record in the
// code reads exactly as its layout is documented:
//   WriteRecord(out, "%8d 0 % 1.7E % 1.7E % 1.7E\n", {i, x, y, 0.0});
// Supported: "%Nd", "%s", "% W.PE", "%W.PE", "%W.Plf"; "\n" is written as
// CR LF; every other character is copied. A template that does not match its
// values is a programming error (std::logic_error).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "common/output_file.h"

namespace sheet {

struct RecordValue {
  enum class Kind { integer, real, text };
  Kind kind;
  std::int64_t integer = 0;
  double real = 0.0;
  std::string_view text;

  RecordValue(int value) : kind(Kind::integer), integer(value) {}
  RecordValue(long value) : kind(Kind::integer), integer(value) {}
  RecordValue(long long value) : kind(Kind::integer), integer(value) {}
  RecordValue(double value) : kind(Kind::real), real(value) {}
  RecordValue(std::string_view value) : kind(Kind::text), text(value) {}
  RecordValue(const std::string& value) : kind(Kind::text), text(value) {}
  RecordValue(const char* value) : kind(Kind::text), text(value) {}
};

void WriteRecord(OutputFile& out, std::string_view output_template,
                 std::initializer_list<RecordValue> values = {});

}  // namespace sheet
