// Opening files by their fixed names in the working directory, with the
// sharing rules of every file the programs touch:
// - an input is shared for reading only: the open fails while another program
//   holds the file open for writing, and while it is open nobody may write it;
// - an output is not shared at all: the open fails while any other program
//   holds the file open, and it is emptied only once it is held, so a failed
//   open never empties a file that somebody else is using.
// On POSIX systems this rests on advisory locks (flock), which every program
// of this system takes; on Windows (SHEET_WINDOWS_SHARING) on share modes.
// Devices and pipes (an output linked to /dev/null) are opened without a lock.
//
// A failed open ends the run (FatalExit) with the name and the reason.
#pragma once

#include <string>

namespace sheet {

enum class OpenError { none, not_found, in_use, other };

struct OpenResult {
  int fd = -1;
  OpenError error = OpenError::none;
  std::string reason;  // "no such file or directory", "in use by another program"
};

OpenResult TryOpenInput(const char* name);
OpenResult TryOpenOutput(const char* name);

// The descriptor of the opened file, or FatalExit.
int OpenInput(const char* name);
int OpenOutput(const char* name);

}  // namespace sheet
