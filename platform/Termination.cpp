#include "platform/Termination.h"

#include "platform/DirWalk.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <csignal>
#include <cstdlib>
#include <mutex>
#include <pthread.h>
#include <thread>

namespace platform {

namespace {

// What the termination thread removes; the lock also keeps the main thread
// from registering new output while the removal runs.
struct CleanupTargets {
  std::mutex lock;
  std::string workFolder;
  std::string destination;
};

CleanupTargets& Targets() {
  static CleanupTargets targets;
  return targets;
}

sigset_t TerminationSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  return signals;
}

void RemoveTemporariesBeside(const std::string& destination) {
  const std::string folder = FolderOf(destination);
  // Appended piece by piece: GCC 12 at -O3 takes "." + name + "." for an
  // overlapping copy (a false -Wrestrict).
  std::string prefix = ".";
  prefix += FileNameOf(destination);
  prefix += '.';
  auto entries = ListFolder(folder.empty() ? "." : folder, prefix + "*.tmp");
  if (!entries)
    return;
  for (const FolderEntry& entry : *entries)
    if (entry.kind == EntryKind::File && entry.name.starts_with(prefix))
      RemoveFileQuietly(JoinPath(folder, entry.name));
}

// The main thread may still be writing into the work folder, so a file it
// adds while the tree goes is removed on a later pass.
void RemoveWorkFolder(const std::string& folder) {
  for (int pass = 0; pass < 10 && KindOf(folder) != FileKind::Missing; ++pass)
    RemoveTreeQuietly(folder);
}

[[noreturn]] void WaitForTermination() {
  const sigset_t signals = TerminationSignals();
  int signal = 0;
  while (sigwait(&signals, &signal) != 0) {
  }
  CleanupTargets& targets = Targets();
  targets.lock.lock(); // held until the process ends
  if (!targets.destination.empty())
    RemoveTemporariesBeside(targets.destination);
  if (!targets.workFolder.empty())
    RemoveWorkFolder(targets.workFolder);
  std::_Exit(128 + signal);
}

void SetDestination(const std::string& destination) {
  std::lock_guard<std::mutex> guard(Targets().lock);
  Targets().destination = destination;
}

} // namespace

void InstallTerminationHandling() {
  std::signal(SIGPIPE, SIG_IGN);
  const sigset_t signals = TerminationSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::thread(WaitForTermination).detach();
}

void RemoveOnTermination(const std::string& workFolder) {
  std::lock_guard<std::mutex> guard(Targets().lock);
  Targets().workFolder = workFolder;
}

UnfinishedOutput::UnfinishedOutput(const std::string& destination) { SetDestination(destination); }

UnfinishedOutput::~UnfinishedOutput() { SetDestination(""); }

} // namespace platform
