// Stages 5 and 6: the rest of the first pass over Model.msh. The node block
// becomes t-node-data.txt and the element block t-felm-data.txt, record by
// record as the mesh is read; nothing of the mesh is kept but the bounding box
// of the nodes, whose centre the fixed point stage needs.
#pragma once

#include "common/line_buffer.h"
#include "prep/control_data.h"
#include "prep/run_state.h"

namespace sheet {

inline constexpr const char* kNodeDataName = "t-node-data.txt";
inline constexpr const char* kElementDataName = "t-felm-data.txt";

// Continues the mesh that WriteControlData opened, closes it (before closing
// t-felm-data.txt) and returns the centre of the nodes' bounding box in the
// mesh's own unit. With no node the centre is 0, 0 and means nothing.
ModelCentre WriteNodeAndElementFiles(OpenMesh& mesh, LineBuffer& line);

}  // namespace sheet
