#include "prep/fixed_solver_files.h"

#include "common/file_open.h"
#include "common/output_file.h"
#include "common/record_template.h"

namespace sheet {

void WriteFixedSolverFiles(const AnalysisSheet& sheet) {
  {
    OutputFile out(OpenOutput("t-dimension-data.txt"), "t-dimension-data.txt");
    WriteRecord<"%d\n">(out, sheet.IsTwoDimensional() ? 0 : 1);
    out.Close();
  }
  {
    OutputFile out(OpenOutput("ch-curr-data.txt"), "ch-curr-data.txt");
    WriteRecord<"%10d%9d%9d%9d%9d\n">(out, 0, 0, 0, 0, 0);
    out.Close();
  }
  for (const char* name : {"g-belm-data.txt", "g-celm-data.txt"}) {
    OutputFile out(OpenOutput(name), name);
    WriteRecord<"%d%2d%2d\n">(out, 0, 0, 0);
    out.Close();
  }
  {
    OutputFile out(OpenOutput("t-lcs-data.txt"), "t-lcs-data.txt");
    WriteRecord<"%d%2d%2d\n">(out, 1, 1, 0);
    WriteRecord<"0.0 0.0 0.0\n0.0 0.0 1.0\n1.0 0.0 0.0\n">(out);
    WriteRecord<"%d%2d%2d\n">(out, 0, 0, 0);
    out.Close();
  }
}

}  // namespace sheet
