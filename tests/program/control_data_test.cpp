// sheetprep stage 4: t-cntl-data.txt, written around the reading of the
// header and counts line of Model.msh. Exit status 0 is pinned only for runs
// on complete meshes; elsewhere the stage's output is what counts.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/test_dir.h"

namespace sheet::testing {
namespace {

constexpr const char* kControl = "t-cntl-data.txt";
const std::vector<std::string> kMeshOutputs = {"t-node-data.txt", "t-felm-data.txt",
                                               "t-prop-data.txt", "t-fixc-data.txt"};

const std::string kRecord1TwoDimensional = "         1        0        0\n";
const std::string kRecord1Other = "         1        1        0\n";
// Records 2 to 12 for N = 30, E = 12 and the larger of R and P being 5.
const std::string kRecords2To12 =
    "        31       13        1        1        6     1000\n"
    "       310      100      130        1\n"
    "         1        1        1        1        1        1        1\n"
    "         1        0        0        0        0        0        0\n"
    "         1        1\n"
    "      3100       10\n"
    "       500  1.00000E-013  1.20000E+000        1        1  0.00000E+000\n"
    "         0  0.00000E+000\n"
    "        20  5.00000E-002        0  0.00000E+000\n"
    "         0  1.00000E+000        0  0.00000E+000\n"
    "  0.00000E+000\n";

// A complete mesh of `nodes` nodes and `elements` elements (alternately
// quadrilaterals and triangles) behind the given counts line.
std::string MeshWith(const std::string& counts_line, int nodes, int elements) {
  std::string text = "mesh\nheader\nlines\n" + counts_line + "\nnodes\n";
  for (int i = 1; i <= nodes; ++i) {
    text += std::to_string(i) + "," + std::to_string(i) + ".5,-" + std::to_string(i) + ",0\n";
  }
  text += "end of nodes\nelements\n";
  for (int j = 1; j <= elements; ++j) {
    text += std::to_string(j) + (j % 2 == 1 ? ",204,1,1,2,3,4,0\n" : ",203,2,2,3,4,0\n");
  }
  return Crlf(text);
}

// The analysis sheet: one region row per entry of `materials`, each naming
// that material twice, and no coil entries.
std::string AnalysisSheet(const std::string& keyword, const std::vector<int>& materials = {}) {
  std::string text = "Model\n" + keyword + "\n" + std::to_string(materials.size()) + "\n";
  for (std::size_t r = 0; r < materials.size(); ++r) {
    const std::string m = std::to_string(materials[r]);
    text += std::to_string(r + 1) + ",IRON," + m + "," + m + "\n";
  }
  return Crlf(text + "0\n");
}

// A material sheet whose first line (the property row count P) is
// `row_count`, with one row of one point for each material 1 to `materials`.
std::string MaterialSheet(const std::string& row_count, int materials) {
  std::string text = row_count + "\n";
  for (int m = 1; m <= materials; ++m) text += std::to_string(m) + ",Steel,1,x,\n1,0,0\n";
  return Crlf(text);
}

std::string Line(const std::string& text, int number) {
  std::size_t begin = 0;
  for (int n = 1; n < number; ++n) begin = text.find('\n', begin) + 1;
  return text.substr(begin, text.find('\n', begin) + 1 - begin);
}

class ControlData : public ::testing::Test {
 protected:
  RunResult Run() { return RunIn(dir_.path(), SHEETPREP_PATH, {"-v"}); }
  void SeedLaterOutputs() {
    for (const auto& name : kMeshOutputs) dir_.Write(name, "old " + name);
  }
  void ExpectLaterOutputsUntouched() {
    for (const auto& name : kMeshOutputs) EXPECT_EQ(dir_.Read(name), "old " + name) << name;
  }

  TempDir dir_;
};

TEST_F(ControlData, WorkedExampleOfATwoDimensionalModel) {
  dir_.Write("Ana.csv", AnalysisSheet("2DIM", {1, 2, 1}));
  dir_.Write("Prop.csv", MaterialSheet("5", 2));
  dir_.Write("Model.msh", MeshWith("12,30", 30, 12));
  const RunResult result = Run();
  EXPECT_EQ(result.exit_status, 0) << result.standard_error;
  EXPECT_EQ(dir_.Read(kControl), Crlf(kRecord1TwoDimensional + kRecords2To12));
}

TEST_F(ControlData, AnyOtherKeywordChangesOnlyRecord1) {
  for (const char* keyword : {"3DIM", "2dim", "2D", "AXIS"}) {
    SCOPED_TRACE(keyword);
    dir_.Write("Ana.csv", AnalysisSheet(keyword, {1, 2, 1}));
    dir_.Write("Prop.csv", MaterialSheet("5", 2));
    dir_.Write("Model.msh", MeshWith("12,30", 30, 12));
    const RunResult result = Run();
    EXPECT_EQ(result.exit_status, 0) << result.standard_error;
    EXPECT_EQ(dir_.Read(kControl), Crlf(kRecord1Other + kRecords2To12));
  }
}

// The fifth value of record 2 is the larger of R (region rows) and P (the
// first line of Prop.csv), plus 1.
TEST_F(ControlData, Record2TakesTheLargerOfRegionAndPropertyRowCounts) {
  struct Case {
    std::vector<int> materials;  // one region row each
    std::string property_row_count;
    std::string record2;
  };
  const Case cases[] = {
      {{1, 2, 1}, "5", "        31       13        1        1        6     1000\n"},
      {{1, 2, 1}, "0", "        31       13        1        1        4     1000\n"},
      {{1, 2}, "7", "        31       13        1        1        8     1000\n"},
      {{1, 2, 2}, "3", "        31       13        1        1        4     1000\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.property_row_count);
    dir_.Write("Ana.csv", AnalysisSheet("2DIM", c.materials));
    dir_.Write("Prop.csv", MaterialSheet(c.property_row_count, 2));
    dir_.Write("Model.msh", MeshWith("12,30", 30, 12));
    const RunResult result = Run();
    EXPECT_EQ(result.exit_status, 0) << result.standard_error;
    EXPECT_EQ(Line(dir_.Read(kControl), 2), Crlf(c.record2));
  }
}

// Counts of zero or below are written as computed; the blocks are then empty.
TEST_F(ControlData, EmptyAndNegativeCountsAreWrittenAsComputed) {
  struct Case {
    std::string counts_line;
    std::string region_rows;
    std::string record2, record3, record7;
  };
  const Case cases[] = {
      {"0,0", "0", "         1        1        1        1        1     1000\n",
       "        10      100       10        1\n", "       100       10\n"},
      {"-3,-2", "-5", "        -1       -2        1        1        1     1000\n",
       "       -10      100      -20        1\n", "      -100       10\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.counts_line);
    dir_.Write("Ana.csv", Crlf("Model\nAXIS\n" + c.region_rows + "\n0\n"));
    dir_.Write("Model.msh", Crlf("h\nh\nh\n" + c.counts_line + "\nnodes\nend\nelements\n"));
    const RunResult result = Run();
    EXPECT_EQ(result.exit_status, 0) << result.standard_error;
    const std::string control = dir_.Read(kControl);
    EXPECT_EQ(Line(control, 1), Crlf(kRecord1Other));
    EXPECT_EQ(Line(control, 2), Crlf(c.record2));
    EXPECT_EQ(Line(control, 3), Crlf(c.record3));
    EXPECT_EQ(Line(control, 7), Crlf(c.record7));
    EXPECT_EQ(Line(control, 12), Crlf("  0.00000E+000\n"));
  }
}

// The counts line is "%d%c%d": exactly one separator right after the element
// count; blanks after the separator, blank lines before the counts line and
// text after the node count do not matter.
TEST_F(ControlData, CountsLineReadsElementCountThenNodeCount) {
  for (const char* counts_line : {"12,30", "12, 30", "12;\t30", "\n \n12,30", "12,30 more, text"}) {
    SCOPED_TRACE(counts_line);
    dir_.Write("Ana.csv", AnalysisSheet("2DIM"));
    dir_.Write("Model.msh", MeshWith(counts_line, 30, 12));
    const RunResult result = Run();
    EXPECT_EQ(result.exit_status, 0) << result.standard_error;
    EXPECT_EQ(Line(dir_.Read(kControl), 2),
              Crlf("        31       13        1        1        1     1000\n"));
  }
}

TEST_F(ControlData, TheLargestCountsThatFit) {
  // 100 x (N + 1) and 10 x (E + 1) at their limits; the blocks are missing,
  // so the run fails after the control file is complete.
  dir_.Write("Ana.csv", Crlf("Model\n2DIM\n0\n0\n"));
  dir_.Write("Model.msh", Crlf("h\nh\nh\n214748363,21474835\n"));
  RunResult result = Run();
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(dir_.Read(kControl),
            Crlf(kRecord1TwoDimensional +
                 "  21474836214748364        1        1        1     1000\n"
                 " 214748360      1002147483640        1\n"
                 "         1        1        1        1        1        1        1\n"
                 "         1        0        0        0        0        0        0\n"
                 "         1        1\n"
                 "2147483600       10\n"
                 "       500  1.00000E-013  1.20000E+000        1        1  0.00000E+000\n"
                 "         0  0.00000E+000\n"
                 "        20  5.00000E-002        0  0.00000E+000\n"
                 "         0  1.00000E+000        0  0.00000E+000\n"
                 "  0.00000E+000\n"));
}

struct ControlFailureCase {
  std::string name;
  std::string mesh;       // no Model.msh when empty
  std::string control;    // t-cntl-data.txt after the run, LF line ends
  std::string message;    // what -v says, after "sheetprep: "
};

void PrintTo(const ControlFailureCase& c, std::ostream* out) { *out << c.name; }

class ControlDataFailure : public ControlData,
                           public ::testing::WithParamInterface<ControlFailureCase> {};

TEST_P(ControlDataFailure, LeavesRecordsWrittenAndLaterFilesUntouched) {
  const ControlFailureCase& c = GetParam();
  dir_.Write("Ana.csv", Crlf("Model\n2DIM\n0\n0\n"));
  if (!c.mesh.empty()) dir_.Write("Model.msh", c.mesh);
  SeedLaterOutputs();
  const RunResult result = Run();
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.standard_error, "sheetprep: " + c.message + "\n");
  EXPECT_EQ(dir_.Read(kControl), Crlf(c.control));
  ExpectLaterOutputsUntouched();
}

INSTANTIATE_TEST_SUITE_P(
    , ControlDataFailure,
    ::testing::Values(
        ControlFailureCase{"NoMesh", "", "",
                           "Model.msh: cannot open for reading: no such file or directory"},
        ControlFailureCase{"HeaderCut", "h\r\nh\r\n", "",
                           "Model.msh:3:1: expected header line 3, found end of file"},
        ControlFailureCase{"BlankBeforeSeparator", "h\r\nh\r\nh\r\n12 ,30\r\n",
                           kRecord1TwoDimensional,
                           "Model.msh:4:4: expected the node count, found \",30\""},
        ControlFailureCase{"NoNodeCount", "h\r\nh\r\nh\r\n12,\r\n", kRecord1TwoDimensional,
                           "Model.msh:5:1: expected the node count, found end of file"},
        ControlFailureCase{"NoCountsLine", "h\r\nh\r\nh\r\n", kRecord1TwoDimensional,
                           "Model.msh:4:1: expected the element count, found end of file"},
        ControlFailureCase{"CountsLineWithoutLineEnd", "h\r\nh\r\nh\r\n12,30",
                           kRecord1TwoDimensional,
                           "Model.msh:4:6: expected the rest of the counts line, found end of "
                           "file"},
        ControlFailureCase{"NodeCountPlusOneBeyond32Bits", "h\r\nh\r\nh\r\n0,2147483647\r\n",
                           kRecord1TwoDimensional,
                           "Model.msh:4:13: 100 x (node count + 1) comes to 214748364800, beyond "
                           "the 32-bit range of the control file"},
        ControlFailureCase{"HundredTimesNodeCountBeyond32Bits", "h\r\nh\r\nh\r\n0,21474836\r\n",
                           kRecord1TwoDimensional,
                           "Model.msh:4:11: 100 x (node count + 1) comes to 2147483700, beyond "
                           "the 32-bit range of the control file"},
        ControlFailureCase{"NegativeNodeCountBeyond32Bits",
                           "h\r\nh\r\nh\r\n0,-2147483648\r\n", kRecord1TwoDimensional,
                           "Model.msh:4:14: 100 x (node count + 1) comes to -214748364700, "
                           "beyond the 32-bit range of the control file"},
        ControlFailureCase{"TenTimesElementCountBeyond32Bits",
                           "h\r\nh\r\nh\r\n214748364,0\r\n", kRecord1TwoDimensional,
                           "Model.msh:4:12: 10 x (element count + 1) comes to 2147483650, beyond "
                           "the 32-bit range of the control file"}),
    [](const auto& info) { return info.param.name; });

TEST_F(ControlData, PropertyRowCountPlusOneBeyond32BitsFails) {
  dir_.Write("Ana.csv", AnalysisSheet("2DIM", {1}));
  dir_.Write("Prop.csv", MaterialSheet("2147483647", 1));
  dir_.Write("Model.msh", MeshWith("1,3", 3, 1));
  SeedLaterOutputs();
  const RunResult result = Run();
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.standard_error,
            "sheetprep: Prop.csv: the property row count + 1 comes to 2147483648, beyond the "
            "32-bit range of the control file\n");
  EXPECT_EQ(dir_.Read(kControl), Crlf(kRecord1TwoDimensional));
  ExpectLaterOutputsUntouched();
}

TEST_F(ControlData, ControlFileThatCannotBeCreatedStopsBeforeTheMesh) {
  dir_.Write("Ana.csv", Crlf("Model\n2DIM\n0\n0\n"));
  dir_.Write("Model.msh", MeshWith("1,3", 3, 1));
  std::filesystem::create_directory(dir_ / kControl);
  SeedLaterOutputs();
  const RunResult result = Run();
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.standard_error.rfind("sheetprep: t-cntl-data.txt: ", 0), 0u)
      << result.standard_error;
  EXPECT_EQ(dir_.Read("bh-table-data.txt"), Crlf("         0        0        0        0\n"));
  ExpectLaterOutputsUntouched();
}

}  // namespace
}  // namespace sheet::testing
