#include "common/mesh_reader.h"

#include <string>

#include "common/expect.h"

namespace sheet {
namespace {

std::string OfNode(const char* what, std::int64_t position) {
  return std::string(what) + " of node " + std::to_string(position);
}

std::string OfElement(const char* what, std::int64_t position) {
  return std::string(what) + " of element " + std::to_string(position);
}

}  // namespace

void ReadMeshHeader(TextReader& mesh, LineBuffer& line) {
  ExpectLine(mesh, line, "header line 1");
  ExpectLine(mesh, line, "header line 2");
  ExpectLine(mesh, line, "header line 3");
}

MeshCounts ReadMeshCountsLine(TextReader& mesh) {
  MeshCounts counts;
  counts.element_count = ExpectInt(mesh, "the element count");
  ExpectChar(mesh, "the separator after the element count");
  counts.node_count = ExpectInt(mesh, "the node count");
  return counts;
}

MeshCounts ReadMeshCounts(TextReader& mesh, LineBuffer& line) {
  ReadMeshHeader(mesh, line);
  return ReadMeshCountsLine(mesh);
}

MeshNode ReadMeshNode(TextReader& mesh, std::int64_t i) {
  MeshNode node;
  ExpectInt(mesh, [&] { return OfNode("the own number", i); });
  ExpectChar(mesh, [&] { return OfNode("the separator after the own number", i); });
  node.x = ExpectReal(mesh, [&] { return OfNode("the x coordinate", i); });
  ExpectChar(mesh, [&] { return OfNode("the separator after x", i); });
  node.y = ExpectReal(mesh, [&] { return OfNode("the y coordinate", i); });
  for (int k = 0; k < 3; ++k) {
    ExpectChar(mesh, [&] { return OfNode("the rest of the line", i); });
  }
  return node;
}

MeshElement ReadMeshElementHead(TextReader& mesh, std::int64_t j) {
  MeshElement element;
  ExpectInt(mesh, [&] { return OfElement("the own number", j); });
  ExpectChar(mesh, [&] { return OfElement("the separator after the own number", j); });
  element.type = ExpectInt(mesh, [&] { return OfElement("the type", j); });
  if (element.type != kTriangleType && element.type != kQuadrilateralType) [[unlikely]] {
    FailAt(mesh, "element " + std::to_string(j) + " has type " + std::to_string(element.type) +
                     "; only 203 and 204 are known");
  }
  ExpectChar(mesh, [&] { return OfElement("the separator after the type", j); });
  element.region = ExpectInt(mesh, [&] { return OfElement("the region number", j); });
  element.node_count = element.type == kQuadrilateralType ? 4 : 3;
  for (int k = 0; k < element.node_count; ++k) {
    ExpectChar(mesh, [&] { return OfElement("a separator", j); });
    element.nodes[k] = ExpectInt(mesh, [&] {
      return "node " + std::to_string(k + 1) + " of element " + std::to_string(j);
    });
  }
  return element;
}

void ReadMeshElementTail(TextReader& mesh, std::int64_t j) {
  ExpectChar(mesh, [&] { return OfElement("the separator before the last field", j); });
  ExpectInt(mesh, [&] { return OfElement("the last field", j); });
  ExpectChar(mesh, [&] { return OfElement("the line end", j); });
}

}  // namespace sheet
