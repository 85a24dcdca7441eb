// File times. Linux keeps no settable creation time, so only the access and
// modification times travel from one file to another.
#pragma once

#include <ctime>
#include <optional>
#include <string>

namespace platform {

struct FileTimes {
  timespec access{};
  timespec modification{};
};

// The times of a regular file; nothing when it cannot be opened for reading.
std::optional<FileTimes> ReadFileTimes(const std::string& path);

// Sets the times of a regular file that can be opened for writing.
bool WriteFileTimes(const std::string& path, const FileTimes& times);

} // namespace platform
