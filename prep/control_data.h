// Stage 4: t-cntl-data.txt, the solver's control file, and the start of the
// first pass over Model.msh. Two of the control records need the mesh's node
// and element counts, so this stage opens Model.msh, reads its header and
// counts line, and hands the open mesh on to the node and element stage.
#pragma once

#include <cstdint>
#include <memory>

#include "common/line_buffer.h"
#include "common/mesh_reader.h"
#include "common/text_reader.h"
#include "prep/run_state.h"

namespace sheet {

inline constexpr const char* kControlDataName = "t-cntl-data.txt";

// Model.msh, open and positioned at the start of the line before the node
// block, with the counts read from it.
struct OpenMesh {
  std::unique_ptr<TextReader> reader;
  MeshCounts counts;
};

// Opens t-cntl-data.txt, then Model.msh; writes record 1 between the header
// and the counts line, the other eleven after the counts line, and closes
// t-cntl-data.txt. A control value derived from the counts that does not fit
// in 32 bits ends the run with record 1 written.
OpenMesh WriteControlData(const AnalysisSheet& sheet, std::int32_t property_row_count,
                          LineBuffer& line);

}  // namespace sheet
