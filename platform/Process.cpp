#include "platform/Process.h"

#include "platform/Paths.h"

#include <cerrno>
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

  pid_t child = 0;
  int spawnError = ::posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), environ);
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
