// DCX documents through the engine: one-bit PCX pages of our own writer and
// of netpbm, and the corpus's PCX files, each compared with its picture;
// colour pages and damaged tables, headers and data never pass as faxes.
#include "EngineDocuments.h"
#include "EngineRun.h"
#include "faxengine/FaxTiffWriter.h"
#include "samples/writers/DcxFile.h"
#include "support/Scratch.h"
#include "support/Tools.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

PcxImage PcxOf(const Raster& picture, std::uint16_t bytesPerLine = 0) {
  PcxImage image;
  image.width = picture.width;
  image.height = picture.height;
  image.rows = picture.PackedRows(false);
  image.bytesPerLine = bytesPerLine;
  return image;
}

std::vector<std::uint8_t> NetpbmPcx(const ScratchFolder& scratch, const Raster& picture) {
  WritePbm(scratch / "page.pbm", picture);
  const std::string pcx = RunTool({"ppmtopcx", scratch / "page.pbm"}).output;
  return std::vector<std::uint8_t>(pcx.begin(), pcx.end());
}

std::vector<std::uint8_t> FileBytes(const std::string& path) {
  const std::string bytes = ReadFile(path);
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

} // namespace

TEST(DcxReader, OneBitPagesShowTheirPicturesAtTheirOwnWidth) {
  ScratchFolder scratch;
  const Raster first = TextLikePage(1728, 70, 11), odd = NoisePage(1730, 20, 0.2, 12);
  const Raster small = TextLikePage(301, 33, 13);
  PcxImage inverted = PcxOf(small);
  for (std::uint8_t& byte : inverted.rows)
    byte = static_cast<std::uint8_t>(~byte);
  inverted.colour0 = 0xFFFFFF;
  inverted.colour1 = 0x000000;
  PcxImage offset = PcxOf(small);
  offset.xMin = 40;
  offset.yMin = 7;
  offset.xResolution = 300;
  offset.yResolution = 100;
  struct Case {
    const char* name;
    std::vector<std::vector<std::uint8_t>> pages;
    std::vector<Raster> pictures;
  };
  const Case cases[] = {
      {"three pages, rows padded to even lengths",
       {PcxFile(PcxOf(first)), PcxFile(PcxOf(odd)), PcxFile(PcxOf(small))},
       {first, odd, small}},
      {"217 bytes per line", {PcxFile(PcxOf(odd, 217))}, {odd}},
      {"four bytes of padding", {PcxFile(PcxOf(odd, 221))}, {odd}},
      {"palette with index 0 white", {PcxFile(inverted)}, {small}},
      {"image origin not at 0, 0", {PcxFile(offset)}, {small}},
      {"netpbm's writer", {NetpbmPcx(scratch, first), NetpbmPcx(scratch, small)}, {first, small}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(scratch / "doc.dcx", DcxFile(c.pages));
    engine_run::EngineRun run =
        engine_run::Run(scratch / "doc.dcx", FaxFormat::Dcx, scratch / "out.tif");
    ASSERT_TRUE(run.isFax);
    EXPECT_EQ(run.pageCount, c.pictures.size());
    EXPECT_TRUE(run.firstPage == c.pictures[0]);
    ASSERT_EQ(run.written, 0);
    ASSERT_EQ(run.pages.size(), c.pictures.size());
    for (std::size_t page = 0; page < run.pages.size(); ++page)
      EXPECT_TRUE(run.pages[page] == c.pictures[page]) << "page " << page + 1;
  }
  // The resolutions of the PCX header; rows PackBits coded where that is
  // smaller, uncompressed noise otherwise.
  WriteFile(scratch / "doc.dcx",
            DcxFile({PcxFile(offset), PcxFile(PcxOf(NoisePage(800, 30, 0.5)))}));
  ASSERT_EQ(engine_run::Run(scratch / "doc.dcx", FaxFormat::Dcx, scratch / "out.tif").written, 0);
  EXPECT_EQ(TiffTag(scratch / "out.tif", 0, TIFFTAG_XRESOLUTION), 300u);
  EXPECT_EQ(TiffTag(scratch / "out.tif", 0, TIFFTAG_YRESOLUTION), 100u);
  EXPECT_EQ(TiffTag(scratch / "out.tif", 0, TIFFTAG_COMPRESSION), COMPRESSION_PACKBITS);
  EXPECT_EQ(TiffTag(scratch / "out.tif", 1, TIFFTAG_COMPRESSION), COMPRESSION_NONE);
}

TEST(DcxReader, CorpusPcxPagesShowWhatNetpbmShows) {
  REQUIRE_CORPUS();
  ScratchFolder scratch;
  for (const char* name :
       {"haraldk_TwelveMonkeys/CGA_BW.PCX", "haraldk_TwelveMonkeys/no-palette-monochrome.pcx",
        "apache_commons-imaging/1plane1bppCompressed.pcx"}) {
    SCOPED_TRACE(name);
    const std::string pcx = CorpusFolder() + "/" + name;
    WriteFile(scratch / "netpbm.ppm", RunTool({"pcxtoppm", pcx}).output);
    const Raster picture = TwoColourPicture(ReadPnm(scratch / "netpbm.ppm"));
    WriteFile(scratch / "doc.dcx", DcxFile({FileBytes(pcx)}));
    engine_run::EngineRun run =
        engine_run::Run(scratch / "doc.dcx", FaxFormat::Dcx, scratch / "out.tif");
    ASSERT_EQ(run.written, 0);
    ASSERT_EQ(run.pages.size(), 1u);
    EXPECT_TRUE(run.pages[0] == picture);
  }
}

TEST(DcxReader, ColourOrDamagedPagesAreNotFaxOrFailTheDocument) {
  ScratchFolder scratch;
  const std::vector<std::uint8_t> good = PcxFile(PcxOf(TextLikePage(400, 20, 5)));
  WritePbm(scratch / "page.pbm", TextLikePage(64, 8, 6));
  ASSERT_EQ(
      RunTool({"/usr/bin/convert", scratch / "page.pbm", "dcx:" + scratch / "rgb.dcx"}).exitCode,
      0);
  const std::vector<std::uint8_t> rgbDcx = FileBytes(scratch / "rgb.dcx");
  const std::vector<std::uint8_t> rgbPage(rgbDcx.begin() + 4100, rgbDcx.end());
  auto pcxWith = [&](std::size_t offset, std::uint16_t value) {
    std::vector<std::uint8_t> page = good;
    page[offset] = static_cast<std::uint8_t>(value);
    page[offset + 1] = static_cast<std::uint8_t>(value >> 8);
    return DcxFile({page});
  };
  auto tableWith = [&](std::size_t slot, std::uint32_t offset) {
    std::vector<std::uint8_t> dcx = DcxFile({good, good});
    for (int i = 0; i < 4; ++i)
      dcx[4 + 4 * slot + i] = static_cast<std::uint8_t>(offset >> (8 * i));
    return dcx;
  };
  std::vector<std::uint8_t> cut = DcxFile({good});
  cut.resize(cut.size() - 10);
  std::vector<std::uint8_t> lastCut = DcxFile({good, good});
  lastCut.resize(lastCut.size() - 10);
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    bool fax; // page 1 is a fax page, and a later one fails the document
  };
  const Case cases[] = {
      {"24-bit page", rgbDcx, false},
      {"24-bit second page", DcxFile({good, rgbPage}), true},
      {"four planes", pcxWith(65, 4), false},
      {"xmax below xmin", pcxWith(4, 500), false},
      {"ymax below ymin", pcxWith(6, 500), false},
      {"bytes per line below the width", pcxWith(66, 10), false},
      {"65536 rows from 200 bytes", pcxWith(10, 0xFFFF), false},
      {"data cut short", cut, false},
      {"last page cut short", lastCut, true},
      {"empty table", std::vector<std::uint8_t>{0xB1, 0x68, 0xDE, 0x3A, 0, 0, 0, 0}, false},
      {"first page past the end", tableWith(0, 0x7FFFFFFF), false},
      {"first page inside the table", tableWith(0, 8), false},
      // The next page's offset ends the first.
      {"second page before the first", tableWith(1, 4100), false},
      {"second page past the end", tableWith(1, 0xFFFFFFF0), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(scratch / "doc.dcx", c.bytes);
    engine_run::EngineRun run =
        engine_run::Run(scratch / "doc.dcx", FaxFormat::Dcx, scratch / "out.tif");
    EXPECT_EQ(run.identified, 0);
    EXPECT_EQ(run.isFax, c.fax);
    if (c.fax) {
      EXPECT_EQ(run.written, kFaxPageUnreadable);
    }
  }
  // Only the mark names the format: a PCX file itself is not a DCX.
  WriteFile(scratch / "doc.dcx", good);
  EXPECT_FALSE(engine_run::Run(scratch / "doc.dcx", FaxFormat::Dcx, scratch / "out.tif").isFax);
}

TEST(DcxReader, PagesBeyondTheTablesSlotsFailTheDocument) {
  ScratchFolder scratch;
  const std::vector<std::uint8_t> page = PcxFile(PcxOf(NoisePage(16, 2, 0.5, 14)));
  for (std::size_t pages : {1024, 1025}) {
    SCOPED_TRACE(pages);
    WriteFile(scratch / "doc.dcx", DcxFile(std::vector<std::vector<std::uint8_t>>(pages, page)));
    engine_run::EngineRun run =
        engine_run::Run(scratch / "doc.dcx", FaxFormat::Dcx, scratch / "out.tif");
    ASSERT_TRUE(run.isFax);
    EXPECT_EQ(run.written, pages == 1024 ? 0 : kFaxPageUnreadable);
    EXPECT_EQ(run.pages.size(), pages == 1024 ? 1024u : 0u);
  }
}
