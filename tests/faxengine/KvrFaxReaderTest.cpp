// KVR-FAX documents built around pages the TIFF library coded: every coding
// the header can name, both bit orders, the fax widths; then the header
// values a damaged or hostile file may hold.
#include "faxengine/KvrFaxReader.h"

#include "EngineRun.h"
#include "samples/writers/ByteWriter.h"
#include "samples/writers/KvrFaxFile.h"
#include "support/Scratch.h"

#include <gtest/gtest.h>

using namespace testing_support;
using engine_run::Outcome;

namespace {

struct CodedRaster {
  Raster raster;
  std::vector<std::uint8_t> data;
  kvr_fax::Page page;
};

// The raster coded as the coding code says, in the given bit order.
CodedRaster Coded(const Raster& raster, std::uint8_t codingCode, std::uint8_t fillOrder) {
  CodedRaster coded{raster, {}, {}};
  switch (codingCode) {
  case 1:
    coded.data = raster.PackedRows();
    break;
  case 3:
    coded.data = EncodeWithLibTiff(raster, COMPRESSION_CCITTRLE);
    break;
  case 5:
    coded.data = EncodeWithLibTiff(raster, COMPRESSION_CCITTFAX3, GROUP3OPT_FILLBITS);
    break;
  case 6:
    coded.data = EncodeWithLibTiff(raster, COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING);
    break;
  case 7:
    coded.data = EncodeWithLibTiff(raster, COMPRESSION_CCITTFAX4);
    break;
  default:
    coded.data = EncodeWithLibTiff(raster, COMPRESSION_PACKBITS);
    break;
  }
  if (fillOrder == 2)
    coded.data = ReverseBits(coded.data);
  coded.page.width = raster.width;
  coded.page.height = raster.height;
  coded.page.fillOrder = fillOrder;
  coded.page.codingCode = codingCode;
  return coded;
}

// The file of the pages, each page pointing at the data it holds.
std::vector<std::uint8_t> FileOf(std::vector<CodedRaster>& pages) {
  std::vector<kvr_fax::Page> layout;
  for (CodedRaster& coded : pages) {
    coded.page.data = coded.data;
    layout.push_back(coded.page);
  }
  return kvr_fax::File(layout);
}

engine_run::EngineRun Convert(const std::vector<std::uint8_t>& bytes,
                              const ConversionSettings& settings = {}) {
  ScratchFolder scratch;
  WriteFile(scratch / "fax.kvr", bytes);
  return engine_run::Run(scratch / "fax.kvr", FaxFormat::KvrFax, scratch / "out.tif", settings);
}

void PatchU32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes.at(offset + i) = std::uint8_t(value >> (8 * i));
}

} // namespace

TEST(KvrFaxReader, EveryCodingBitOrderAndWidthConvertsExactly) {
  struct Case {
    std::uint8_t codingCode;
    std::uint32_t width;
  };
  const Case cases[] = {{1, 2048}, {3, 1728}, {5, 1728}, {6, 2432},
                        {7, 2048}, {7, 2432}, {8, 1728}, {5, 2048}};
  for (const Case& c : cases)
    for (std::uint8_t fillOrder : {1, 2}) {
      SCOPED_TRACE("coding " + std::to_string(c.codingCode) + ", width " + std::to_string(c.width) +
                   ", fill order " + std::to_string(fillOrder));
      std::vector<CodedRaster> pages = {
          Coded(TextLikePage(c.width, 150, c.codingCode), c.codingCode, fillOrder),
          Coded(NoisePage(c.width, 40, 0.1, fillOrder), c.codingCode, fillOrder)};
      engine_run::ExpectOutcome(Convert(FileOf(pages)),
                                Outcome{2, true, 0, {pages[0].raster, pages[1].raster}});
    }
}

TEST(KvrFaxReader, DocumentsOfMixedCodingsKeepEveryPageInOrder) {
  std::vector<CodedRaster> pages = {Coded(TextLikePage(1728, 90, 1), 7, 2),
                                    Coded(TextLikePage(1728, 80, 2), 5, 1),
                                    Coded(CornerMarkPage(2048, 60), 8, 1)};
  engine_run::ExpectOutcome(
      Convert(FileOf(pages)),
      Outcome{3, true, 0, {pages[0].raster, pages[1].raster, pages[2].raster}});
}

// A header without width or height stands for 1728 pixels and at most 4576
// lines: the page holds the lines its data holds.
TEST(KvrFaxReader, MissingSizeMeansFaxWidthAndTheRowsTheDataHolds) {
  for (std::uint8_t codingCode : {1, 5, 7, 8}) {
    SCOPED_TRACE("coding " + std::to_string(codingCode));
    std::vector<CodedRaster> pages = {Coded(TextLikePage(1728, 300, 5), codingCode, 1)};
    pages[0].page.width = 0;
    pages[0].page.height = 0;
    engine_run::ExpectOutcome(Convert(FileOf(pages)), Outcome{1, true, 0, {pages[0].raster}});
  }
}

// How many rows a header promises decides whether a short T.6 page is whole:
// the decoder cannot see a cut at a line boundary. Asking for the lines to be
// recounted takes the count from the data.
TEST(KvrFaxReader, PagesShorterThanTheirHeaderFailUnlessRecounted) {
  const Raster page = TextLikePage(1728, 300, 6);
  Raster top(1728, 200);
  std::copy_n(page.pixels.begin(), top.pixels.size(), top.pixels.begin());
  ConversionSettings recount;
  recount.Recaculate = 1;
  for (std::uint8_t codingCode : {1, 7, 8}) {
    SCOPED_TRACE("coding " + std::to_string(codingCode));
    std::vector<CodedRaster> pages = {Coded(top, codingCode, 1)};
    pages[0].page.height = 300;
    const std::vector<std::uint8_t> bytes = FileOf(pages);
    engine_run::ExpectOutcome(Convert(bytes), Outcome{1, true, kFaxPageUnreadable, {}});
    engine_run::ExpectOutcome(Convert(bytes, recount), Outcome{1, true, 0, {top}});
  }
  // T.4 lines lost are line noise: the page keeps the lines it has.
  std::vector<CodedRaster> group3 = {Coded(top, 5, 1)};
  group3[0].page.height = 300;
  engine_run::ExpectOutcome(Convert(FileOf(group3)), Outcome{1, true, 0, {top}});
}

TEST(KvrFaxReader, HostileHeadersGiveWhatTheFileHoldsAndNeverMore) {
  const Raster first = TextLikePage(1728, 120, 7), second = TextLikePage(1728, 100, 8),
               third = NoisePage(1728, 30, 0.002, 9);
  std::vector<CodedRaster> pages = {Coded(first, 7, 1), Coded(second, 7, 1), Coded(third, 5, 2)};
  const std::vector<std::uint8_t> file = FileOf(pages);
  const std::size_t second_at = kvr_fax::kHeaderSize + pages[0].data.size();
  const std::size_t third_at = second_at + kvr_fax::kHeaderSize + pages[1].data.size();
  auto patched = [&](std::size_t header, std::size_t field, std::uint32_t value) {
    std::vector<std::uint8_t> bytes = file;
    PatchU32(bytes, header + field, value);
    return bytes;
  };
  // The next header lies at data offset + data length.
  auto pointing = [&](std::size_t header, std::size_t page, std::uint64_t next) {
    EXPECT_GE(next, pages[page].data.size()) << "a next offset this data length can give";
    return patched(header, kvr_fax::kDataOffsetField,
                   std::uint32_t(next - pages[page].data.size()));
  };
  // A chain of empty headers as long as the file allows.
  ByteWriter endless;
  for (std::uint32_t i = 0; i < 70000; ++i) {
    endless.text("KVR-FAX", 8);
    endless.u32le(64 * (i + 1));
    endless.padTo(64 * (i + 1));
  }
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
    Outcome want;
  };
  const Case cases[] = {
      {"the last page's data length past the end of the file",
       patched(third_at, kvr_fax::kDataLengthField, 0xFFFFFFF0u),
       {3, true, 0, {first, second, third}}},
      {"a data length below the file size that runs past its end",
       patched(third_at, kvr_fax::kDataLengthField, std::uint32_t(file.size() - 1)),
       {3, true, 0, {first, second, third}}},
      {"a file that ends inside a header",
       std::vector<std::uint8_t>(file.begin(), file.begin() + std::ptrdiff_t(third_at) + 30),
       {3, true, kFaxPageUnreadable, {}}},
      {"a page pointing at itself",
       pointing(second_at, 1, second_at),
       {2, true, 0, {first, second}}},
      {"a page pointing back at the one before",
       pointing(third_at, 2, second_at),
       {3, true, 0, {first, second, third}}},
      {"a page pointing past the end of the file",
       pointing(0, 0, file.size() + 64),
       {1, true, 0, {first}}},
      {"a width no fax has", patched(0, kvr_fax::kWidthField, 70000), {3, false, 1, {}}},
      {"a later page too wide to read",
       patched(second_at, kvr_fax::kWidthField, 0xFFFFFFFFu),
       {3, true, kFaxPageUnreadable, {}}},
      {"more lines than any data holds",
       patched(0, kvr_fax::kHeightField, 0xFFFFFFFFu),
       {3, true, kFaxPageUnreadable, {}}},
      {"a coding code no page has", patched(0, 24, 0x02010000), {3, false, 1, {}}},
      {"headers without end", endless.bytes(), {65535, false, 1, {}}},
      {"no header at all", std::vector<std::uint8_t>(500, 0x4B), {0, false, 1, {}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    engine_run::ExpectOutcome(Convert(c.bytes), c.want);
  }
}
