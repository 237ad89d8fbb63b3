#include "common/record_writer.h"

#include "common/record_template.h"

#include <stdexcept>
#include <string>

#include "common/format_number.h"

namespace sheet {

namespace record_detail {

// Text goes out as text-mode output does: each line end becomes CR LF.
void WriteTextValue(OutputFile& out, std::string_view text) {
  for (std::size_t line_end; (line_end = text.find('\n')) != std::string_view::npos;) {
    out.Write(text.substr(0, line_end));
    out.Write("\r\n");
    text.remove_prefix(line_end + 1);
  }
  out.Write(text);
}

}  // namespace record_detail
namespace {

[[noreturn]] void TemplateMismatch(std::string_view output_template) {
  throw std::logic_error("output template does not match its values: " +
                         std::string(output_template));
}


}  // namespace

void WriteRecord(OutputFile& out, std::string_view output_template,
                 std::initializer_list<RecordValue> values) {
  const RecordValue* value = values.begin();
  const char* p = output_template.data();
  const char* const end = p + output_template.size();
  while (p < end) {
    // Literal text up to the next conversion, line ends as CR LF.
    const char* literal = p;
    while (p < end && *p != '%' && *p != '\n') ++p;
    if (p > literal) out.Write({literal, static_cast<std::size_t>(p - literal)});
    if (p == end) break;
    if (*p == '\n') {
      out.Write("\r\n");
      ++p;
      continue;
    }
    ++p;  // '%'
    bool blank_flag = false;
    if (p < end && *p == ' ') blank_flag = true, ++p;
    if (p < end && *p == '0') TemplateMismatch(output_template);  // no zero padding
    int width = 0;
    while (p < end && *p >= '0' && *p <= '9') width = width * 10 + (*p++ - '0');
    int precision = -1;
    if (p < end && *p == '.') {
      precision = 0;
      for (++p; p < end && *p >= '0' && *p <= '9'; ++p) precision = precision * 10 + (*p - '0');
    }
    if (p < end && *p == 'l') ++p;
    if (p == end || value == values.end()) TemplateMismatch(output_template);
    const char conversion = *p++;
    char* at = out.Reserve(kMaxNumberWidth + static_cast<std::size_t>(width));
    char* const start = at;
    switch (conversion) {
      case 'd':
        if (value->kind != RecordValue::Kind::integer) TemplateMismatch(output_template);
        if (blank_flag && value->integer >= 0) {
          *at++ = ' ';  // the blank counts toward the width
          --width;
        }
        at = FormatInteger(at, value->integer, width);
        break;
      case 'E':
        if (value->kind != RecordValue::Kind::real || precision < 0) TemplateMismatch(output_template);
        at = FormatExponent(at, value->real, precision, blank_flag);
        break;
      case 'f':
        if (value->kind != RecordValue::Kind::real || precision < 0) TemplateMismatch(output_template);
        at = FormatFixed(at, value->real, precision);
        break;
      case 's':
        if (value->kind != RecordValue::Kind::text) TemplateMismatch(output_template);
        out.Commit(at);
        record_detail::WriteTextValue(out, value->text);
        ++value;
        continue;
      default:
        TemplateMismatch(output_template);
    }
    // Widths above 1 pad reals on the left, as the C conversions do.
    if (conversion != 'd' && at - start < width) {
      const std::size_t length = static_cast<std::size_t>(at - start);
      const std::size_t pad = static_cast<std::size_t>(width) - length;
      std::char_traits<char>::move(start + pad, start, length);
      std::char_traits<char>::assign(start, pad, ' ');
      at += pad;
    }
    out.Commit(at);
    ++value;
  }
  if (value != values.end()) TemplateMismatch(output_template);
}

}  // namespace sheet
