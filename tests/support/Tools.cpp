#include "support/Tools.h"

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testing_support {

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string TempName(const char* tag) {
  char name[] = "/tmp/tarvelo-tool-XXXXXX";
  int fd = ::mkstemp(name);
  if (fd >= 0)
    ::close(fd);
  return std::string(name) + tag;
}

// This process's environment with the extra "NAME=value" entries replacing
// or adding to it.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& extraEnvironment) {
  std::vector<std::string> envStrings;
  for (char** e = environ; *e; ++e) {
    std::string entry = *e;
    std::string name = entry.substr(0, entry.find('=') + 1);
    bool overridden = false;
    for (const auto& extra : extraEnvironment)
      overridden = overridden || extra.rfind(name, 0) == 0;
    if (!overridden)
      envStrings.push_back(entry);
  }
  envStrings.insert(envStrings.end(), extraEnvironment.begin(), extraEnvironment.end());
  return envStrings;
}

pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnvironment,
            const posix_spawn_file_actions_t& actions) {
  std::vector<char*> args;
  for (const auto& arg : argv)
    args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  std::vector<std::string> envStrings = EnvironmentWith(extraEnvironment);
  std::vector<char*> env;
  for (auto& e : envStrings)
    env.push_back(e.data());
  env.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), env.data()) != 0)
    return -1;
  return pid;
}

} // namespace

int StartTool(const std::vector<std::string>& argv,
              const std::vector<std::string>& extraEnvironment, StandardOutput output) {
  int unread[2] = {-1, -1};
  if (output == StandardOutput::ClosedPipe && ::pipe(unread) != 0)
    return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (output == StandardOutput::ClosedPipe) {
    posix_spawn_file_actions_adddup2(&actions, unread[1], 1);
    posix_spawn_file_actions_addclose(&actions, unread[0]);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  }
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const pid_t pid = Spawn(argv, extraEnvironment, actions);
  posix_spawn_file_actions_destroy(&actions);
  // Nobody reads the pipe: the child's first write to it fails.
  for (int end : unread)
    if (end >= 0)
      ::close(end);
  return pid;
}

int WaitForTool(int pid) {
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
    return -1;
  return WEXITSTATUS(status);
}

ToolRun RunTool(const std::vector<std::string>& argv,
                const std::vector<std::string>& extraEnvironment) {
  ToolRun run;
  std::string outPath = TempName(".out"), errPath = TempName(".err");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);

  const pid_t pid = Spawn(argv, extraEnvironment, actions);
  if (pid > 0)
    run.exitCode = WaitForTool(pid);
  posix_spawn_file_actions_destroy(&actions);
  run.output = Slurp(outPath);
  run.errors = Slurp(errPath);
  std::remove(outPath.c_str());
  std::remove(errPath.c_str());
  std::remove(outPath.substr(0, outPath.size() - 4).c_str());
  std::remove(errPath.substr(0, errPath.size() - 4).c_str());
  return run;
}

std::string QuorrenPath() { return TARVELO_QUORREN_PATH; }

} // namespace testing_support
