// sheetprep stages 5 and 6: t-node-data.txt and t-felm-data.txt, written
// record by record from the node and element blocks of Model.msh, and what
// each file holds when the mesh ends the run part way.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/test_dir.h"

namespace sheet::testing {
namespace {

constexpr const char* kNodes = "t-node-data.txt";
constexpr const char* kElements = "t-felm-data.txt";
const std::vector<std::string> kOutputs = {"t-cntl-data.txt", kNodes, kElements, "t-prop-data.txt",
                                           "t-fixc-data.txt"};

const std::string kAnalysisSheet = Crlf("Model\n2DIM\n0\n0\n");

// Three nodes with own numbers 7, 102, 103 and three elements of both types,
// with node lists copied as they stand (no reader checks them).
const std::string kHead = "header 1\nheader 2\nheader 3\n3,3\nnodes\n";
const std::string kNodeLines =
    "7,12.5,-3.0,0\n"
    "102,0,100,0\n"
    "103,-1e3,2.5E2,0\n";
const std::string kBetweenBlocks = "end of nodes\nelements\n";
const std::string kElementLines =
    "5,204,2,10,11,21,20,0\n"
    "9,203,1,101,102,103,0\n"
    "3,204,7,-1,0,2147483647,-2147483648,0\n";
const std::string kMesh = kHead + kNodeLines + kBetweenBlocks + kElementLines;

const std::string kNodeRecords =
    "       1 0  1.2500000E-002 -3.0000000E-003  0.0000000E+000\n"
    "       2 0  0.0000000E+000  1.0000000E-001  0.0000000E+000\n"
    "       3 0 -1.0000000E+000  2.5000000E-001  0.0000000E+000\n";
const std::string kNodeClosing = "0 0 0.0E+000 0.0E+000 0.0E+000\n";
const std::string kElementRecords1 =
    "       1 204     2\n"
    "      10      11      21      20\n";
const std::string kElementRecords2 =
    "       2 203     1\n"
    "     101     102     103\n";
const std::string kElementRecords3 =
    "       3 204     7\n"
    "      -1       02147483647-2147483648\n";
const std::string kElementClosing = "0 0 0\n";
const std::string kAllNodes = kNodeRecords + kNodeClosing;

// t-cntl-data.txt for 3 nodes and 3 elements of a two-dimensional model with
// no region rows.
const std::string kControlForThreeNodesAndElements =
    "         1        0        0\n"
    "         4        4        1        1        1     1000\n"
    "        40      100       40        1\n"
    "         1        1        1        1        1        1        1\n"
    "         1        0        0        0        0        0        0\n"
    "         1        1\n"
    "       400       10\n"
    "       500  1.00000E-013  1.20000E+000        1        1  0.00000E+000\n"
    "         0  0.00000E+000\n"
    "        20  5.00000E-002        0  0.00000E+000\n"
    "         0  1.00000E+000        0  0.00000E+000\n"
    "  0.00000E+000\n";

class NodeElementFiles : public ::testing::Test {
 protected:
  RunResult Run(const std::string& mesh) {
    dir_.Write("Ana.csv", kAnalysisSheet);
    dir_.Write("Model.msh", mesh);
    return RunIn(dir_.path(), SHEETPREP_PATH, {"-v"});
  }
  void ExpectMeshFiles(const std::string& nodes, const std::string& elements) {
    EXPECT_EQ(dir_.Read(kNodes), Crlf(nodes));
    EXPECT_EQ(dir_.Read(kElements), Crlf(elements));
  }

  TempDir dir_;
};

TEST_F(NodeElementFiles, RenumbersNodesAndElementsByPosition) {
  const RunResult result = Run(Crlf(kMesh));
  EXPECT_EQ(result.exit_status, 0) << result.standard_error;
  ExpectMeshFiles(kNodeRecords + kNodeClosing,
                  kElementRecords1 + kElementRecords2 + kElementRecords3 + kElementClosing);
}

TEST_F(NodeElementFiles, LineFeedAndCarriageReturnLineFeedMeshesGiveTheSameFiles) {
  Run(Crlf(kMesh));
  std::vector<std::string> from_crlf;
  for (const auto& name : kOutputs) from_crlf.push_back(dir_.Exists(name) ? dir_.Read(name) : "");
  const RunResult result = Run(kMesh);
  EXPECT_EQ(result.exit_status, 0) << result.standard_error;
  for (std::size_t k = 0; k < kOutputs.size(); ++k) {
    EXPECT_EQ(dir_.Exists(kOutputs[k]) ? dir_.Read(kOutputs[k]) : "", from_crlf[k]) << kOutputs[k];
  }
  ExpectMeshFiles(kNodeRecords + kNodeClosing,
                  kElementRecords1 + kElementRecords2 + kElementRecords3 + kElementClosing);
}

// The numeric field that starts a node or element read skips blank lines; a
// line read takes a blank line as one of its lines.
TEST_F(NodeElementFiles, BlankLinesInsideBlocksAreSkippedAndCountAsIgnoredLines) {
  const std::string mesh = kHead +
                           "7,12.5,-3.0,0\n\n"
                           "102,0,100,0\n \t\n\n"
                           "103,-1e3,2.5E2,0\n"
                           "\nelements\n"
                           "5,204,2,10,11,21,20,0\n\n\n"
                           "9,203,1,101,102,103,0\n\n"
                           "3,204,7,-1,0,2147483647,-2147483648,0\n";
  const RunResult result = Run(Crlf(mesh));
  EXPECT_EQ(result.exit_status, 0) << result.standard_error;
  ExpectMeshFiles(kNodeRecords + kNodeClosing,
                  kElementRecords1 + kElementRecords2 + kElementRecords3 + kElementClosing);
}

TEST_F(NodeElementFiles, EmptyBlocksGiveOnlyTheClosingRecords) {
  dir_.Write("Ana.csv", Crlf("Model\nAXIS\n0\n0\n"));
  dir_.Write("Model.msh", Crlf("h\nh\nh\n0,0\nnodes\nend of nodes\nelements\n"));
  const RunResult result = RunIn(dir_.path(), SHEETPREP_PATH, {"-v"});
  EXPECT_EQ(result.exit_status, 0) << result.standard_error;
  ExpectMeshFiles(kNodeClosing, kElementClosing);
}

// Separators are single characters of any kind; blanks after a separator are
// skipped by the next number.
TEST_F(NodeElementFiles, SeparatorsOfAnyKind) {
  const RunResult result = Run(Crlf(kHead +
                                    "7;12.5\t-3.0 x\n"
                                    "102, 0,  100,0\n"
                                    "103|-1e3|2.5E2|0\n" +
                                    kBetweenBlocks +
                                    "5 204 2 10 11 21 20 0\n"
                                    "9,203, 1, 101, 102, 103, 0\n"
                                    "3,204,7,-1,0,2147483647,-2147483648,0\n"));
  EXPECT_EQ(result.exit_status, 0) << result.standard_error;
  ExpectMeshFiles(kNodeRecords + kNodeClosing,
                  kElementRecords1 + kElementRecords2 + kElementRecords3 + kElementClosing);
}

// What each file holds after a failure in the node or element stage. An
// expected content of nullopt means the file keeps what an earlier run left.
struct MeshFailureCase {
  std::string name;
  std::string mesh;  // LF line ends; written with CR LF
  std::string blocked_output;  // an output name taken by a directory, or empty
  std::optional<std::string> nodes;
  std::optional<std::string> elements;
  std::string message;  // what -v says, after "sheetprep: "
};

void PrintTo(const MeshFailureCase& c, std::ostream* out) { *out << c.name; }

class NodeElementFailure : public NodeElementFiles,
                           public ::testing::WithParamInterface<MeshFailureCase> {};

TEST_P(NodeElementFailure, KeepsTheRecordsWrittenBeforeIt) {
  const MeshFailureCase& c = GetParam();
  for (const auto& name : {kNodes, kElements, "t-prop-data.txt", "t-fixc-data.txt"}) {
    if (name == c.blocked_output) {
      std::filesystem::create_directory(dir_ / name);
    } else {
      dir_.Write(name, std::string("old ") + name);
    }
  }
  const RunResult result = Run(Crlf(c.mesh));
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.standard_error, "sheetprep: " + c.message + "\n");
  EXPECT_EQ(dir_.Read("t-cntl-data.txt"), Crlf(kControlForThreeNodesAndElements));
  auto expected = [](const std::optional<std::string>& records, const std::string& name) {
    return records ? Crlf(*records) : "old " + name;
  };
  if (c.blocked_output != kNodes) {
    EXPECT_EQ(dir_.Read(kNodes), expected(c.nodes, kNodes));
  }
  if (c.blocked_output != kElements) {
    EXPECT_EQ(dir_.Read(kElements), expected(c.elements, kElements));
  }
  EXPECT_EQ(dir_.Read("t-prop-data.txt"), "old t-prop-data.txt");
  EXPECT_EQ(dir_.Read("t-fixc-data.txt"), "old t-fixc-data.txt");
}


INSTANTIATE_TEST_SUITE_P(
    , NodeElementFailure,
    ::testing::Values(
        MeshFailureCase{"NodeFileCannotBeCreated", kMesh, kNodes, std::nullopt, std::nullopt,
                        "t-node-data.txt: cannot open for writing: is a directory"},
        MeshFailureCase{"NoLineBeforeTheNodeBlock", "h\nh\nh\n3,3\n", "", "", std::nullopt,
                        "Model.msh:5:1: expected the line before the node block, found end of "
                        "file"},
        MeshFailureCase{"BlankLineTakenAsTheLineBeforeTheNodeBlock",
                        "h\nh\nh\n3,3\n\nnodes\n" + kNodeLines, "", "", std::nullopt,
                        "Model.msh:6:1: expected the own number of node 1, found \"nodes\""},
        MeshFailureCase{"MeshEndsInsideTheNodeBlock", kHead + "7,12.5,-3.0,0\n102,0,100,0\n", "",
                        "       1 0  1.2500000E-002 -3.0000000E-003  0.0000000E+000\n"
                        "       2 0  0.0000000E+000  1.0000000E-001  0.0000000E+000\n",
                        std::nullopt,
                        "Model.msh:8:1: expected the own number of node 3, found end of file"},
        MeshFailureCase{"NodeWithALetterForY", kHead + "7,12.5,-3.0,0\n102,0,y,0\n", "",
                        "       1 0  1.2500000E-002 -3.0000000E-003  0.0000000E+000\n",
                        std::nullopt,
                        "Model.msh:7:7: expected the y coordinate of node 2, found \"y\""},
        MeshFailureCase{"LastNodeLineCutShort", kHead + kNodeLines.substr(0, kNodeLines.size() - 3),
                        "",
                        "       1 0  1.2500000E-002 -3.0000000E-003  0.0000000E+000\n"
                        "       2 0  0.0000000E+000  1.0000000E-001  0.0000000E+000\n",
                        std::nullopt,
                        "Model.msh:8:15: expected the rest of the line of node 3, found end of "
                        "file"},
        MeshFailureCase{"ElementFileCannotBeCreated", kMesh, kElements, kAllNodes, std::nullopt,
                        "t-felm-data.txt: cannot open for writing: is a directory"},
        MeshFailureCase{"OneLineBeforeTheElementBlock", kHead + kNodeLines + "elements\n", "",
                        kAllNodes, "",
                        "Model.msh:10:1: expected the second of the two lines before the element "
                        "block, found end of file"},
        MeshFailureCase{"BlankLineAfterTheLastNodeTakesAnIgnoredLinesPlace",
                        kHead + kNodeLines + "\n" + kBetweenBlocks + kElementLines, "", kAllNodes,
                        "",
                        "Model.msh:11:1: expected the own number of element 1, found \"elements\""},
        MeshFailureCase{"MeshEndsInsideTheElementBlock",
                        kHead + kNodeLines + kBetweenBlocks + "5,204,2,10,11,21,20,0\n", "",
                        kAllNodes, kElementRecords1,
                        "Model.msh:12:1: expected the own number of element 2, found end of file"},
        MeshFailureCase{"FourNodeElementWithThreeNodes",
                        kHead + kNodeLines + kBetweenBlocks +
                            "5,204,2,10,11,21,20,0\n9,204,1,101,102,103\n",
                        "", kAllNodes, kElementRecords1,
                        "Model.msh:13:1: expected node 4 of element 2, found end of file"},
        MeshFailureCase{"FileEndsRightAfterTheTrailingInteger",
                        kHead + kNodeLines + kBetweenBlocks +
                            "5,204,2,10,11,21,20,0\n9,203,1,101,102,103,0",
                        "", kAllNodes, kElementRecords1 + "       2 203     1\n",
                        "Model.msh:12:22: expected the line end of element 2, found end of file"},
        MeshFailureCase{"TrailingFieldThatIsNoInteger",
                        kHead + kNodeLines + kBetweenBlocks +
                            "5,204,2,10,11,21,20,0\n9,203,1,101,102,103,x\n",
                        "", kAllNodes, kElementRecords1 + "       2 203     1\n",
                        "Model.msh:12:21: expected the last field of element 2, found \"x\""},
        MeshFailureCase{"UnknownElementType",
                        kHead + kNodeLines + kBetweenBlocks +
                            "5,204,2,10,11,21,20,0\n9,205,1,101,102,103,0\n",
                        "", kAllNodes, kElementRecords1,
                        "Model.msh:12:6: element 2 has type 205; only 203 and 204 are known"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace sheet::testing
