// Stage 3: bh-table-data.txt, one block per MaterialList entry, each from a
// fresh scan of Prop.csv; it leaves the material and magnet tables for the
// control data and property table stages.
#pragma once

#include "prep/run_state.h"

namespace sheet {

inline constexpr const char* kMaterialSheetName = "Prop.csv";
inline constexpr const char* kBhTableName = "bh-table-data.txt";

// Writes bh-table-data.txt, opening, reading and closing Prop.csv once per
// MaterialList entry (never when the list is empty). Sets the row count read
// at the last opening, one MaterialPropertyTable entry per MaterialList entry
// (set only where the material's row was found), the MagnetTable and the last
// point value, which carries over from material to material. FatalExit on
// any failure.
void WriteBhTable(const AnalysisSheet& sheet, MaterialState& state);

}  // namespace sheet
