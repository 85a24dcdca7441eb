// The command-line grammar: options that fill the BatchJob and the raw-fax
// settings, and the verdict that chooses between command-line and windowed
// mode.
#pragma once

#include "batch/BatchJob.h"
#include "faxengine/ConversionSettings.h"

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

// What the parser fills besides the BatchJob.
struct CommandLineTargets {
  ConversionSettings& settings;
  std::string& logPath;
  std::ostream& usageOut; // the usage lines go here (standard output)
};

namespace command_line {
constexpr int kRunRequest = 0; // a conversion with a destination: command-line mode
constexpr int kNoText = -1;
constexpr int kEmptyText = -2;
constexpr int kNoRunnableRequest = 126;
} // namespace command_line

// Writes the three usage lines.
void PrintUsage(std::ostream& out);

// Writes the usage forms and a line on every option, as --help shows them.
void PrintHelp(std::ostream& out);

// Parses one command-line text as typed on Windows: tokens separated by
// spaces, values of some options quoted with double quotes across spaces.
int ParseCommandLine(BatchJob& job, const CommandLineTargets& targets,
                     std::optional<std::string_view> text);

// Parses arguments that a shell has already split and unquoted: each argument
// is one token and its value is taken as it stands, blanks and quotes
// included (a value wrapped in one pair of double quotes loses them).
int ParseArguments(BatchJob& job, const CommandLineTargets& targets,
                   const std::vector<std::string>& arguments);
