// The command-line program end to end: run modes, exit codes, what it prints
// and logs, and the files it leaves behind.
#include "support/PdfChecks.h"
#include "support/Scratch.h"
#include "support/TiffFixtures.h"
#include "support/Tools.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <thread>

using namespace testing_support;

namespace {

class ProgramTest : public ::testing::Test {
protected:
  ProgramTest() {
    std::filesystem::create_directory(scratch / "tmp");
    std::filesystem::create_directory(scratch / "in");
  }

  // No display: a request that falls through to the window must say so
  // instead of opening one.
  ToolRun Run(std::vector<std::string> args, const std::string& tmp = "tmp") {
    args.insert(args.begin(), QuorrenPath());
    return RunTool(args, {"TMPDIR=" + scratch / tmp, "DISPLAY=", "WAYLAND_DISPLAY=",
                          "QT_QPA_PLATFORM="});
  }
  bool WorkFoldersLeft() { return !std::filesystem::is_empty(scratch / "tmp"); }
  int Start(std::vector<std::string> args, StandardOutput output) {
    args.insert(args.begin(), QuorrenPath());
    return StartTool(args, {"TMPDIR=" + scratch / "tmp"}, output);
  }
  // Copies of one Group 4 fax page in the source folder, named 000.tif ...
  void WriteFaxes(int count) {
    TiffPageSpec page;
    page.raster = TextLikePage(1728, 2200);
    WriteTiffFile(scratch / "in/000.tif", {page});
    for (int i = 1; i < count; ++i)
      std::filesystem::copy_file(scratch / "in/000.tif",
                                 scratch / ("in/" + std::to_string(1000 + i).substr(1) + ".tif"));
  }
  bool HiddenTemporariesLeft(const std::string& folder) {
    std::error_code missing;
    for (const auto& entry : std::filesystem::directory_iterator(folder, missing))
      if (entry.path().filename().string().starts_with("."))
        return true;
    return false;
  }

  ScratchFolder scratch;
};

} // namespace

TEST_F(ProgramTest, NoRequestWithoutADisplaySaysSoInsteadOfOpeningTheWindow) {
  auto run = Run({});
  EXPECT_EQ(run.exitCode, 4);
  EXPECT_NE(run.output.find("Usage: quorren [/l /q] /f [/b=0]"), std::string::npos);
  EXPECT_NE(run.errors.find("no display for the window"), std::string::npos);

  run = Run({"/d=" + scratch / "in"});
  EXPECT_EQ(run.exitCode, 4);
  EXPECT_EQ(run.output.find("Usage:"), 0u) << "the usage is written once";
  EXPECT_EQ(run.output.find("Usage:", 10), run.output.rfind("Usage:"));
}

TEST_F(ProgramTest, EmptySaveFolderIsAnErrorOnStandardError) {
  auto run = Run({"/d=" + scratch / "in", "/sd="});
  EXPECT_EQ(run.exitCode, 4);
  EXPECT_NE(run.errors.find("ERROR Save Folder"), std::string::npos);
  EXPECT_EQ(run.output.find("Usage:"), std::string::npos);
}

TEST_F(ProgramTest, FolderRequestPrintsAndLogsTheResultText) {
  WriteFile(scratch / "in/notes.txt", "never listed");
  WriteFile(scratch / "in/scan.pdf", "%PDF");
  WriteFile(scratch / "in/junk.g3", "not a fax at all");
  const std::string log = scratch / "logs/kvtlog.txt";
  std::filesystem::create_directory(scratch / "logs");
  auto run = Run({"/d=" + scratch / "in", "/sd=" + scratch / "out", "/log=" + log});
  EXPECT_EQ(run.exitCode, 0) << "a stray non-fax file does not fail the folder request\n"
                             << run.output;
  const std::string expectedLines[] = {
      "Please Wait...\n",
      "Tarvelo command line mode : convert folder\nSource Folder: " + scratch / "in" +
          "\nSave Folder: " + scratch / "out" + "\n",
      scratch / "in/scan.pdf : already PDF format, need no converting!\n",
      scratch / "in/junk.g3 --> " +
          scratch / "out/junk.pdf : Failed : " + scratch / "in/junk.g3 - Not Fax\n",
      "\n---------\nTotal converted FAX files: 0\n",
  };
  for (const auto& line : expectedLines)
    EXPECT_NE(run.output.find(line), std::string::npos) << line << "\nin:\n" << run.output;
  EXPECT_EQ(run.output.find("notes.txt"), std::string::npos);
  EXPECT_EQ(run.output.find('\r'), std::string::npos) << "the terminal gets plain line ends";

  const std::string logged = ReadFile(log);
  EXPECT_NE(logged.find("\r\nTarvelo command line mode : convert folder\r\n"), std::string::npos);
  EXPECT_TRUE(logged.ends_with("Total converted FAX files: 0\r\n" + std::string(50, '-') + "\r\n"));
  EXPECT_FALSE(WorkFoldersLeft()) << "the private work folder is removed at exit";
}

TEST_F(ProgramTest, QuietRunPrintsNoResultButStillLogs) {
  const std::string log = scratch / "log.txt";
  auto run =
      Run({"/q", "/f=" + scratch / "in/missing.g3", "/sf=" + scratch / "out.pdf", "/log=" + log});
  EXPECT_EQ(run.exitCode, 3) << "no PDF was written";
  EXPECT_EQ(run.output, "");
  EXPECT_NE(ReadFile(log).find(
                "Tarvelo command line mode : convert file\r\n" + scratch / "in/missing.g3 --> " +
                scratch / "out.pdf : Failed : " + scratch / "in/missing.g3 - Not Fax\r\n"),
            std::string::npos);
  EXPECT_FALSE(Exists(scratch / "out.pdf"));
}

// A folder whose path is longer than the system accepts: no user, root
// included, can open it by name, so the walk cannot read it.
void MakeFolderTooDeepToOpen(const std::string& parent) {
  const std::string level(250, 'd');
  const auto start = std::filesystem::current_path();
  std::filesystem::current_path(parent);
  std::string path = parent;
  while (path.size() <= 4096) {
    std::filesystem::create_directory(level);
    std::filesystem::current_path(level);
    path += "/" + level;
  }
  std::filesystem::current_path(start);
}

TEST_F(ProgramTest, UnreadableFoldersAreReportedAndFailTheRequest) {
  auto run = Run(
      {"/q", "/d=" + scratch / "nowhere", "/sd=" + scratch / "out", "/log=" + scratch / "log.txt"});
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_NE(ReadFile(scratch / "log.txt")
                .find("Failed to read folder : " + scratch / "nowhere\r\n\r\n---------\r\n"
                                                             "Total converted FAX files: 0"),
            std::string::npos);

  MakeFolderTooDeepToOpen(scratch / "in");
  run = Run({"/q", "/i", "/d=" + scratch / "in", "/sd=" + scratch / "out",
             "/log=" + scratch / "log2.txt"});
  EXPECT_EQ(run.exitCode, 3) << "a sub-folder that cannot be read fails the request";
  // The walk stops at the first level it cannot open.
  EXPECT_NE(ReadFile(scratch / "log2.txt").find("Failed to read folder : " + scratch / "in/d"),
            std::string::npos);
  // Removed level by level from inside: its full path is too long to name.
  const auto start = std::filesystem::current_path();
  std::filesystem::current_path(scratch / "in");
  std::filesystem::remove_all(std::string(250, 'd'));
  std::filesystem::current_path(start);
}

TEST_F(ProgramTest, OddNamesAreReportedNeverMangled) {
  const std::string odd = scratch / "in/-dash \"quoted\" \xC3\xA9t\xC3\xA9.g3";
  WriteFile(odd, "garbage");
  auto run = Run({"/f=" + odd, "/sf=" + scratch / "out dir/-x.pdf", "/log=" + scratch / "log.txt"});
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_NE(
      run.output.find(odd + " --> " + scratch / "out dir/-x.pdf : Failed : " + odd + " - Not Fax"),
      std::string::npos)
      << run.output;
  EXPECT_EQ(ReadFile(odd), "garbage");
}

TEST_F(ProgramTest, TheSourceIsNeverReplacedByItsPdf) {
  const std::string original("II*\0payload", 11);
  WriteFile(scratch / "in/fax.tif", original);
  auto run = Run({"/q", "/f=" + scratch / "in/fax.tif", "/sf=" + scratch / "in/fax.tif",
                  "/log=" + scratch / "log.txt"});
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_EQ(ReadFile(scratch / "in/fax.tif"), original);
  EXPECT_NE(ReadFile(scratch / "log.txt").find("Source and destination are the same file"),
            std::string::npos);
}

TEST_F(ProgramTest, AWorkFolderThatCannotBeMadeFailsEachRequestInItsResultText) {
  WriteFile(scratch / "in/fax.g3", "x");
  const std::string failure = scratch / "in/fax.g3 - cannot create a work folder\n";
  const std::string log = "/log=" + scratch / "log.txt";
  const std::vector<std::string> requests[] = {
      {"/f=" + scratch / "in/fax.g3", "/sf=" + scratch / "out/fax.pdf", log},
      {"/d=" + scratch / "in", "/sd=" + scratch / "out", log}};
  for (const auto& request : requests) {
    auto run = Run(request, "no such folder");
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_NE(
        run.output.find(scratch / "in/fax.g3 --> " + scratch / "out/fax.pdf : Failed : " + failure),
        std::string::npos)
        << run.output;
    EXPECT_NE(ReadFile(scratch / "log.txt").find("Failed : " + scratch / "in/fax.g3 - cannot"),
              std::string::npos);
    std::filesystem::remove(scratch / "log.txt");
  }
  auto bare = Run({}, "no such folder");
  EXPECT_EQ(bare.exitCode, 4) << "a bare call still asks for the window";
  EXPECT_EQ(bare.output.find("Usage: quorren"), 0u);
}

TEST_F(ProgramTest, AClosedStandardOutputDoesNotStopTheConversion) {
  WriteFaxes(1);
  const int pid = Start({"/f=" + scratch / "in/000.tif", "/sf=" + scratch / "out/000.pdf",
                         "/log=" + scratch / "log.txt"},
                        StandardOutput::ClosedPipe);
  ASSERT_GT(pid, 0);
  EXPECT_EQ(WaitForTool(pid), 0);
  EXPECT_TRUE(Exists(scratch / "out/000.pdf"));
  EXPECT_NE(ReadFile(scratch / "log.txt").find("Success !"), std::string::npos);
  EXPECT_FALSE(WorkFoldersLeft());
}

TEST_F(ProgramTest, TerminationRequestsRemoveWorkFilesAndEndWith128PlusTheSignal) {
  WriteFaxes(150);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    std::filesystem::remove_all(scratch / "out");
    const int pid = Start(
        {"/q", "/d=" + scratch / "in", "/sd=" + scratch / "out", "/log=" + scratch / "log.txt"},
        StandardOutput::Discarded);
    ASSERT_GT(pid, 0);
    // Signalled in the middle of the job, while a PDF is being written.
    for (int wait = 0; wait < 5000 && !HiddenTemporariesLeft(scratch / "out"); ++wait)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ::kill(pid, signal);
    EXPECT_EQ(WaitForTool(pid), 128 + signal);
    EXPECT_FALSE(WorkFoldersLeft());
    EXPECT_FALSE(HiddenTemporariesLeft(scratch / "out"));
    EXPECT_LT(std::distance(std::filesystem::directory_iterator(scratch / "out"), {}), 150)
        << "the job was still running when signalled";
  }
}

TEST_F(ProgramTest, PageTiffsGoBesideThePdfAndNeverReplaceAFile) {
  std::vector<TiffPageSpec> pages(2);
  pages[0].raster = TextLikePage(1728, 400, 1);
  pages[1].raster = TextLikePage(1728, 300, 2);
  WriteTiffFile(scratch / "in/fax.g3n", pages);
  const std::vector<std::string> request = {"/q", "/m=1", "/f=" + scratch / "in/fax.g3n",
                                            "/sf=" + scratch / "out/fax.pdf",
                                            "/log=" + scratch / "log.txt"};
  ASSERT_EQ(Run(request).exitCode, 0) << ReadFile(scratch / "log.txt");
  EXPECT_TRUE(QpdfCheck(scratch / "out/fax.pdf").ok);
  for (int page = 0; page < 2; ++page) {
    const auto written = ReadTiffPages(scratch / ("out/fax00" + std::to_string(page + 1) + ".tif"));
    ASSERT_EQ(written.size(), 1u) << "page " << page + 1;
    EXPECT_TRUE(written[0] == pages[page].raster) << "page " << page + 1;
  }
  EXPECT_FALSE(Exists(scratch / "out/fax003.tif"));
  EXPECT_FALSE(WorkFoldersLeft());

  // A second run meets the first run's page TIFFs and keeps them.
  WriteFile(scratch / "out/fax002.tif", "kept");
  std::filesystem::remove(scratch / "out/fax001.tif");
  EXPECT_EQ(Run(request).exitCode, 3);
  EXPECT_EQ(ReadFile(scratch / "out/fax002.tif"), "kept");
  EXPECT_NE(ReadFile(scratch / "log.txt")
                .find("Failed : " + scratch / "in/fax.g3n - cannot write page TIFF " +
                      scratch / "out/fax002.tif\r\n"),
            std::string::npos);
}

TEST_F(ProgramTest, HelpAndVersionAnswerOnStandardOutputAndOpenNoWindow) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--help"}, {"-h"}, {"/q", "--help", "/d=x"}}) {
    auto run = Run(args);
    EXPECT_EQ(run.exitCode, 0) << args[0];
    EXPECT_EQ(run.errors, "") << args[0];
    EXPECT_EQ(run.output.find("Usage: quorren"), 0u) << args[0];
    for (const char* option : {"/f=", "/sf=", "/d=", "/sd=", "/filter=", "/i ", "/kh", "/ke",
                               "/bd=", "/l ", "/q ", "/log=", "/b=", "/v=", "/nw=", "/raw",
                               "/relines", "/m=", "--plan", "--version"})
      EXPECT_NE(run.output.find(option), std::string::npos) << option << " is not explained";
  }
  auto run = Run({"--version"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.errors, "");
  EXPECT_TRUE(std::regex_match(run.output, std::regex(R"(quorren \(Tarvelo\) \d+\.\d+\.\d+\n)")))
      << run.output;
  EXPECT_FALSE(WorkFoldersLeft());
}

namespace {

using PlannedPair = std::pair<std::string, std::string>; // source, PDF

std::vector<PlannedPair> PlannedPairs(const std::string& plan) {
  std::vector<std::string> fields;
  for (std::size_t start = 0, end; (end = plan.find('\0', start)) != std::string::npos;
       start = end + 1)
    fields.push_back(plan.substr(start, end - start));
  EXPECT_TRUE(plan.empty() || plan.back() == '\0') << "the last field is cut short";
  EXPECT_EQ(fields.size() % 2, 0u) << "a source without its PDF";
  std::vector<PlannedPair> pairs;
  for (std::size_t i = 0; i + 1 < fields.size(); i += 2)
    pairs.emplace_back(fields[i], fields[i + 1]);
  return pairs;
}

std::set<std::string> FilesBelow(const std::string& folder) {
  std::set<std::string> files;
  std::error_code missing;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, missing))
    if (entry.is_regular_file())
      files.insert(entry.path().string());
  return files;
}

} // namespace

// The plan must name exactly the conversions, and the PDFs, of a real folder
// run with the same options: parallel runs rely on it to give the same tree.
TEST_F(ProgramTest, PlanListsWhatTheFolderRunConvertsAndTheNamesItWrites) {
  TiffPageSpec page;
  page.raster = TextLikePage(1728, 120);
  WriteTiffFile(scratch / "in/top.tif", {page});
  std::filesystem::create_directories(scratch / "in/sub b/deep");
  WriteTiffFile(scratch / "in/sub b/with blank.g3n", {page});
  WriteTiffFile(scratch / "in/sub b/deep/low.fmf", {page});
  WriteFile(scratch / "in/sub b/notes.txt", "never a fax");
  WriteFile(scratch / "in/sub b/scan.pdf", "%PDF");

  const std::vector<std::vector<std::string>> optionSets = {
      {}, {"/i"}, {"/i", "/kh"}, {"/i", "/ke"}, {"/i", "/kh", "/ke"}};
  for (const auto& options : optionSets) {
    std::string label;
    for (const auto& option : options)
      label += option + " ";
    SCOPED_TRACE(label);
    std::filesystem::remove_all(scratch / "out");
    std::vector<std::string> args = options;
    args.insert(args.end(), {"/d=" + scratch / "in", "/sd=" + scratch / "out"});

    std::vector<std::string> planArgs = args;
    planArgs.insert(planArgs.begin(), "--plan");
    const auto plan = Run(planArgs);
    EXPECT_EQ(plan.exitCode, 0);
    EXPECT_EQ(plan.errors, "");
    EXPECT_FALSE(Exists(scratch / "out")) << "the plan converts nothing";
    const auto pairs = PlannedPairs(plan.output);
    EXPECT_EQ(pairs.size(), options.empty() ? 1u : 3u);

    args.push_back("/log=" + scratch / "log.txt");
    const auto serial = Run(args);
    ASSERT_EQ(serial.exitCode, 0) << serial.output;
    std::set<std::string> plannedPdfs;
    for (const auto& [source, pdf] : pairs) {
      EXPECT_NE(serial.output.find(source + " --> " + pdf + " : Success !\n"), std::string::npos)
          << source << " -> " << pdf << "\nnot in:\n"
          << serial.output;
      plannedPdfs.insert(pdf);
    }
    EXPECT_EQ(plannedPdfs, FilesBelow(scratch / "out"));
  }
  EXPECT_EQ(ReadFile(scratch / "log.txt").find("--plan"), std::string::npos);
}

TEST_F(ProgramTest, PlanFailsOnFoldersItCannotReadAndOnRequestsThatAreNoFolderRun) {
  WriteFile(scratch / "in/fax.g3", "x");
  MakeFolderTooDeepToOpen(scratch / "in");
  auto run = Run({"--plan", "/i", "/d=" + scratch / "in", "/sd=" + scratch / "out"});
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_NE(run.errors.find("cannot read folder " + scratch / "in/d"), std::string::npos)
      << run.errors;
  const auto pairs = PlannedPairs(run.output);
  ASSERT_EQ(pairs.size(), 1u) << "what was found is still listed";
  EXPECT_EQ(pairs[0], PlannedPair(scratch / "in/fax.g3", scratch / "out/fax.pdf"));
  const auto start = std::filesystem::current_path();
  std::filesystem::current_path(scratch / "in");
  std::filesystem::remove_all(std::string(250, 'd'));
  std::filesystem::current_path(start);

  const std::vector<std::string> notFolderRuns[] = {
      {"--plan", "/d=" + scratch / "in"},
      {"--plan", "/d=" + scratch / "in", "/sd="},
      {"--plan", "/f=" + scratch / "in/fax.g3", "/sf=" + scratch / "fax.pdf"}};
  for (const auto& args : notFolderRuns) {
    run = Run(args);
    EXPECT_EQ(run.exitCode, 3) << args[1];
    EXPECT_EQ(run.output, "") << "the plan's output holds nothing but the plan";
    EXPECT_NE(run.errors.find("--plan needs a folder request"), std::string::npos);
  }
  EXPECT_FALSE(Exists(scratch / "fax.pdf"));
}
