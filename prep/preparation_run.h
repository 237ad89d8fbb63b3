// The spine of sheetprep: the stages in their fixed order, each called once
// with the run state it needs. Each stage returns only on success; a failure
// anywhere ends the run through FatalExit.
#pragma once

#include <string>

namespace sheet {

// Runs every stage in the working directory; returns the one-line summary
// that -v prints.
std::string RunPreparation();

}  // namespace sheet
