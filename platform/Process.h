// Starting an outside program with an argument vector (never through a
// shell) and waiting for it to end.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// Full path of an executable file called name: first in the executable's own
// folder, then in each folder of $PATH, in order (the order in which Windows
// looks for the first token of a command line). Nothing when none is found.
std::optional<std::string> FindProgram(const std::string& name);

struct ProcessResult {
  bool ran = false;       // started and waited for
  int exitStatus = -1;    // the program's exit code; -1 when it ended by a signal
  std::string failedCall; // the call that failed when ran is false
};

// Starts program with argv[0] = program followed by arguments, with this
// process's environment and current folder, and waits for it without
// time-out.
ProcessResult RunAndWait(const std::string& program, const std::vector<std::string>& arguments);

} // namespace platform
