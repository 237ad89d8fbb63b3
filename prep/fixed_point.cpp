#include "prep/fixed_point.h"

#include <cmath>
#include <cstdint>
#include <memory>

#include "common/expect.h"
#include "common/fatal_exit.h"
#include "common/file_open.h"
#include "common/line_buffer.h"
#include "common/mesh_reader.h"
#include "common/output_file.h"
#include "common/record_template.h"

namespace sheet {
namespace {

constexpr const char* kFixedPointName = "t-fixc-data.txt";

// The position (from 1) of the node farthest from the centre; a tie keeps the
// earlier node. 0 when the mesh has no node.
std::int64_t FindFarthestNode(ModelCentre centre) {
  TextReader mesh(OpenInput(kMeshFileName), kMeshFileName);
  LineBuffer line;
  const MeshCounts counts = ReadMeshCounts(mesh, line);
  ExpectLine(mesh, line, "the rest of the counts line");
  ExpectLine(mesh, line, "the line before the node block");
  std::int64_t farthest = 0;
  double largest = 0.0;
  for (std::int64_t i = 1; i <= counts.node_count; ++i) {
    const MeshNode node = ReadMeshNode(mesh, i);
    // Squares as products: exact in every build, so that builds agree on ties.
    const double dx = node.x - centre.x;
    const double dy = node.y - centre.y;
    const double distance = std::sqrt(dx * dx + dy * dy);
    if (i == 1 || distance > largest) {
      farthest = i;
      largest = distance;
    }
  }
  return farthest;
}

}  // namespace

void WriteFixedPointData(const AnalysisSheet& sheet, ModelCentre centre) {
  const std::int64_t fixed_node = FindFarthestNode(centre);
  const bool two_dimensional = sheet.IsTwoDimensional();
  if (two_dimensional && fixed_node == 0) {
    FatalExit({kMeshFileName, 0, 0, "the mesh has no node to fix for a two-dimensional model"});
  }
  OutputFile out(OpenOutput(kFixedPointName), kFixedPointName);
  if (two_dimensional) {
    WriteRecord<"%d%2d %1.1lf %1.1lf%2d%2d %1.1lf\n%9d %1.1lf %1.1lf%2d %1.1lf\n">(out, 0, 0, 0.0, 0.0, 0, 0, 0.0, static_cast<long long>(fixed_node), 0.0, 0.0, 0, 0.0);
    WriteRecord<"%d %1.1lf %1.1lf%2d %1.1lf\n">(out, 0, 0.0, 0.0, 0, 0.0);
  } else {
    WriteRecord<"%d%2d %1.1lf %1.1lf%2d%2d %1.1lf\n%d %1.1lf %1.1lf%2d %1.1lf\n">(out, 0, 0, 0.0, 0.0, 0, 0, 0.0, 0, 0.0, 0.0, 0, 0.0);
  }
  out.Close();
}

}  // namespace sheet
