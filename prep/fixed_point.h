// Stage 8: the second pass over Model.msh. Picks the node farthest from the
// model centre (FixedNode) and writes t-fixc-data.txt.
#pragma once

#include "prep/run_state.h"

namespace sheet {

void WriteFixedPointData(const AnalysisSheet& sheet, ModelCentre centre);

}  // namespace sheet
