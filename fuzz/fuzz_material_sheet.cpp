// fuzz_material_sheet: Prop.csv as the B-H stage reads it (WriteBhTable),
// the input bytes being the whole material sheet, for a fixed analysis sheet
// whose materials are of every kind that changes the reading: ordinary
// (1, 2), a coil's (3), a permanent magnet's (4, "PMAG") and a hysteretic
// one (5, "HYST"). When the stage succeeds, the property table stage runs on
// what it left (WritePropertyTable).
//
// Both stages open their files by name, so each run works in a private
// directory (fuzz/scratch_dir.h) with Prop.csv written there. A failure is a
// RunFailure, which the target catches; it must concern Prop.csv. After a
// run that succeeds, bh-table-data.txt must end with its two end records.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/fatal_exit.h"
#include "common/text_reader.h"
#include "fuzz/input_parts.h"
#include "fuzz/scratch_dir.h"
#include "prep/analysis_sheet.h"
#include "prep/bh_table.h"
#include "prep/property_table.h"
#include "prep/run_state.h"

namespace sheet::fuzz {
namespace {

// The analysis sheet of the example model.
constexpr std::string_view kAnalysisSheet =
    "C-core actuator with magnet and coil,,,,,\r\n2DIM,,,,,\r\n6\r\n1,AIR,1,1\r\n2,IRON,2,2\r\n"
    "3,COIL,3,3\r\n4,COIL,3,3\r\n5,PMAG,4,4,0.0,1.0,0\r\n6,HYST,5,5\r\n2\r\n1,1,2.5\r\n2,1,-2."
    "5\r\n";

const AnalysisSheet& FixedSheet() {
  static const AnalysisSheet sheet = [] {
    AnalysisSheet parsed;
    TextReader ana(kAnalysisSheet, kAnalysisSheetName);
    ParseAnalysisSheet(ana, parsed);
    return parsed;
  }();
  return sheet;
}

void Expect(bool holds, const char* what) {
  if (holds) return;
  std::fputs("fuzz_material_sheet: ", stderr);
  std::fputs(what, stderr);
  std::fputs("\n", stderr);
  std::abort();
}

}  // namespace
}  // namespace sheet::fuzz

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  sheet::fuzz::AddArtifactPrefix(argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sheet;
  const AnalysisSheet& sheet = fuzz::FixedSheet();
  fuzz::ScratchRun run({{kMaterialSheetName, fuzz::AsText(data, size)}});
  MaterialState state;
  try {
    WriteBhTable(sheet, state);
  } catch (const RunFailure& failure) {
    fuzz::Expect(failure.reason().file == kMaterialSheetName, "the failure names another file");
    return 0;
  }
  fuzz::Expect(state.material_properties.size() == sheet.material_list.size(),
               "the MaterialPropertyTable is not one entry per material");
  fuzz::Expect(state.magnets.size() <= 1, "more magnets than PMAG materials");
  const std::string kEndRecords(
      "         0        0        0        0\r\n         0        0        0        0\r\n");
  const std::string table = run.Read(kBhTableName).value_or("");
  fuzz::Expect(table.ends_with(kEndRecords), "bh-table-data.txt lacks its two end records");
  WritePropertyTable(sheet, state);  // cannot fail here: its file opens
  return 0;
}
