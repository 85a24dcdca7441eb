// Folder enumeration with the wildcard rules of Windows file searches.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class EntryKind {
  File,         // a regular file, or a link to one
  Folder,       // a real folder
  LinkedFolder, // a symbolic link to a folder: never walked, so no walk loops
  Other,        // a FIFO, device, socket or dangling link
};

struct FolderEntry {
  std::string name;
  EntryKind kind = EntryKind::File;
};

// Windows wildcard match: case-insensitive (ASCII), '*' any run, '?' one
// character; "*.*" and "*" match every name, with or without a dot, and a
// pattern ending in ".*" also matches the name without that dot.
bool WildcardMatch(std::string_view pattern, std::string_view name);

// Entries of a folder whose names match the pattern, "." and ".." left out,
// in the order the file system returns them. Nothing when the folder cannot
// be read.
std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder,
                                                   std::string_view pattern);

} // namespace platform
