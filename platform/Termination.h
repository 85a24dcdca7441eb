// What a termination request leaves behind: nothing. A closed standard
// output is no reason to end mid-conversion, and SIGINT, SIGTERM and SIGHUP
// remove the process's work folder and any unfinished output before the
// process ends with 128 + the signal number.
#pragma once

#include <string>

namespace platform {

// Ignores SIGPIPE (writes to a closed pipe then fail with EPIPE) and takes
// SIGINT, SIGTERM and SIGHUP on a thread of its own. Call once, before any
// other thread starts, so that every thread inherits the blocked signals.
void InstallTerminationHandling();

// The folder removed with everything in it on a termination request; ""
// for none.
void RemoveOnTermination(const std::string& workFolder);

// While one lives, a termination request also removes the hidden temporary
// files a writer makes beside the destination (".NAME.<n>.tmp") before it
// renames the finished file into place.
class UnfinishedOutput {
public:
  explicit UnfinishedOutput(const std::string& destination);
  ~UnfinishedOutput();
  UnfinishedOutput(const UnfinishedOutput&) = delete;
  UnfinishedOutput& operator=(const UnfinishedOutput&) = delete;
};

} // namespace platform
