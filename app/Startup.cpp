#include "app/Startup.h"

#include "app/AppPaths.h"
#include "app/Queries.h"
#include "app/ResultLog.h"
#include "app/WindowRequest.h"
#include "batch/CommandLine.h"
#include "batch/ConvertFile.h"
#include "batch/FolderConversion.h"
#include "platform/Display.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "platform/Module.h"
#include "platform/Paths.h"
#include "platform/Termination.h"

#include <cstdio>
#include <iostream>
#include <vector>

namespace {

// The process's private work folder, removed with its files at exit, so that
// concurrent runs never see each other's work files.
class WorkFolder {
public:
  WorkFolder() : path_(platform::CreatePrivateWorkFolder()) {}
  ~WorkFolder() {
    if (!path_.empty())
      platform::RemoveTreeQuietly(path_);
  }
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;
  const std::string& path() const { return path_; }

private:
  std::string path_;
};

// The window lives in a module of its own so that a command-line run never
// loads a GUI toolkit; a build without it, or a session without a display,
// says so instead of opening it.
int RunWindowedMode(const AppPaths& paths, ConversionSettings& settings, const std::string& logPath,
                    int verdict) {
  // The parser has written the usage already when it found options but no
  // request; a bare call that cannot open the window shows it here.
  auto refuse = [verdict](const std::string& why) {
    if (verdict != command_line::kNoRunnableRequest)
      PrintUsage(std::cout);
    PrintProgramError(why);
    return kExitNoWindow;
  };
  const platform::DisplayConnection display;
  if (!display.Available())
    return refuse("no display for the window: run it on a desktop, or convert with /f= and /sf=, "
                  "or /d= and /sd=");
  platform::Module window(paths.windowModulePath);
  auto run = reinterpret_cast<RunWindowFunction>(window.Symbol(kRunWindowSymbol));
  if (!run)
    return refuse("no window is available in this build: give /f= and /sf=, or /d= and /sd=");
  const WindowRequest request{paths, logPath, settings};
  return run(&request);
}

bool RunFolderRequest(const ConversionEnvironment& environment, BatchJob& job) {
  std::fputs("Please Wait...\n", stdout);
  std::fflush(stdout);
  CollectSourceFolder(job);
  ConvertList(environment, job);
  return job.unreadableFolders.empty() && job.faxFailures == 0;
}

bool RunFileRequest(const ConversionEnvironment& environment, BatchJob& job) {
  job.resultText = "Tarvelo command line mode : convert file\r\n";
  ConvertFile(environment, job, job.source, job.destination);
  return job.pdfsWritten > 0;
}

int RunCommandLineMode(const AppPaths& paths, const ConversionSettings& settings, BatchJob& job,
                       const std::string& logPath) {
  const ConversionEnvironment environment{settings, paths.engineOutputPath, paths.copierOutputPath,
                                          RealStages()};
  const bool succeeded = job.mode == BatchJob::Mode::Folder ? RunFolderRequest(environment, job)
                                                            : RunFileRequest(environment, job);
  if (const std::string folder = LogFolderToCreate(paths, logPath); !folder.empty())
    platform::CreateFolderTree(folder);
  AppendLog(logPath, job.resultText);
  if (!job.quiet)
    platform::ShowMessageBox(job.resultText, "Tarvelo Results", platform::MessageKind::Information);
  return succeeded ? kExitSuccess : kExitRequestFailed;
}

} // namespace

void PrintProgramError(const std::string& text) {
  std::fprintf(stderr, "quorren: %s\n", text.c_str());
}

int RunProgram(int argc, char** argv) {
  platform::InstallTerminationHandling();
  const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
  // Answered before anything is set up: they need no work folder and no log.
  if (const auto query = QueryIn(arguments))
    return RunQuery(*query, arguments);
  WorkFolder workFolder;
  platform::RemoveOnTermination(workFolder.path());
  const AppPaths paths = BuildPaths(platform::ExecutablePath(), workFolder.path());
  ConversionSettings settings = DefaultSettings(paths);
  BatchJob job;
  std::string logPath = paths.logPath;

  const int verdict =
      ParseArguments(job, CommandLineTargets{settings, logPath, std::cout}, arguments);
  if (verdict != command_line::kRunRequest)
    return RunWindowedMode(paths, settings, logPath, verdict);
  // Without a work folder each file fails with its own result line; this
  // line says which temporary folder is unusable.
  if (workFolder.path().empty())
    PrintProgramError("cannot create a work folder in " + platform::TempFolder());
  return RunCommandLineMode(paths, settings, job, logPath);
}
