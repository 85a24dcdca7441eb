#include "batch/CommandLine.h"

#include "platform/MessageBox.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {

struct Message {
  std::string text, caption;
};

// Runs the parser over a text or arguments and records what it says.
class CommandLineTest : public ::testing::Test {
protected:
  void SetUp() override {
    platform::SetMessagePresenter(
        [this](const std::string& text, const std::string& caption, platform::MessageKind) {
          messages.push_back({text, caption});
        });
  }
  void TearDown() override { platform::SetMessagePresenter({}); }

  int Parse(std::optional<std::string_view> text) {
    return ParseCommandLine(job, CommandLineTargets{settings, logPath, usage}, text);
  }
  int ParseArgs(const std::vector<std::string>& args) {
    return ParseArguments(job, CommandLineTargets{settings, logPath, usage}, args);
  }

  BatchJob job;
  ConversionSettings settings;
  std::string logPath = "default.log";
  std::ostringstream usage;
  std::vector<Message> messages;
};

const char* const kUsage =
    "Usage: quorren [/l /q] /f [/b=0] /f=source-file /sf=dest-tif-file\n"
    "or\n"
    "Usage: quorren [/l /q] /d [/b=0] /d=source-directory /sd=dest-directory [/filter=]\n";

} // namespace

TEST_F(CommandLineTest, FileRequestRunsInCommandLineMode) {
  EXPECT_EQ(Parse("/f=C/in/fax.g3 /sf=C/out/fax.pdf"), 0);
  EXPECT_EQ(job.mode, BatchJob::Mode::File);
  EXPECT_EQ(job.source, "C/in/fax.g3");
  EXPECT_EQ(job.destination, "C/out/fax.pdf");
  EXPECT_TRUE(usage.str().empty());
  EXPECT_TRUE(messages.empty());
}

TEST_F(CommandLineTest, OptionNamesIgnoreCaseButValuesKeepIt) {
  EXPECT_EQ(Parse("/F=In/Fax.G3 /SF=Out/Fax.PDF /L /Q /KE /I /KH /FILTER=*.G3"), 0);
  EXPECT_EQ(job.source, "In/Fax.G3");
  EXPECT_EQ(job.destination, "Out/Fax.PDF");
  EXPECT_TRUE(job.keepDate && job.quiet && job.keepExtension && job.includeSubfolders &&
              job.keepHierarchy);
  EXPECT_EQ(job.filter, "*.G3");
}

TEST_F(CommandLineTest, QuotedValuesRunToTheNextQuoteAcrossSpaces) {
  EXPECT_EQ(Parse("/f=\"/tmp/My Fax.g3\" /sf=\"/tmp/out dir/A.pdf\"   /q"), 0);
  EXPECT_EQ(job.source, "/tmp/My Fax.g3");
  EXPECT_EQ(job.destination, "/tmp/out dir/A.pdf");
  EXPECT_TRUE(job.quiet) << "parsing goes on after a quoted value";

  EXPECT_EQ(Parse("/d=\"in\" /sd=\"out\" /log=\"my log.txt\""), 0);
  EXPECT_EQ(job.source, "in");
  EXPECT_EQ(job.destination, "out");
  EXPECT_EQ(logPath, "my log.txt");
}

TEST_F(CommandLineTest, FilterIsNeverQuotable) {
  EXPECT_EQ(Parse("/filter=\"*.g3\" /d=a /sd=b"), 0);
  EXPECT_EQ(job.filter, "\"*.g3\"");
}

TEST_F(CommandLineTest, LaterOptionsOverrideEarlierOnes) {
  EXPECT_EQ(Parse("/d=a /sd=b /f=c /sf=d"), 0);
  EXPECT_EQ(job.mode, BatchJob::Mode::File);
  EXPECT_EQ(job.source, "c");
  EXPECT_EQ(job.destination, "d");
  EXPECT_EQ(Parse("/f=c /sf=d /sd=e"), 0);
  EXPECT_EQ(job.mode, BatchJob::Mode::Folder);
  EXPECT_EQ(job.destination, "e");
}

TEST_F(CommandLineTest, RawFaxOptionsSetTheSettings) {
  EXPECT_EQ(Parse("/b=2 /v=2 /nw=2048 /m=1 /raw /relines /f=a /sf=b"), 0);
  EXPECT_EQ(settings.AutoBit, 2);
  EXPECT_EQ(settings.verticalResolution, 200);
  EXPECT_EQ(settings.MinWidth, 2048);
  EXPECT_EQ(settings.NStdWidth, 1);
  EXPECT_EQ(settings.tiffOutputMode, 1);
  EXPECT_EQ(settings.RawFlag, 1);
  EXPECT_EQ(settings.Recaculate, 1);

  EXPECT_EQ(Parse("/nw=wide /v=4 /f=a /sf=b"), 0);
  EXPECT_EQ(settings.MinWidth, 0);
  EXPECT_EQ(settings.NStdWidth, 1);
  EXPECT_EQ(settings.verticalResolution, 400);
  EXPECT_EQ(settings.RawFlag, 0) << "a non-empty command line resets the raw switches";
}

TEST_F(CommandLineTest, OutOfRangeAndUnknownTokensAreIgnored) {
  EXPECT_EQ(Parse("/b=3 /v=5 /m=3 /x /f=a /sf=b junk"), 0);
  EXPECT_EQ(settings.AutoBit, 0);
  EXPECT_EQ(settings.verticalResolution, 0);
  EXPECT_EQ(settings.tiffOutputMode, 0);
}

TEST_F(CommandLineTest, EmptySaveOptionShowsTheSaveFolderError) {
  EXPECT_EQ(Parse("/d=in /sd="), 126);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].caption, "ERROR Save Folder");
  EXPECT_EQ(
      messages[0].text,
      "Please set save folder with '/sd=' or '/sf=', and be sure it is not the same as source-dir");
  EXPECT_TRUE(usage.str().empty());
}

TEST_F(CommandLineTest, NoModeWritesTheUsage) {
  EXPECT_EQ(Parse("/d=in"), 126);
  EXPECT_EQ(usage.str(), kUsage);
  EXPECT_TRUE(messages.empty());
}

TEST_F(CommandLineTest, MissingEmptyAndBlankTexts) {
  settings.NStdWidth = 1;
  EXPECT_EQ(Parse(std::nullopt), -1);
  EXPECT_EQ(Parse(""), -2);
  EXPECT_EQ(settings.NStdWidth, 1) << "an empty line leaves the settings alone";
  EXPECT_EQ(Parse(" \t  "), 126);
  EXPECT_EQ(usage.str(), kUsage);
  EXPECT_EQ(settings.NStdWidth, 0);
  EXPECT_EQ(settings.RawFlag, 0);
  EXPECT_EQ(settings.Recaculate, 0);
}

TEST_F(CommandLineTest, ParsingResetsTheJobOptions) {
  EXPECT_EQ(Parse("/l /q /bd=back /filter=*.g3 /f=a /sf=b"), 0);
  EXPECT_EQ(Parse("/f=a /sf=b"), 0);
  EXPECT_FALSE(job.keepDate || job.quiet);
  EXPECT_EQ(job.filter, "*.*");
  EXPECT_EQ(job.backupFolder, "");
}

TEST_F(CommandLineTest, ShellArgumentsAreOneTokenEach) {
  EXPECT_EQ(ParseArgs({"/f=/tmp/my fax.g3", "/SF=/tmp/out dir/a.pdf", "/q"}), 0);
  EXPECT_EQ(job.source, "/tmp/my fax.g3");
  EXPECT_EQ(job.destination, "/tmp/out dir/a.pdf");
  EXPECT_TRUE(job.quiet);

  // Quotes inside a value survive; a value wrapped in quotes loses them.
  EXPECT_EQ(ParseArgs({"/f=say \"hi\".g3", "/sf=\"-dash.pdf\""}), 0);
  EXPECT_EQ(job.source, "say \"hi\".g3");
  EXPECT_EQ(job.destination, "-dash.pdf");

  EXPECT_EQ(ParseArgs({}), -2);
  EXPECT_EQ(ParseArgs({"/d=in", "/sd="}), 126);
  EXPECT_EQ(messages.size(), 1u);
}
