#include "platform/Process.h"

#include "support/Scratch.h"

#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>

using testing_support::ScratchFolder;

namespace {

// A small executable script standing in for an outside program.
std::string MakeScript(const ScratchFolder& folder, const std::string& name,
                       const std::string& body) {
  std::string path = folder / name;
  testing_support::WriteFile(path, "#!/bin/sh\n" + body + "\n");
  ::chmod(path.c_str(), 0755);
  return path;
}

// Sets PATH for one test and puts the old value back afterwards.
class PathOverride {
public:
  explicit PathOverride(const std::string& value) {
    const char* old = std::getenv("PATH");
    old_ = old ? old : "";
    ::setenv("PATH", value.c_str(), 1);
  }
  ~PathOverride() { ::setenv("PATH", old_.c_str(), 1); }

private:
  std::string old_;
};

} // namespace

TEST(Process, PassesEachArgumentUnsplitAndReturnsTheExitStatus) {
  ScratchFolder folder;
  std::string out = folder / "args.txt";
  std::string script =
      MakeScript(folder, "echo-args", "for a in \"$@\"; do echo \"[$a]\"; done > \"$3\"; exit 7");
  auto result = platform::RunAndWait(script, {"/c", "with blank \"quote\" $HOME", out});
  ASSERT_TRUE(result.ran) << result.failedCall;
  EXPECT_EQ(result.exitStatus, 7);
  EXPECT_EQ(testing_support::ReadFile(out), "[/c]\n[with blank \"quote\" $HOME]\n[" + out + "]\n")
      << "no shell may split or expand the arguments";
}

TEST(Process, AMissingProgramDoesNotRun) {
  ScratchFolder folder;
  auto result = platform::RunAndWait(folder / "no-such-program", {});
  EXPECT_FALSE(result.ran);
  EXPECT_FALSE(result.failedCall.empty());
}

TEST(Process, FindsProgramsOnThePathInOrderAndSkipsFilesThatCannotRun) {
  ScratchFolder first;
  ScratchFolder second;
  testing_support::WriteFile(first / "TOOL.EXE", "not executable");
  std::string runnable = MakeScript(second, "TOOL.EXE", "exit 0");
  PathOverride path(first.path() + ":" + second.path());
  EXPECT_EQ(platform::FindProgram("TOOL.EXE"), runnable);
  EXPECT_FALSE(platform::FindProgram("tool.exe").has_value()) << "names are case-sensitive here";
  EXPECT_FALSE(platform::FindProgram("ABSENT.EXE").has_value());
}

TEST(Process, NothingOnAnEmptyPath) {
  ScratchFolder folder;
  PathOverride path(folder.path());
  EXPECT_FALSE(platform::FindProgram("AWDVSTUB.EXE").has_value());
}

TEST(Process, TheProgramCanBeEndedByTheSignalsThisProcessBlocks) {
  // Blocked as this program's own termination handling leaves them.
  sigset_t blocked;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGTERM);
  sigset_t old;
  ::pthread_sigmask(SIG_BLOCK, &blocked, &old);
  ScratchFolder folder;
  auto result = platform::RunAndWait(MakeScript(folder, "term", "kill -TERM $$; exit 0"), {});
  ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
  ASSERT_TRUE(result.ran) << result.failedCall;
  EXPECT_EQ(result.exitStatus, -1) << "SIGTERM ends the program";
}
