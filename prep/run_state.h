// The run state of sheetprep: what one stage leaves for a later one. It is
// created empty at program start and owned by the driver until the end.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace sheet {

// Region kinds with a meaning; any other text is an ordinary region.
inline constexpr std::string_view kCoilKind = "COIL";
inline constexpr std::string_view kMagnetKind = "PMAG";
inline constexpr std::string_view kHysteresisKind = "HYST";
inline constexpr std::string_view kTwoDimensionalKeyword = "2DIM";

struct RegionRow {
  std::string kind;  // stored whole and compared whole: "COILS" is not "COIL"
  std::int32_t first_material = 0;
  std::int32_t second_material = 0;
};

struct MaterialListEntry {
  std::int32_t material = 0;
  std::int32_t row = 0;  // the region row (from 0) that named it first
};

// The content of Ana.csv. The tables grow with the rows actually read.
struct AnalysisSheet {
  std::string dimension_keyword;  // the first four characters of line 2
  std::int32_t region_row_count = 0;
  std::vector<RegionRow> rows;
  std::vector<MaterialListEntry> material_list;
  std::unordered_map<std::int32_t, std::size_t> material_index;  // number -> list entry
  std::int64_t coil_row_count = 0;
  std::vector<std::array<double, 3>> magnet_directions;  // per "PMAG" row, in row order
  std::vector<double> coil_currents;                      // per "COIL" row, in row order

  bool IsTwoDimensional() const { return dimension_keyword == kTwoDimensionalKeyword; }
};

// What the B-H stage leaves for the control data and property table stages.
struct MaterialProperty {
  bool set = false;  // the material's row was found in Prop.csv
  double property_value = 0.0;
  double material = 0.0;
};

struct MagnetEntry {
  double magnet_value = 0.0;
  double material = 0.0;
};

struct MaterialState {
  std::int32_t property_row_count = 0;
  std::vector<MaterialProperty> material_properties;  // indexed like the MaterialList
  std::vector<MagnetEntry> magnets;                   // MagnetCount is magnets.size()
  double last_point_value = 0.0;                      // not reset between materials
};

// The centre of the nodes' bounding box, in the mesh's own length unit.
struct ModelCentre {
  double x = 0.0;
  double y = 0.0;
};

}  // namespace sheet
