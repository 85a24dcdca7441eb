// The raw-stream reader's two work files are trusted no further than they
// are checked: records that point outside the stream, missing files and
// odd record contents give error codes and the pages that can be written.
#include "faxengine/FaxEngine.h"
#include "faxengine/RawFaxReader.h"

#include "support/RawStreamFixtures.h"
#include "support/Scratch.h"
#include "support/TiffFixtures.h"

#include <cstdio>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

class AnalysedStream : public ::testing::Test {
protected:
  void SetUp() override {
    TIFFSetWarningHandler(nullptr);
    first = TextLikePage(1728, 700, 31);
    second = TextLikePage(1728, 800, 32);
    WriteFile(scratch / "fax.g3", Joined({LibTiffStream(first, 5), ReturnToControl(false),
                                          LibTiffStream(second, 5), ReturnToControl(false)}));
    settings.rawImagePath = scratch / "kvttmp.tmp";
    settings.rawSegmentPath = scratch / "kvtseg.tmp";
    reader.Open(scratch / "fax.g3");
    reader.SetParameters(settings);
    ASSERT_EQ(reader.Analyse(0, 1), 0);
    ASSERT_TRUE(reader.LoadRasterHeader(header));
    reader.SetLinesPerPage(LinesPerPage(header.sizeClass, header.yResolution));
    reader.SetTotalLines(header.height);
  }

  static std::vector<std::uint8_t> Joined(const std::vector<std::vector<std::uint8_t>>& parts) {
    std::vector<std::uint8_t> all;
    for (const auto& part : parts)
      Append(all, part);
    return all;
  }

  // Overwrites record index of the segment file.
  void PatchRecord(std::uint32_t index, const SegmentRecord& record) {
    std::FILE* file = std::fopen(settings.rawSegmentPath.c_str(), "r+b");
    ASSERT_NE(file, nullptr);
    auto bytes = EncodeSegmentRecord(record);
    std::fseek(file, long(kSegmentHeaderSize + kSegmentRecordSize * index), SEEK_SET);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }

  ScratchFolder scratch;
  ConversionSettings settings;
  RawFaxReader reader;
  PageRaster header;
  Raster first, second;
};

} // namespace

TEST_F(AnalysedStream, WritesBothPagesFromIntactWorkFiles) {
  EXPECT_EQ(reader.CountPages(), 2);
  EXPECT_EQ(reader.WriteTiff(scratch / "out.tif", header), 0);
  auto pages = ReadTiffPages(scratch / "out.tif");
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[0], first);
  EXPECT_EQ(pages[1], second);
}

TEST_F(AnalysedStream, ARecordOutsideTheStreamIsLeftOutAndReported) {
  for (SegmentRecord bad :
       {SegmentRecord{0, 0xFFFFFFF0, 700, 0, 8}, SegmentRecord{0, 100, 700, 9, 8},
        SegmentRecord{0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0, 8}}) {
    PatchRecord(0, bad);
    EXPECT_EQ(reader.WriteTiff(scratch / "out.tif", header), -6);
    auto pages = ReadTiffPages(scratch / "out.tif");
    ASSERT_FALSE(pages.empty());
    EXPECT_EQ(pages.back(), second) << "the intact segment is still written";
  }
}

TEST_F(AnalysedStream, MissingOrEmptyWorkFilesGiveErrorCodes) {
  std::remove(settings.rawImagePath.c_str());
  PageRaster page;
  EXPECT_EQ(reader.DecodePage(0, page), -13);
  EXPECT_EQ(reader.WriteTiff(scratch / "out.tif", header), -2);
  WriteFile(settings.rawImagePath, std::string(10, '\0'));
  EXPECT_EQ(reader.DecodePage(0, page), -11);
  std::remove(settings.rawSegmentPath.c_str());
  EXPECT_EQ(reader.WriteTiff(scratch / "out.tif", header), -2);
}

TEST_F(AnalysedStream, DecodesPagesByPageLengthWithWhiteBelowAShortLastPage) {
  PageRaster page;
  page.xResolution = header.xResolution;
  ASSERT_EQ(reader.DecodePage(1, page), 0);
  EXPECT_EQ(page.height, 1500u - 1144u);
  EXPECT_EQ(page.yResolution, 100);
  EXPECT_EQ(page.xResolution, 200);
  ASSERT_EQ(page.rows.size(), 1144u * 216u);
  EXPECT_EQ(page.rows.back(), 0xFF) << "rows past the last line stay white";
  Raster decoded = Raster::FromPackedRows(page.rows.data(), 1728, page.height, false);
  Raster expected(1728, page.height);
  for (std::uint32_t y = 0; y < page.height; ++y)
    for (std::uint32_t x = 0; x < 1728; ++x)
      expected.set(x, y, second.black(x, y + 1144 - 700));
  EXPECT_EQ(decoded, expected);
}

// A work folder that is missing or full is this program's failure: the
// engine says so instead of calling the document "not a fax".
TEST(RawFaxWorkFiles, UnwritableWorkFilesAreAnErrorNotAVerdict) {
  TIFFSetWarningHandler(nullptr);
  ScratchFolder scratch;
  Raster page = InkedPage(1728, 300, 33);
  std::vector<std::uint8_t> group4 = LibTiffStream(page, 7);
  group4.insert(group4.begin(), 2, 0xFF);
  const std::vector<std::uint8_t> streams[] = {LibTiffStream(page, 5), group4};
  const std::string missing = scratch / "no-such-folder/work.tmp";
  const std::string good = scratch / "work.tmp";
  const std::pair<std::string, std::string> workFiles[] = {
      {missing, good}, {good, missing}, {"/dev/full", good}, {good, "/dev/full"}};
  for (const auto& stream : streams) {
    WriteFile(scratch / "fax.g3", stream);
    for (const auto& [image, segment] : workFiles) {
      SCOPED_TRACE(image + ", " + segment + ", coding " + (&stream == &streams[0] ? "5" : "7"));
      ConversionSettings settings;
      settings.rawImagePath = image;
      settings.rawSegmentPath = segment;
      FaxEngine engine;
      engine.SetSettings(settings);
      EXPECT_EQ(engine.Identify(scratch / "fax.g3", FaxFormat::Raw), kEngineWorkFileFailed);
      EXPECT_FALSE(engine.IsFax());
    }
  }
}
