#include "platform/DirWalk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace platform {

namespace {

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Iterative glob match with single backtracking point: linear in practice
// and never recursive, so hostile patterns cannot blow the stack.
bool GlobMatch(std::string_view pattern, std::string_view name) {
  size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || Fold(pattern[p]) == Fold(name[n]))) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*')
    ++p;
  return p == pattern.size();
}

EntryKind KindOf(int folder, const char* name) {
  struct stat info {};
  if (::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
    return EntryKind::Other;
  if (S_ISDIR(info.st_mode))
    return EntryKind::Folder;
  const bool link = S_ISLNK(info.st_mode);
  if (link && ::fstatat(folder, name, &info, 0) != 0)
    return EntryKind::Other;
  if (S_ISDIR(info.st_mode))
    return EntryKind::LinkedFolder;
  return S_ISREG(info.st_mode) ? EntryKind::File : EntryKind::Other;
}

} // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  if (pattern.empty() || pattern == "*" || pattern == "*.*")
    return true;
  if (GlobMatch(pattern, name))
    return true;
  // As on Windows, "name.*" also finds "name", and "*." finds dot-less names.
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*")
    return GlobMatch(pattern.substr(0, pattern.size() - 2), name);
  if (pattern.back() == '.' && name.find('.') == std::string_view::npos)
    return GlobMatch(pattern.substr(0, pattern.size() - 1), name);
  return false;
}

std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder,
                                                   std::string_view pattern) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir)
    return std::nullopt;
  std::vector<FolderEntry> entries;
  while (dirent* entry = ::readdir(dir)) {
    std::string_view name = entry->d_name;
    if (name == "." || name == ".." || !WildcardMatch(pattern, name))
      continue;
    entries.push_back({std::string(name), KindOf(::dirfd(dir), entry->d_name)});
  }
  ::closedir(dir);
  return entries;
}

} // namespace platform
