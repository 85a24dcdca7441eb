// New files beside a destination, for writers that rename the finished file
// into place so that no reader ever sees a partial one.
#pragma once

#include <cstdio>
#include <string>

namespace platform {

struct TemporaryFile {
  std::string path;
  std::FILE* file = nullptr; // null when no file could be created
};

// Creates ".NAME.<n>.tmp" beside the destination exclusively, with the mode
// an ordinary new file gets from the umask. The name is the one termination
// handling removes (UnfinishedOutput).
TemporaryFile CreateTemporaryBeside(const std::string& destination);

} // namespace platform
