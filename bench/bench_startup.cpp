// How long a command-line run takes from start to exit when it has nothing
// to convert: what every scripted call pays before any conversion.
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

bool RunOnce(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const auto& a : argv)
    args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  bool started = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  return started && waitpid(pid, &status, 0) == pid && WIFEXITED(status);
}

} // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  const std::string program =
      argc > 1 ? argv[1] : (fs::path(argv[0]).parent_path().parent_path() / "app/quorren").string();
  const fs::path empty = fs::temp_directory_path() / "tarvelo-bench-empty";
  fs::create_directories(empty);
  const std::vector<std::string> request = {program, "/q", "/d=" + empty.string(),
                                            "/sd=" + (empty / "out").string(),
                                            "/log=" + (empty / "log.txt").string()};
  const int runs = 200;
  RunOnce(request); // warm the page cache
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < runs; ++i)
    if (!RunOnce(request)) {
      std::fprintf(stderr, "cannot run %s\n", program.c_str());
      return 1;
    }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  rusage children{};
  getrusage(RUSAGE_CHILDREN, &children);
  std::printf(
      "start-up to exit, empty folder request: %.2f ms per run over %d runs; peak memory %ld KiB\n",
      1000.0 * seconds / runs, runs, children.ru_maxrss);
  fs::remove_all(empty);
  return 0;
}
