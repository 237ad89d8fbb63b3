#include "prep/preparation_run.h"

#include "prep/analysis_sheet.h"
#include "prep/fixed_solver_files.h"
#include "prep/run_state.h"

namespace sheet {

std::string RunPreparation() {
  AnalysisSheet sheet;
  ReadAnalysisSheet(sheet);      // stage 1
  WriteFixedSolverFiles(sheet);  // stage 2
  return "wrote the solver files for " + std::to_string(sheet.rows.size()) + " region rows and " +
         std::to_string(sheet.material_list.size()) + " materials";
}

}  // namespace sheet
