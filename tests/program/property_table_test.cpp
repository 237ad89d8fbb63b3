// t-prop-data.txt: five records per region row, written from the analysis
// sheet and the tables the B-H stage left behind.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_dir.h"

namespace sheet::testing {
namespace {

const std::string kOneNodeMesh = "h1\r\nh2\r\nh3\r\n0,1\r\nNodes\r\n1,0.0,0.0,0\r\nEnd\r\nElements\r\n";
const std::string kZeroRow =
    "         0  0.00000E+000  0.00000E+000  0.00000E+000  0.00000E+000  0.00000E+000\r\n";
const std::string kZeroProperty = "  0.00000E+000  0.00000E+000  0.00000E+000  0.00000E+000\r\n";
const std::string kClosing = "         0        0        0        0        0        0\r\n";

std::string Region(const std::string& position, const std::string& material) {
  return std::string(10 - position.size(), ' ') + position + std::string(9 - material.size(), ' ') +
         material + "        0        0        0        0\r\n";
}

struct Model {
  std::string ana;
  std::string prop;
};

TempDir RunModel(const Model& model, int expected_status = 0) {
  TempDir dir;
  dir.Write("Ana.csv", model.ana);
  if (!model.prop.empty()) dir.Write("Prop.csv", model.prop);
  dir.Write("Model.msh", kOneNodeMesh);
  const RunResult run = RunIn(dir.path(), SHEETPREP_PATH, {"-v"});
  EXPECT_EQ(run.exit_status, expected_status) << run.standard_error;
  return dir;
}

TEST(PropertyTable, NoRegionRowsGiveTheClosingRecordOnly) {
  for (const std::string count : {"0", "-3"}) {
    TempDir dir = RunModel({"t\r\n2DIM\r\n" + count + "\r\n0\r\n", ""});
    EXPECT_EQ(dir.Read("t-prop-data.txt"), kClosing) << count;
  }
}

TEST(PropertyTable, OrdinaryRowWithItsMaterialFound) {
  TempDir dir = RunModel({"t\r\n2DIM\r\n1\r\n3,IRON,2,2\r\n0\r\n", "1\r\n2,Steel,1,x,\r\n1,0,0\r\n"});
  EXPECT_EQ(dir.Read("t-prop-data.txt"),
            Region("1", "2") + kZeroProperty + kZeroRow + kZeroRow + kZeroRow + kClosing);
}

TEST(PropertyTable, MagnetRecordCarriesDirectionAndMagnetValue) {
  // Material 4 is a magnet material: its last point 12000 gives 1.2.
  TempDir dir = RunModel({"t\r\n2DIM\r\n1\r\n5,PMAG,4,4,0.0,1.0,0\r\n0\r\n",
                          "1\r\n4,Ferrite,2,m,\r\n1,0,0\r\n2,-900,12000\r\n"});
  EXPECT_EQ(dir.Read("t-prop-data.txt"),
            Region("1", "4") + kZeroProperty +
                "         0  0.00000E+000  1.00000E+000  0.00000E+000  1.20000E+000  0.00000E+000\r\n" +
                kZeroRow + kZeroRow + kClosing);
}

TEST(PropertyTable, SecondMagnetAndCoilRowsUseTheSecondEntries) {
  const std::string ana =
      "t\r\n2DIM\r\n5\r\n"
      "1,PMAG,4,4,0.1,0.2,1.0\r\n"
      "2,COIL,3,3\r\n"
      "3,IRON,2,2\r\n"
      "4,PMAG,6,6,-0.5,0.25,0.999\r\n"
      "5,COIL,3,3\r\n"
      "2\r\n1,1,2.5\r\n2,1,-7.75\r\n";
  const std::string prop = "2\r\n4,A,1,m,\r\n1,0,10000\r\n6,B,1,m,\r\n1,0,-5000\r\n";
  TempDir dir = RunModel({ana, prop});
  const std::string expected =
      Region("1", "4") + kZeroProperty +
      "         1  1.00000E-001  2.00000E-001  0.00000E+000  1.00000E+000  0.00000E+000\r\n" + kZeroRow +
      kZeroRow +  //
      Region("2", "3") + kZeroProperty + kZeroRow + kZeroRow +
      "         0  0.00000E+000  0.00000E+000  0.00000E+000  2.50000E+000  0.00000E+000\r\n" +
      Region("3", "2") + kZeroProperty + kZeroRow + kZeroRow + kZeroRow +  //
      Region("4", "6") + kZeroProperty +
      "         0 -5.00000E-001  2.50000E-001  0.00000E+000 -5.00000E-001  0.00000E+000\r\n" + kZeroRow +
      kZeroRow +  //
      Region("5", "3") + kZeroProperty + kZeroRow + kZeroRow +
      "         0  0.00000E+000  0.00000E+000  0.00000E+000 -7.75000E+000  0.00000E+000\r\n" + kClosing;
  EXPECT_EQ(dir.Read("t-prop-data.txt"), expected);
}

// Material 4 is first named on a "COIL" row, so the B-H stage keeps no
// magnet value for it: a "PMAG" row of material 4 gets 0.0, never the value
// of another material.
TEST(PropertyTable, MagnetRowWithoutMagnetEntryGetsZero) {
  const std::string ana =
      "t\r\n2DIM\r\n3\r\n1,PMAG,7,7,0,1,0\r\n2,COIL,4,4\r\n3,PMAG,4,4,1,0,-2.9\r\n1\r\n1,1,1.5\r\n";
  const std::string prop = "2\r\n7,M,1,m,\r\n1,0,8000\r\n4,C,1,c,\r\n1,0,3000\r\n";
  TempDir dir = RunModel({ana, prop});
  const std::string content = dir.Read("t-prop-data.txt");
  EXPECT_NE(content.find("         0  0.00000E+000  1.00000E+000  0.00000E+000  8.00000E-001  0.00000E+000\r\n"),
            std::string::npos);
  EXPECT_NE(content.find("        -2  1.00000E+000  0.00000E+000  0.00000E+000  0.00000E+000  0.00000E+000\r\n"),
            std::string::npos)
      << content;
}

TEST(PropertyTable, RowWhoseMaterialHasNoSheetRowGetsZeroProperty) {
  TempDir dir = RunModel({"t\r\n2DIM\r\n2\r\n1,IRON,2,2\r\n2,AIR,9,9\r\n0\r\n",
                          "1\r\n2,Steel,1,x,\r\n1,0,0\r\n"});
  EXPECT_EQ(dir.Read("t-prop-data.txt"), Region("1", "2") + kZeroProperty + kZeroRow + kZeroRow +
                                             kZeroRow + Region("2", "9") + kZeroProperty + kZeroRow +
                                             kZeroRow + kZeroRow + kClosing);
}

// A third magnet value beyond the 32-bit range cannot be written as the
// record's integer: the run fails there, keeping the records before it.
TEST(PropertyTable, MagnetAxisBeyondThirtyTwoBitsFails) {
  for (const std::string value : {"1e10", "-3e9"}) {
    TempDir dir;
    dir.Write("Ana.csv", "t\r\n2DIM\r\n2\r\n1,IRON,2,2\r\n2,PMAG,4,4,0,1," + value + "\r\n0\r\n");
    dir.Write("Prop.csv", "1\r\n2,Steel,1,x,\r\n1,0,0\r\n");
    dir.Write("Model.msh", kOneNodeMesh);
    dir.Write("t-fixc-data.txt", "old");
    const RunResult run = RunIn(dir.path(), SHEETPREP_PATH, {"-v"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.standard_error,
              "sheetprep: Ana.csv: the third magnet value of region row 2 does not fit a 32-bit integer\n");
    EXPECT_EQ(dir.Read("t-prop-data.txt"),
              Region("1", "2") + kZeroProperty + kZeroRow + kZeroRow + kZeroRow + Region("2", "4") +
                  kZeroProperty);
    EXPECT_EQ(dir.Read("t-fixc-data.txt"), "old");
  }
}

}  // namespace
}  // namespace sheet::testing
