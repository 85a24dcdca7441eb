// Files and folders: existence, size, kind, creation and removal.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

enum class FileKind { Missing, Regular, Folder, Other };

// What the path names, following symbolic links.
FileKind KindOf(const std::string& path);

bool IsRegularFile(const std::string& path);
bool IsFolder(const std::string& path);

// Size of a regular file; nothing for anything else (a folder, a FIFO, a
// device) so that no caller mistakes those for files.
std::optional<std::uint64_t> RegularFileSize(const std::string& path);

// True when both paths name the same existing file (same device and inode).
bool IsSameFile(const std::string& a, const std::string& b);

// Creates one folder; its parent must exist. An existing folder is success.
bool CreateFolder(const std::string& path);

// Creates a folder and its missing parents, outermost first. An existing
// folder is success.
bool CreateFolderTree(const std::string& path);

// Removes a file; a missing file is no error.
void RemoveFileQuietly(const std::string& path);

// Removes a folder with everything in it; errors are ignored.
void RemoveTreeQuietly(const std::string& path);

// Appends the whole text to a file with one write call on a descriptor opened
// for appending, so entries of concurrent writers never interleave.
bool AppendToFile(const std::string& path, const std::string& text);

} // namespace platform
