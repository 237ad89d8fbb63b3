// Ana.csv as sheetprep reads it: a fixed sequence of field reads, with the
// habits of sheets saved from a spreadsheet.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/fatal_exit.h"
#include "prep/analysis_sheet.h"

namespace sheet {
namespace {

AnalysisSheet Parse(const std::string& text) {
  TextReader reader(std::string_view(text), "Ana.csv");
  AnalysisSheet result;
  ParseAnalysisSheet(reader, result);
  return result;
}

// The failure message of a sheet that must not read.
std::string Failure(const std::string& text) {
  try {
    Parse(text);
  } catch (const RunFailure& failure) {
    return failure.what();
  }
  return "no failure";
}

std::vector<std::pair<int, int>> MaterialList(const AnalysisSheet& parsed) {
  std::vector<std::pair<int, int>> list;
  for (const auto& entry : parsed.material_list) list.emplace_back(entry.material, entry.row);
  return list;
}

TEST(AnalysisSheet, ReadsRowsKindsMagnetsAndCoils) {
  const AnalysisSheet parsed = Parse(
      "Model A,,,\r\n2DIM,,,\r\n3\r\n1,COIL,3,5\r\n2,PMAG,5,3,0.0,1.0,-2.5\r\n3,IRON,2,2\r\n"
      "1\r\n1,1,2.5\r\n");
  EXPECT_EQ(parsed.dimension_keyword, "2DIM");
  EXPECT_TRUE(parsed.IsTwoDimensional());
  ASSERT_EQ(parsed.rows.size(), 3u);
  EXPECT_EQ(parsed.rows[0].kind, "COIL");
  EXPECT_EQ(parsed.rows[1].kind, "PMAG");
  EXPECT_EQ(parsed.rows[2].kind, "IRON");
  EXPECT_EQ(parsed.rows[2].first_material, 2);
  EXPECT_EQ(parsed.coil_row_count, 1);
  ASSERT_EQ(parsed.magnet_directions.size(), 1u);
  EXPECT_EQ(parsed.magnet_directions[0][0], 0.0);
  EXPECT_EQ(parsed.magnet_directions[0][1], 1.0);
  EXPECT_EQ(parsed.magnet_directions[0][2], -2.5);
  ASSERT_EQ(parsed.coil_currents.size(), 1u);
  EXPECT_EQ(parsed.coil_currents[0], 2.5);
  // Material 5 records row 0, the coil row, although it is the first
  // material of row 1.
  EXPECT_EQ(MaterialList(parsed), (std::vector<std::pair<int, int>>{{3, 0}, {5, 0}, {2, 2}}));
}

TEST(AnalysisSheet, DimensionKeywordIsTheFirstFourCharactersOfLineTwo) {
  struct Case {
    std::string line2;
    std::string keyword;
    bool two_dimensional;
  };
  const std::vector<Case> cases = {
      {"2DIM,,,,\n", "2DIM", true},   {"2DIMENSION\n", "2DIM", true},
      {"2dim\n", "2dim", false},      {"2D\n", "2D\n", false},
      {"\n", "\n", false},            {"3DIM\n", "3DIM", false},
      {"2DIM", "2DIM", true},  // no line end at all: the count then follows on... nothing
  };
  for (const Case& c : cases) {
    const std::string text = "title\n" + c.line2 + (c.line2.back() == '\n' ? "" : "\n") + "0\n0\n";
    const AnalysisSheet parsed = Parse(text);
    EXPECT_EQ(parsed.dimension_keyword, c.keyword) << c.line2;
    EXPECT_EQ(parsed.IsTwoDimensional(), c.two_dimensional) << c.line2;
  }
}

TEST(AnalysisSheet, LongTitleLendsItsRemainderToTheKeyword) {
  // 99 characters are taken by the first line read; the second read returns
  // the rest of line 1, and line 2 is then read as the row count.
  const std::string title(99, 'T');
  const AnalysisSheet parsed = Parse(title + "ABCDE\n0\n0\n");
  EXPECT_EQ(parsed.dimension_keyword, "ABCD");
  EXPECT_EQ(parsed.region_row_count, 0);
  // A title of 98 characters plus its line end is one line.
  EXPECT_EQ(Parse(std::string(98, 'T') + "\n2DIM\n0\n0\n").dimension_keyword, "2DIM");
}

TEST(AnalysisSheet, KindTextsAreKeptExactly) {
  const AnalysisSheet parsed = Parse(
      "t\n2DIM\n6\n1,coil,1,1\n2,Coil,1,1\n3,COIL ,1,1\n4,,7,8\n5,\"PM\",1,1\n6,COILS,1,1\n0\n");
  ASSERT_EQ(parsed.rows.size(), 6u);
  EXPECT_EQ(parsed.rows[2].kind, "COIL ");
  EXPECT_EQ(parsed.rows[3].kind, "");
  EXPECT_EQ(parsed.rows[4].kind, "\"PM\"");
  EXPECT_EQ(parsed.rows[5].kind, "COILS");
  EXPECT_EQ(parsed.coil_row_count, 0) << "none of these is a coil";
  EXPECT_EQ(MaterialList(parsed), (std::vector<std::pair<int, int>>{{1, 0}, {7, 3}, {8, 3}}));
}

TEST(AnalysisSheet, MaterialNumbersOfAnyValueEnterTheListOnce) {
  const AnalysisSheet parsed = Parse("t\nx\n4\n2,IRON,7,7\n9,AIR,0,-3\n9,AIR,-3,7\n1,X,5,0\n0\n");
  EXPECT_EQ(MaterialList(parsed), (std::vector<std::pair<int, int>>{{7, 0}, {0, 1}, {-3, 1}, {5, 3}}));
}

TEST(AnalysisSheet, DeclaredCoilCountIsIgnored) {
  for (const std::string declared : {"0", "2", "5"}) {
    const AnalysisSheet parsed = Parse("t\nx\n3\n1,COIL,1,1\n2,IRON,2,2\n3,COIL,1,1\n" + declared +
                                       "\n1,1,2.5\n2,1,-1.5\n3,1,99\n");
    EXPECT_EQ(parsed.coil_currents, (std::vector<double>{2.5, -1.5})) << declared;
  }
  // With no "COIL" row, nothing after the declared count is read.
  EXPECT_EQ(Parse("t\nx\n1\n1,IRON,1,1\n7,,,junk").coil_currents.size(), 0u);
}

TEST(AnalysisSheet, BlankLinesAndBlanksBeforeNumbersAreSkipped) {
  const AnalysisSheet parsed = Parse("t\nx\n  2\n\n\n1,A,  4,\t5\n\r\n2,B,6,6\n\n1\n");
  ASSERT_EQ(parsed.rows.size(), 2u);
  EXPECT_EQ(parsed.rows[0].first_material, 4);
  EXPECT_EQ(parsed.rows[0].second_material, 5);
}

TEST(AnalysisSheet, ZeroOrNegativeRowCountReadsNoRow) {
  for (const std::string count : {"0", "-4"}) {
    const AnalysisSheet parsed = Parse("t\nx\n" + count + "\n0\n");
    EXPECT_TRUE(parsed.rows.empty());
    EXPECT_TRUE(parsed.material_list.empty());
  }
}

TEST(AnalysisSheet, ExtraFieldsOnAnOrdinaryRowStartTheNextRow) {
  // "3,IRON,2,2,9,X,1,1": after the second material number, ',' is its
  // separator and "9,X,1,1" reads as the next row.
  const AnalysisSheet parsed = Parse("t\nx\n2\n3,IRON,2,2,9,X,1,1\n0\n");
  ASSERT_EQ(parsed.rows.size(), 2u);
  EXPECT_EQ(parsed.rows[1].kind, "X");
}

TEST(AnalysisSheet, FailuresNameTheLineColumnAndWhatWasExpected) {
  struct Case {
    std::string text;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"", "Ana.csv:1:1: expected the title line, found end of file"},
      {"title only\n", "Ana.csv:2:1: expected the dimension line, found end of file"},
      {"t\n2DIM\nsix\n", "Ana.csv:3:1: expected the number of region rows, found \"six\""},
      // Trailing commas after the row count are read where the region number belongs.
      {"t\n2DIM\n1,,,\n1,IRON,1,1\n0\n",
       "Ana.csv:3:2: expected the region number of region row 1, found \",\""},
      // A blank before the separator is itself the separator: the kind is empty
      // and COIL stands where the first material number belongs.
      {"t\n2DIM\n1\n1 ,COIL,3,4\n0\n",
       "Ana.csv:4:4: expected the first material number of region row 1, found \"COIL\""},
      {"t\n2DIM\n1\n1,IRON", "Ana.csv:4:7: expected the ',' that ends the kind of region row 1, found end of file"},
      {"t\n2DIM\n1\n1,IRON,1,1", "Ana.csv:4:11: expected the separator after the second material number of region row 1, found end of file"},
      {"t\n2DIM\n1\n1,PMAG,1,1,0.0,x,0\n0\n",
       "Ana.csv:4:16: expected the second magnet value of region row 1, found \"x\""},
      {"t\n2DIM\n1\n1,PMAG,1,1,0.0,1.0,0", "Ana.csv:4:21: expected the separator after a magnet value of region row 1, found end of file"},
      {"t\n2DIM\n0\n", "Ana.csv:4:1: expected the number of coil entries, found end of file"},
      {"t\n2DIM\n2\n1,COIL,1,1\n2,COIL,1,1\n2\n1,1,2.5\n",
       "Ana.csv:8:1: expected the first number of coil entry 2, found end of file"},
      {"t\n2DIM\n1\n1,COIL,1,1\n1\n1,1,\n", "Ana.csv:7:1: expected the current of coil entry 1, found end of file"},
      {"t\n2DIM\n99999999999\n", "Ana.csv:3:1: expected the number of region rows, found \"99999999999\" (out of range)"},
  };
  for (const Case& c : cases) EXPECT_EQ(Failure(c.text), c.message) << c.text;
}

}  // namespace
}  // namespace sheet
