#include "prep/control_data.h"

#include <algorithm>
#include <limits>
#include <string>

#include "common/expect.h"
#include "common/fatal_exit.h"
#include "common/file_open.h"
#include "common/output_file.h"
#include "common/record_template.h"
#include "prep/analysis_sheet.h"
#include "prep/bh_table.h"

namespace sheet {
namespace {

// The control values that depend on the counts. They are worked out in 64
// bits and must each fit in the solver's 32-bit fields.
struct CountValues {
  long long nodes_plus_one = 0;       // N + 1
  long long elements_plus_one = 0;    // E + 1
  long long row_counts_plus_one = 0;  // the larger of R and P, plus 1
};

bool FitsInt32(long long value) {
  return value >= std::numeric_limits<std::int32_t>::min() &&
         value <= std::numeric_limits<std::int32_t>::max();
}

constexpr const char* kBeyondRange = ", beyond the 32-bit range of the control file";

// Checked right after the counts are read, so that a failure points at the
// counts line. Of the values derived from one count, the one with the
// largest factor is the first to leave the range.
CountValues DeriveCountValues(TextReader& mesh, MeshCounts counts, std::int32_t region_row_count,
                              std::int32_t property_row_count) {
  CountValues values;
  values.nodes_plus_one = static_cast<long long>(counts.node_count) + 1;
  values.elements_plus_one = static_cast<long long>(counts.element_count) + 1;
  values.row_counts_plus_one =
      static_cast<long long>(std::max(region_row_count, property_row_count)) + 1;
  if (!FitsInt32(100 * values.nodes_plus_one)) {
    FailAt(mesh, "100 x (node count + 1) comes to " + std::to_string(100 * values.nodes_plus_one) +
                     kBeyondRange);
  }
  if (!FitsInt32(10 * values.elements_plus_one)) {
    FailAt(mesh, "10 x (element count + 1) comes to " +
                     std::to_string(10 * values.elements_plus_one) + kBeyondRange);
  }
  if (!FitsInt32(values.row_counts_plus_one)) {
    const bool region_rows_larger = region_row_count >= property_row_count;
    FatalExit({region_rows_larger ? kAnalysisSheetName : kMaterialSheetName, 0, 0,
               std::string(region_rows_larger ? "the region row count" : "the property row count") +
                   " + 1 comes to " + std::to_string(values.row_counts_plus_one) + kBeyondRange});
  }
  return values;
}

}  // namespace

OpenMesh WriteControlData(const AnalysisSheet& sheet, std::int32_t property_row_count,
                          LineBuffer& line) {
  OutputFile control(OpenOutput(kControlDataName), kControlDataName);
  OpenMesh mesh;
  mesh.reader = std::make_unique<TextReader>(OpenInput(kMeshFileName), kMeshFileName);
  TextReader& reader = *mesh.reader;

  ReadMeshHeader(reader, line);
  WriteRecord<"%10d%9d%9d\n">(control, 1, sheet.IsTwoDimensional() ? 0 : 1, 0);
  mesh.counts = ReadMeshCountsLine(reader);
  const CountValues values =
      DeriveCountValues(reader, mesh.counts, sheet.region_row_count, property_row_count);
  ExpectLine(reader, line, "the rest of the counts line");

  WriteRecord<"%10d%9d%9d%9d%9d%9d\n">(control, values.nodes_plus_one, values.elements_plus_one, 1, 1, values.row_counts_plus_one,
               1000);
  WriteRecord<"%10d%9d%9d%9d\n">(control, 10 * values.nodes_plus_one, 100, 10 * values.elements_plus_one, 1);
  WriteRecord<"%10d%9d%9d%9d%9d%9d%9d\n">(control, 1, 1, 1, 1, 1, 1, 1);
  WriteRecord<"%10d%9d%9d%9d%9d%9d%9d\n">(control, 1, 0, 0, 0, 0, 0, 0);
  WriteRecord<"%10d%9d\n">(control, 1, 1);
  WriteRecord<"%10d%9d\n">(control, 100 * values.nodes_plus_one, 10);
  WriteRecord<"%10d % 1.5E % 1.5E%9d%9d % 1.5E\n">(control, 500, 1e-13, 1.2, 1, 1, 0.0);
  WriteRecord<"%10d % 1.5E\n">(control, 0, 0.0);
  WriteRecord<"%10d % 1.5E%9d % 1.5E\n">(control, 20, 0.05, 0, 0.0);
  WriteRecord<"%10d % 1.5E%9d % 1.5E\n">(control, 0, 1.0, 0, 0.0);
  WriteRecord<" % 1.5E\n">(control, 0.0);
  control.Close();
  return mesh;
}

}  // namespace sheet
