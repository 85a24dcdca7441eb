// Detection of coding, bit order and width by trial decoding, and the
// decoding of a whole stream into the raster and segment files, on streams
// made by the TIFF library's encoders.
#include "faxformats/FaxStreamDetector.h"
#include "faxformats/FaxStreamFiles.h"
#include "faxformats/SegmentIndex.h"
#include "support/RawStreamFixtures.h"
#include "support/Scratch.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// A stream of single lines of the given widths, each with ink, ended by RTC
// so that the last line, too, ends at an EOL.
std::vector<std::uint8_t> LinesOfWidths(const std::vector<std::uint32_t>& widths) {
  std::vector<std::uint8_t> stream;
  unsigned seed = 1;
  for (std::uint32_t width : widths)
    Append(stream, LibTiffStream(InkedPage(width, 1, seed++), 5));
  Append(stream, ReturnToControl(false));
  return stream;
}

struct Detection {
  int result;
  std::int32_t width;
  std::uint8_t bitOrder;
};

Detection Strict1D(const std::vector<std::uint8_t>& bytes, std::uint8_t bitOrder,
                   std::uint32_t lines) {
  FaxDecoder decoder;
  decoder.Initialise(bytes.data(), std::uint32_t(bytes.size()), kMsbFirst, 5, 0);
  int result = DetectStrict1D(decoder, bitOrder, lines);
  EXPECT_EQ(decoder.BitPosition(), 0) << "the detector rewinds the reader";
  return {result, decoder.Width(), decoder.BitOrder()};
}

// The rows of a raster file written by DecodeStreamIntoFiles.
Raster RasterFileRows(const std::string& path) {
  std::string bytes = ReadFile(path);
  std::array<std::uint8_t, PageRaster::kStoredSize> record{};
  std::copy_n(bytes.begin(), record.size(), record.begin());
  PageRaster header = PageRaster::FromStored(record);
  auto rows = reinterpret_cast<const std::uint8_t*>(bytes.data()) + PageRaster::kStoredSize;
  EXPECT_EQ(bytes.size(),
            PageRaster::kStoredSize + std::size_t(header.height) * header.bytesPerRow);
  return Raster::FromPackedRows(rows, header.width, header.height, false);
}

std::vector<SegmentRecord> Records(const std::string& path) {
  SegmentIndexReader index;
  EXPECT_TRUE(index.Open(path, SegmentIndexReader::Access::Read));
  std::vector<SegmentRecord> records;
  for (std::uint32_t i = 0; i < index.recordCount(); ++i)
    records.push_back(*index.Record(i));
  return records;
}

} // namespace

TEST(DetectStrict1D, TakesTheWidthThatReachesTheRequiredLinesFirst) {
  EXPECT_EQ(Strict1D(LinesOfWidths({1728, 1728, 2048, 2048, 2048}), kMsbFirst, 3).width, 2048);
  EXPECT_EQ(Strict1D(LinesOfWidths({1728, 1728, 1728, 2048}), kMsbFirst, 3).width, 1728);
}

TEST(DetectStrict1D, SkipsTheLineAfterARejectedOne) {
  // The EOL search after the 1700-pixel line passes over the next line.
  EXPECT_EQ(Strict1D(LinesOfWidths({1728, 1700, 1728, 1728, 1728, 1728}), kMsbFirst, 3).result, 0);
  EXPECT_LT(Strict1D(LinesOfWidths({1728, 1700, 1728, 1728, 1728}), kMsbFirst, 3).result, 0);
}

TEST(DetectStrict1D, FindsTheBitOrderOfTheStream) {
  auto stream = LibTiffStream(TextLikePage(1728, 60, 3), 5);
  EXPECT_EQ(Strict1D(stream, kMsbFirst, 50).result, 0);
  EXPECT_LT(Strict1D(stream, kLsbFirst, 50).result, 0);
  auto reversed = ReverseBits(stream);
  Detection lsb = Strict1D(reversed, kLsbFirst, 50);
  EXPECT_EQ(lsb.result, 0);
  EXPECT_EQ(lsb.width, 1728);
  EXPECT_LT(Strict1D(reversed, kMsbFirst, 50).result, 0);
}

TEST(DetectLenient1D, AcceptsANonStandardWidthAboveTheMinimum) {
  auto stream = LibTiffStream(TextLikePage(2000, 20, 4), 5);
  FaxDecoder decoder;
  decoder.Initialise(stream.data(), std::uint32_t(stream.size()), kMsbFirst, 5, 0);
  EXPECT_LT(DetectStrict1D(decoder, kMsbFirst, 10), 0);
  ASSERT_EQ(DetectLenient1D(decoder, kMsbFirst, 10, 1728), 0);
  EXPECT_EQ(decoder.Width(), 2000);
  EXPECT_LT(DetectLenient1D(decoder, kMsbFirst, 10, 2000), 0)
      << "the width must exceed the minimum";
  ASSERT_EQ(DetectLenient1D(decoder, kMsbFirst, 0, 1728), 0);
  EXPECT_EQ(decoder.Width(), -1);
  // A negative minimum still takes no empty line (as in RTC) for a width.
  auto rtc = ReturnToControl(false);
  decoder.Initialise(rtc.data(), std::uint32_t(rtc.size()), kMsbFirst, 5, 0);
  EXPECT_LT(DetectLenient1D(decoder, kMsbFirst, 3, -5), 0);
}

TEST(DetectTwoDimensional, FindsTwoDimensionalStreamsInBothBitOrders) {
  auto stream = LibTiffStream(TextLikePage(2432, 40, 5), 6);
  FaxDecoder decoder;
  decoder.Initialise(stream.data(), std::uint32_t(stream.size()), kMsbFirst, 6, 0);
  EXPECT_LT(DetectStrict1D(decoder, kMsbFirst, 30), 0);
  ASSERT_EQ(DetectStrict2D(decoder, kMsbFirst, 30), 0);
  EXPECT_EQ(decoder.Width(), 2432);
  auto reversed = ReverseBits(stream);
  decoder.Initialise(reversed.data(), std::uint32_t(reversed.size()), kMsbFirst, 6, 0);
  EXPECT_LT(DetectStrict2D(decoder, kMsbFirst, 30), 0);
  ASSERT_EQ(DetectStrict2D(decoder, kLsbFirst, 30), 0);

  auto wide = LibTiffStream(TextLikePage(1900, 40, 6), 6);
  decoder.Initialise(wide.data(), std::uint32_t(wide.size()), kMsbFirst, 6, 0);
  EXPECT_LT(DetectStrict2D(decoder, kMsbFirst, 30), 0);
  ASSERT_EQ(DetectLenient2D(decoder, kMsbFirst, 30, 1728), 0);
  EXPECT_EQ(decoder.Width(), 1900);
}

TEST(ProbeCoding, ReportsCodingBitOrderAndWidth) {
  struct Case {
    int coding;
    bool reverse;
    std::uint32_t width;
  };
  for (Case c :
       {Case{5, false, 1728}, Case{5, true, 2048}, Case{6, false, 3456}, Case{6, true, 1728}}) {
    auto stream = LibTiffStream(TextLikePage(c.width, 30, 7), c.coding);
    if (c.reverse)
      stream = ReverseBits(stream);
    FaxDecoder decoder;
    decoder.Initialise(stream.data(), std::uint32_t(stream.size()), kMsbFirst, 5, 0);
    StreamCoding found;
    ASSERT_EQ(ProbeCoding(decoder, 20, found), 0) << c.coding << " " << c.width;
    EXPECT_EQ(found.codingCode, c.coding);
    EXPECT_EQ(found.bitOrder, c.reverse ? kLsbFirst : kMsbFirst);
    EXPECT_EQ(found.width, std::int32_t(c.width));
  }
  auto noise = RandomBytes(20000, 8);
  FaxDecoder decoder;
  decoder.Initialise(noise.data(), std::uint32_t(noise.size()), kMsbFirst, 5, 0);
  StreamCoding found;
  EXPECT_LT(ProbeCoding(decoder, 20, found), 0);
}

TEST(DetectGroup4, NeedsTheStartMarkerAndTheExactWidth) {
  // Ink across the whole width: a white T.6 line decodes to any width, so
  // only lines with ink right of 1728 tell 2048 from 1728.
  Raster page = NoisePage(2048, 30, 0.2, 9);
  std::vector<std::uint8_t> stream = {0xFF, 0xFF};
  Append(stream, LibTiffStream(page, 7));
  FaxG4Decoder decoder;
  decoder.Initialise(stream.data(), std::uint32_t(stream.size()), kMsbFirst, 7, 0);
  decoder.SetStartMarkerCount(3);
  EXPECT_LT(DetectGroup4(decoder, kMsbFirst, 1728, 20), 0);
  EXPECT_EQ(DetectGroup4(decoder, kMsbFirst, 2048, 20), 0);
  StreamCoding found;
  ASSERT_EQ(ProbeGroup4(decoder, 20, found), 0);
  EXPECT_EQ(found.codingCode, 7);
  EXPECT_EQ(found.width, 2048);
  EXPECT_EQ(found.bitOrder, kMsbFirst);
  EXPECT_EQ(found.start, 0u) << "the marker run begins the stream";

  std::vector<std::uint8_t> oneMarker(stream.begin() + 1, stream.end());
  decoder.Initialise(oneMarker.data(), std::uint32_t(oneMarker.size()), kMsbFirst, 7, 0);
  EXPECT_LT(DetectGroup4(decoder, kMsbFirst, 2048, 20), 0);
  decoder.SetStartMarkerCount(2);
  EXPECT_EQ(DetectGroup4(decoder, kMsbFirst, 2048, 20), 0);
}

// After a failed line the next start is searched from where the line failed,
// not again from just behind the last start: data with a start marker every
// three bytes and long runs of lines between failures took hours so.
TEST(DetectGroup4, RestartsAfterFailuresKeepDetectionLinear) {
  std::vector<std::uint8_t> stream;
  for (std::size_t i = 0; i < 1024 * 1024; ++i)
    stream.push_back(i % 3 ? 0xFF : 0x3F);
  FaxG4Decoder decoder;
  decoder.Initialise(stream.data(), std::uint32_t(stream.size()), kLsbFirst, 7, 0);
  decoder.SetStartMarkerCount(3);
  EXPECT_LT(DetectGroup4(decoder, kLsbFirst, 1728, 50), 0);
}

// Read from the first byte, a width must be proven by a line that would not
// end where it does on a wider page; the first lines' runs hold it.
TEST(DetectGroup4, FromTheFirstByteOnlyTheWidthTheLinesProve) {
  Raster page = InkedPage(1840, 400, 12);
  std::vector<std::uint8_t> stream = LibTiffStream(page, 7);
  FaxG4Decoder decoder;
  decoder.Initialise(stream.data(), std::uint32_t(stream.size()), kMsbFirst, 7, 0);
  std::vector<std::int32_t> candidates = Group4WidthCandidates(decoder, kMsbFirst);
  EXPECT_NE(std::find(candidates.begin(), candidates.end(), 1840), candidates.end());
  EXPECT_EQ(decoder.BitPosition(), 0) << "the reader is rewound";
  EXPECT_EQ(DetectGroup4AtFirstByte(decoder, kMsbFirst, 1840, 50), 0);
  for (std::int32_t wrong : {1728, 1839, 1841, 2048})
    EXPECT_LT(DetectGroup4AtFirstByte(decoder, kMsbFirst, wrong, 50), 0) << wrong;
  EXPECT_LT(DetectGroup4AtFirstByte(decoder, kLsbFirst, 1840, 50), 0);
}

TEST(DecodeStreamIntoFiles, OneDimensionalPagesSeparatedByRtcBecomeSegments) {
  ScratchFolder scratch;
  Raster first = TextLikePage(1728, 70, 10), second = TextLikePage(1728, 90, 11);
  std::vector<std::uint8_t> stream = RandomBytes(300, 12);
  Append(stream, LibTiffStream(first, 5));
  Append(stream, ReturnToControl(false));
  Append(stream, LibTiffStream(second, 5, true));
  Append(stream, ReturnToControl(false));
  FaxDecoder decoder;
  decoder.Initialise(stream.data(), std::uint32_t(stream.size()), kMsbFirst, 5, 0);
  ASSERT_EQ(DetectStrict1D(decoder, kMsbFirst, 50), 0);
  StreamFileResult result =
      DecodeStreamIntoFiles(decoder, {scratch / "raster", scratch / "segments"});
  EXPECT_GE(result.status, 0);
  EXPECT_EQ(result.goodLines, 160u);
  EXPECT_EQ(RasterFileRows(scratch / "raster"), Stack({first, second}));
  auto records = Records(scratch / "segments");
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].lines, 70u);
  EXPECT_EQ(records[1].lines, 90u);
  // Each segment begins at the EOL in front of its first line.
  std::size_t firstEol = 300;
  while (stream[firstEol] == 0)
    ++firstEol;
  EXPECT_LE(records[0].startByte, firstEol);
  EXPECT_GE(records[0].startByte + 2, firstEol);
}

TEST(DecodeStreamIntoFiles, TwoDimensionalSegmentsStartWithAOneDimensionalLine) {
  ScratchFolder scratch;
  Raster first = TextLikePage(2048, 60, 13), second = TextLikePage(2048, 55, 14);
  std::vector<std::uint8_t> stream = LibTiffStream(first, 6);
  Append(stream, ReturnToControl(true));
  Append(stream, LibTiffStream(second, 6));
  FaxDecoder decoder;
  decoder.Initialise(stream.data(), std::uint32_t(stream.size()), kMsbFirst, 6, 0);
  ASSERT_EQ(DetectStrict2D(decoder, kMsbFirst, 50), 0);
  StreamFileResult result =
      DecodeStreamIntoFiles(decoder, {scratch / "raster", scratch / "segments"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(RasterFileRows(scratch / "raster"), Stack({first, second}));
  auto records = Records(scratch / "segments");
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].lines, 60u);
  EXPECT_EQ(records[1].lines, 55u);
}

TEST(DecodeStreamIntoFiles, Group4StopsAtTheRasterBoundAndSaysSo) {
  ScratchFolder scratch;
  Raster page = NoisePage(1728, 100, 0.05, 15);
  page.set(0, 0);
  std::vector<std::uint8_t> stream = {0xFF, 0xFF};
  Append(stream, LibTiffStream(page, 7));
  FaxG4Decoder decoder;
  decoder.Initialise(stream.data(), std::uint32_t(stream.size()), kMsbFirst, 7, 0);
  decoder.SetStartMarkerCount(3);
  ASSERT_EQ(DetectGroup4(decoder, kMsbFirst, 1728, 50), 0);
  StreamFileResult whole =
      DecodeStreamIntoFiles(decoder, {scratch / "raster", scratch / "segments"});
  EXPECT_EQ(whole.status, 0);
  EXPECT_FALSE(whole.rowsTruncated);
  EXPECT_EQ(RasterFileRows(scratch / "raster"), page);

  decoder.SeekBit(0);
  StreamFileResult bounded =
      DecodeStreamIntoFiles(decoder, {scratch / "raster", scratch / "segments", 40 * 216 + 100});
  EXPECT_TRUE(bounded.rowsTruncated);
  EXPECT_EQ(bounded.goodLines, 40u);
  EXPECT_EQ(RasterFileRows(scratch / "raster").height, 40u);
}
