// The reading steps of Model.msh, shared by sheetprep (both passes) and
// sheetpost (counts only). The mesh is streamed: each step reads one line's
// fields and hands them over; nothing is kept.
//
// Model.msh: three header lines; the counts line "%d%c%d" (element count
// first, node count second) and its rest; one line; the node lines; two lines;
// the element lines. Nodes and elements are known by their position in the
// file, counted from 1; the own numbers the mesh gives them are read and
// dropped.
#pragma once

#include <cstdint>

#include "common/line_buffer.h"
#include "common/text_reader.h"

namespace sheet {

inline constexpr const char* kMeshFileName = "Model.msh";

struct MeshCounts {
  std::int32_t element_count = 0;
  std::int32_t node_count = 0;
};

struct MeshNode {
  double x = 0.0;
  double y = 0.0;
};

struct MeshElement {
  std::int32_t type = 0;
  std::int32_t region = 0;
  std::int32_t nodes[4] = {0, 0, 0, 0};
  int node_count = 3;  // 4 for type 204
};

inline constexpr std::int32_t kTriangleType = 203;
inline constexpr std::int32_t kQuadrilateralType = 204;

// ReadMeshCounts in its two steps (sheetprep writes a control record between
// them): the three header lines, then the counts read. The rest of the counts
// line is not read here.
void ReadMeshHeader(TextReader& mesh, LineBuffer& line);
MeshCounts ReadMeshCountsLine(TextReader& mesh);
MeshCounts ReadMeshCounts(TextReader& mesh, LineBuffer& line);

// One node line: "%d%c", "%lf%c%lf", then three single characters.
// `position` (from 1) only names the node in a diagnostic.
MeshNode ReadMeshNode(TextReader& mesh, std::int64_t position);

// One element line in two halves. The first reads "%d%c", "%d%c%d" and the
// node numbers ("%c%d" three times, four for type 204); a type other than 203
// and 204 ends the run right after it is read, since its node list is not
// defined. The second reads the trailing "%c%d" and the line end "%c".
MeshElement ReadMeshElementHead(TextReader& mesh, std::int64_t position);
void ReadMeshElementTail(TextReader& mesh, std::int64_t position);

}  // namespace sheet
