// fuzz_analysis_sheet: Ana.csv as sheetprep reads it (ParseAnalysisSheet),
// the input bytes being the whole sheet, read from memory.
//
// A failure is a RunFailure, which the target catches; it must name Ana.csv
// and a position within it. A sheet that reads must give an AnalysisSheet
// whose parts agree with each other: one row per declared region row, one
// magnet direction per "PMAG" row, one current per "COIL" row, and a
// MaterialList holding each material number of both columns once, with the
// row that named it first.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_map>

#include "common/fatal_exit.h"
#include "common/text_reader.h"
#include "fuzz/input_parts.h"
#include "prep/analysis_sheet.h"
#include "prep/run_state.h"

namespace sheet::fuzz {
namespace {

void Expect(bool holds, const char* what) {
  if (holds) return;
  std::fputs("fuzz_analysis_sheet: ", stderr);
  std::fputs(what, stderr);
  std::fputs("\n", stderr);
  std::abort();
}

void CheckSheet(const AnalysisSheet& sheet) {
  Expect(sheet.dimension_keyword.size() <= 4, "the dimension keyword is longer than 4");
  const std::size_t declared =
      sheet.region_row_count > 0 ? static_cast<std::size_t>(sheet.region_row_count) : 0;
  Expect(sheet.rows.size() == declared, "the rows read differ from the declared count");
  std::size_t magnets = 0;
  std::size_t coils = 0;
  std::unordered_map<std::int32_t, std::int32_t> first_row;  // material -> row
  for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
    const RegionRow& row = sheet.rows[r];
    Expect(row.kind.find(',') == std::string::npos, "a kind text holds its ','");
    magnets += row.kind == kMagnetKind;
    coils += row.kind == kCoilKind;
    first_row.try_emplace(row.first_material, static_cast<std::int32_t>(r));
    first_row.try_emplace(row.second_material, static_cast<std::int32_t>(r));
  }
  Expect(sheet.magnet_directions.size() == magnets, "magnet directions differ from PMAG rows");
  Expect(sheet.coil_currents.size() == coils, "coil currents differ from COIL rows");
  Expect(sheet.coil_row_count == static_cast<std::int64_t>(coils), "CoilRowCount is wrong");
  Expect(sheet.material_list.size() == first_row.size(),
         "the MaterialList is not each number once");
  for (std::size_t i = 0; i < sheet.material_list.size(); ++i) {
    const MaterialListEntry& entry = sheet.material_list[i];
    const auto found = first_row.find(entry.material);
    Expect(found != first_row.end() && found->second == entry.row,
           "a MaterialList entry records the wrong row");
    Expect(i == 0 || sheet.material_list[i - 1].row <= entry.row,
           "the MaterialList is not in order of first appearance");
  }
}

}  // namespace
}  // namespace sheet::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sheet;
  TextReader ana(fuzz::AsText(data, size), kAnalysisSheetName);
  AnalysisSheet sheet;
  try {
    ParseAnalysisSheet(ana, sheet);
  } catch (const RunFailure& failure) {
    fuzz::Expect(failure.reason().file == kAnalysisSheetName, "the failure names another file");
    fuzz::Expect(failure.reason().line >= 1 && failure.reason().column >= 1,
                 "the failure has no position");
    return 0;
  }
  fuzz::CheckSheet(sheet);
  return 0;
}
