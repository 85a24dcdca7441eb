#include "faxengine/FaxFormat.h"

#include "support/Scratch.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace testing_support;

TEST(IdentifyFormat, ExtensionRulesInOrderWithPrefixMatching) {
  struct Case {
    const char* path;
    int format;
  } cases[] = {
      {"fax.TIF", 16},  {"fax.tiff", 16},  {"fax.Tiffany", 16},
      {"fax.ti", 0},    {"a.fmf", 10},     {"a.FXD", 11},
      {"a.fxm", 11},    {"a.fxr", 11},     {"a.fxs", 11},
      {"a.awd", 3},     {"a.apf", 1},      {"a.bfx", 4},
      {"a.dcx", 7},     {"a.bmp", 5},      {"page.cals", 6},
      {"x.calx", 6},    {"a.cg4", 6},      {"a.gp4", 6},
      {"a.img", 6},     {"a.mil", 6},      {"a.oda", 6},
      {"a.ras", 6},     {"a.ig4", 13},     {"a.qfx", 14},
      {"fax.g3n", 17},  {"a.ds", 8},       {"a.DS1", 8},
      {"a.dsx", 8},     {"a.ed", 9},       {"a.kvr", 18},
      {"mail.dbx", -2}, {"notes.txt", -2}, {"a.sys", -2},
      {"a.dll", -2},    {"a.bat", -2},     {"a.lnk", -2},
      {"a.zip", -2},    {"a.rar", -2},     {"data.bin", 0},
      {"fax.g3", 0},    {"fax.", 0},       {"/in.box/page", 0},
      {"received", 9},  {"/x/fields", 8},  {"/x/mydb", -2},
      {"a", 0},         {"", 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(int(IdentifyFormat(c.path)), c.format) << c.path;
}

TEST(IdentifyFormat, G3fIsDecidedByTheFirstBytes) {
  ScratchFolder scratch;
  WriteFile(scratch / "tiff.g3f", std::string("II\x2A\x00\x08\x00\x00\x00", 8));
  WriteFile(scratch / "bigtiff.g3f", std::string("MM\x00\x2A", 4));
  WriteFile(scratch / "notmm.g3f", std::string("MX\x00\x2A", 4));
  WriteFile(scratch / "pcr.g3f", std::string("\x01PC Research, Inc\x00", 18));
  WriteFile(scratch / "pcr-lower.g3f", std::string("\x01pc research, inc\x00", 18));
  WriteFile(scratch / "empty.g3f", "");
  WriteFile(scratch / "short.G3F", "II*");
  EXPECT_EQ(int(IdentifyFormat(scratch / "tiff.g3f")), 17);
  EXPECT_EQ(int(IdentifyFormat(scratch / "bigtiff.g3f")), 17);
  EXPECT_EQ(int(IdentifyFormat(scratch / "notmm.g3f")), 0) << "big-endian needs its \"MM\" mark";
  EXPECT_EQ(int(IdentifyFormat(scratch / "pcr.g3f")), 12);
  EXPECT_EQ(int(IdentifyFormat(scratch / "pcr-lower.g3f")), 0) << "the signature is case-sensitive";
  EXPECT_EQ(int(IdentifyFormat(scratch / "empty.g3f")), 0);
  EXPECT_EQ(int(IdentifyFormat(scratch / "short.G3F")), 17) << "a short file is judged zero-filled";
  EXPECT_EQ(int(IdentifyFormat(scratch / "missing.g3f")), 0);
  std::filesystem::create_directory(scratch / "folder.g3f");
  EXPECT_EQ(int(IdentifyFormat(scratch / "folder.g3f")), 0) << "a folder is never opened";
}
