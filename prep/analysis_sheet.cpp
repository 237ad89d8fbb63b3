#include "prep/analysis_sheet.h"

#include <algorithm>
#include <string>

#include "common/expect.h"
#include "common/file_open.h"
#include "common/line_buffer.h"

namespace sheet {
namespace {

std::string OfRow(const char* what, std::int32_t r) {
  return std::string(what) + " of region row " + std::to_string(std::int64_t{r} + 1);
}

// The distinct material numbers of both columns in order of first
// appearance, each with the row that named it first.
void EnterMaterial(AnalysisSheet& sheet, std::int32_t material, std::int32_t row) {
  const auto [where, inserted] = sheet.material_index.try_emplace(material, sheet.material_list.size());
  if (inserted) sheet.material_list.push_back({material, row});
}

// Characters up to the ',' that ends the kind text; the ',' is not kept.
std::string ReadKindText(TextReader& ana, char first, std::int32_t r) {
  std::string kind;
  if (first == ',') return kind;
  kind += first;
  for (;;) {
    const char c = ExpectChar(ana, [&] { return OfRow("the ',' that ends the kind", r); });
    if (c == ',') return kind;
    kind += c;
  }
}

void ReadRegionRow(TextReader& ana, AnalysisSheet& sheet, std::int32_t r) {
  ExpectInt(ana, [&] { return OfRow("the region number", r); });
  ExpectChar(ana, [&] { return OfRow("the separator after the region number", r); });
  const char first = ExpectChar(ana, [&] { return OfRow("the kind", r); });
  RegionRow row;
  row.kind = ReadKindText(ana, first, r);
  row.first_material = ExpectInt(ana, [&] { return OfRow("the first material number", r); });
  EnterMaterial(sheet, row.first_material, r);
  ExpectChar(ana, [&] { return OfRow("the separator after the first material number", r); });
  row.second_material = ExpectInt(ana, [&] { return OfRow("the second material number", r); });
  EnterMaterial(sheet, row.second_material, r);
  ExpectChar(ana, [&] { return OfRow("the separator after the second material number", r); });
  if (row.kind == kCoilKind) ++sheet.coil_row_count;
  if (row.kind == kMagnetKind) {
    static const char* const kNames[] = {"the first magnet value", "the second magnet value",
                                         "the third magnet value"};
    std::array<double, 3> direction{};
    for (int v = 0; v < 3; ++v) {
      direction[v] = ExpectReal(ana, [&] { return OfRow(kNames[v], r); });
      ExpectChar(ana, [&] { return OfRow("the separator after a magnet value", r); });
    }
    sheet.magnet_directions.push_back(direction);
  }
  sheet.rows.push_back(std::move(row));
}

std::string OfCoilEntry(const char* what, std::int64_t k) {
  return std::string(what) + " of coil entry " + std::to_string(k + 1);
}

}  // namespace

void ParseAnalysisSheet(TextReader& ana, AnalysisSheet& sheet) {
  LineBuffer line;
  ExpectLine(ana, line, "the title line");
  ExpectLine(ana, line, "the dimension line");
  sheet.dimension_keyword.assign(line.text, std::min<std::size_t>(line.length, 4));

  sheet.region_row_count = ExpectInt(ana, "the number of region rows");
  for (std::int32_t r = 0; r < sheet.region_row_count; ++r) ReadRegionRow(ana, sheet, r);

  // The declared number of coil entries is read and not used: one entry is
  // read for each "COIL" row.
  ExpectInt(ana, "the number of coil entries");
  for (std::int64_t k = 0; k < sheet.coil_row_count; ++k) {
    ExpectInt(ana, [&] { return OfCoilEntry("the first number", k); });
    ExpectChar(ana, [&] { return OfCoilEntry("the separator after the first number", k); });
    ExpectInt(ana, [&] { return OfCoilEntry("the second number", k); });
    ExpectChar(ana, [&] { return OfCoilEntry("the separator before the current", k); });
    sheet.coil_currents.push_back(ExpectReal(ana, [&] { return OfCoilEntry("the current", k); }));
  }
}

void ReadAnalysisSheet(AnalysisSheet& sheet) {
  TextReader ana(OpenInput(kAnalysisSheetName), kAnalysisSheetName);
  ParseAnalysisSheet(ana, sheet);
}

}  // namespace sheet
