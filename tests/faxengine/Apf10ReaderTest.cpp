// APF10 documents built around T.4 one-dimensional data of the TIFF
// library: the pages decode to their rasters and are written as rows; a
// damaged page chain never passes as a whole document.
#include "EngineDocuments.h"
#include "EngineRun.h"
#include "faxengine/FaxTiffWriter.h"
#include "samples/writers/Apf10File.h"
#include "support/Scratch.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

Apf10Page PageOf(const Raster& picture, std::uint8_t flags) {
  return {flags, EncodeWithLibTiff(picture, COMPRESSION_CCITTFAX3, 0, FILLORDER_LSB2MSB)};
}

// Every line coded by itself as Modified Huffman, behind its word.
Apf10Page LineWordPageOf(const Raster& picture, std::uint8_t flags) {
  std::vector<std::vector<std::uint8_t>> lines;
  for (std::uint32_t y = 0; y < picture.height; ++y) {
    Raster line(picture.width, 1);
    std::copy_n(picture.pixels.begin() + std::ptrdiff_t(y) * picture.width, picture.width,
                line.pixels.begin());
    lines.push_back(EncodeWithLibTiff(line, COMPRESSION_CCITTRLE, 0, FILLORDER_LSB2MSB));
  }
  return {static_cast<std::uint8_t>(flags | Apf10Page::kLineWords), Apf10LineWordData(lines)};
}

} // namespace

TEST(Apf10Reader, PagesDecodeToTheirRastersAndAreWrittenAsRows) {
  ScratchFolder scratch;
  const Raster standard = TextLikePage(1728, 90, 21), wide = TextLikePage(2048, 120, 22);
  const Raster noise = NoisePage(1728, 40, 0.5, 23), words = TextLikePage(2048, 30, 24);
  const Raster roll = TextLikePage(1728, 3100, 27); // longer than the 3000 lines of a page
  const std::vector<Apf10Page> pages = {
      PageOf(standard, 0),
      PageOf(wide, Apf10Page::kFine | Apf10Page::kWide),
      PageOf(noise, Apf10Page::kFine),
      LineWordPageOf(words, Apf10Page::kWide),
      PageOf(roll, Apf10Page::kFine),
  };
  WriteFile(scratch / "doc.apf", Apf10File(pages));
  const std::string out = scratch / "out.tif";
  engine_run::EngineRun run = engine_run::Run(scratch / "doc.apf", FaxFormat::Apf10, out);
  ASSERT_TRUE(run.isFax);
  EXPECT_EQ(run.pageCount, 5);
  EXPECT_TRUE(run.firstPage == standard);
  ASSERT_EQ(run.written, 0);
  const std::vector<Raster> expected = {standard, wide, noise, words, roll};
  ASSERT_EQ(run.pages.size(), expected.size());
  for (std::size_t page = 0; page < expected.size(); ++page)
    EXPECT_TRUE(run.pages[page] == expected[page]) << "page " << page + 1;
  const std::uint32_t yResolutions[] = {100, 200, 200, 100, 200};
  // Noise does not shrink under PackBits: it is written uncompressed.
  const std::uint32_t compressions[] = {COMPRESSION_PACKBITS, COMPRESSION_PACKBITS,
                                        COMPRESSION_NONE, COMPRESSION_PACKBITS,
                                        COMPRESSION_PACKBITS};
  for (int page = 0; page < 5; ++page) {
    EXPECT_EQ(TiffTag(out, page, TIFFTAG_XRESOLUTION), 200u);
    EXPECT_EQ(TiffTag(out, page, TIFFTAG_YRESOLUTION), yResolutions[page]);
    EXPECT_EQ(TiffTag(out, page, TIFFTAG_COMPRESSION), compressions[page]);
  }
}

TEST(Apf10Reader, LinesLostToAnErrorLeaveTheRestOfThePage) {
  ScratchFolder scratch;
  const Raster picture = TextLikePage(1728, 80, 25);
  Apf10Page page = PageOf(picture, Apf10Page::kFine);
  // Codes that are no T.4 code, in the middle of the page.
  std::fill_n(page.data.begin() + std::ptrdiff_t(page.data.size() / 2), 6, std::uint8_t{0});
  WriteFile(scratch / "doc.apf", Apf10File({page}));
  engine_run::EngineRun run =
      engine_run::Run(scratch / "doc.apf", FaxFormat::Apf10, scratch / "out.tif");
  ASSERT_EQ(run.written, 0);
  ASSERT_EQ(run.pages.size(), 1u);
  EXPECT_TRUE(run.pages[0] == run.firstPage);
  EXPECT_GT(run.firstPage.height, 70u);
  EXPECT_LT(run.firstPage.height, 80u);
}

TEST(Apf10Reader, ADamagedPageChainIsNotFaxOrFailsTheDocument) {
  ScratchFolder scratch;
  const Apf10Page page = PageOf(TextLikePage(1728, 20, 26), Apf10Page::kFine);
  const std::vector<std::uint8_t> two = Apf10File({page, page});
  const std::size_t secondPage = 64 + 16 + page.data.size();
  auto with = [&](std::size_t offset, std::uint32_t value, int width = 4) {
    std::vector<std::uint8_t> bytes = two;
    for (int i = 0; i < width; ++i)
      bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    return bytes;
  };
  std::vector<std::uint8_t> cut = two;
  cut.resize(cut.size() - 1);
  std::vector<std::uint8_t> garbage = two;
  std::fill(garbage.begin() + std::ptrdiff_t(secondPage + 16), garbage.end(), std::uint8_t{0x55});
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    bool fax; // page 1 is whole, and the document then fails
  };
  const Case cases[] = {
      {"more pages announced than chained", with(32, 3, 2), true},
      {"65535 pages announced", with(32, 0xFFFF, 2), true},
      {"last page cut short", cut, true},
      {"second data length past the end", with(secondPage, 0xFFFFFFF0), true},
      {"second page of noise", garbage, true},
      {"no page", with(32, 0, 2), false},
      {"first page past the end", with(34, 0xFFFFFFF0), false},
      {"first data length past the end", with(64, 0xFFFFFFFF), false},
      {"header cut short", std::vector<std::uint8_t>(two.begin(), two.begin() + 36), false},
      {"no signature", with(0, 'X', 1), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(scratch / "doc.apf", c.bytes);
    engine_run::EngineRun run =
        engine_run::Run(scratch / "doc.apf", FaxFormat::Apf10, scratch / "out.tif");
    EXPECT_EQ(run.identified, 0);
    EXPECT_EQ(run.isFax, c.fax);
    if (c.fax) {
      EXPECT_EQ(run.written, kFaxPageUnreadable);
    }
  }
}
