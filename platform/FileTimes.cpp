#include "platform/FileTimes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

std::optional<FileTimes> ReadFileTimes(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0)
    return std::nullopt;
  struct stat info {};
  bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  ::close(fd);
  if (!ok)
    return std::nullopt;
  return FileTimes{info.st_atim, info.st_mtim};
}

bool WriteFileTimes(const std::string& path, const FileTimes& times) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0)
    return false;
  const timespec both[2] = {times.access, times.modification};
  bool ok = ::futimens(fd, both) == 0;
  return ::close(fd) == 0 && ok;
}

} // namespace platform
