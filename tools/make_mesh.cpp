// make_mesh: writes a structured Model.msh of a given number of nodes, for
// tests and timings on large meshes.
//
//   make_mesh NODES FILE
//
// The nodes are the first NODES points of a grid of about square shape, row by
// row, 1.25 units apart in x and 0.75 in y. Every grid cell whose four corners
// exist becomes elements: a quadrilateral (204) in even columns, two
// triangles (203) in odd ones; the lower half of the rows is region 1, the
// upper half region 2. Lines end in CR LF.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>
#include <unistd.h>

#include "common/fatal_exit.h"
#include "common/file_open.h"
#include "common/output_file.h"
#include "common/record_writer.h"

namespace {

using sheet::OutputFile;
using sheet::WriteRecord;

void Say(std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = ::write(2, text.data(), text.size());
    if (written <= 0) return;
    text.remove_prefix(static_cast<std::size_t>(written));
  }
}

struct Grid {
  long long node_count = 0;
  long long columns = 0;  // nodes per row
  long long rows = 0;     // rows holding at least one node

  // Cells whose four corners all exist: the full rows below the last one,
  // and in the last row (when it is partial) the cells under its nodes.
  long long CellsInRow(long long row) const {
    const long long nodes_above = std::min(columns, node_count - (row + 1) * columns);
    return nodes_above < 2 ? 0 : nodes_above - 1;
  }
  long long Node(long long row, long long column) const { return row * columns + column + 1; }
};

long long CountElements(const Grid& grid) {
  long long elements = 0;
  for (long long row = 0; row + 1 < grid.rows; ++row) {
    const long long cells = grid.CellsInRow(row);
    elements += cells + cells / 2;  // odd columns give two triangles
  }
  return elements;
}

void WriteMesh(OutputFile& out, const Grid& grid) {
  WriteRecord(out, "structured test mesh\n%d nodes\n%d columns\n",
              {grid.node_count, grid.columns});
  WriteRecord(out, "%d,%d\n", {CountElements(grid), grid.node_count});
  WriteRecord(out, "nodes\n");
  for (long long node = 0; node < grid.node_count; ++node) {
    const double x = static_cast<double>(node % grid.columns) * 1.25;
    const double y = static_cast<double>(node / grid.columns) * 0.75;
    WriteRecord(out, "%d,%1.2lf,%1.2lf,0\n", {node + 1, x, y});
  }
  WriteRecord(out, "end of nodes\nelements\n");
  long long element = 0;
  for (long long row = 0; row + 1 < grid.rows; ++row) {
    const int region = row < grid.rows / 2 ? 1 : 2;
    for (long long column = 0; column < grid.CellsInRow(row); ++column) {
      const long long a = grid.Node(row, column), b = grid.Node(row, column + 1);
      const long long c = grid.Node(row + 1, column + 1), d = grid.Node(row + 1, column);
      if (column % 2 == 0) {
        WriteRecord(out, "%d,204,%d,%d,%d,%d,%d,0\n", {++element, region, a, b, c, d});
      } else {
        WriteRecord(out, "%d,203,%d,%d,%d,%d,0\n", {++element, region, a, b, c});
        WriteRecord(out, "%d,203,%d,%d,%d,%d,0\n", {++element, region, a, c, d});
      }
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  long long node_count = 0;
  if (argc != 3) {
    Say("usage: make_mesh NODES FILE\n");
    return 2;
  }
  const std::string_view count_text = argv[1];
  const auto [end, error] =
      std::from_chars(count_text.data(), count_text.data() + count_text.size(), node_count);
  if (error != std::errc() || end != count_text.data() + count_text.size() || node_count < 1 ||
      node_count > 1000000000) {
    Say("make_mesh: NODES must be a whole number from 1 to 1000000000\n");
    return 2;
  }
  Grid grid;
  grid.node_count = node_count;
  grid.columns = std::max(2LL, std::llround(std::sqrt(static_cast<double>(node_count))));
  grid.rows = (node_count + grid.columns - 1) / grid.columns;
  try {
    OutputFile out(sheet::OpenOutput(argv[2]), argv[2]);
    WriteMesh(out, grid);
    out.Close();
  } catch (const sheet::RunFailure& failure) {
    Say(std::string("make_mesh: ") + failure.what() + "\n");
    return 1;
  }
  return 0;
}
