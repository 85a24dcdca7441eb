#include "platform/FileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

FileKind KindOf(const std::string& path) {
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0)
    return FileKind::Missing;
  if (S_ISREG(info.st_mode))
    return FileKind::Regular;
  if (S_ISDIR(info.st_mode))
    return FileKind::Folder;
  return FileKind::Other;
}

bool IsRegularFile(const std::string& path) { return KindOf(path) == FileKind::Regular; }

bool IsFolder(const std::string& path) { return KindOf(path) == FileKind::Folder; }

std::optional<std::uint64_t> RegularFileSize(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
    return std::nullopt;
  return static_cast<std::uint64_t>(info.st_size);
}

bool IsSameFile(const std::string& a, const std::string& b) {
  struct stat infoA {
  }, infoB{};
  if (::stat(a.c_str(), &infoA) != 0 || ::stat(b.c_str(), &infoB) != 0)
    return false;
  return infoA.st_dev == infoB.st_dev && infoA.st_ino == infoB.st_ino;
}

bool CreateFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) == 0)
    return true;
  return errno == EEXIST && IsFolder(path);
}

bool CreateFolderTree(const std::string& path) {
  if (path.empty() || IsFolder(path))
    return true;
  auto cut = path.find_last_of('/');
  if (cut != std::string::npos && cut > 0 && !CreateFolderTree(path.substr(0, cut)))
    return false;
  return CreateFolder(path);
}

void RemoveFileQuietly(const std::string& path) { ::unlink(path.c_str()); }

void RemoveTreeQuietly(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}

bool AppendToFile(const std::string& path, const std::string& text) {
  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0)
    return false;
  ssize_t written = ::write(fd, text.data(), text.size());
  bool complete = written == static_cast<ssize_t>(text.size());
  return ::close(fd) == 0 && complete;
}

} // namespace platform
