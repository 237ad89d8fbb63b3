#include "prep/preparation_run.h"

#include "prep/analysis_sheet.h"
#include "prep/bh_table.h"
#include "prep/control_data.h"
#include "prep/fixed_point.h"
#include "prep/fixed_solver_files.h"
#include "prep/node_element_files.h"
#include "prep/property_table.h"
#include "prep/run_state.h"

namespace sheet {

std::string RunPreparation() {
  AnalysisSheet sheet;
  MaterialState materials;
  ReadAnalysisSheet(sheet);      // stage 1
  WriteFixedSolverFiles(sheet);  // stage 2
  WriteBhTable(sheet, materials);  // stage 3
  LineBuffer line;
  OpenMesh mesh = WriteControlData(sheet, materials.property_row_count, line);  // stage 4
  const ModelCentre centre = WriteNodeAndElementFiles(mesh, line);             // stages 5, 6
  WritePropertyTable(sheet, materials);                                        // stage 7
  WriteFixedPointData(sheet, centre);                                          // stage 8
  return "wrote the solver files for " + std::to_string(sheet.rows.size()) + " region rows and " +
         std::to_string(sheet.material_list.size()) + " materials";
}

}  // namespace sheet
