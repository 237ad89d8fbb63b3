#include "prep/node_element_files.h"

#include <cstdint>

#include "common/expect.h"
#include "common/file_open.h"
#include "common/mesh_reader.h"
#include "common/output_file.h"
#include "common/record_template.h"

namespace sheet {
namespace {

// The solver's unit of length is 1000 of the mesh's.
constexpr double kMeshUnitsPerSolverUnit = 1000.0;

// The bounding box of the raw node coordinates. The first node sets all four
// bounds; after it a bound moves only for a value strictly beyond it.
class NodeBoundingBox {
 public:
  void Take(const MeshNode& node) {
    if (first_node_marker_ == -1.0) {
      x_min_ = x_max_ = node.x;
      y_min_ = y_max_ = node.y;
      first_node_marker_ = 1.0;
      return;
    }
    if (node.x < x_min_) x_min_ = node.x;
    if (node.x > x_max_) x_max_ = node.x;
    if (node.y < y_min_) y_min_ = node.y;
    if (node.y > y_max_) y_max_ = node.y;
  }

  ModelCentre Centre() const { return {(x_max_ + x_min_) * 0.5, (y_max_ + y_min_) * 0.5}; }

 private:
  double x_min_ = 0.0;
  double x_max_ = 0.0;
  double y_min_ = 0.0;
  double y_max_ = 0.0;
  double first_node_marker_ = -1.0;  // 1.0 once a node is in the box
};

ModelCentre WriteNodeFile(TextReader& mesh, std::int32_t node_count, LineBuffer& line) {
  OutputFile out(OpenOutput(kNodeDataName), kNodeDataName);
  ExpectLine(mesh, line, "the line before the node block");
  NodeBoundingBox box;
  for (std::int64_t i = 1; i <= node_count; ++i) {
    const MeshNode node = ReadMeshNode(mesh, i);
    WriteRecord<"%8d 0 % 1.7E % 1.7E % 1.7E\n">(out, static_cast<long long>(i), node.x / kMeshUnitsPerSolverUnit,
                 node.y / kMeshUnitsPerSolverUnit, 0.0);
    box.Take(node);
  }
  WriteRecord<"%d%2d %1.1E %1.1E %1.1E\n">(out, 0, 0, 0.0, 0.0, 0.0);
  out.Close();
  return box.Centre();
}

void WriteElementFile(OpenMesh& mesh, LineBuffer& line) {
  TextReader& reader = *mesh.reader;
  OutputFile out(OpenOutput(kElementDataName), kElementDataName);
  ExpectLine(reader, line, "the first of the two lines before the element block");
  ExpectLine(reader, line, "the second of the two lines before the element block");
  for (std::int64_t j = 1; j <= mesh.counts.element_count; ++j) {
    const MeshElement element = ReadMeshElementHead(reader, j);
    WriteRecord<"%8d%4d%6d\n">(out, static_cast<long long>(j), element.type, element.region);
    ReadMeshElementTail(reader, j);
    if (element.type == kTriangleType) {
      WriteRecord<"%8d%8d%8d\n">(out, element.nodes[0], element.nodes[1], element.nodes[2]);
    } else {
      WriteRecord<"%8d%8d%8d%8d\n">(out, element.nodes[0], element.nodes[1], element.nodes[2], element.nodes[3]);
    }
  }
  WriteRecord<"0 0 0\n">(out);
  mesh.reader.reset();  // Model.msh is closed before t-felm-data.txt
  out.Close();
}

}  // namespace

ModelCentre WriteNodeAndElementFiles(OpenMesh& mesh, LineBuffer& line) {
  const ModelCentre centre = WriteNodeFile(*mesh.reader, mesh.counts.node_count, line);
  WriteElementFile(mesh, line);
  return centre;
}

}  // namespace sheet
