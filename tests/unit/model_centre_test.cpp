// What the node stage hands on to the fixed point stage: the centre of the
// bounding box of the raw node coordinates, in the mesh's own unit.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "prep/node_element_files.h"
#include "tests/support/test_dir.h"

namespace sheet {
namespace {

using testing::TempDir;

class WorkingIn {
 public:
  explicit WorkingIn(const std::string& directory) : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(directory);
  }
  ~WorkingIn() { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};

// Runs stages 5 and 6 on a mesh positioned after its counts line.
ModelCentre CentreOf(const std::string& nodes_and_rest, std::int32_t node_count) {
  TempDir dir;
  WorkingIn working_in(dir.path());
  const std::string text = "nodes\n" + nodes_and_rest + "end of nodes\nelements\n";
  LineBuffer line;
  OpenMesh mesh{std::make_unique<TextReader>(std::string_view(text), "Model.msh"),
                MeshCounts{0, node_count}};
  const ModelCentre centre = WriteNodeAndElementFiles(mesh, line);
  EXPECT_EQ(mesh.reader, nullptr) << "Model.msh is left open";
  return centre;
}

TEST(ModelCentre, IsTheCentreOfTheBoundingBoxInTheMeshUnit) {
  struct Case {
    const char* name;
    std::string nodes;
    std::int32_t node_count;
    double x, y;
  };
  const Case cases[] = {
      {"three nodes", "1,0,0,0\n2,100,40,0\n3,20,-10,0\n", 3, 50.0, 15.0},
      {"a single node is a point", "1,7.5,-2,0\n", 1, 7.5, -2.0},
      // The first node, not zero, opens the box.
      {"all positive", "1,10,20,0\n2,30,40,0\n3,20,30,0\n", 3, 20.0, 30.0},
      {"all negative", "1,-10,-20,0\n2,-30,-40,0\n", 2, -20.0, -30.0},
      // Bounds fall and rise in any order, x and y independently.
      {"extremes late", "1,5,5,0\n2,6,4,0\n3,4,6,0\n4,-2,9,0\n5,8,-1,0\n", 5, 3.0, 4.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ModelCentre centre = CentreOf(c.nodes, c.node_count);
    EXPECT_EQ(centre.x, c.x);
    EXPECT_EQ(centre.y, c.y);
  }
}

}  // namespace
}  // namespace sheet
