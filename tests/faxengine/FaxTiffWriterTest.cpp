// The engine's TIFF writer: the bytes it lays down, checked field by field,
// and the files read back by the TIFF library.
#include "faxengine/FaxTiffWriter.h"

#include "support/Scratch.h"
#include "support/TiffFixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using testing_support::Raster;
using testing_support::ScratchFolder;

namespace {

std::uint32_t U32(const std::string& bytes, std::size_t at) {
  return std::uint32_t(std::uint8_t(bytes[at])) | std::uint32_t(std::uint8_t(bytes[at + 1])) << 8 |
         std::uint32_t(std::uint8_t(bytes[at + 2])) << 16 |
         std::uint32_t(std::uint8_t(bytes[at + 3])) << 24;
}
std::uint16_t U16(const std::string& bytes, std::size_t at) {
  return std::uint16_t(std::uint8_t(bytes[at]) | std::uint8_t(bytes[at + 1]) << 8);
}

struct EntryBytes {
  std::uint16_t tag, type;
  std::uint32_t count, value;
};
EntryBytes EntryAt(const std::string& file, std::uint32_t directory, int slot) {
  std::size_t at = directory + 2 + 12 * std::size_t(slot);
  return {U16(file, at), U16(file, at + 2), U32(file, at + 4), U32(file, at + 8)};
}

constexpr std::time_t kFixedTime = 1700000000;

struct PageToWrite {
  std::vector<std::uint8_t> data;
  std::uint8_t codingCode;
  std::uint32_t width, height;
};

// Writes pages the way the engine does: one Open, header, directory set-up,
// then per page the entries, the data and the directory.
std::vector<std::uint32_t> WritePages(const std::string& path,
                                      const std::vector<PageToWrite>& pages,
                                      const char* mode = "wb", std::uint16_t firstIndex = 0,
                                      std::uint16_t total = 0) {
  FaxTiffWriter writer;
  writer.SetFixedTime(kFixedTime);
  EXPECT_EQ(writer.Open(path, FaxTiffWriter::kLittleEndian, mode), 0);
  if (std::string(mode) == "wb")
    writer.WriteHeader();
  writer.InitDirectory();
  std::vector<std::uint32_t> directories;
  for (std::size_t i = 0; i < pages.size(); ++i) {
    const PageToWrite& page = pages[i];
    writer.SetCodingCode(page.codingCode, 0);
    writer.SetFillOrder(1);
    writer.SetSize(page.width, page.height);
    writer.SetPageNumber(std::uint16_t(firstIndex + i),
                         total ? total : std::uint16_t(pages.size()));
    std::uint32_t directory =
        writer.WritePageData(page.data.data(), std::uint32_t(page.data.size()), 204, 196, 2);
    EXPECT_NE(directory, 0u);
    EXPECT_EQ(writer.WriteDirectory(directory), 0);
    directories.push_back(directory);
  }
  EXPECT_EQ(writer.Close(), 0);
  return directories;
}

PageToWrite G4Page(const Raster& raster) {
  return {testing_support::EncodeWithLibTiff(raster, COMPRESSION_CCITTFAX4), kCodingT6,
          raster.width, raster.height};
}

} // namespace

TEST(FaxTiffWriter, OnePageFileHasTheExactLayout) {
  ScratchFolder scratch;
  std::vector<std::uint8_t> data = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  auto directories = WritePages(scratch / "one.tif", {{data, kCodingT6, 1728, 1}});
  std::string file = testing_support::ReadFile(scratch / "one.tif");

  const std::uint32_t directory = 8 + 10 + 58;
  ASSERT_EQ(directories[0], directory);
  ASSERT_EQ(file.size(), directory + 2 + 20 * 12 + 4);
  EXPECT_EQ(file.substr(0, 4), std::string("II*\0", 4));
  EXPECT_EQ(U32(file, 4), directory);
  EXPECT_EQ(file.substr(8, 10), std::string(data.begin(), data.end()));
  EXPECT_EQ(U32(file, 18), 204u);
  EXPECT_EQ(U32(file, 22), 1u);
  EXPECT_EQ(U32(file, 26), 196u);
  EXPECT_EQ(U32(file, 30), 1u);
  EXPECT_EQ(file.substr(34, 22), std::string("Kelvor Studio\0\0\0\0\0\0\0\0\0", 22));
  std::string dateTime = file.substr(56, 20);
  EXPECT_EQ(dateTime[19], '\0');
  EXPECT_EQ(std::strlen(dateTime.c_str()), 19u);
  EXPECT_EQ(dateTime[4], ':');
  EXPECT_EQ(dateTime[10], ' ');
  EXPECT_EQ(U16(file, directory), 20);
  EXPECT_EQ(U32(file, directory + 2 + 240), 0u);

  const EntryBytes expected[20] = {
      {254, 4, 1, 2},  {256, 4, 1, 1728},        {257, 4, 1, 1},   {258, 3, 1, 1},
      {259, 3, 1, 4},  {262, 3, 1, 0},           {266, 3, 1, 1},   {273, 4, 1, 8},
      {274, 3, 1, 1},  {277, 3, 1, 1},           {278, 4, 1, 1},   {279, 4, 1, 10},
      {282, 5, 1, 18}, {283, 5, 1, 26},          {284, 3, 1, 1},   {293, 4, 1, 0},
      {296, 3, 1, 2},  {297, 3, 2, 0 | 1 << 16}, {305, 2, 22, 34}, {306, 2, 20, 56},
  };
  for (int slot = 0; slot < 20; ++slot) {
    SCOPED_TRACE(slot);
    EntryBytes entry = EntryAt(file, directory, slot);
    EXPECT_EQ(entry.tag, expected[slot].tag);
    EXPECT_EQ(entry.type, expected[slot].type);
    EXPECT_EQ(entry.count, expected[slot].count);
    EXPECT_EQ(entry.value, expected[slot].value);
  }
}

TEST(FaxTiffWriter, ThreePagesAreChainedAndReadBackByTheTiffLibrary) {
  ScratchFolder scratch;
  std::vector<Raster> rasters = {testing_support::TextLikePage(1728, 30, 1),
                                 testing_support::TextLikePage(2048, 25, 2),
                                 testing_support::CornerMarkPage(153, 55)};
  std::vector<PageToWrite> pages;
  for (const Raster& raster : rasters)
    pages.push_back(G4Page(raster));
  pages[1].data.push_back(0); // an odd length: the next page follows without fill
  auto directories = WritePages(scratch / "three.tif", pages);
  std::string file = testing_support::ReadFile(scratch / "three.tif");

  EXPECT_EQ(U32(file, 4), directories[0]);
  for (int i = 0; i < 3; ++i) {
    std::uint32_t next = U32(file, directories[i] + 2 + 240);
    EXPECT_EQ(next, i < 2 ? directories[i + 1] : 0u);
    EXPECT_EQ(EntryAt(file, directories[i], 17).value, std::uint32_t(i) | 3u << 16);
  }
  // No fill bytes: page 2's data starts right behind page 1's directory.
  EXPECT_EQ(EntryAt(file, directories[1], 7).value, directories[0] + 246);
  EXPECT_EQ(EntryAt(file, directories[2], 7).value, directories[1] + 246);

  auto decoded = testing_support::ReadTiffPages(scratch / "three.tif");
  ASSERT_EQ(decoded.size(), 3u);
  for (int i = 0; i < 3; ++i)
    EXPECT_TRUE(decoded[i] == rasters[i]) << "page " << i;
}

TEST(FaxTiffWriter, EveryCodedCodingIsLabelledSoTheTiffLibraryDecodesIt) {
  struct Case {
    std::uint8_t codingCode;
    std::uint16_t compression;
    std::uint32_t group3Options;
    std::uint16_t expectedCompression, optionsTag;
    std::uint32_t options;
  };
  const Case cases[] = {
      {kCodingMhBytes, COMPRESSION_CCITTRLE, 0, 2, 292, 4},
      {kCodingMhWords, COMPRESSION_CCITTRLEW, 0, 32771, 292, 4},
      {kCodingT4OneD, COMPRESSION_CCITTFAX3, GROUP3OPT_FILLBITS, 3, 292, 4},
      {kCodingT4TwoD, COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING | GROUP3OPT_FILLBITS, 3, 292, 5},
      {kCodingT6, COMPRESSION_CCITTFAX4, 0, 4, 293, 0},
      {kCodingPackBits, COMPRESSION_PACKBITS, 0, 32773, 292, 0},
      {kCodingUncompressed, COMPRESSION_NONE, 0, 1, 292, 0},
  };
  Raster raster = testing_support::TextLikePage(1728, 20, 4);
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.codingCode));
    ScratchFolder scratch;
    auto data = testing_support::EncodeWithLibTiff(raster, c.compression, c.group3Options);
    auto directories = WritePages(scratch / "page.tif", {{data, c.codingCode, 1728, 20}});
    std::string file = testing_support::ReadFile(scratch / "page.tif");
    EXPECT_EQ(EntryAt(file, directories[0], 4).value, c.expectedCompression);
    EXPECT_EQ(EntryAt(file, directories[0], 15).tag, c.optionsTag);
    EXPECT_EQ(EntryAt(file, directories[0], 15).value, c.options);
    auto decoded = testing_support::ReadTiffPages(scratch / "page.tif");
    ASSERT_EQ(decoded.size(), 1u);
    EXPECT_TRUE(decoded[0] == raster);
  }
}

TEST(FaxTiffWriter, CopiedPagesTakeTheSourceCompressionAndOptions) {
  ScratchFolder scratch;
  FaxTiffWriter writer;
  ASSERT_EQ(writer.Open(scratch / "copy.tif", FaxTiffWriter::kLittleEndian, "wb"), 0);
  writer.WriteHeader();
  writer.InitDirectory();
  writer.SetCodingCode(kCodingT6, 1); // photometric 1 is kept by SetCompression
  writer.SetCompression(4, 99, 2);
  std::uint8_t data[3] = {0, 0, 0};
  std::uint32_t first = writer.WritePageData(data, 3, 200, 200, 2);
  ASSERT_EQ(writer.WriteDirectory(first), 0);
  writer.SetCompression(1, 7, 7);
  std::uint32_t second = writer.WritePageData(data, 3, 200, 200, 2);
  ASSERT_EQ(writer.WriteDirectory(second), 0);
  ASSERT_EQ(writer.Close(), 0);
  std::string file = testing_support::ReadFile(scratch / "copy.tif");
  EXPECT_EQ(EntryAt(file, first, 4).value, 4u);
  EXPECT_EQ(EntryAt(file, first, 5).value, 1u);
  EXPECT_EQ(EntryAt(file, first, 15).tag, 293);
  EXPECT_EQ(EntryAt(file, first, 15).value, 2u);
  EXPECT_EQ(EntryAt(file, second, 4).value, 1u);
  EXPECT_EQ(EntryAt(file, second, 15).tag, 292);
  EXPECT_EQ(EntryAt(file, second, 15).value, 0u);
}

TEST(FaxTiffWriter, MultiStripPageKeepsEachGroup4StripAndItsRowsPerStrip) {
  ScratchFolder scratch;
  Raster raster = testing_support::TextLikePage(1728, 200, 6);
  testing_support::TiffPageSpec spec;
  spec.raster = raster;
  spec.rowsPerStrip = 64;
  testing_support::WriteTiffFile(scratch / "source.tif", {spec});
  auto strips = testing_support::ReadRawStrips(scratch / "source.tif");
  ASSERT_EQ(strips.size(), 4u);

  // The strips as one block with a gap between them, as a copy keeps them.
  std::vector<std::uint8_t> block;
  std::vector<std::uint32_t> offsets, counts;
  for (const auto& strip : strips) {
    offsets.push_back(1000 + std::uint32_t(block.size()));
    counts.push_back(std::uint32_t(strip.size()));
    block.insert(block.end(), strip.begin(), strip.end());
    block.push_back(0xEE);
  }
  FaxTiffWriter writer;
  ASSERT_EQ(writer.Open(scratch / "strips.tif", FaxTiffWriter::kLittleEndian, "wb"), 0);
  writer.WriteHeader();
  writer.InitDirectory();
  writer.SetCompression(4, 0, 0);
  writer.SetFillOrder(1);
  writer.SetSize(1728, 200);
  writer.SetPageNumber(0, 1);
  ASSERT_EQ(writer.SetStrips(4, 64, offsets.data(), counts.data()), 0);
  std::uint32_t directory =
      writer.WriteStripsPageData(block.data(), std::uint32_t(block.size()), 204, 196, 2);
  ASSERT_EQ(writer.WriteDirectory(directory), 0);
  ASSERT_EQ(writer.Close(), 0);

  std::string file = testing_support::ReadFile(scratch / "strips.tif");
  EXPECT_EQ(directory, 8 + block.size() + 8 * 4 + 58);
  EXPECT_EQ(EntryAt(file, directory, 7).count, 4u);
  EXPECT_EQ(EntryAt(file, directory, 7).value, 8 + block.size());
  EXPECT_EQ(EntryAt(file, directory, 10).value, 64u);
  EXPECT_EQ(EntryAt(file, directory, 11).value, 8 + block.size() + 16);
  EXPECT_EQ(EntryAt(file, directory, 12).value, 8 + block.size() + 32);
  auto decoded = testing_support::ReadTiffPages(scratch / "strips.tif");
  ASSERT_EQ(decoded.size(), 1u);
  EXPECT_TRUE(decoded[0] == raster);
}

TEST(FaxTiffWriter, AppendingAddsPagesBehindTheLastDirectory) {
  ScratchFolder scratch;
  Raster first = testing_support::TextLikePage(1728, 20, 8);
  Raster second = testing_support::NoisePage(1728, 10, 0.2, 8);
  WritePages(scratch / "doc.tif", {G4Page(first)}, "wb", 0, 2);
  WritePages(scratch / "doc.tif", {G4Page(second)}, "r+b", 1, 2);
  auto decoded = testing_support::ReadTiffPages(scratch / "doc.tif");
  ASSERT_EQ(decoded.size(), 2u);
  EXPECT_TRUE(decoded[0] == first);
  EXPECT_TRUE(decoded[1] == second);
}

TEST(FaxTiffWriter, AppendingToAMissingFileStartsAValidNewOne) {
  ScratchFolder scratch;
  Raster raster = testing_support::TextLikePage(1728, 20, 9);
  WritePages(scratch / "new.tif", {G4Page(raster)}, "r+b");
  auto decoded = testing_support::ReadTiffPages(scratch / "new.tif");
  ASSERT_EQ(decoded.size(), 1u);
  EXPECT_TRUE(decoded[0] == raster);
}

TEST(FaxTiffWriter, WriteErrorsAreReported) {
  std::vector<std::uint8_t> data(100000, 0x55);
  FaxTiffWriter writer;
  ASSERT_EQ(writer.Open("/dev/full", FaxTiffWriter::kLittleEndian, "wb"), 0);
  writer.WriteHeader();
  writer.InitDirectory();
  writer.SetCodingCode(kCodingT6, 0);
  writer.SetSize(1728, 10);
  std::uint32_t directory =
      writer.WritePageData(data.data(), std::uint32_t(data.size()), 204, 196, 2);
  EXPECT_EQ(directory, 0u);
  EXPECT_EQ(writer.WriteDirectory(directory), -1);
  EXPECT_TRUE(writer.Failed());
  EXPECT_EQ(writer.Close(), -1);
}

TEST(FaxTiffWriter, OpenFailsForAnUnwritablePathOrAByteOrderItCannotWrite) {
  ScratchFolder scratch;
  FaxTiffWriter writer;
  EXPECT_EQ(writer.Open(scratch / "no/such/folder/x.tif", FaxTiffWriter::kLittleEndian, "wb"), -1);
  EXPECT_FALSE(writer.IsOpen());
  EXPECT_EQ(writer.WritePageData(nullptr, 0, 200, 200, 2), 0u);
  EXPECT_EQ(writer.Open(scratch / "mm.tif", 0x4D4D, "wb"), -1);
}

TEST(FaxTiffWriter, RefusesToAppendToAFileThatIsNoLittleEndianTiff) {
  ScratchFolder scratch;
  testing_support::WriteFile(scratch / "text.tif", std::string("hello, this is no TIFF"));
  FaxTiffWriter writer;
  EXPECT_EQ(writer.Open(scratch / "text.tif", FaxTiffWriter::kLittleEndian, "r+b"), -1);
  EXPECT_EQ(testing_support::ReadFile(scratch / "text.tif"), "hello, this is no TIFF");
}

TEST(FaxTiffWriter, RefusesStripsOutsideThePageData) {
  ScratchFolder scratch;
  FaxTiffWriter writer;
  ASSERT_EQ(writer.Open(scratch / "bad.tif", FaxTiffWriter::kLittleEndian, "wb"), 0);
  writer.WriteHeader();
  writer.InitDirectory();
  const std::uint32_t offsets[] = {500, 510};
  const std::uint32_t counts[] = {10, 20}; // the second strip ends at 30 of a 25-byte block
  ASSERT_EQ(writer.SetStrips(2, 8, offsets, counts), 0);
  std::vector<std::uint8_t> block(25, 1);
  EXPECT_EQ(writer.WriteStripsPageData(block.data(), 25, 200, 200, 2), 0u);
}
