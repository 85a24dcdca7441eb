#include "platform/Process.h"

#include "platform/Paths.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {

static bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

std::optional<std::string> FindProgram(const std::string& name) {
  if (name.empty())
    return std::nullopt;
  if (name.find(kSeparator) != std::string::npos)
    return IsExecutableFile(name) ? std::optional<std::string>(name) : std::nullopt;
  std::string beside = JoinPath(FolderOf(ExecutablePath()), name);
  if (IsExecutableFile(beside))
    return beside;
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "";
  std::size_t start = 0;
  while (start <= folders.size()) {
    std::size_t end = folders.find(':', start);
    if (end == std::string::npos)
      end = folders.size();
    // An empty PATH element means the current folder, as the shell has it.
    std::string folder = folders.substr(start, end - start);
    std::string candidate = JoinPath(folder.empty() ? "." : folder, name);
    if (IsExecutableFile(candidate))
      return candidate;
    start = end + 1;
  }
  return std::nullopt;
}

ProcessResult RunAndWait(const std::string& program, const std::vector<std::string>& arguments) {
  ProcessResult result;
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments)
    argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  // The child starts with the signal handling of a fresh process, not with
  // this one's blocked termination signals and ignored SIGPIPE.
  posix_spawnattr_t attributes;
  ::posix_spawnattr_init(&attributes);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (int signal : {SIGPIPE, SIGINT, SIGTERM, SIGHUP})
    sigaddset(&defaults, signal);
  ::posix_spawnattr_setsigmask(&attributes, &none);
  ::posix_spawnattr_setsigdefault(&attributes, &defaults);
  ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t child = 0;
  int spawnError =
      ::posix_spawn(&child, program.c_str(), nullptr, &attributes, argv.data(), environ);
  ::posix_spawnattr_destroy(&attributes);
  if (spawnError != 0) {
    result.failedCall = "posix_spawn";
    return result;
  }
  int status = 0;
  pid_t waited = 0;
  do {
    waited = ::waitpid(child, &status, 0);
  } while (waited < 0 && errno == EINTR);
  if (waited != child) {
    result.failedCall = "waitpid";
    return result;
  }
  result.ran = true;
  result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

} // namespace platform
