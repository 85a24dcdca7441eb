#include "app/Configuration.h"

#include "support/Scratch.h"

#include <gtest/gtest.h>

using namespace testing_support;

TEST(Configuration, MissingFileAndKeysReadAsDefaults) {
  ScratchFolder scratch;
  const std::string file = scratch / "mirelda.ini";
  EXPECT_EQ(LoadMain(file), MainSection{});
  EXPECT_EQ(LoadOptions(file), OptionsSection{});
  EXPECT_EQ(LoadSettings(file, SettingsSectionFrom(ConversionSettings{})), SettingsSection{});

  // Hand-edited values; the rest keep the defaults they are given.
  WriteFile(file, "[Options]\r\nCycleMinutes=soon\r\nKeepExt=-1\r\n[Settings]\r\nThreshold=80\r\n");
  OptionsSection options;
  options.CycleMinutes = 0;
  options.KeepExt = -1;
  EXPECT_EQ(LoadOptions(file), options);
  ConversionSettings current;
  current.FlagNum = 7;
  SettingsSection settings = SettingsSectionFrom(current);
  EXPECT_EQ(settings.FlagNum, 7);
  settings.Threshold = 80;
  EXPECT_EQ(LoadSettings(file, SettingsSectionFrom(current)), settings);
}

TEST(Configuration, SavesSeventeenKeysInOrderIntoANewFolderAndReadsThemBack) {
  ScratchFolder scratch;
  const std::string file = scratch / "config/tarvelo/mirelda.ini";
  const MainSection main{"/in/fax", "/out pdf", ""};
  const OptionsSection options{1, 1, 0, 1, 0, 1, 4000000000u};
  const SettingsSection settings{2, 0, -5, 70000, 4, 1, 1};
  ASSERT_TRUE(SaveMain(file, main));
  ASSERT_TRUE(SaveOptions(file, options));
  ASSERT_TRUE(SaveSettings(file, settings));
  EXPECT_EQ(ReadFile(file), "[Main]\r\nFaxDir=/in/fax\r\nSaveDir=/out pdf\r\nBakDir=\r\n\r\n"
                            "[Options]\r\nDirFile=1\r\nSubdir=1\r\nHiberarchy=0\r\nKeepDate=1\r\n"
                            "KeepExt=0\r\nCyclely=1\r\nCycleMinutes=4000000000\r\n\r\n"
                            "[Settings]\r\nAutoBit=2\r\nNStdWidth=0\r\nMinWidth=-5\r\n"
                            "Threshold=70000\r\nFlagNum=4\r\nRawFlag=1\r\nRecaculate=1\r\n");
  EXPECT_EQ(LoadMain(file), main);
  EXPECT_EQ(LoadOptions(file), options);
  EXPECT_EQ(LoadSettings(file, SettingsSection{}), settings);
  EXPECT_FALSE(SaveMain(file + "/x.ini", main)); // a file stands where the folder would be
}

TEST(Configuration, ApplyKeepsTheLowBitsOfEachFieldAndSetsTheChosenResolution) {
  ConversionSettings settings;
  settings.verticalResolution = 300;
  ApplySettings(SettingsSection{258, 513, 40000, 70000, 260, -1, 2}, -1, settings);
  EXPECT_EQ(settings.AutoBit, 2);
  EXPECT_EQ(settings.NStdWidth, 1);
  EXPECT_EQ(settings.MinWidth, -25536);
  EXPECT_EQ(settings.Threshold, 4464);
  EXPECT_EQ(settings.FlagNum, 4);
  EXPECT_EQ(settings.RawFlag, 255);
  EXPECT_EQ(settings.Recaculate, 2);
  EXPECT_EQ(settings.verticalResolution, 300);
  ApplySettings(SettingsSection{}, 2, settings);
  EXPECT_EQ(settings.verticalResolution, 200);
  EXPECT_EQ(SettingsSectionFrom(settings), SettingsSection{});
}
