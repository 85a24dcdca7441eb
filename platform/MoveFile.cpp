#include "platform/MoveFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

class Descriptor {
public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0)
      ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  bool close() {
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

private:
  int fd_;
};

bool CopyAll(int from, int to) {
  std::vector<char> buffer(1 << 16);
  for (;;) {
    ssize_t got = ::read(from, buffer.data(), buffer.size());
    if (got == 0)
      return true;
    if (got < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    for (ssize_t done = 0; done < got;) {
      ssize_t put = ::write(to, buffer.data() + done, static_cast<size_t>(got - done));
      if (put < 0 && errno == EINTR)
        continue;
      if (put <= 0)
        return false;
      done += put;
    }
  }
}

MoveResult CopyThenDelete(const std::string& source, const std::string& target) {
  Descriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat info {};
  if (in.get() < 0 || ::fstat(in.get(), &info) != 0 || !S_ISREG(info.st_mode))
    return MoveResult::Failed;
  Descriptor out(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (out.get() < 0)
    return errno == EEXIST ? MoveResult::TargetExists : MoveResult::Failed;
  const timespec times[2] = {info.st_atim, info.st_mtim};
  bool complete = CopyAll(in.get(), out.get()) && ::fchmod(out.get(), info.st_mode & 07777) == 0 &&
                  ::fsync(out.get()) == 0 && ::futimens(out.get(), times) == 0;
  complete = out.close() && complete;
  if (!complete) {
    ::unlink(target.c_str());
    return MoveResult::Failed;
  }
  ::unlink(source.c_str());
  return MoveResult::Moved;
}

} // namespace

MoveResult MoveFileNoReplace(const std::string& source, const std::string& target) {
  if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
    return MoveResult::Moved;
  if (errno == EEXIST)
    return MoveResult::TargetExists;
  // Some file systems do not know RENAME_NOREPLACE: a hard link then claims the
  // name atomically, and fails when it is taken.
  if (errno == EINVAL || errno == ENOSYS) {
    if (::link(source.c_str(), target.c_str()) == 0) {
      ::unlink(source.c_str());
      return MoveResult::Moved;
    }
    if (errno == EEXIST)
      return MoveResult::TargetExists;
  }
  if (errno == EXDEV || errno == EPERM || errno == EINVAL || errno == ENOSYS)
    return CopyThenDelete(source, target);
  return MoveResult::Failed;
}

} // namespace platform
