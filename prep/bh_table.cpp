#include "prep/bh_table.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "common/expect.h"
#include "common/field_scanner.h"
#include "common/file_open.h"
#include "common/line_buffer.h"
#include "common/output_file.h"
#include "common/record_template.h"
#include "common/text_reader.h"

namespace sheet {
namespace {

constexpr OutputTemplate kBlockRecord = "%10d%9d%9d%9d\n";
constexpr OutputTemplate kPointRecord = "%9d % 1.5E % 1.5E % 1.5E\n";

// A permanent magnet's value is the second value of its last B-H point
// divided by this.
constexpr double kMagnetValueDivisor = 10000.0;

void WriteEndRecord(OutputFile& out) { WriteRecord<kBlockRecord>(out, 0, 0, 0, 0); }

std::string OfSheetRow(const char* what, std::int32_t r) {
  return std::string(what) + " of material row " + std::to_string(std::int64_t{r} + 1);
}

std::string OfMaterial(const char* what, std::int32_t material) {
  return std::string(what) + " of material " + std::to_string(material);
}

std::string OfPoint(const char* what, std::int32_t material, std::int64_t p, std::int32_t n) {
  return OfMaterial(what, material) + " (point " + std::to_string(p) + " of " + std::to_string(n) +
         ")";
}

// A name or fourth field: the separator before it, then characters up to and
// including the next ','. Nothing is kept, so the field may be of any length
// and only a ',' ends it, on this line or a later one.
// Both descriptions are callables, built only on failure.
template <typename DescribeBefore, typename DescribeField>
void SkipTextField(TextReader& prop, const DescribeBefore& describe_before,
                   const DescribeField& describe_field) {
  ExpectChar(prop, [&] { return "the separator after " + describe_before(); });
  if (ExpectChar(prop, describe_field) == ',') return;
  while (ExpectChar(prop, [&] { return "the ',' that ends " + describe_field(); }) != ',') {
  }
}

// A row of another material: its point count n, then n + 1 line reads (the
// rest of the head line and the n point lines), counted in 64 bits so that a
// count of 2147483647 asks for 2147483648 reads.
void SkipMaterialRow(TextReader& prop, LineBuffer& line, std::int32_t r, std::int32_t material) {
  const auto of_row = [&](const std::string& what) {
    return what + " of material row " + std::to_string(std::int64_t{r} + 1) + " (material " +
           std::to_string(material) + ")";
  };
  const std::int32_t n = ExpectInt(prop, [&] { return of_row("the point count"); });
  const std::int64_t line_reads = std::int64_t{n} + 1;
  for (std::int64_t j = 0; j < line_reads; ++j) {
    ExpectLine(prop, line, [&] {
      if (j == 0) return of_row("the rest of the head line");
      return of_row("point line " + std::to_string(j) + " of " + std::to_string(n));
    });
  }
}

// The row of the material looked for: the rest of its head line and its
// points, written as point records numbered from 1.
void ReadUsedRow(TextReader& prop, LineBuffer& line, OutputFile& out, std::size_t entry,
                 std::int32_t m, std::string_view kind, MaterialState& state) {
  const std::int32_t n = ExpectInt(prop, [&] { return OfMaterial("the point count", m); });
  SkipTextField(prop, [&] { return OfMaterial("the point count", m); },
                [&] { return OfMaterial("the fourth field", m); });
  ExpectLine(prop, line, [&] { return OfMaterial("the rest of the head line", m); });
  state.material_properties[entry] = {true, 0.0, static_cast<double>(m)};

  const bool hysteresis = kind == kHysteresisKind;
  for (std::int64_t p = 1; p <= n; ++p) {
    ExpectInt(prop, [&] { return OfPoint("the point index", m, p, n); });
    ExpectChar(prop, [&] { return OfPoint("the separator after the point index", m, p, n); });
    const double first = ExpectReal(prop, [&] { return OfPoint("the first value", m, p, n); });
    ExpectChar(prop, [&] { return OfPoint("the separator after the first value", m, p, n); });
    const double second = ExpectReal(prop, [&] { return OfPoint("the second value", m, p, n); });
    if (hysteresis) {
      // Further fields may follow on the line; a last line that ends the
      // file without a line end is accepted.
      static_cast<void>(ReadLine(prop, line));
    } else {
      ExpectChar(prop, [&] { return OfPoint("the line end after the second value", m, p, n); });
    }
    state.last_point_value = second;
    WriteRecord<kPointRecord>(out, p, first, second, 0.0);
  }

  if (kind == kMagnetKind) {
    state.magnets.push_back({state.last_point_value / kMagnetValueDivisor, static_cast<double>(m)});
  }
}

// One block: Prop.csv opened and scanned from its start for material m; only
// the first of its rows is used, and rows beyond the declared count are never
// looked at.
void WriteMaterialBlock(OutputFile& out, std::size_t entry, std::int32_t m, std::string_view kind,
                        MaterialState& state) {
  TextReader prop(OpenInput(kMaterialSheetName), kMaterialSheetName);
  state.property_row_count = ExpectInt(prop, "the number of material rows");
  SkipWhiteSpace(prop);
  WriteRecord<kBlockRecord>(out, m, 2, kind == kMagnetKind ? 1 : 0, 1);

  LineBuffer line;
  for (std::int32_t r = 0; r < state.property_row_count; ++r) {
    const std::int32_t row_material = ExpectInt(prop, [&] {
      return OfSheetRow("the material number", r) + " of " +
             std::to_string(state.property_row_count);
    });
    SkipTextField(prop, [&] { return OfSheetRow("the material number", r); },
                  [&] { return OfSheetRow("the name", r); });
    if (row_material != m) {
      SkipMaterialRow(prop, line, r, row_material);
      continue;
    }
    ReadUsedRow(prop, line, out, entry, m, kind, state);
    break;
  }
  WriteEndRecord(out);
}

}  // namespace

void WriteBhTable(const AnalysisSheet& sheet, MaterialState& state) {
  OutputFile out(OpenOutput(kBhTableName), kBhTableName);
  state.material_properties.assign(sheet.material_list.size(), MaterialProperty{});
  state.magnets.clear();
  for (std::size_t i = 0; i < sheet.material_list.size(); ++i) {
    const MaterialListEntry& entry = sheet.material_list[i];
    WriteMaterialBlock(out, i, entry.material, sheet.rows[entry.row].kind, state);
  }
  WriteEndRecord(out);
  out.Close();
}

}  // namespace sheet
