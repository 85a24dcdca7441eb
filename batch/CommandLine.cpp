#include "batch/CommandLine.h"

#include "platform/MessageBox.h"

#include <charconv>
#include <functional>

namespace {

enum class Match { Exact, Prefix, QuotablePrefix };

using Apply = std::function<void(BatchJob&, const CommandLineTargets&, const std::string& value)>;

struct Option {
  std::string_view name;
  Match match;
  Apply apply;
};

// Leading decimal digits, 0 when there are none.
int LeadingNumber(const std::string& text) {
  int value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

Apply SetFlag(bool BatchJob::*flag) {
  return [flag](BatchJob& job, const CommandLineTargets&, const std::string&) { job.*flag = true; };
}

template <typename Field, typename Value>
Apply SetSetting(Field ConversionSettings::*field, Value value) {
  return [field, value](BatchJob&, const CommandLineTargets& targets, const std::string&) {
    targets.settings.*field = static_cast<Field>(value);
  };
}

Apply SetText(std::string BatchJob::*field) {
  return [field](BatchJob& job, const CommandLineTargets&, const std::string& value) {
    job.*field = value;
  };
}

Apply SetDestination(BatchJob::Mode mode) {
  return [mode](BatchJob& job, const CommandLineTargets&, const std::string& value) {
    job.mode = mode;
    job.destination = value;
  };
}

// In the order a token is compared; the first match wins.
const std::vector<Option>& OptionTable() {
  using S = ConversionSettings;
  static const std::vector<Option> table = {
      {"/l", Match::Exact, SetFlag(&BatchJob::keepDate)},
      {"/q", Match::Exact, SetFlag(&BatchJob::quiet)},
      {"/ke", Match::Exact, SetFlag(&BatchJob::keepExtension)},
      {"/i", Match::Exact, SetFlag(&BatchJob::includeSubfolders)},
      {"/kh", Match::Exact, SetFlag(&BatchJob::keepHierarchy)},
      {"/nw=", Match::Prefix,
       [](BatchJob&, const CommandLineTargets& targets, const std::string& value) {
         targets.settings.MinWidth = static_cast<std::int16_t>(LeadingNumber(value));
         targets.settings.NStdWidth = 1;
       }},
      {"/raw", Match::Exact, SetSetting(&S::RawFlag, 1)},
      {"/relines", Match::Exact, SetSetting(&S::Recaculate, 1)},
      {"/m=0", Match::Exact, SetSetting(&S::tiffOutputMode, 0)},
      {"/m=1", Match::Exact, SetSetting(&S::tiffOutputMode, 1)},
      {"/m=2", Match::Exact, SetSetting(&S::tiffOutputMode, 2)},
      {"/b=0", Match::Exact, SetSetting(&S::AutoBit, 0)},
      {"/b=1", Match::Exact, SetSetting(&S::AutoBit, 1)},
      {"/b=2", Match::Exact, SetSetting(&S::AutoBit, 2)},
      {"/v=0", Match::Exact, SetSetting(&S::verticalResolution, 0)},
      {"/v=1", Match::Exact, SetSetting(&S::verticalResolution, 100)},
      {"/v=2", Match::Exact, SetSetting(&S::verticalResolution, 200)},
      {"/v=3", Match::Exact, SetSetting(&S::verticalResolution, 300)},
      {"/v=4", Match::Exact, SetSetting(&S::verticalResolution, 400)},
      {"/filter=", Match::Prefix, SetText(&BatchJob::filter)},
      {"/d=", Match::QuotablePrefix, SetText(&BatchJob::source)},
      {"/sd=", Match::QuotablePrefix, SetDestination(BatchJob::Mode::Folder)},
      {"/bd=", Match::QuotablePrefix, SetText(&BatchJob::backupFolder)},
      {"/f=", Match::QuotablePrefix, SetText(&BatchJob::source)},
      {"/sf=", Match::QuotablePrefix, SetDestination(BatchJob::Mode::File)},
      {"/log=", Match::QuotablePrefix,
       [](BatchJob&, const CommandLineTargets& targets, const std::string& value) {
         targets.logPath = value;
       }},
  };
  return table;
}

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

const Option* FindOption(std::string_view token) {
  const std::string lower = LowerAscii(token);
  for (const Option& option : OptionTable()) {
    bool matches =
        option.match == Match::Exact ? lower == option.name : lower.starts_with(option.name);
    if (matches)
      return &option;
  }
  return nullptr;
}

bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view TrimLeft(std::string_view text) {
  while (!text.empty() && IsWhiteSpace(text.front()))
    text.remove_prefix(1);
  return text;
}

// Every option and the raw-fax switches start from their defaults.
void ResetJob(BatchJob& job) {
  job.keepDate = job.quiet = job.keepExtension = false;
  job.includeSubfolders = job.keepHierarchy = false;
  job.mode = BatchJob::Mode::None;
  job.skipExisting = false;
  job.filter = "*.*";
  job.backupFolder.clear();
}

void StartParsing(BatchJob& job, const CommandLineTargets& targets) {
  ResetJob(job);
  targets.settings.NStdWidth = 0;
  targets.settings.RawFlag = 0;
  targets.settings.Recaculate = 0;
}

int Verdict(const BatchJob& job, const CommandLineTargets& targets) {
  if (job.mode != BatchJob::Mode::None && !job.destination.empty())
    return command_line::kRunRequest;
  if (job.mode != BatchJob::Mode::None) {
    platform::ShowMessageBox("Please set save folder with '/sd=' or '/sf=', and be sure it is not "
                             "the same as source-dir",
                             "ERROR Save Folder", platform::MessageKind::Error);
    return command_line::kNoRunnableRequest;
  }
  PrintUsage(targets.usageOut);
  return command_line::kNoRunnableRequest;
}

} // namespace

void PrintUsage(std::ostream& out) {
  out << "Usage: quorren [/l /q] /f [/b=0] /f=source-file /sf=dest-tif-file\n"
      << "or\n"
      << "Usage: quorren [/l /q] /d [/b=0] /d=source-directory /sd=dest-directory [/filter=]\n";
  out.flush();
}

void PrintHelp(std::ostream& out) {
  out << R"(Usage: quorren [OPTION...] /f=FILE /sf=PDF        convert one fax document
       quorren [OPTION...] /d=FOLDER /sd=FOLDER   convert every fax file of a folder
       quorren --plan /d=FOLDER /sd=FOLDER [/i] [/kh] [/ke] [/filter=PATTERN]
       quorren                                    open the window
       quorren --help | -h | --version

Options (any case; a value may be quoted: /sf="out dir/a.pdf"):
  /f=FILE /sf=PDF       convert one file into one PDF
  /d=FOLDER /sd=FOLDER  convert every file of a folder into a folder of PDFs
  /filter=PATTERN       walk only the names that match PATTERN (* and ?), e.g. /filter=*.g3
  /i                    include sub-folders
  /kh                   keep the folder hierarchy under the save folder
  /ke                   keep the source extension in the PDF name (a.g3.pdf)
  /bd=FOLDER            move each converted source into FOLDER
  /l                    give the PDF the source's file times
  /q                    quiet: print no result text (the log still gets it)
  /log=FILE             append the result log to FILE
  /b=0|1|2              bare streams: bit order automatic, highest bit first, lowest bit first
  /v=0..4               bare streams: vertical resolution automatic, 100, 200, 300, 400 dpi
  /nw=N                 bare streams: also accept a non-standard line width above N pixels
  /raw                  bare streams: Group 4 data from the first byte
  /relines              take the scan-line count of pages from their data
  /m=0|1|2              TIFF output; /m=1 also writes each page as a TIFF beside its PDF
  --plan                convert nothing: print each file the folder request would convert
                        and its PDF path, each ended by a NUL byte, to fan the folder out
                        over many processes (tarvelo-parallel does)
  -h, --help            print this help
  --version             print the version

Exit codes: 0 done; 1, 2 the window closed; 3 the request failed; 4 no window can be shown.
)";
  out.flush();
}

int ParseCommandLine(BatchJob& job, const CommandLineTargets& targets,
                     std::optional<std::string_view> text) {
  ResetJob(job);
  if (!text)
    return command_line::kNoText;
  if (text->empty())
    return command_line::kEmptyText;
  StartParsing(job, targets);

  std::string_view rest = *text;
  while (!rest.empty() && IsWhiteSpace(rest.back()))
    rest.remove_suffix(1);
  std::string working = std::string(rest) + ' ';
  rest = TrimLeft(working);

  for (auto space = rest.find(' '); space != std::string_view::npos && space > 0;
       space = rest.find(' ')) {
    std::string_view token = rest.substr(0, space);
    std::size_t consumed = space + 1;
    const Option* option = FindOption(token);
    if (option) {
      std::string_view value = token.substr(option->name.size());
      // A quoted value runs from the quote after the option name to the next
      // quote anywhere in the text, across spaces.
      if (option->match == Match::QuotablePrefix && value.starts_with('"')) {
        std::size_t open = option->name.size();
        std::size_t close = rest.find('"', open + 1);
        std::size_t end = close == std::string_view::npos ? rest.size() - 1 : close;
        value = rest.substr(open + 1, end - open - 1);
        consumed = std::min(rest.size(), end + 2);
      }
      option->apply(job, targets, std::string(value));
    }
    rest = TrimLeft(rest.substr(consumed));
  }
  return Verdict(job, targets);
}

int ParseArguments(BatchJob& job, const CommandLineTargets& targets,
                   const std::vector<std::string>& arguments) {
  ResetJob(job);
  if (arguments.empty())
    return command_line::kEmptyText;
  StartParsing(job, targets);
  for (const std::string& argument : arguments) {
    std::string_view token = TrimLeft(argument);
    const Option* option = FindOption(token);
    if (!option)
      continue;
    std::string_view value = token.substr(option->name.size());
    if (option->match == Match::QuotablePrefix && value.size() >= 2 && value.front() == '"' &&
        value.back() == '"')
      value = value.substr(1, value.size() - 2);
    option->apply(job, targets, std::string(value));
  }
  return Verdict(job, targets);
}
