// t-fixc-data.txt: the node farthest from the centre of the nodes' bounding
// box, found in a second pass over Model.msh.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/test_dir.h"

namespace sheet::testing {
namespace {

using Nodes = std::vector<std::pair<std::string, std::string>>;

std::string Mesh(const Nodes& nodes, int first_own_number = 1) {
  std::string mesh = "h1\r\nh2\r\nh3\r\n0," + std::to_string(nodes.size()) + "\r\nNodes\r\n";
  int own = first_own_number;
  for (const auto& [x, y] : nodes) mesh += std::to_string(own++) + "," + x + "," + y + ",0\r\n";
  return mesh + "End\r\nElements\r\n";
}

std::string TwoDimensional(int fixed_node) {
  const std::string number = std::to_string(fixed_node);
  return "0 0 0.0 0.0 0 0 0.0\r\n" + std::string(9 - number.size(), ' ') + number +
         " 0.0 0.0 0 0.0\r\n0 0.0 0.0 0 0.0\r\n";
}

const std::string kOtherLayout = "0 0 0.0 0.0 0 0 0.0\r\n0 0.0 0.0 0 0.0\r\n";

std::string FixedPoint(const std::string& mesh, const std::string& keyword = "2DIM") {
  TempDir dir;
  dir.Write("Ana.csv", "t\r\n" + keyword + "\r\n0\r\n0\r\n");
  dir.Write("Model.msh", mesh);
  const RunResult run = RunIn(dir.path(), SHEETPREP_PATH, {"-v"});
  EXPECT_EQ(run.exit_status, 0) << run.standard_error;
  return dir.Read("t-fixc-data.txt");
}

TEST(FixedPoint, PicksTheNodeFarthestFromTheCentre) {
  struct Case {
    const char* name;
    Nodes nodes;
    int fixed_node;
  };
  const std::vector<Case> cases = {
      {"three nodes, centre (50, 15)", {{"0", "0"}, {"100", "40"}, {"20", "-10"}}, 2},
      {"scaled by 1000", {{"0", "0"}, {"100000", "40000"}, {"20000", "-10000"}}, 2},
      {"rectangle corners tie: the first wins", {{"0", "0"}, {"100", "0"}, {"100", "40"}, {"0", "40"}}, 1},
      {"a single node", {{"12.5", "-3.0"}}, 1},
      {"the last node", {{"1", "1"}, {"2", "2"}, {"1.5", "1.5"}, {"-7", "9"}}, 4},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FixedPoint(Mesh(c.nodes)), TwoDimensional(c.fixed_node)) << c.name;
  }
  // Own numbers 101, 102, ... do not count: positions do.
  EXPECT_EQ(FixedPoint(Mesh({{"0", "0"}, {"100", "40"}, {"20", "-10"}}, 101)), TwoDimensional(2));
}

TEST(FixedPoint, OtherKeywordsWriteTheSameTwoLinesForEveryMesh) {
  EXPECT_EQ(FixedPoint(Mesh({{"0", "0"}, {"100", "40"}}), "3DIM"), kOtherLayout);
  EXPECT_EQ(FixedPoint(Mesh({{"5", "5"}}), "2dim"), kOtherLayout);
  EXPECT_EQ(FixedPoint(Mesh({}), "3DIM"), kOtherLayout) << "no node is needed without 2DIM";
}

TEST(FixedPoint, TwoDimensionalModelWithoutNodesFails) {
  TempDir dir;
  dir.Write("Ana.csv", "t\r\n2DIM\r\n0\r\n0\r\n");
  dir.Write("Model.msh", Mesh({}));
  dir.Write("t-fixc-data.txt", "old");
  const RunResult run = RunIn(dir.path(), SHEETPREP_PATH, {"-v"});
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.standard_error,
            "sheetprep: Model.msh: the mesh has no node to fix for a two-dimensional model\n");
  EXPECT_EQ(dir.Read("t-fixc-data.txt"), "old");
  EXPECT_EQ(dir.Read("t-prop-data.txt"), "         0        0        0        0        0        0\r\n");
}

}  // namespace
}  // namespace sheet::testing
