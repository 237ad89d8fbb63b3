// Stage 1: Ana.csv, read whole into the AnalysisSheet before any output is
// opened.
#pragma once

#include "common/text_reader.h"
#include "prep/run_state.h"

namespace sheet {

inline constexpr const char* kAnalysisSheetName = "Ana.csv";

// Opens Ana.csv, reads it and closes it; FatalExit on any failure.
void ReadAnalysisSheet(AnalysisSheet& sheet);
// The reads themselves, on any text source.
void ParseAnalysisSheet(TextReader& ana, AnalysisSheet& sheet);

}  // namespace sheet
