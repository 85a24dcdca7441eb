#include "app/Queries.h"

#include "app/Startup.h"
#include "batch/CommandLine.h"
#include "batch/FolderConversion.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string_view>

namespace {

bool Contains(const std::vector<std::string>& arguments, std::string_view wanted) {
  return std::find(arguments.begin(), arguments.end(), wanted) != arguments.end();
}

// Source and PDF path of each file, each ended by a NUL byte: the one byte no
// path can hold, so names with blanks or line breaks pass through intact.
bool WritePlan(const std::vector<ListedFile>& files) {
  for (const ListedFile& file : files) {
    std::fwrite(file.sourcePath.c_str(), 1, file.sourcePath.size() + 1, stdout);
    std::fwrite(file.pdfPath.c_str(), 1, file.pdfPath.size() + 1, stdout);
  }
  return std::fflush(stdout) == 0 && !std::ferror(stdout);
}

int RunPlan(const std::vector<std::string>& arguments) {
  std::vector<std::string> options;
  std::copy_if(arguments.begin(), arguments.end(), std::back_inserter(options),
               [](const std::string& argument) { return argument != "--plan"; });
  // Raw-fax options and /log= are accepted and play no part in the plan.
  ConversionSettings unusedSettings;
  std::string unusedLogPath;
  BatchJob job;
  // Standard output carries the plan alone: any usage text goes to errors.
  const int verdict =
      ParseArguments(job, CommandLineTargets{unusedSettings, unusedLogPath, std::cerr}, options);
  if (verdict != command_line::kRunRequest || job.mode != BatchJob::Mode::Folder) {
    PrintProgramError("--plan needs a folder request: /d=FOLDER /sd=FOLDER");
    return kExitRequestFailed;
  }
  CollectSourceFolder(job);
  const bool written = WritePlan(FilesToConvert(job));
  for (const std::string& folder : job.unreadableFolders)
    PrintProgramError("cannot read folder " + folder);
  if (!written)
    PrintProgramError("cannot write the plan to standard output");
  return written && job.unreadableFolders.empty() ? kExitSuccess : kExitRequestFailed;
}

} // namespace

std::optional<Query> QueryIn(const std::vector<std::string>& arguments) {
  if (Contains(arguments, "--help") || Contains(arguments, "-h"))
    return Query::Help;
  if (Contains(arguments, "--version"))
    return Query::Version;
  if (Contains(arguments, "--plan"))
    return Query::Plan;
  return std::nullopt;
}

int RunQuery(Query query, const std::vector<std::string>& arguments) {
  switch (query) {
  case Query::Help:
    PrintHelp(std::cout);
    return kExitSuccess;
  case Query::Version:
    std::cout << "quorren (Tarvelo) " TARVELO_VERSION "\n" << std::flush;
    return kExitSuccess;
  case Query::Plan:
    return RunPlan(arguments);
  }
  return kExitRequestFailed;
}
