// Running outside programs from tests (qpdf, pdfimages, pdftoppm, the
// program itself) with an argument vector, capturing what they print.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

struct ToolRun {
  int exitCode = -1;  // -1 when the program could not be started or was killed
  std::string output; // standard output
  std::string errors; // standard error
};

ToolRun RunTool(const std::vector<std::string>& argv,
                const std::vector<std::string>& extraEnvironment = {});

enum class StandardOutput { Discarded, ClosedPipe };

// Starts a program without waiting for it, so that a test can signal it; its
// standard output is discarded or a pipe nobody reads. The process id, or -1.
int StartTool(const std::vector<std::string>& argv,
              const std::vector<std::string>& extraEnvironment, StandardOutput output);

// Waits for a started program: its exit code, or -1 when a signal ended it.
int WaitForTool(int pid);

// Path of the built command-line program.
std::string QuorrenPath();

} // namespace testing_support
