// The line and page decoders on hand-made streams: the edge cases of each
// coding, the start search and the failure results.
#include "DecodeHelpers.h"
#include "faxformats/FaxCodeTables.h"

#include <gtest/gtest.h>

using testing_support::EncodeWithLibTiff;
using testing_support::Raster;

namespace {

void PutRun(BitWriter& stream, std::uint32_t run, bool black) {
  auto terminating = T4Rows(black ? T4Table::BlackTerminating : T4Table::WhiteTerminating);
  auto makeUp = T4Rows(black ? T4Table::BlackMakeUp : T4Table::WhiteMakeUp);
  while (run >= 64) {
    std::uint32_t chunk = std::min<std::uint32_t>(run / 64, 27);
    stream.Put(makeUp[chunk - 1].code, makeUp[chunk - 1].bits);
    run -= 64 * chunk;
  }
  stream.Put(terminating[run].code, terminating[run].bits);
}

// One MH line: runs alternately white and black.
void PutLine(BitWriter& stream, std::initializer_list<std::uint32_t> runs) {
  bool black = false;
  for (std::uint32_t run : runs) {
    PutRun(stream, run, black);
    black = !black;
  }
}

FaxG4Decoder DecoderOver(const std::vector<std::uint8_t>& bytes, std::uint8_t codingCode,
                         std::int32_t width) {
  FaxG4Decoder decoder;
  decoder.Initialise(bytes.data(), std::uint32_t(bytes.size()), kMsbFirst, codingCode, 0);
  decoder.SetSize(width, 10);
  return decoder;
}

} // namespace

TEST(FaxDecoder, OneDimensionalLineEndsAtItsEolOrAsLastCompleteLine) {
  BitWriter stream;
  PutLine(stream, {10, 5, 85});
  stream.Eol();
  PutLine(stream, {100});
  auto bytes = stream.Bytes();
  FaxDecoder decoder = DecoderOver(bytes, 5, 100);
  std::vector<std::uint8_t> row(13, 0xAA);
  RowWriter writer(row.data(), 100, 0);
  writer.Restart(row.data());
  RunList runs;
  runs.Reset(100);
  EXPECT_EQ(decoder.DecodeLine1D(writer, &runs), 100);
  ASSERT_EQ(runs.Count(), 3u);
  EXPECT_EQ(runs.Run(1), 5u);
  EXPECT_EQ(runs.End(1), 15u);
  // White is a 1 bit: pixels 0..9 set, 10..14 clear, the rest set.
  EXPECT_EQ(row[0], 0xFF);
  EXPECT_EQ(row[1], 0b11000001);
  EXPECT_EQ(row[12], 0xF0);
  writer.Restart(row.data());
  EXPECT_EQ(decoder.DecodeLine1D(writer, nullptr), kLineLastComplete);
  writer.Restart(row.data());
  EXPECT_EQ(decoder.DecodeLine1D(writer, nullptr), kLineDataEnded);
}

TEST(FaxDecoder, RunWriterHonoursInvertAndNeverWritesPastTheRow) {
  std::vector<std::uint8_t> row(3, 0);
  RowWriter writer(row.data(), 12, 1);
  writer.Restart(row.data());
  writer.WriteRun(3, false);
  writer.WriteRun(20, true); // passes the end of a 12-pixel row
  EXPECT_EQ(row[0], 0b00011111);
  EXPECT_EQ(row[1], 0b11110000);
  EXPECT_EQ(row[2], 0); // the byte behind the row stays untouched
  EXPECT_EQ(writer.Position(), 23u);
}

TEST(FaxDecoder, UncompressedModeExtensionIsAnInvalidTwoDimensionalCode) {
  BitWriter stream;
  stream.Put(0b1, 1); // V0 over an all-white reference: a white... to b1 = width
  stream.Put(0b0000001111, 10);
  auto bytes = stream.Bytes();
  FaxDecoder decoder = DecoderOver(bytes, 6, 64);
  RunList reference;
  reference.SetAllWhite(64);
  RowWriter writer;
  EXPECT_EQ(decoder.DecodeLine2D(writer, reference, nullptr), kLineInvalidCode);
  FaxDecoder g4 = DecoderOver(bytes, 7, 128);
  std::uint32_t pixels = 0;
  EXPECT_EQ(g4.DecodeLine2D(writer, reference, nullptr), kLineInvalidCode);
  g4.SeekBit(1);
  EXPECT_EQ(g4.DecodeLineG4(writer, reference, nullptr, pixels), kLineInvalidCode);
}

TEST(FaxDecoder, Group4LineStopsAtTheWidthAndAnEolIsUnexpected) {
  BitWriter stream;
  stream.Put(0b001, 3); // horizontal: white 20, black 44
  PutRun(stream, 20, false);
  PutRun(stream, 44, true);
  stream.Eol();
  auto bytes = stream.Bytes();
  FaxDecoder decoder = DecoderOver(bytes, 7, 64);
  RunList reference, current;
  reference.SetAllWhite(64);
  current.Reset(64);
  RowWriter writer;
  std::uint32_t pixels = 0;
  EXPECT_EQ(decoder.DecodeLineG4(writer, reference, &current, pixels), 64);
  EXPECT_EQ(current.Count(), 2u);
  EXPECT_EQ(decoder.DecodeLineG4(writer, current, nullptr, pixels), kLineUnexpectedEol);
  EXPECT_EQ(pixels, 0u);
}

TEST(FaxDecoder, TwoDimensionalStreamStartingWithATagZeroLineStartsAtTheFirstTagOneLine) {
  Raster page = testing_support::TextLikePage(1728, 30, 3);
  auto coded = EncodeWithLibTiff(page, COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING);
  BitWriter stream;
  stream.Eol();
  stream.PutBit(0); // a 2-D line with no reference to decode it against
  stream.Put(0b1, 1);
  stream.AlignToByte();
  std::vector<std::uint8_t> bytes = stream.Bytes();
  bytes.insert(bytes.end(), coded.begin(), coded.end());
  OurDecode ours = DecodeWithOurs(bytes, 6, 1728, 40);
  EXPECT_EQ(ours.result, 0);
  ASSERT_EQ(ours.raster.height, 30u);
  EXPECT_TRUE(ours.Image() == page);
}

TEST(FaxDecoder, TwoDimensionalPageWithoutAnyEolFails) {
  std::vector<std::uint8_t> bytes(40, 0x5A);
  EXPECT_EQ(DecodeWithOurs(bytes, 6, 1728, 10).result, -1);
}

TEST(FaxDecoder, TwoDimensionalBadLinesAreCountedAndSkipped) {
  Raster page = testing_support::TextLikePage(1728, 40, 4);
  auto coded =
      EncodeWithLibTiff(page, COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING | GROUP3OPT_FILLBITS);
  coded[coded.size() / 2] ^= 0xFF;
  OurDecode ours = DecodeWithOurs(coded, 6, 1728, 50);
  EXPECT_GE(ours.result, 1);
  EXPECT_LT(ours.raster.height, 40u);
  EXPECT_GE(ours.raster.height, 30u);
}

TEST(FaxDecoder, Group4PageWithoutEofbCountsItsLastLine) {
  Raster page = testing_support::TextLikePage(1728, 25, 5);
  auto coded = EncodeWithLibTiff(page, COMPRESSION_CCITTFAX4);
  // Find where the last line ends and cut the EOFB behind it.
  FaxDecoder lines = DecoderOver(coded, 7, 1728);
  RunList reference, current;
  reference.SetAllWhite(1728);
  RowWriter writer;
  std::uint32_t pixels = 0;
  for (int y = 0; y < 25; ++y) {
    current.Reset(1728);
    ASSERT_EQ(lines.DecodeLineG4(writer, reference, &current, pixels), 1728);
    reference.Swap(current);
  }
  std::size_t used = std::size_t(lines.BitPosition() + 7) / 8;
  std::vector<std::uint8_t> cut(coded.begin(), coded.begin() + std::ptrdiff_t(used));
  OurDecode ours = DecodeWithOurs(cut, 7, 1728, 30);
  EXPECT_EQ(ours.result, 0);
  ASSERT_EQ(ours.raster.height, 25u);
  EXPECT_TRUE(ours.Image() == page);
}

TEST(FaxDecoder, Group4StartSearchFindsDataBehindItsMarker) {
  Raster page = testing_support::CornerMarkPage(1728, 20);
  auto coded = EncodeWithLibTiff(page, COMPRESSION_CCITTFAX4);
  std::vector<std::uint8_t> bytes = {0x12, 0x34, 0xFF, 0x56, 0xFF, 0xFF};
  bytes.insert(bytes.end(), coded.begin(), coded.end());

  FaxG4Decoder decoder;
  decoder.Initialise(bytes.data(), std::uint32_t(bytes.size()), kMsbFirst, 7, 0);
  decoder.SetStartMarkerCount(3);
  decoder.SetSize(1728, 30);
  ASSERT_EQ(decoder.FindG4Start(0), 0);
  EXPECT_EQ(decoder.Mark(), 4u); // the run of two 0xFF bytes
  EXPECT_EQ(decoder.BitPosition(), 6 * 8);
  PageRaster raster;
  EXPECT_EQ(decoder.DecodePage(raster), 0);
  ASSERT_EQ(raster.height, 20u);
  EXPECT_TRUE(Raster::FromPackedRows(raster.rows.data(), 1728, 20, false) == page);

  // A count of 3 asks for two 0xFF bytes in front, a count of 4 for three.
  const std::uint8_t small[] = {0x12, 0xFF, 0xFF, 0x20, 0x00};
  decoder.Initialise(small, sizeof small, kMsbFirst, 7, 0);
  EXPECT_EQ(decoder.FindG4Start(0), 0);
  EXPECT_EQ(decoder.BitPosition(), 3 * 8 + 0);
  decoder.SetStartMarkerCount(4);
  EXPECT_LT(decoder.FindG4Start(0), 0);
  // With the skip flag the search succeeds where the reader stands.
  decoder.SetSkipStartSearch(true);
  decoder.SeekBit(8);
  EXPECT_EQ(decoder.FindG4Start(0), 0);
  EXPECT_EQ(decoder.BitPosition(), 8);
}

TEST(FaxDecoder, ModifiedHuffmanPagesStopAtAnInvalidCode) {
  for (std::uint8_t code : {std::uint8_t(3), std::uint8_t(4)}) {
    SCOPED_TRACE(int(code));
    BitWriter stream;
    for (int line = 0; line < 3; ++line) {
      PutLine(stream, {40, 24});
      stream.AlignToByte();
      if (code == 4 && stream.Bytes().size() % 2)
        stream.Put(0, 8);
    }
    stream.Put(0b0000000000111, 13); // no such code
    PutLine(stream, {64});
    OurDecode ours = DecodeWithOurs(stream.Bytes(), code, 64, 10);
    EXPECT_EQ(ours.result, 1);
    EXPECT_EQ(ours.raster.height, 3u);
  }
}

TEST(FaxDecoder, LineWordVariantSkipsAWordAroundEveryLine) {
  BitWriter stream;
  stream.Put(0xABCD, 16);
  for (int line = 0; line < 4; ++line) {
    PutLine(stream, {30, 10, 24});
    stream.AlignToByte();
    stream.Put(0x1234, 16);
  }
  FaxDecoder decoder = DecoderOver(stream.Bytes(), 5, 64);
  PageRaster raster;
  EXPECT_EQ(decoder.DecodePageLineWords(raster), 0);
  EXPECT_EQ(raster.height, 4u);
  EXPECT_EQ(raster.codingCode, 5);
  EXPECT_EQ(raster.Row(3)[3], 0b11111100); // pixels 24..29 white, 30.. black
}

TEST(FaxDecoder, OneDimensionalPageCountsInvalidCodesAndGoesOn) {
  BitWriter stream;
  for (int line = 0; line < 5; ++line) {
    stream.Eol();
    if (line == 2)
      stream.Put(0b0000000000111, 13);
    else
      PutLine(stream, {60, 4});
  }
  stream.Eol();
  OurDecode ours = DecodeWithOurs(stream.Bytes(), 5, 64, 10);
  EXPECT_EQ(ours.result, 1);
  EXPECT_EQ(ours.raster.height, 4u);
}

TEST(FaxDecoder, PageSetUpFailures) {
  std::vector<std::uint8_t> bytes(16, 0);
  EXPECT_EQ(DecodeWithOurs(bytes, 2, 1728, 10).result, -1);
  EXPECT_EQ(DecodeWithOurs(bytes, 8, 1728, 10).result, -1);
  EXPECT_EQ(DecodeWithOurs(bytes, 5, 0, 10).result, -1);
  EXPECT_EQ(DecodeWithOurs(bytes, 5, 1728, -1).result, -1);
  EXPECT_EQ(DecodeWithOurs(bytes, 5, 65000, 100000).result, -1); // too large to allocate
  FaxG4Decoder decoder = DecoderOver(bytes, 7, 1728);
  decoder.SetOptions(1);
  PageRaster raster;
  EXPECT_EQ(decoder.DecodePage(raster), -1);
}

TEST(FaxDecoder, PageRecordDescribesTheDecodedPage) {
  Raster page = testing_support::TextLikePage(2432, 12, 6);
  auto coded = EncodeWithLibTiff(page, COMPRESSION_CCITTFAX4, 0, FILLORDER_LSB2MSB);
  OurDecode ours = DecodeWithOurs(coded, 7, 2432, 20, kLsbFirst);
  EXPECT_EQ(ours.raster.width, 2432u);
  EXPECT_EQ(ours.raster.height, 12u);
  EXPECT_EQ(ours.raster.bytesPerRow, 304u);
  EXPECT_EQ(ours.raster.dataSize, coded.size());
  EXPECT_EQ(ours.raster.xResolution, 200);
  EXPECT_EQ(ours.raster.yResolution, 100);
  EXPECT_EQ(ours.raster.sizeClass, 3);
  EXPECT_EQ(ours.raster.bitOrder, kLsbFirst);
  EXPECT_EQ(ours.raster.codingCode, 7);
  EXPECT_EQ(ours.raster.resolutionUnit, 2);
}

TEST(FaxDecoder, Group4InvalidCodeRestartsAtTheNextStartOrEnds) {
  Raster page = testing_support::TextLikePage(1728, 30, 8);
  auto coded = EncodeWithLibTiff(page, COMPRESSION_CCITTFAX4);
  std::vector<std::uint8_t> damaged(coded.begin(),
                                    coded.begin() + std::ptrdiff_t(coded.size() / 2));
  damaged.insert(damaged.end(), {0x02, 0x00}); // 0000001: an extension code, invalid here
  // With the search skipped (the raw streams' setting) decoding goes on
  // behind the consumed code and ends with the data instead of spinning.
  FaxG4Decoder decoder;
  decoder.Initialise(damaged.data(), std::uint32_t(damaged.size()), kMsbFirst, 7, 0);
  decoder.SetSize(1728, 40);
  decoder.SetSkipStartSearch(true);
  PageRaster raster;
  EXPECT_EQ(decoder.DecodePage(raster), 0);
  EXPECT_EQ(decoder.BitPosition(), std::int64_t(damaged.size()) * 8);
  EXPECT_GT(raster.height, 0u);
  EXPECT_LT(raster.height, 30u);
  // Rows decoded before the damage are the page's.
  Raster image = Raster::FromPackedRows(raster.rows.data(), 1728, raster.height, false);
  for (std::uint32_t y = 0; y + 1 < raster.height; ++y)
    for (std::uint32_t x = 0; x < 1728; ++x)
      ASSERT_EQ(image.black(x, y), page.black(x, y));
}

TEST(FaxDecoder, TwoDimensionalLineOfTheWrongWidthDoesNotCostTheNextLine) {
  // Line 1 (1-D) is 60 pixels wide in a 64-pixel page; line 2 (1-D) is good.
  BitWriter stream;
  stream.Eol();
  stream.PutBit(1);
  PutLine(stream, {60});
  stream.Eol();
  stream.PutBit(1);
  PutLine(stream, {30, 34});
  stream.Eol();
  stream.PutBit(1);
  OurDecode ours = DecodeWithOurs(stream.Bytes(), 6, 64, 10);
  EXPECT_EQ(ours.result, 1);
  EXPECT_EQ(ours.raster.height, 1u);
}
