// Page-record documents built around pages the TIFF library coded (T.4
// one-dimensional and T.6, least significant bit first): the pages, the
// first page's caption as the sender comment, and damaged or hostile
// headers.
#include "faxengine/PageRecordsReader.h"

#include "EngineRun.h"
#include "samples/writers/PageRecordsFile.h"
#include "support/Scratch.h"

#include <gtest/gtest.h>

using namespace testing_support;
using engine_run::Outcome;

namespace {

struct RecordPage {
  Raster raster;
  std::vector<std::uint8_t> data;
  page_records::Page page;
};

RecordPage Record(const Raster& raster, bool group4, const std::string& caption = {}) {
  RecordPage record{raster, {}, {}};
  record.data = group4 ? engine_run::Group4LsbFirst(raster)
                       : EncodeWithLibTiff(raster, COMPRESSION_CCITTFAX3, GROUP3OPT_FILLBITS,
                                           FILLORDER_LSB2MSB);
  record.page.width = std::uint16_t(raster.width);
  record.page.lines = std::uint16_t(raster.height);
  record.page.group4 = group4;
  record.page.caption = caption;
  return record;
}

std::vector<std::uint8_t> FileOf(std::vector<RecordPage>& records) {
  std::vector<page_records::Page> layout;
  for (RecordPage& record : records) {
    record.page.data = record.data;
    layout.push_back(record.page);
  }
  return page_records::File(layout);
}

engine_run::EngineRun Convert(const std::vector<std::uint8_t>& bytes,
                              const ConversionSettings& settings = {}) {
  ScratchFolder scratch;
  WriteFile(scratch / "fax.fxr", bytes);
  return engine_run::Run(scratch / "fax.fxr", FaxFormat::PageRecords, scratch / "out.tif",
                         settings);
}

void PatchU32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes.at(offset + i) = std::uint8_t(value >> (8 * i));
}

} // namespace

TEST(PageRecordsReader, PagesOfBothCodingsAndTheFirstCaptionConvert) {
  std::vector<RecordPage> records = {
      Record(TextLikePage(1728, 140, 1), true, "From: +49 30 1234567"),
      Record(TextLikePage(2048, 90, 2), false, "second page"),
      Record(NoisePage(2432, 50, 0.1, 3), true)};
  records[1].page.paddingUnits = 3; // the next header lies past some padding
  records[2].page.resolutionCode = 2;
  engine_run::EngineRun run = Convert(FileOf(records));
  engine_run::ExpectOutcome(
      run, Outcome{3, true, 0, {records[0].raster, records[1].raster, records[2].raster}});
  EXPECT_EQ(run.docInfo.senderComment.value_or("(none)"), "From: +49 30 1234567");
  EXPECT_FALSE(run.docInfo.acceptanceLine || run.docInfo.user);
  std::vector<RecordPage> uncaptioned = {Record(TextLikePage(1728, 60, 4), false)};
  EXPECT_FALSE(Convert(FileOf(uncaptioned)).docInfo.senderComment) << "an empty caption";
}

TEST(PageRecordsReader, MissingSizeMeansFaxWidthAndTheRowsTheDataHolds) {
  for (bool group4 : {false, true}) {
    std::vector<RecordPage> records = {Record(TextLikePage(1728, 200, 5), group4)};
    records[0].page.width = 0;
    records[0].page.lines = 0;
    engine_run::ExpectOutcome(Convert(FileOf(records)), Outcome{1, true, 0, {records[0].raster}});
  }
}

TEST(PageRecordsReader, HostileHeadersGiveWhatTheFileHoldsAndNeverMore) {
  const Raster first = TextLikePage(1728, 100, 6), second = NoisePage(1728, 80, 0.002, 7);
  std::vector<RecordPage> records = {Record(first, true, std::string(100, 'x')),
                                     Record(second, true)};
  const std::vector<std::uint8_t> file = FileOf(records);
  const std::size_t second_at = page_records::kHeaderSize + records[0].data.size();
  auto patched = [&](std::size_t header, std::size_t field, std::uint32_t value) {
    std::vector<std::uint8_t> bytes = file;
    PatchU32(bytes, header + field, value);
    return bytes;
  };
  // The next header lies at the sum of the two terms, the data length and
  // the padding (none here): term B set to 0, term A makes up the rest.
  auto pointing = [&](std::size_t header, std::size_t page, std::uint64_t next) {
    EXPECT_GE(next, records[page].data.size()) << "a next offset this data length can give";
    std::vector<std::uint8_t> bytes = patched(header, page_records::kTermBField, 0);
    PatchU32(bytes, header + page_records::kTermAField,
             std::uint32_t(next - records[page].data.size()));
    return bytes;
  };
  Raster top(1728, 60);
  std::copy_n(second.pixels.begin(), top.pixels.size(), top.pixels.begin());
  std::vector<RecordPage> cut = {Record(top, true)};
  cut[0].page.lines = 80;
  ConversionSettings recount;
  recount.Recaculate = 1;
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
    Outcome want;
    ConversionSettings settings = {};
  };
  const Case cases[] = {
      {"a file that ends inside a header",
       std::vector<std::uint8_t>(file.begin(), file.begin() + std::ptrdiff_t(second_at) + 100),
       {2, true, kFaxPageUnreadable, {}}},
      {"a page pointing at itself",
       pointing(second_at, 1, second_at),
       {2, true, 0, {first, second}}},
      {"a page pointing back into the first",
       pointing(second_at, 1, second_at - 1),
       {2, true, 0, {first, second}}},
      {"a page pointing past the end of the file",
       pointing(0, 0, file.size() + 128),
       {1, true, 0, {first}}},
      {"the last page's data length past the end of the file",
       patched(second_at, page_records::kDataLengthField, 0xFFFFFFFFu),
       {2, true, 0, {first, second}}},
      {"more lines than the T.6 data holds", FileOf(cut), {1, true, kFaxPageUnreadable, {}}},
      {"more lines than the data holds, recounted", FileOf(cut), {1, true, 0, {top}}, recount},
      {"no header at all", std::vector<std::uint8_t>(300, 0x0B), {0, false, 1, {}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    engine_run::ExpectOutcome(Convert(c.bytes, c.settings), c.want);
  }
}
