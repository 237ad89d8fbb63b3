// Stage 2: the five small solver files whose content is fixed, apart from
// the dimension flag of t-dimension-data.txt.
#pragma once

#include "prep/run_state.h"

namespace sheet {

// Writes t-dimension-data.txt, ch-curr-data.txt, g-belm-data.txt,
// g-celm-data.txt and t-lcs-data.txt, each opened, written and closed before
// the next.
void WriteFixedSolverFiles(const AnalysisSheet& sheet);

}  // namespace sheet
