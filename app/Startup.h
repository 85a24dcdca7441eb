// The process entry: builds the paths and settings, chooses the run mode from
// the command line, runs it and cleans up the work files.
#pragma once

#include <string>

// Exit codes of the process.
enum ExitCode : int {
  kExitSuccess = 0,       // command-line request did its work
  kExitWindowOk = 1,      // window closed with OK or Exit
  kExitWindowCancel = 2,  // window closed with Cancel
  kExitRequestFailed = 3, // command-line request did not do its work
  kExitNoWindow = 4,      // the window was asked for but cannot be shown
};

int RunProgram(int argc, char** argv);

// Writes "quorren: TEXT" and a line end on standard error.
void PrintProgramError(const std::string& text);
