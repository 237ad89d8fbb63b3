// What the B-H stage hands on: the row count of the last opening of
// Prop.csv, the MaterialPropertyTable (one entry per MaterialList entry), the
// MagnetTable and the last point value, which carries over from material to
// material.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "prep/bh_table.h"
#include "tests/support/test_dir.h"

namespace sheet {
namespace {

using testing::Crlf;
using testing::TempDir;

// Runs the stage with `directory` as the working directory.
class WorkingIn {
 public:
  explicit WorkingIn(const std::string& directory) : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(directory);
  }
  ~WorkingIn() { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};

// One region row per material, each naming its material first.
AnalysisSheet SheetOf(const std::vector<std::pair<std::int32_t, std::string>>& materials) {
  AnalysisSheet sheet;
  for (const auto& [material, kind] : materials) {
    const auto row = static_cast<std::int32_t>(sheet.rows.size());
    sheet.rows.push_back({kind, material, material});
    sheet.material_list.push_back({material, row});
  }
  sheet.region_row_count = static_cast<std::int32_t>(sheet.rows.size());
  return sheet;
}

MaterialState RunStage(const TempDir& dir, const AnalysisSheet& sheet) {
  MaterialState state;
  WorkingIn working_in(dir.path());
  WriteBhTable(sheet, state);
  return state;
}

void ExpectProperty(const MaterialProperty& property, double material) {
  EXPECT_TRUE(property.set);
  EXPECT_EQ(property.property_value, 0.0);
  EXPECT_EQ(property.material, material);
}

TEST(BhTableState, EmptyMaterialListNeverOpensTheMaterialSheet) {
  TempDir dir;
  dir.Write("Prop.csv", Crlf("5\n"));
  const MaterialState state = RunStage(dir, SheetOf({}));
  EXPECT_EQ(state.property_row_count, 0);
  EXPECT_TRUE(state.material_properties.empty());
  EXPECT_TRUE(state.magnets.empty());
  EXPECT_EQ(state.last_point_value, 0.0);
}

TEST(BhTableState, TablesFollowTheMaterialList) {
  TempDir dir;
  dir.Write("Prop.csv", Crlf("3\n"
                             "4,Steel,2,s,\n1,0,0\n2,100,5000\n"
                             "9,Magnet,1,m,\n1,-100,12000\n"
                             "-3,Hyst,2,h,\n1,0,0,5,6\n2,10,20,7,8\n"
                             "8,Beyond the count,1,b,\n1,1,1\n"));
  const MaterialState state = RunStage(dir, SheetOf({{4, "IRON"},
                                                     {7, "PMAG"},
                                                     {9, "PMAG"},
                                                     {-3, "HYST"},
                                                     {8, ""}}));
  EXPECT_EQ(state.property_row_count, 3);
  ASSERT_EQ(state.material_properties.size(), 5u);
  ExpectProperty(state.material_properties[0], 4.0);
  EXPECT_FALSE(state.material_properties[1].set);  // no row in the sheet
  ExpectProperty(state.material_properties[2], 9.0);
  ExpectProperty(state.material_properties[3], -3.0);
  EXPECT_FALSE(state.material_properties[4].set);  // its row lies beyond the count
  ASSERT_EQ(state.magnets.size(), 1u);             // material 7 has no row, so no entry
  EXPECT_DOUBLE_EQ(state.magnets[0].magnet_value, 1.2);
  EXPECT_EQ(state.magnets[0].material, 9.0);
  EXPECT_EQ(state.last_point_value, 20.0);  // material 8, found nowhere, changes nothing
}

// A magnet with no points takes the last point value as it stands: that of an
// earlier material, across materials without a row, or 0.0 before any point.
TEST(BhTableState, MagnetWithoutPointsTakesTheCarriedLastPointValue) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::int32_t, std::string>> materials;
    double magnet_value;
  };
  const Case cases[] = {
      {"after a material with points", {{4, "IRON"}, {7, "IRON"}, {9, "PMAG"}}, 0.5},
      {"before any point", {{9, "PMAG"}, {4, "IRON"}}, 0.0},
  };
  TempDir dir;
  dir.Write("Prop.csv", Crlf("2\n4,Steel,1,s,\n1,0,5000\n9,Magnet,0,m,\n"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const MaterialState state = RunStage(dir, SheetOf(c.materials));
    ASSERT_EQ(state.magnets.size(), 1u);
    EXPECT_DOUBLE_EQ(state.magnets[0].magnet_value, c.magnet_value);
    EXPECT_EQ(state.magnets[0].material, 9.0);
    EXPECT_EQ(state.last_point_value, 5000.0);
  }
}

TEST(BhTableState, RowCountOfZeroOrLessSetsNoEntry) {
  TempDir dir;
  dir.Write("Prop.csv", Crlf("-2\n9,Magnet,1,m,\n1,0,12000\n"));
  const MaterialState state = RunStage(dir, SheetOf({{9, "PMAG"}, {4, "IRON"}}));
  EXPECT_EQ(state.property_row_count, -2);
  ASSERT_EQ(state.material_properties.size(), 2u);
  EXPECT_FALSE(state.material_properties[0].set);
  EXPECT_FALSE(state.material_properties[1].set);
  EXPECT_TRUE(state.magnets.empty());
  EXPECT_EQ(state.last_point_value, 0.0);
}

}  // namespace
}  // namespace sheet
