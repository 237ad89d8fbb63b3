// fuzz_mesh: Model.msh as sheetprep's first pass reads it, the input bytes
// being the whole mesh, read from memory: the header and counts line
// (ReadMeshCounts), the rest of the counts line, the line before the node
// block, the nodes (ReadMeshNode), the two lines before the element block and
// the elements (ReadMeshElementHead and ReadMeshElementTail). Each node and
// element is written as the node and element stage writes it, to memory, so
// that every value read also goes through the output templates.
//
// A failure is a RunFailure, which the target catches; it must name Model.msh
// and a position within it. A mesh that reads must have given exactly as many
// nodes and elements as its counts line declares. The counts themselves are
// never trusted: each loop ends with the file at the latest.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/expect.h"
#include "common/fatal_exit.h"
#include "common/line_buffer.h"
#include "common/mesh_reader.h"
#include "common/output_file.h"
#include "common/record_writer.h"
#include "common/text_reader.h"
#include "fuzz/input_parts.h"

namespace sheet::fuzz {
namespace {

void Expect(bool holds, const char* what) {
  if (holds) return;
  std::fputs("fuzz_mesh: ", stderr);
  std::fputs(what, stderr);
  std::fputs("\n", stderr);
  std::abort();
}

struct Counted {
  std::int64_t nodes = 0;
  std::int64_t elements = 0;
};

// The first pass, writing to `nodes` and `elements`; counts what was read.
MeshCounts FirstPass(TextReader& mesh, OutputFile& nodes, OutputFile& elements, Counted& read) {
  LineBuffer line;
  const MeshCounts counts = ReadMeshCounts(mesh, line);
  ExpectLine(mesh, line, "the rest of the counts line");
  ExpectLine(mesh, line, "the line before the node block");
  for (std::int64_t i = 1; i <= counts.node_count; ++i) {
    const MeshNode node = ReadMeshNode(mesh, i);
    WriteRecord(nodes, "%8d 0 % 1.7E % 1.7E % 1.7E\n",
                {static_cast<long long>(i), node.x / 1000.0, node.y / 1000.0, 0.0});
    ++read.nodes;
  }
  ExpectLine(mesh, line, "the first line before the element block");
  ExpectLine(mesh, line, "the second line before the element block");
  for (std::int64_t j = 1; j <= counts.element_count; ++j) {
    const MeshElement element = ReadMeshElementHead(mesh, j);
    WriteRecord(elements, "%8d%4d%6d\n", {static_cast<long long>(j), element.type, element.region});
    ReadMeshElementTail(mesh, j);
    if (element.type == kTriangleType) {
      WriteRecord(elements, "%8d%8d%8d\n", {element.nodes[0], element.nodes[1], element.nodes[2]});
    } else {
      WriteRecord(elements, "%8d%8d%8d%8d\n",
                  {element.nodes[0], element.nodes[1], element.nodes[2], element.nodes[3]});
    }
    ++read.elements;
  }
  return counts;
}

}  // namespace
}  // namespace sheet::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sheet;
  TextReader mesh(fuzz::AsText(data, size), kMeshFileName);
  std::string node_text;
  std::string element_text;
  OutputFile nodes(&node_text, "t-node-data.txt");
  OutputFile elements(&element_text, "t-felm-data.txt");
  fuzz::Counted read;
  MeshCounts counts;
  try {
    counts = fuzz::FirstPass(mesh, nodes, elements, read);
  } catch (const RunFailure& failure) {
    fuzz::Expect(failure.reason().file == kMeshFileName, "the failure names another file");
    fuzz::Expect(failure.reason().line >= 1 && failure.reason().column >= 1,
                 "the failure has no position");
    return 0;
  }
  nodes.Close();
  elements.Close();
  fuzz::Expect(read.nodes == std::max<std::int64_t>(counts.node_count, 0),
               "the nodes read differ from the node count");
  fuzz::Expect(read.elements == std::max<std::int64_t>(counts.element_count, 0),
               "the elements read differ from the element count");
  return 0;
}
