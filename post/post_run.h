// The one pass of sheetpost: the title from line 1 of Ana.csv and the two
// counts of Model.msh, then Model_post.pst written record by record from the
// solver's four result files. A failure anywhere ends the run through
// FatalExit; the post file then keeps every record written before it.
#pragma once

#include <string>

namespace sheet {

inline constexpr const char* kPostFileName = "Model_post.pst";

// Runs in the working directory; returns the one-line summary that -v prints.
std::string RunPostProcessing();

}  // namespace sheet
