// The TIFF fax reader's own parsing: headers of both byte orders, values
// packed in entries, and directory chains that loop or lie.
#include "faxengine/TiffFaxReader.h"

#include "TiffBytes.h"
#include "support/Scratch.h"

#include <gtest/gtest.h>

using testing_support::ScratchFolder;
using tiff_bytes::Builder;

namespace {

// Opens bytes written to a scratch file and runs Detect.
int OpenAndDetect(TiffFaxReader& reader, const ScratchFolder& folder,
                  const std::vector<std::uint8_t>& bytes) {
  std::string path = folder / "doc.fmf";
  testing_support::WriteFile(path, bytes);
  reader.Open(path);
  return reader.Detect();
}

// A directory with a fixed size and the given strips, all in LONG fields.
std::vector<tiff_bytes::Entry> PageEntries(const Builder& b, std::vector<std::uint32_t> offsets,
                                           std::vector<std::uint32_t> counts) {
  return {b.Long(256, {16}), b.Long(257, {4}), b.Short(259, {4}), b.Longs(273, offsets),
          b.Longs(279, counts)};
}

} // namespace

TEST(TiffDirectory, ReadsBigEndianShortFieldsAndTwoStripsPackedInTheEntry) {
  ScratchFolder folder;
  Builder b("MM");
  std::uint32_t first = b.Append({1, 2, 3});
  std::uint32_t second = b.Append({4, 5});
  b.AddDirectory({b.Short(256, {1728}), b.Short(257, {2}), b.Short(259, {3}), b.Short(262, {1}),
                  b.Short(266, {2}), b.Short(273, {std::uint16_t(first), std::uint16_t(second)}),
                  b.Short(278, {1}), b.Short(279, {3, 2}), b.Rational(282, 204, 1),
                  b.Rational(283, 392, 2), b.Long(292, {5}), b.Short(296, {3}),
                  b.Short(297, {0, 1})});
  TiffFaxReader reader;
  ASSERT_EQ(OpenAndDetect(reader, folder, b.Bytes()), 0);
  ASSERT_EQ(reader.CountPages(), 1);
  ASSERT_EQ(reader.ReadDirectory(reader.PageOffset(0)), 13);
  TiffPage page = reader.ParseDirectory();
  EXPECT_EQ(page.width, 1728u);
  EXPECT_EQ(page.length, 2u);
  EXPECT_EQ(page.compression, 3);
  EXPECT_EQ(page.photometric, 1);
  EXPECT_EQ(page.fillOrder, 2);
  EXPECT_EQ(page.rowsPerStrip, 1u);
  EXPECT_EQ(page.xResolution.Whole(), 204u);
  EXPECT_EQ(page.yResolution.Whole(), 196u);
  EXPECT_EQ(page.t4Options, 5u);
  EXPECT_EQ(page.resolutionUnit, 3);
  EXPECT_EQ(page.pageNumber, (std::array<std::uint16_t, 2>{0, 1}));
  auto strips = reader.StripsOf(page);
  ASSERT_TRUE(strips.has_value());
  ASSERT_EQ(strips->size(), 2u);
  EXPECT_EQ((*strips)[0].offset, first);
  EXPECT_EQ((*strips)[0].length, 3u);
  EXPECT_EQ((*strips)[1].offset, second);
  EXPECT_EQ((*strips)[1].length, 2u);
}

TEST(TiffDirectory, HeaderMarksAndTheirFailures) {
  ScratchFolder folder;
  TiffFaxReader reader;
  EXPECT_EQ(reader.Detect(), -1) << "no file open";

  Builder faxMark("FF");
  EXPECT_EQ(OpenAndDetect(reader, folder, faxMark.Bytes()), 0) << "\"FF\" is a little-endian mark";

  Builder wrongMagic("II", 43);
  EXPECT_EQ(OpenAndDetect(reader, folder, wrongMagic.Bytes()), -4);
  EXPECT_FALSE(reader.IsOpen()) << "a refused file is closed";

  Builder unknownMark("IM");
  EXPECT_EQ(OpenAndDetect(reader, folder, unknownMark.Bytes()), -4);

  EXPECT_EQ(OpenAndDetect(reader, folder, {'I', 'I', 42, 0, 8, 0, 0}), -3) << "seven header bytes";
  EXPECT_FALSE(reader.IsOpen());
}

TEST(TiffDirectory, ChainsThatLoopStopAtTheFirstRepeatedDirectory) {
  ScratchFolder folder;
  Builder selfLoop;
  selfLoop.AddDirectory(PageEntries(selfLoop, {8}, {1}));
  selfLoop.SetNext(0, selfLoop.DirectoryOffset(0));
  TiffFaxReader reader;
  ASSERT_EQ(OpenAndDetect(reader, folder, selfLoop.Bytes()), 0);
  EXPECT_EQ(reader.CountPages(), 1);
  EXPECT_FALSE(reader.TooManyPages());

  Builder cycle;
  cycle.AddDirectory(PageEntries(cycle, {8}, {1}));
  cycle.AddDirectory(PageEntries(cycle, {8}, {1}));
  cycle.AddDirectory(PageEntries(cycle, {8}, {1}));
  cycle.SetNext(2, cycle.DirectoryOffset(1));
  ASSERT_EQ(OpenAndDetect(reader, folder, cycle.Bytes()), 0);
  EXPECT_EQ(reader.CountPages(), 3) << "three distinct directories, then back to the second";
  EXPECT_EQ(reader.PageOffset(2), cycle.DirectoryOffset(2));
  EXPECT_EQ(reader.PageOffset(3), 0u);
}

// They are counted, so that the copy fails on them rather than dropping them.
TEST(TiffDirectory, DirectoriesOutsideTheFileArePagesThatCannotBeRead) {
  ScratchFolder folder;
  Builder b;
  b.AddDirectory(PageEntries(b, {8}, {1}));
  b.SetNext(0, 0xFFFFFFF0u);
  TiffFaxReader reader;
  ASSERT_EQ(OpenAndDetect(reader, folder, b.Bytes()), 0);
  EXPECT_EQ(reader.CountPages(), 2);
  EXPECT_EQ(reader.ReadDirectory(0), -1);
  EXPECT_EQ(reader.ReadDirectory(0xFFFFFFF0u), -2);

  // A directory that claims 65535 entries where the file holds two.
  Builder huge;
  std::uint32_t at = huge.AddDirectory(PageEntries(huge, {8}, {1}));
  std::vector<std::uint8_t> bytes = huge.Bytes();
  bytes[at] = 0xFF;
  bytes[at + 1] = 0xFF;
  ASSERT_EQ(OpenAndDetect(reader, folder, bytes), 0);
  EXPECT_EQ(reader.CountPages(), 1);
  EXPECT_EQ(reader.ReadDirectory(at), -4);
}

TEST(TiffDirectory, ADirectoryOfAllSixtyFiveThousandEntriesIsReadButHasNoStrips) {
  ScratchFolder folder;
  Builder b;
  std::vector<tiff_bytes::Entry> entries(65535, b.Short(999, {1}));
  b.AddDirectory(entries);
  TiffFaxReader reader;
  ASSERT_EQ(OpenAndDetect(reader, folder, b.Bytes()), 0);
  ASSERT_EQ(reader.CountPages(), 1);
  EXPECT_EQ(reader.ReadDirectory(reader.PageOffset(0)), 65535);
  EXPECT_FALSE(reader.StripsOf(reader.ParseDirectory()).has_value());
}

TEST(TiffDirectory, StripsMustLieInTheFileAndMatchTheirCounts) {
  ScratchFolder folder;
  struct Case {
    const char* what;
    std::vector<std::uint32_t> offsets, counts;
  };
  const Case cases[] = {
      {"a strip past the end", {8}, {100000}},
      {"a strip whose end wraps around", {0xFFFFFFF0u}, {0x20}},
      {"a strip of no bytes", {8}, {0}},
      {"two offsets, one count", {8, 9}, {1}},
  };
  for (const Case& c : cases) {
    Builder b;
    b.Append({0xAA, 0xBB});
    b.AddDirectory(PageEntries(b, c.offsets, c.counts));
    TiffFaxReader reader;
    ASSERT_EQ(OpenAndDetect(reader, folder, b.Bytes()), 0);
    ASSERT_EQ(reader.CountPages(), 1);
    ASSERT_GT(reader.ReadDirectory(reader.PageOffset(0)), 0);
    EXPECT_FALSE(reader.StripsOf(reader.ParseDirectory()).has_value()) << c.what;
  }

  // An offsets array whose count asks for far more than the file holds.
  Builder b;
  b.AddDirectory({b.Long(256, {16}), b.Long(257, {4}),
                  tiff_bytes::Entry{273, 4, 0x40000000u, {8, 0, 0, 0}},
                  tiff_bytes::Entry{279, 4, 0x40000000u, {8, 0, 0, 0}}});
  TiffFaxReader reader;
  ASSERT_EQ(OpenAndDetect(reader, folder, b.Bytes()), 0);
  ASSERT_EQ(reader.CountPages(), 1);
  ASSERT_GT(reader.ReadDirectory(reader.PageOffset(0)), 0);
  EXPECT_FALSE(reader.StripsOf(reader.ParseDirectory()).has_value());
}

TEST(TiffDirectory, MoreDirectoriesThanAPageNumberHoldsAreReported) {
  ScratchFolder folder;
  const std::vector<std::uint8_t> bytes = tiff_bytes::EmptyDirectoryChain(65536);
  TiffFaxReader reader;
  ASSERT_EQ(OpenAndDetect(reader, folder, bytes), 0);
  EXPECT_EQ(reader.CountPages(), 65535);
  EXPECT_TRUE(reader.TooManyPages());
}
