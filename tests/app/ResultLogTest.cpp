#include "app/ResultLog.h"
#include "app/AppPaths.h"

#include "support/Scratch.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace testing_support;

TEST(ResultLog, EntryHasStampTextAndSeparatorWithCrLfLineEnds) {
  std::tm when{};
  when.tm_year = 2009 - 1900;
  when.tm_mon = 4;
  when.tm_mday = 20;
  when.tm_hour = 12;
  when.tm_min = 51;
  when.tm_sec = 7;
  const std::string text = "heading\r\nbare line\nend\r\n";
  EXPECT_EQ(FormatLogEntry(when, text), "2009-05-20 12:51:07\r\nheading\r\nbare line\r\nend\r\n" +
                                            std::string(50, '-') + "\r\n");
}

TEST(ResultLog, AppendsOneEntryPerCallCreatingOneFolderLevel) {
  ScratchFolder scratch;
  const std::string log = scratch / "log/kvtlog.txt";
  AppendLog(log, "first\r\n");
  AppendLog(log, "second\r\n");
  const std::string content = ReadFile(log);
  const std::string separator = std::string(50, '-') + "\r\n";
  ASSERT_EQ(content.size(), 21 + 7 + separator.size() + 21 + 8 + separator.size());
  EXPECT_EQ(content.substr(19, 9), "\r\nfirst\r\n");
  EXPECT_EQ(content.substr(28, separator.size()), separator);
  EXPECT_TRUE(content.ends_with("\r\nsecond\r\n" + separator));
}

TEST(ResultLog, FailuresAreSilent) {
  ScratchFolder scratch;
  AppendLog(scratch / "missing/parent/kvtlog.txt", "x\r\n");
  EXPECT_FALSE(Exists(scratch / "missing"));
  AppendLog("", "x\r\n");
  WriteFile(scratch / "file", "");
  AppendLog(scratch / "file/kvtlog.txt", "x\r\n");
  EXPECT_EQ(ReadFile(scratch / "file"), "");
}

TEST(AppPaths, WorkFilesInThePrivateFolderAndLogBesideTheExecutable) {
  ScratchFolder scratch;
  AppPaths paths = BuildPaths(scratch / "quorren", scratch / "work");
  EXPECT_EQ(paths.executableFolder, scratch.path());
  EXPECT_EQ(paths.logPath, scratch / "log/kvtlog.txt");
  EXPECT_EQ(paths.configurationPath, scratch / "mirelda.ini");
  EXPECT_TRUE(paths.userFolderToCreate.empty());
  EXPECT_EQ(paths.rawImagePath, scratch / "work/kvttmp.tmp");
  EXPECT_EQ(paths.rawSegmentPath, scratch / "work/kvtseg.tmp");
  EXPECT_EQ(paths.engineTiffPath, scratch / "work/kvttif.tmp");
  EXPECT_EQ(paths.engineOutputPath, scratch / "work/kvtintif.tmp");
  EXPECT_EQ(paths.copierOutputPath, scratch / "work/kvtcptif.tmp");

  ConversionSettings settings = DefaultSettings(paths);
  EXPECT_EQ(settings.rawImagePath, paths.rawImagePath);
  EXPECT_EQ(settings.Threshold, 50);
  EXPECT_EQ(settings.FlagNum, 3);
  EXPECT_EQ(settings.NStdWidth, 1);
  EXPECT_EQ(settings.MinWidth, 1728);
  EXPECT_EQ(settings.AutoBit, 0);
  EXPECT_EQ(settings.verticalResolution, 0);
}

TEST(AppPaths, UnwritableOrInstalledExecutableFolderUsesTheUserFolders) {
  ScratchFolder scratch;
  setenv("XDG_STATE_HOME", (scratch / "state").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (scratch / "config").c_str(), 1);
  std::filesystem::create_directories(scratch / "usr/bin");
  std::filesystem::create_directories(scratch / "usr/share/doc/tarvelo");
  for (const std::string& executable : {scratch / "no/such/folder/quorren", scratch / "usr/bin/quorren"}) {
    AppPaths paths = BuildPaths(executable, scratch / "work");
    EXPECT_EQ(paths.logPath, scratch / "state/tarvelo/log/kvtlog.txt") << executable;
    EXPECT_EQ(paths.configurationPath, scratch / "config/tarvelo/mirelda.ini") << executable;
    EXPECT_EQ(paths.userFolderToCreate, scratch / "state/tarvelo") << executable;
  }
  unsetenv("XDG_STATE_HOME");
  unsetenv("XDG_CONFIG_HOME");
}
