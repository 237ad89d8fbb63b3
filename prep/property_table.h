// Stage 7: t-prop-data.txt, five records per region row and a closing
// record, written from memory.
#pragma once

#include "prep/run_state.h"

namespace sheet {

void WritePropertyTable(const AnalysisSheet& sheet, const MaterialState& materials);

}  // namespace sheet
