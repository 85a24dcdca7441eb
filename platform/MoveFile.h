// Moving a file into another name without ever replacing an existing file.
#pragma once

#include <string>

namespace platform {

enum class MoveResult { Moved, TargetExists, Failed };

// Renames source to target when both are on one file system; across file
// systems copies the data (flushed, with the source's mode and times) to a
// new file that must not exist yet, and deletes the source only then.
MoveResult MoveFileNoReplace(const std::string& source, const std::string& target);

} // namespace platform
