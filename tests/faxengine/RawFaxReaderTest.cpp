// Bare Group 3 / Group 4 streams through the engine (FaxFormat 0): streams
// made by the TIFF library's encoders and by netpbm, with the headers, noise,
// markers and page ends real fax files carry. The oracle: the rows of all
// pages the engine writes, decoded by the TIFF library and put one under the
// other, equal the rows of all encoded pages.
#include "faxengine/RawFaxReader.h"
#include "faxengine/FaxEngine.h"

#include "support/RawStreamFixtures.h"
#include "support/Scratch.h"
#include "support/TiffFixtures.h"

#include <functional>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

constexpr FaxFormat kNoFormat = FaxFormat::Raw;

struct RawResult {
  int identify = -99;
  bool isFax = false;
  std::uint16_t pageCount = 0;
  int write = -99;
  std::vector<Raster> pages;
  std::vector<float> yResolutions;
  std::vector<float> xResolutions;
  bool workFilesInScratch = false;
};

using Tweak = std::function<void(ConversionSettings&)>;

RawResult ConvertRaw(const std::vector<std::uint8_t>& bytes, const Tweak& tweak = {}) {
  TIFFSetWarningHandler(nullptr);
  ScratchFolder scratch;
  WriteFile(scratch / "fax.g3", bytes);
  ConversionSettings settings;
  settings.rawImagePath = scratch / "kvttmp.tmp";
  settings.rawSegmentPath = scratch / "kvtseg.tmp";
  settings.engineTiffPath = scratch / "kvttif.tmp";
  if (tweak)
    tweak(settings);
  RawResult result;
  FaxEngine engine;
  engine.SetSettings(settings);
  result.identify = engine.Identify(scratch / "fax.g3", kNoFormat);
  result.isFax = engine.IsFax();
  result.pageCount = engine.Settings().pageCount;
  if (!result.isFax)
    return result;
  result.write = engine.WriteTiff(scratch / "out.tif", kNoFormat);
  engine.CloseAll();
  result.pages = ReadTiffPages(scratch / "out.tif");
  result.yResolutions = ResolutionsOf(scratch / "out.tif", TIFFTAG_YRESOLUTION);
  result.xResolutions = ResolutionsOf(scratch / "out.tif", TIFFTAG_XRESOLUTION);
  return result;
}

struct StreamCase {
  StreamCase(std::string what, std::vector<std::uint8_t> bytes, Raster expected,
             std::size_t pages = 1, float yResolution = 100, Tweak tweak = {})
      : what(std::move(what)), bytes(std::move(bytes)), expected(std::move(expected)), pages(pages),
        yResolution(yResolution), tweak(std::move(tweak)) {}
  std::string what;
  std::vector<std::uint8_t> bytes;
  Raster expected; // all pages one under the other
  std::size_t pages;
  float yResolution;
  Tweak tweak;
};

void ExpectConverts(const StreamCase& c) {
  SCOPED_TRACE(c.what);
  RawResult result = ConvertRaw(c.bytes, c.tweak);
  EXPECT_EQ(result.identify, 0);
  ASSERT_TRUE(result.isFax);
  EXPECT_EQ(result.write, 0);
  ASSERT_EQ(result.pages.size(), c.pages);
  EXPECT_EQ(result.pageCount, c.pages) << "the engine's page count is the pages written";
  EXPECT_EQ(Stack(result.pages), c.expected);
  for (float y : result.yResolutions)
    EXPECT_EQ(y, c.yResolution);
}

std::vector<std::uint8_t> Marked(std::vector<std::uint8_t> stream, std::size_t markers = 2) {
  stream.insert(stream.begin(), markers, 0xFF);
  return stream;
}

std::vector<std::uint8_t> Joined(const std::vector<std::vector<std::uint8_t>>& parts) {
  std::vector<std::uint8_t> all;
  for (const auto& part : parts)
    Append(all, part);
  return all;
}

// The T.6 strip without its EOFB, zero-filled to a byte: pages written back
// to back, as ghostscript's faxg4 device writes them.
std::vector<std::uint8_t> WithoutEofb(const std::vector<std::uint8_t>& coded) {
  std::string bits;
  for (std::uint8_t byte : coded)
    for (int bit = 7; bit >= 0; --bit)
      bits += char('0' + ((byte >> bit) & 1));
  bits.resize(bits.rfind("000000000001000000000001"));
  bits.resize((bits.size() + 7) / 8 * 8, '0');
  std::vector<std::uint8_t> bytes(bits.size() / 8);
  for (std::size_t i = 0; i < bits.size(); ++i)
    bytes[i / 8] = std::uint8_t(bytes[i / 8] | (bits[i] - '0') << (7 - i % 8));
  return bytes;
}

} // namespace

TEST(RawFaxReader, EveryCodingAndBitOrderGivesTheEncodedRows) {
  Raster text = TextLikePage(1728, 300, 1);
  Raster inked = InkedPage(1728, 300, 2);
  std::vector<StreamCase> cases;
  for (bool reverse : {false, true}) {
    auto order = [&](std::vector<std::uint8_t> bytes) {
      return reverse ? ReverseBits(bytes) : bytes;
    };
    std::string suffix = reverse ? ", least significant bit first" : ", most significant bit first";
    cases.push_back({"T.4 1-D" + suffix, order(LibTiffStream(text, 5)), text});
    cases.push_back({"T.4 1-D, fill bits" + suffix, order(LibTiffStream(text, 5, true)), text});
    cases.push_back({"T.4 2-D" + suffix, order(LibTiffStream(text, 6)), text});
    cases.push_back({"T.4 2-D, fill bits" + suffix, order(LibTiffStream(text, 6, true)), text});
    cases.push_back(
        {"T.6 behind two 0xFF" + suffix, order(Marked(LibTiffStream(inked, 7))), inked});
    cases.push_back({"pbmtog3" + suffix, PbmToG3(text, reverse), text});
  }
  for (const StreamCase& c : cases)
    ExpectConverts(c);
}

TEST(RawFaxReader, StandardWidthsAndANonStandardOne) {
  for (std::uint32_t width : {2048u, 2432u, 3456u, 4864u}) {
    Raster page = TextLikePage(width, 120, width);
    ExpectConverts(
        StreamCase{"T.4 1-D width " + std::to_string(width), LibTiffStream(page, 5), page});
    Raster noisy = NoisePage(width, 80, 0.1, width);
    noisy.set(0, 0);
    ExpectConverts(
        StreamCase{"T.6 width " + std::to_string(width), Marked(LibTiffStream(noisy, 7)), noisy});
  }
  Raster odd = TextLikePage(2000, 120, 7);
  ExpectConverts(StreamCase{"T.4 1-D width 2000", LibTiffStream(odd, 5), odd});
  ExpectConverts(StreamCase{"T.4 2-D width 2000", LibTiffStream(odd, 6), odd});
  RawResult refused =
      ConvertRaw(LibTiffStream(odd, 5), [](ConversionSettings& s) { s.NStdWidth = 0; });
  EXPECT_FALSE(refused.isFax) << "non-standard widths only when asked";
  RawResult aboveMinimum =
      ConvertRaw(LibTiffStream(odd, 5), [](ConversionSettings& s) { s.MinWidth = 2000; });
  EXPECT_FALSE(aboveMinimum.isFax) << "the width must exceed MinWidth";
}

TEST(RawFaxReader, Group4StartMarkers) {
  // No white lines: runs of them are 0xFF bytes inside the data, which the
  // start search would take for markers.
  Raster page = NoisePage(1728, 200, 0.05, 3);
  page.set(0, 0);
  std::vector<std::uint8_t> coded = LibTiffStream(page, 7);
  ExpectConverts(StreamCase{"one 0xFF with FlagNum 2", Marked(coded, 1), page, 1, 100,
                            [](ConversionSettings& s) { s.FlagNum = 2; }});
  auto raw = [](ConversionSettings& s) { s.RawFlag = 1; };
  ExpectConverts(StreamCase{"T.6 at the first byte with /raw", coded, page, 1, 100, raw});
  // One 0xFF is no start marker by default, so it is read from the first
  // byte as /raw reads it: the byte is eight white lines.
  Raster white(1728, 8);
  ExpectConverts(StreamCase{"one 0xFF", Marked(coded, 1), Stack({white, page})});
  ExpectConverts(
      StreamCase{"one 0xFF with /raw", Marked(coded, 1), Stack({white, page}), 1, 100, raw});
}

// Bare T.6 data from the first byte, as CCITT images taken out of PDF files
// are: no Group 3 trial may take it, and the width comes from the lines
// that prove it, even when the first lines have no ink past 1728.
TEST(RawFaxReader, BareGroup4FromTheFirstByteAtTheWidthItProves) {
  std::vector<StreamCase> cases;
  for (std::uint32_t width : {1120u, 1840u, 1880u, 1984u, 2453u, 1728u, 2048u}) {
    Raster page = InkedPage(width, 400, width);
    cases.push_back({"width " + std::to_string(width), LibTiffStream(page, 7), page});
  }
  for (std::uint32_t width : {2048u, 2432u}) {
    // Ink past 1728 only from line 200 on.
    Raster page = InkedPage(width, 400, width + 1);
    for (std::uint32_t y = 0; y < 200; ++y)
      for (std::uint32_t x = 1728; x < width; ++x)
        page.set(x, y, false);
    cases.push_back({"width " + std::to_string(width) + ", white right margin on top",
                     LibTiffStream(page, 7), page});
  }
  // Runs of V0 codes make 0xFF bytes in the middle of this page, which the
  // start search takes for a marker: the reading from the first byte wins.
  Raster repeats = InkedPage(2432, 1200, 2439);
  cases.push_back({"0xFF bytes inside the page", LibTiffStream(repeats, 7), repeats});
  for (const StreamCase& c : cases)
    ExpectConverts(c);
}

// A run of good lines followed by a wall of data that decodes to nothing is
// not a fax page with the rest lost.
TEST(RawFaxReader, ARunOfLinesInDataOfAnotherKindIsNoFax) {
  Raster page = TextLikePage(1728, 60, 42);
  std::vector<std::uint8_t> mostlyNoise = LibTiffStream(page, 5);
  Append(mostlyNoise, RandomBytes(64 * 1024, 43));
  EXPECT_FALSE(ConvertRaw(mostlyNoise).isFax);
  std::vector<std::uint8_t> someNoise = LibTiffStream(TextLikePage(1728, 1100, 44), 5);
  Append(someNoise, RandomBytes(2 * 1024, 45));
  EXPECT_TRUE(ConvertRaw(someNoise).isFax) << "noise after most of the stream is kept out";
}

TEST(RawFaxReader, NoiseInFrontAndBetweenPages) {
  Raster first = TextLikePage(1728, 700, 4), second = TextLikePage(1728, 800, 5);
  ExpectConverts(StreamCase{
      "random header, 1-D",
      Joined({RandomBytes(1000, 6), LibTiffStream(first, 5), ReturnToControl(false)}), first});
  ExpectConverts(StreamCase{
      "random header, 2-D, LSB first",
      ReverseBits(Joined({RandomBytes(1000, 7), LibTiffStream(first, 6), ReturnToControl(true)})),
      first});
  ExpectConverts(
      StreamCase{"noise between two 1-D pages",
                 Joined({LibTiffStream(first, 5), ReturnToControl(false), RandomBytes(500, 8),
                         LibTiffStream(second, 5), ReturnToControl(false)}),
                 Stack({first, second}), 2});
  Raster inked = InkedPage(1728, 700, 9);
  ExpectConverts(StreamCase{"random header, T.6",
                            Joined({RandomBytes(1000, 10), Marked(LibTiffStream(inked, 7))}),
                            inked});
}

TEST(RawFaxReader, PagesSeparatedByRtcAndTheResolutionTheyImply) {
  // Standard resolution: pages of about 1100 lines (A4 at 100 dpi holds 1144).
  std::vector<Raster> standard = {TextLikePage(1728, 1100, 11), TextLikePage(1728, 1050, 12),
                                  TextLikePage(1728, 1120, 13)};
  std::vector<std::vector<std::uint8_t>> oneD, twoD;
  for (const Raster& page : standard) {
    oneD.push_back(LibTiffStream(page, 5));
    oneD.push_back(ReturnToControl(false));
    twoD.push_back(LibTiffStream(page, 6));
    twoD.push_back(ReturnToControl(true));
  }
  ExpectConverts(StreamCase{"three standard pages, 1-D", Joined(oneD), Stack(standard), 3, 100});
  ExpectConverts(StreamCase{"three standard pages, 2-D", Joined(twoD), Stack(standard), 3, 100});
  // /v=200 doubles the page length, but an RTC still ends every page.
  ExpectConverts(StreamCase{"three standard pages read as fine", Joined(oneD), Stack(standard), 3,
                            200, [](ConversionSettings& s) { s.verticalResolution = 200; }});

  std::vector<Raster> fine = {TextLikePage(1728, 2200, 14), TextLikePage(1728, 2250, 15)};
  ExpectConverts(StreamCase{"two fine pages",
                            Joined({LibTiffStream(fine[0], 5), ReturnToControl(false),
                                    LibTiffStream(fine[1], 5), ReturnToControl(false)}),
                            Stack(fine), 2, 200});
  Raster tall = TextLikePage(1728, 3000, 16);
  ExpectConverts(StreamCase{"3000 lines in one segment", LibTiffStream(tall, 5), tall, 1, 300});
}

TEST(RawFaxReader, EveryRtcOrEofbEndsAPageWhateverThePageLength) {
  // 1500 lines suggest 200 dpi, whose pages of 2288 lines would hold the
  // first two pages together.
  std::vector<Raster> pages = {InkedPage(1728, 1000, 41), InkedPage(1728, 1000, 42),
                               InkedPage(1728, 1500, 43)};
  auto stream = [&](int coding) {
    std::vector<std::uint8_t> all =
        coding == 7 ? std::vector<std::uint8_t>(2, 0xFF) : std::vector<std::uint8_t>{};
    for (const Raster& page : pages) {
      Append(all, LibTiffStream(page, coding)); // T.6 strips end with EOFB
      if (coding != 7)
        Append(all, ReturnToControl(coding == 6));
    }
    return all;
  };
  auto at400 = [](ConversionSettings& s) { s.verticalResolution = 400; };
  for (int coding : {5, 6, 7}) {
    std::string name = "coding " + std::to_string(coding);
    ExpectConverts(StreamCase{name, stream(coding), Stack(pages), 3, 200});
    ExpectConverts(StreamCase{name + " with /v=400", stream(coding), Stack(pages), 3, 400, at400});
  }
}

TEST(RawFaxReader, PagesOfAnotherWidthLaterInTheStreamFailVisibly) {
  Raster narrow = InkedPage(1728, 300, 71), wide = InkedPage(2048, 300, 72);
  for (int coding : {5, 6, 7}) {
    SCOPED_TRACE("coding " + std::to_string(coding));
    std::vector<std::uint8_t> stream = coding == 7 ? Marked({}) : std::vector<std::uint8_t>{};
    for (const Raster* page : {&narrow, &narrow, &wide, &wide}) {
      Append(stream, LibTiffStream(*page, coding)); // T.6 strips end with EOFB
      if (coding != 7)
        Append(stream, ReturnToControl(coding == 6));
    }
    RawResult result = ConvertRaw(stream);
    ASSERT_TRUE(result.isFax);
    EXPECT_EQ(result.write, -6) << "the 2048-wide pages are not in the TIFF";
    EXPECT_EQ(Stack(result.pages), Stack({narrow, narrow}));
  }
}

TEST(RawFaxReader, Group4PagesBehindJunkOrWithoutEofbAreAllKept) {
  // Lengths that pages of 1144 lines would join: only the page ends part them.
  std::vector<Raster> pages = {InkedPage(1728, 400, 51), InkedPage(1728, 500, 52),
                               InkedPage(1728, 600, 53)};
  std::vector<std::vector<std::uint8_t>> coded;
  for (const Raster& page : pages)
    coded.push_back(LibTiffStream(page, 7));
  const std::vector<std::uint8_t> junk = {0x02}; // an extension code, 0000001
  ExpectConverts(StreamCase{"a junk byte behind the first EOFB",
                            Marked(Joined({coded[0], junk, coded[1], coded[2]})), Stack(pages), 3});
  ExpectConverts(StreamCase{"a junk byte behind the start marker",
                            Marked(Joined({junk, coded[0], coded[1], coded[2]})), Stack(pages), 3});
  for (std::size_t gap : {0u, 1u})
    ExpectConverts(StreamCase{
        std::to_string(gap) + " noise bytes behind each EOFB",
        Marked(Joined({coded[0], RandomBytes(gap, 54), coded[1], RandomBytes(gap, 55), coded[2]})),
        Stack(pages), 3});
  // Page ends the stream does not mark, behind a white bottom margin as
  // real pages have: no garbage rows and no rows lost, though a page end
  // the data does not show leaves two pages read as one.
  std::vector<Raster> margined;
  std::vector<std::uint8_t> unmarked = {0xFF, 0xFF};
  for (const Raster& page : pages) {
    margined.push_back(Stack({page, Raster(1728, 8)}));
    Append(unmarked, WithoutEofb(LibTiffStream(margined.back(), 7)));
  }
  RawResult result = ConvertRaw(unmarked);
  ASSERT_TRUE(result.isFax);
  EXPECT_EQ(result.write, 0);
  EXPECT_EQ(Stack(result.pages), Stack(margined));
  EXPECT_GE(result.pages.size(), 2u);
}

TEST(RawFaxReader, ADamagedGroup4PageKeepsItsGoodRowsAndReportsTheLoss) {
  std::vector<Raster> pages = {InkedPage(1728, 2000, 9), TextLikePage(1728, 2000, 10),
                               TextLikePage(1728, 2000, 11)};
  const std::vector<std::uint8_t> intact = LibTiffStream(pages[1], 7);
  // Byte 19833 lies a few lines below white ones, where decoding may start
  // afresh: that must not pass for a page end where the stream marks them.
  for (std::size_t at : {intact.size() / 2, std::size_t{19833}}) {
    SCOPED_TRACE("damage at byte " + std::to_string(at));
    std::vector<std::uint8_t> page2 = intact;
    // A drop-out: zero bytes, an EOL in the middle of the page.
    std::fill_n(page2.begin() + std::ptrdiff_t(at), 3, 0);
    RawResult result =
        ConvertRaw(Marked(Joined({LibTiffStream(pages[0], 7), page2, LibTiffStream(pages[2], 7)})));
    ASSERT_TRUE(result.isFax);
    EXPECT_EQ(result.write, -6) << "the rest of page 2 is lost: not a success";
    ASSERT_EQ(result.pages.size(), 3u);
    EXPECT_EQ(result.pages[0], pages[0]);
    EXPECT_EQ(result.pages[2], pages[2]);
    const Raster& damaged = result.pages[1];
    EXPECT_GT(damaged.height, 500u);
    ASSERT_LT(damaged.height, 2000u);
    EXPECT_TRUE(std::equal(damaged.pixels.begin(), damaged.pixels.end(), pages[1].pixels.begin()))
        << "only rows decoded before the damage";
    for (float y : result.yResolutions)
      EXPECT_EQ(y, 200) << "the intact pages set the resolution";
  }
}

TEST(RawFaxReader, MoreThan1024PagesAreAllKept) {
  // 1030 pages of 600 lines: two never share a page of 1144 lines.
  Raster page = InkedPage(1728, 600, 17);
  std::vector<std::uint8_t> onePage = Joined({LibTiffStream(page, 5), ReturnToControl(false)});
  std::vector<std::uint8_t> stream;
  for (int i = 0; i < 1030; ++i)
    Append(stream, onePage);
  RawResult result = ConvertRaw(stream);
  ASSERT_TRUE(result.isFax);
  EXPECT_EQ(result.write, 0);
  ASSERT_EQ(result.pages.size(), 1030u);
  EXPECT_EQ(result.pages.front(), page);
  EXPECT_EQ(result.pages.back(), page);
}

TEST(RawFaxReader, FilesThatAreNoFax) {
  EXPECT_FALSE(ConvertRaw({}).isFax);
  EXPECT_EQ(ConvertRaw({}).identify, 0);
  EXPECT_FALSE(ConvertRaw(RandomBytes(64 * 1024, 18)).isFax);
  EXPECT_FALSE(ConvertRaw(std::vector<std::uint8_t>(64 * 1024, 0)).isFax);
  EXPECT_FALSE(ConvertRaw(std::vector<std::uint8_t>(4096, 0xFF)).isFax);
  // Fewer good lines than Threshold.
  EXPECT_FALSE(ConvertRaw(LibTiffStream(TextLikePage(1728, 40, 19), 5)).isFax);
  EXPECT_TRUE(ConvertRaw(LibTiffStream(TextLikePage(1728, 40, 19), 5), [](ConversionSettings& s) {
                s.Threshold = 30;
              }).isFax);
}

TEST(RawFaxReader, WhiteLinesAloneAreNoFaxAndLongRunsOfThemAreCutIntoPages) {
  // Read as T.6 every bit of 0xFF is a white line, in any bit order and at
  // any width: nothing tells a fax from noise.
  EXPECT_FALSE(ConvertRaw(std::vector<std::uint8_t>(4096, 0xFF), [](ConversionSettings& s) {
                 s.RawFlag = 1;
               }).isFax);
  // A page that goes on with 10000 blank lines is one segment longer than
  // any page: 400 dpi, and the segment spread over pages of 4576 lines.
  Raster page = Stack({InkedPage(1728, 300, 21), Raster(1728, 10000)});
  RawResult result = ConvertRaw(Marked(LibTiffStream(page, 7)));
  ASSERT_TRUE(result.isFax);
  EXPECT_EQ(result.write, 0);
  ASSERT_EQ(result.pages.size(), 3u);
  EXPECT_EQ(result.pages[0].height, 4576u);
  EXPECT_EQ(Stack(result.pages), page);
  EXPECT_EQ(result.yResolutions.front(), 400);
}

TEST(RawFaxReader, BitOrderFollowsAutoBit) {
  Raster text = TextLikePage(1728, 200, 20);
  auto msb = LibTiffStream(text, 5);
  auto lsbOnly = [](ConversionSettings& s) { s.AutoBit = 2; };
  auto msbOnly = [](ConversionSettings& s) { s.AutoBit = 1; };
  EXPECT_FALSE(ConvertRaw(msb, lsbOnly).isFax);
  ExpectConverts(StreamCase{"AutoBit 1", msb, text, 1, 100, msbOnly});
  EXPECT_FALSE(ConvertRaw(ReverseBits(msb), msbOnly).isFax);
  ExpectConverts(StreamCase{"AutoBit 2", ReverseBits(msb), text, 1, 100, lsbOnly});
}

TEST(RawFaxReader, RealReceivedFaxKeepsEveryLine) {
  REQUIRE_CORPUS();
  std::string bytes = ReadFile(CorpusFolder() + "/image-rs_image-tiff/g3test.g3");
  RawResult result = ConvertRaw(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
  ASSERT_TRUE(result.isFax);
  EXPECT_EQ(result.write, 0);
  ASSERT_EQ(result.pages.size(), 1u);
  EXPECT_EQ(result.yResolutions[0], 100);
  EXPECT_EQ(result.xResolutions[0], 200);
  ASSERT_EQ(result.pages[0].height, 1100u) << "every line up to the RTC";
  EXPECT_GE(ReceivedFaxRowsInPlace(result.pages[0]), 1085u) << "all but the lines with a bad code";
}

// Where line n's code starts in a T.4 stream with byte-aligned EOLs: behind
// the n-th byte with four low zero bits followed by 0x01, which only an EOL
// gives (with the tag bit first in two-dimensional coding).
std::vector<std::size_t> LineStarts(const std::vector<std::uint8_t>& stream) {
  std::vector<std::size_t> starts;
  for (std::size_t i = 1; i < stream.size(); ++i)
    if ((stream[i - 1] & 0x0F) == 0 && stream[i] == 1)
      starts.push_back(i + 1);
  return starts;
}

TEST(RawFaxReader, DamagedT4LinesKeepTheirPlace) {
  Raster page = TextLikePage(1728, 900, 31);
  for (std::uint32_t x = 0; x < page.width; x += 3)
    page.set(x, page.height - 1); // a last line with a long code
  for (int coding : {5, 6}) {
    SCOPED_TRACE("coding " + std::to_string(coding));
    const std::vector<std::uint8_t> coded = LibTiffStream(page, coding, true);
    const std::vector<std::uint8_t> intact = Joined({coded, ReturnToControl(coding == 6)});
    const std::vector<std::size_t> starts = LineStarts(coded);
    ASSERT_EQ(starts.size(), page.height);
    auto length = [&](std::size_t line) {
      return (line + 1 < starts.size() ? starts[line + 1] : coded.size()) - starts[line];
    };
    auto oneDimensional = [&](std::size_t line) {
      return coding == 5 || (intact[starts[line]] & 0x80) != 0;
    };
    // A 0xFF byte well inside a line's code decodes as runs, never as an
    // EOL: that line goes wrong, the next starts where it did. In 2-D the
    // lines up to the next 1-D line depend on it and may go wrong as well.
    std::vector<std::uint8_t> bytes = intact;
    std::vector<bool> damaged(page.height);
    // The last line, right in front of the RTC, too.
    for (std::size_t line : {200u, 610u, 899u}) {
      while (length(line) < 8)
        ++line;
      bytes[starts[line] + 1] = 0xFF;
      do {
        damaged[line] = true;
      } while (++line < page.height && !oneDimensional(line));
    }
    RawResult result = ConvertRaw(bytes);
    ASSERT_TRUE(result.isFax);
    EXPECT_EQ(result.write, 0);
    ASSERT_EQ(result.pages.size(), 1u);
    const Raster& got = result.pages[0];
    ASSERT_EQ(got.height, page.height) << "no line dropped";
    for (std::uint32_t row = 0; row < page.height; ++row) {
      const auto at = std::ptrdiff_t(row * page.width);
      if (!damaged[row]) {
        EXPECT_TRUE(std::equal(got.pixels.begin() + at, got.pixels.begin() + at + page.width,
                               page.pixels.begin() + at))
            << "row " << row;
      }
    }
  }
  // A long run of bad lines inside a page is not kept: the loss is told.
  std::vector<std::uint8_t> bytes = LibTiffStream(page, 5, true);
  const std::vector<std::size_t> starts = LineStarts(bytes);
  for (std::size_t line = 300; line < 400; ++line)
    bytes[starts[line] + 1] = 0xFF;
  RawResult longDamage = ConvertRaw(bytes);
  ASSERT_TRUE(longDamage.isFax);
  EXPECT_EQ(longDamage.write, -6);
}
