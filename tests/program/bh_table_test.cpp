// sheetprep stage 3: bh-table-data.txt from Prop.csv, one block per material
// of the analysis sheet. These runs have no Model.msh, so the exit status is
// only checked where Prop.csv itself fails the run.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "tests/support/test_dir.h"

namespace sheet::testing {
namespace {

constexpr const char* kBhTable = "bh-table-data.txt";
const std::string kEndRecord = "         0        0        0        0\n";

// An analysis sheet with the given region rows and no coil entries.
std::string AnalysisSheetWith(int row_count, const std::string& rows) {
  return Crlf("Model\n2DIM\n" + std::to_string(row_count) + "\n" + rows + "0\n");
}

// The header record of a block: "%10d%9d%9d%9d" with m, 2, the magnet flag, 1.
std::string Header(const std::string& material, int magnet_flag) {
  return std::string(10 - material.size(), ' ') + material + "        2        " +
         std::to_string(magnet_flag) + "        1\n";
}

std::string EmptyBlock(const std::string& material, int magnet_flag = 0) {
  return Header(material, magnet_flag) + kEndRecord;
}

class BhTable : public ::testing::Test {
 protected:
  RunResult Run() { return RunIn(dir_.path(), SHEETPREP_PATH, {"-v"}); }

  TempDir dir_;
};

TEST_F(BhTable, EmptyMaterialListNeedsNoMaterialSheet) {
  dir_.Write("Ana.csv", AnalysisSheetWith(0, ""));
  const RunResult result = Run();
  EXPECT_EQ(dir_.Read(kBhTable), Crlf(kEndRecord));
  EXPECT_FALSE(dir_.Exists("Prop.csv"));
  EXPECT_EQ(result.standard_error.find("Prop.csv"), std::string::npos) << result.standard_error;
}

// Every reading rule at once: the material's kind comes from the row that
// named it first; rows of other materials are skipped by n + 1 line reads
// (none for a negative count); names of any length, and empty names and
// fourth fields, are skipped up to their comma; point indices are renumbered from 1;
// a "HYST" material's point lines may carry further fields; only the first
// row of a material is used; rows beyond the declared count are never read.
TEST_F(BhTable, WritesOneBlockPerMaterialInListOrder) {
  dir_.Write("Ana.csv", AnalysisSheetWith(4,
                                          "1,IRON,4,-3\n"
                                          "2,PMAG,9,4,0.0,1.0,0\n"
                                          "3,HYST,6,-3\n"
                                          "4,,8,8\n"));
  const std::string long_name(150, 'x');
  dir_.Write("Prop.csv", Crlf("8\n"
                              "11,Air,2,none,\n"
                              "1,0,0\n"
                              "2,1,1\n"
                              "12,Nothing,-2\n"
                              "4," + long_name + ",3,none,extra,,\n"
                              "5,0,0\n"
                              "7,100,0.5\n"
                              "9,1000,1.2\n"
                              "13,No points,0,z,\n"
                              "-3,,1,x,\n"
                              "1,-2.5,-0.25\n"
                              "9,Magnet,2,,\n"
                              "1,0,0\n"
                              "2,-100,12000\n"
                              "4,Second steel row,1,y,\n"
                              "1,99,99\n"
                              "6,Hyst,2,h,\n"
                              "1,0,0,5,6\n"
                              "2,10,20,7,8\n"
                              "8,Beyond the count,1,z,\n"
                              "1,1,1\n"));
  Run();
  EXPECT_EQ(dir_.Read(kBhTable),
            Crlf(Header("4", 0) +
                 "        1  0.00000E+000  0.00000E+000  0.00000E+000\n"
                 "        2  1.00000E+002  5.00000E-001  0.00000E+000\n"
                 "        3  1.00000E+003  1.20000E+000  0.00000E+000\n" +
                 kEndRecord + Header("-3", 0) +
                 "        1 -2.50000E+000 -2.50000E-001  0.00000E+000\n" +
                 kEndRecord + Header("9", 1) +
                 "        1  0.00000E+000  0.00000E+000  0.00000E+000\n"
                 "        2 -1.00000E+002  1.20000E+004  0.00000E+000\n" +
                 kEndRecord + Header("6", 0) +
                 "        1  0.00000E+000  0.00000E+000  0.00000E+000\n"
                 "        2  1.00000E+001  2.00000E+001  0.00000E+000\n" +
                 kEndRecord + EmptyBlock("8") + kEndRecord));
}

// The fourth field is skipped character by character, so only what follows
// its comma counts against the 99 characters of a line read.
TEST_F(BhTable, FourthFieldOfTheUsedRowMayBeLong) {
  dir_.Write("Ana.csv", AnalysisSheetWith(1, "1,IRON,4,4\n"));
  dir_.Write("Prop.csv", Crlf("1\n4,Steel,1," + std::string(150, 'x') + ",rest\n1,2,3\n"));
  Run();
  EXPECT_EQ(dir_.Read(kBhTable),
            Crlf(Header("4", 0) + "        1  2.00000E+000  3.00000E+000  0.00000E+000\n" +
                 kEndRecord + kEndRecord));
}

TEST_F(BhTable, RowCountOfZeroOrLessReadsNoRow) {
  for (const char* count : {"0", "-4"}) {
    SCOPED_TRACE(count);
    dir_.Write("Ana.csv", AnalysisSheetWith(1, "1,PMAG,4,5,0,1,0\n"));
    dir_.Write("Prop.csv", Crlf(std::string(count) + "\n4,Steel,1,x,\n1,0,12000\n"));
    Run();
    EXPECT_EQ(dir_.Read(kBhTable), Crlf(EmptyBlock("4", 1) + EmptyBlock("5", 1) + kEndRecord));
  }
}

TEST_F(BhTable, MagnetWithoutPointsStillGetsItsFlag) {
  dir_.Write("Ana.csv", AnalysisSheetWith(1, "1,PMAG,4,4,0,1,0\n"));
  dir_.Write("Prop.csv", Crlf("1\n4,Magnet,0,x,\n"));
  Run();
  EXPECT_EQ(dir_.Read(kBhTable), Crlf(EmptyBlock("4", 1) + kEndRecord));
}

// The last point line at the very end of the file, with no line end: a
// "HYST" material reads the rest of the line with a line read whose failure
// is ignored; any other material needs one more character.
TEST_F(BhTable, HysteresisPointMayEndTheFile) {
  dir_.Write("Ana.csv", AnalysisSheetWith(1, "1,HYST,4,4\n"));
  dir_.Write("Prop.csv", Crlf("1\n4,Hyst,2,h,\n1,0,0,5,6\n") + "2,10,20");
  const RunResult result = Run();
  EXPECT_EQ(dir_.Read(kBhTable),
            Crlf(Header("4", 0) +
                 "        1  0.00000E+000  0.00000E+000  0.00000E+000\n"
                 "        2  1.00000E+001  2.00000E+001  0.00000E+000\n" +
                 kEndRecord + kEndRecord));
  EXPECT_EQ(result.standard_error.find("Prop.csv"), std::string::npos) << result.standard_error;
}

struct FailureCase {
  const char* name;
  int row_count;
  const char* region_rows;
  std::string material_sheet;  // written as it stands
  std::string bh_table;        // before Crlf
  const char* reason;          // the line that -v prints
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class BhTableFailure : public BhTable, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(BhTableFailure, EndsTheRunKeepingTheRecordsWritten) {
  const FailureCase& c = GetParam();
  dir_.Write("Ana.csv", AnalysisSheetWith(c.row_count, c.region_rows));
  dir_.Write("Prop.csv", c.material_sheet);
  dir_.Write("t-cntl-data.txt", "from an earlier run");
  const RunResult result = Run();
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.standard_error, std::string("sheetprep: ") + c.reason + "\n");
  EXPECT_EQ(dir_.Read(kBhTable), Crlf(c.bh_table));
  EXPECT_EQ(dir_.Read("t-cntl-data.txt"), "from an earlier run");
}

INSTANTIATE_TEST_SUITE_P(
    , BhTableFailure,
    ::testing::Values(
        FailureCase{"NonHysteresisPointEndsTheFile", 1, "1,IRON,4,4\n",
                    Crlf("1\n4,Steel,2,n,\n1,0,0\n") + "2,10,20",
                    Header("4", 0) + "        1  0.00000E+000  0.00000E+000  0.00000E+000\n",
                    "Prop.csv:4:8: expected the line end after the second value of material 4 "
                    "(point 2 of 2), found end of file"},
        FailureCase{"UsedRowHasFewerPointsThanItsCount", 2, "1,IRON,3,3\n2,IRON,4,4\n",
                    Crlf("3\n"
                         "7,Other,4,o,\n1,0,0\n2,1,1\n3,2,2\n4,3,3\n"
                         "3,Third,1,t,\n1,5,5\n"
                         "4,Steel,5,s,\n1,0,0\n2,100,0.5\n"),
                    Header("3", 0) +
                        "        1  5.00000E+000  5.00000E+000  0.00000E+000\n" + kEndRecord +
                        Header("4", 0) +
                        "        1  0.00000E+000  0.00000E+000  0.00000E+000\n"
                        "        2  1.00000E+002  5.00000E-001  0.00000E+000\n",
                    "Prop.csv:12:1: expected the point index of material 4 (point 3 of 5), found "
                    "end of file"},
        FailureCase{"SheetHoldsFewerRowsThanItsCount", 1, "1,IRON,4,4\n",
                    Crlf("3\n7,Other,1,o,\n1,0,0\n"), Header("4", 0),
                    "Prop.csv:4:1: expected the material number of material row 2 of 3, found end "
                    "of file"},
        // 2147483647 points ask for 2147483648 line reads: no overflow to a
        // negative count that would read nothing.
        FailureCase{"SkippedRowCountsLineReadsWithoutOverflow", 1, "1,IRON,4,4\n",
                    Crlf("2\n7,Other,2147483647,o,\n1,0,0\n4,Steel,1,s,\n1,0,0\n"),
                    Header("4", 0),
                    "Prop.csv:6:1: expected point line 4 of 2147483647 of material row 1 "
                    "(material 7), found end of file"},
        // A negative point count makes no line read, so the rest of the
        // head line is read where the next row's material number should be.
        FailureCase{"SkippedRowWithNegativePointCount", 1, "1,IRON,4,4\n",
                    Crlf("2\n12,Nothing,-1,x,\n4,Steel,1,s,\n1,0,0\n"), Header("4", 0),
                    "Prop.csv:2:14: expected the material number of material row 2 of 2, found "
                    "\",x\""},
        FailureCase{"RowCountLineWithTrailingCommas", 1, "1,IRON,4,4\n",
                    Crlf("1,,,\n4,Steel,1,s,\n1,0,0\n"), Header("4", 0),
                    "Prop.csv:1:2: expected the material number of material row 1 of 1, found "
                    "\",\""},
        FailureCase{"FileEndsInTheFourthField", 1, "1,IRON,4,4\n", "1\r\n4,Steel,1,last",
                    Header("4", 0),
                    "Prop.csv:2:15: expected the ',' that ends the fourth field of material 4, "
                    "found end of file"},
        FailureCase{"MaterialSheetIsNotANumber", 1, "1,IRON,4,4\n", Crlf("rows\n"), "",
                    "Prop.csv:1:1: expected the number of material rows, found \"rows\""}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST_F(BhTable, MissingMaterialSheetLeavesAnEmptyTableAfterCompleteFixedFiles) {
  dir_.Write("Ana.csv", AnalysisSheetWith(1, "1,IRON,4,4\n"));
  dir_.Write("t-cntl-data.txt", "from an earlier run");
  const RunResult result = Run();
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.standard_error.rfind("sheetprep: Prop.csv: ", 0), 0u) << result.standard_error;
  EXPECT_EQ(dir_.Read(kBhTable), "");
  EXPECT_EQ(dir_.Read("t-dimension-data.txt"), Crlf("0\n"));
  EXPECT_EQ(dir_.Read("ch-curr-data.txt"), Crlf("         0        0        0        0        0\n"));
  EXPECT_EQ(dir_.Read("g-belm-data.txt"), Crlf("0 0 0\n"));
  EXPECT_EQ(dir_.Read("g-celm-data.txt"), Crlf("0 0 0\n"));
  EXPECT_EQ(dir_.Read("t-lcs-data.txt"),
            Crlf("1 1 0\n0.0 0.0 0.0\n0.0 0.0 1.0\n1.0 0.0 0.0\n0 0 0\n"));
  EXPECT_EQ(dir_.Read("t-cntl-data.txt"), "from an earlier run");
}

}  // namespace
}  // namespace sheet::testing
