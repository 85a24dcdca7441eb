// Folder enumeration with the wildcard rules of Windows file searches.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct FolderEntry {
  std::string name;
  bool isFolder = false;
};

// Windows wildcard match: case-insensitive (ASCII), '*' any run, '?' one
// character; "*.*" and "*" match every name, with or without a dot, and a
// pattern ending in ".*" also matches the name without that dot.
bool WildcardMatch(std::string_view pattern, std::string_view name);

// Entries of a folder whose names match the pattern, "." and ".." left out,
// in the order the file system returns them. A symbolic link to a folder is
// reported as a file-like entry that is not a folder, so walks never follow
// it and never loop. Nothing when the folder cannot be read.
std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder,
                                                   std::string_view pattern);

} // namespace platform
