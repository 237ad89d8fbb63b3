#include "prep/property_table.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <unordered_map>

#include "common/fatal_exit.h"
#include "common/file_open.h"
#include "common/output_file.h"
#include "common/record_template.h"

namespace sheet {
namespace {

constexpr const char* kPropertyTableName = "t-prop-data.txt";

// Both tables are searched by the truncation of the stored material number;
// the last entry that matches wins. A material with no entry gets 0.0.
using ValueByMaterial = std::unordered_map<std::int64_t, double>;

std::int64_t TruncatedMaterial(double stored) { return static_cast<std::int64_t>(std::trunc(stored)); }

ValueByMaterial PropertyValues(const AnalysisSheet& sheet, const MaterialState& materials) {
  ValueByMaterial values;
  const std::size_t count = std::min(sheet.material_list.size(), materials.material_properties.size());
  for (std::size_t i = 0; i < count; ++i) {
    const MaterialProperty& entry = materials.material_properties[i];
    if (entry.set) values[TruncatedMaterial(entry.material)] = entry.property_value;
  }
  return values;
}

ValueByMaterial MagnetValues(const MaterialState& materials) {
  ValueByMaterial values;
  for (const MagnetEntry& entry : materials.magnets) {
    values[TruncatedMaterial(entry.material)] = entry.magnet_value;
  }
  return values;
}

double Find(const ValueByMaterial& values, std::int32_t material) {
  const auto found = values.find(material);
  return found == values.end() ? 0.0 : found->second;
}

// The integer field of a magnet record: the third direction value truncated
// toward zero, which must fit a 32-bit integer.
std::int32_t MagnetAxis(double third_value, std::size_t row) {
  const double truncated = std::trunc(third_value);
  if (!(truncated >= std::numeric_limits<std::int32_t>::min() &&
        truncated <= std::numeric_limits<std::int32_t>::max())) {
    FatalExit({"Ana.csv", 0, 0,
               "the third magnet value of region row " + std::to_string(row + 1) +
                   " does not fit a 32-bit integer"});
  }
  return static_cast<std::int32_t>(truncated);
}

constexpr OutputTemplate kRowTemplate = "%10d % 1.5E % 1.5E % 1.5E % 1.5E % 1.5E\n";

void WriteZeroRow(OutputFile& out) { WriteRecord<kRowTemplate>(out, 0, 0.0, 0.0, 0.0, 0.0, 0.0); }

}  // namespace

void WritePropertyTable(const AnalysisSheet& sheet, const MaterialState& materials) {
  const ValueByMaterial property_values = PropertyValues(sheet, materials);
  const ValueByMaterial magnet_values = MagnetValues(materials);
  OutputFile out(OpenOutput(kPropertyTableName), kPropertyTableName);
  std::size_t magnet_cursor = 0;
  std::size_t coil_cursor = 0;
  for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
    const RegionRow& row = sheet.rows[r];
    WriteRecord<"%10d%9d%9d%9d%9d%9d\n">(out, static_cast<long long>(r + 1), row.first_material, 0, 0, 0, 0);
    WriteRecord<" % 1.5E % 1.5E % 1.5E % 1.5E\n">(out, 0.0, Find(property_values, row.first_material), 0.0, 0.0);
    if (row.kind == kMagnetKind) {
      const auto& direction = sheet.magnet_directions[magnet_cursor++];
      WriteRecord<kRowTemplate>(out, MagnetAxis(direction[2], r), direction[0], direction[1], 0.0,
                   Find(magnet_values, row.first_material), 0.0);
    } else {
      WriteZeroRow(out);
    }
    WriteZeroRow(out);
    if (row.kind == kCoilKind) {
      WriteRecord<kRowTemplate>(out, 0, 0.0, 0.0, 0.0, sheet.coil_currents[coil_cursor++], 0.0);
    } else {
      WriteZeroRow(out);
    }
  }
  WriteRecord<"%10d%9d%9d%9d%9d%9d\n">(out, 0, 0, 0, 0, 0, 0);
  out.Close();
}

}  // namespace sheet
