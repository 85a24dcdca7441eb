// Documents of the fax programs that do not state how their pages are coded
// (QLIIFAX, BIT FAX, PC Research), built around the TIFF library's codings of
// known pages. What the engine writes is checked against those pages and
// against the coded bytes it must pass on unchanged. A page that cannot be
// read never vanishes: page 1 makes the file no fax, a later page fails it.
#include "faxengine/FaxEngine.h"
#include "faxengine/FaxReader.h"
#include "faxengine/FaxTiffWriter.h"
#include "samples/writers/BitFaxFile.h"
#include "samples/writers/PcResearchFile.h"
#include "samples/writers/QliifaxFile.h"

#include "EngineRun.h"
#include "support/ContainerPayloads.h"
#include "support/RawStreamFixtures.h"
#include "support/Scratch.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

constexpr std::uint32_t kRows = 400;
constexpr FaxFormat kQliifax = FaxFormat::Qliifax;
constexpr FaxFormat kBitFax = FaxFormat::BitFax;
constexpr FaxFormat kPcResearch = FaxFormat::PcResearch;

enum class Outcome { NotFax, ErrorFax, Converts };

struct EngineRun {
  Outcome outcome = Outcome::NotFax;
  int write = -99;
  std::uint16_t pageCount = 0;
  // The written TIFF's pages as the TIFF library decodes them, their coded
  // strips and vertical resolutions.
  std::vector<Raster> pages;
  std::vector<std::vector<std::uint8_t>> strips;
  std::vector<float> yResolutions;
};

EngineRun RunEngine(const std::vector<std::uint8_t>& file, FaxFormat format) {
  TIFFSetWarningHandler(nullptr);
  ScratchFolder scratch;
  WriteFile(scratch / "document", file);
  const engine_run::EngineRun engine =
      engine_run::Run(scratch / "document", format, scratch / "out.tif");
  EXPECT_EQ(engine.identified, 0);
  EngineRun run;
  run.pageCount = engine.pageCount;
  if (!engine.isFax)
    return run;
  run.write = engine.written;
  run.outcome = run.write == 0 ? Outcome::Converts : Outcome::ErrorFax;
  if (run.write != 0)
    return run;
  run.pages = engine.pages;
  for (std::size_t page = 0; page < run.pages.size(); ++page)
    run.strips.push_back(ReadRawStrips(scratch / "out.tif", int(page)).at(0));
  run.yResolutions = ResolutionsOf(scratch / "out.tif", TIFFTAG_YRESOLUTION);
  return run;
}

// The file with a little-endian integer of width bytes put at offset.
std::vector<std::uint8_t> Patched(std::vector<std::uint8_t> file, std::size_t offset,
                                  std::uint32_t value, int width = 4) {
  for (int i = 0; i < width; ++i)
    file.at(offset + i) = std::uint8_t(value >> (8 * i));
  return file;
}

std::vector<std::vector<std::uint8_t>> CodedOf(const std::vector<CodedPayload>& payloads) {
  std::vector<std::vector<std::uint8_t>> coded;
  for (const CodedPayload& payload : payloads)
    coded.push_back(payload.coded);
  return coded;
}

std::vector<std::uint8_t> QliifaxOf(const std::vector<CodedPayload>& payloads,
                                    std::uint16_t lastPageLines = kRows,
                                    std::uint16_t resolutionCode = 1) {
  return QliifaxFile(CodedOf(payloads), {kRows, lastPageLines, resolutionCode});
}

BitFaxPage EntryOf(const CodedPayload& payload) {
  return {payload.coded, std::uint16_t(payload.page.width), std::uint16_t(payload.page.height)};
}

std::vector<std::uint8_t> BitFaxOf(const std::vector<CodedPayload>& payloads,
                                   std::uint8_t resolutionCode = 1) {
  std::vector<BitFaxPage> pages;
  for (const CodedPayload& payload : payloads)
    pages.push_back(EntryOf(payload));
  return BitFaxFile(pages, resolutionCode);
}

std::vector<std::uint8_t> PcResearchOf(const std::vector<CodedPayload>& payloads) {
  return PcResearchFile(CodedOf(payloads));
}

std::size_t QliifaxOffsetSlot(std::size_t page) { return kQliifaxOffsetsAt + 4 * page; }
std::size_t BitFaxEntryField(std::size_t page, std::size_t field) {
  return kBitFaxEntriesAt + page * kBitFaxEntrySize + field;
}

Raster TopRows(const Raster& page, std::uint32_t rows) {
  Raster top(page.width, rows);
  std::copy_n(page.pixels.begin(), top.pixels.size(), top.pixels.begin());
  return top;
}

} // namespace

// QLIIFAX and BIT FAX pages may be Group 3 or Group 4; PC Research pages are
// Group 3 and keep the width their data has. Between them the cases read the
// QLIIFAX line count of the last page and each format's resolution codes.
TEST(ProbedContainers, EveryCodingBitOrderAndWidthIsProbedAndPassedOnUnchanged) {
  const std::vector<CodedPayload> payloads = EveryCodingPayloads(kRows);
  const std::vector<CodedPayload> group3(payloads.begin(), payloads.begin() + 4);
  struct Case {
    const char* what;
    FaxFormat format;
    std::vector<std::uint8_t> file;
    std::vector<CodedPayload> pages;
    std::uint32_t lastPageRows;
    float yResolution;
  };
  const Case cases[] = {
      {"QLIIFAX", kQliifax, QliifaxOf(payloads, 300, 2), payloads, 300, 100},
      {"BIT FAX", kBitFax, BitFaxOf(payloads, 7), payloads, kRows, 400},
      {"PC Research", kPcResearch, PcResearchOf(group3), group3, kRows, 200},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const EngineRun run = RunEngine(c.file, c.format);
    EXPECT_EQ(run.pageCount, c.pages.size());
    ASSERT_EQ(run.outcome, Outcome::Converts);
    ASSERT_EQ(run.pages.size(), c.pages.size());
    for (std::size_t page = 0; page < c.pages.size(); ++page) {
      SCOPED_TRACE(c.pages[page].what);
      const Raster& source = c.pages[page].page;
      EXPECT_TRUE(run.pages[page] ==
                  (page + 1 < c.pages.size() ? source : TopRows(source, c.lastPageRows)));
      EXPECT_EQ(run.strips[page], c.pages[page].coded) << "the coded bytes, unchanged";
      EXPECT_EQ(run.yResolutions[page], c.yResolution);
    }
  }
}

TEST(ProbedContainers, PageCountsStopAtWhatTheTablesHold) {
  const CodedPayload small =
      MakePayload(PayloadCoding::T4OneD, PayloadBitOrder::LsbFirst, 1728, 60, 8);
  std::vector<std::uint8_t> signatures;
  const std::string signature("\0PC Research, Inc", 17);
  for (std::size_t page = 0; page < FaxReader::kMaxPages + 100; ++page)
    signatures.insert(signatures.end(), signature.begin(), signature.end());
  signatures.resize(signatures.size() + kPcResearchPageHeaderSize);
  struct Case {
    const char* what;
    FaxFormat format;
    std::vector<std::uint8_t> file;
    std::size_t pageCount;
    Outcome outcome;
  };
  const Case cases[] = {
      {"QLIIFAX announcing 500 pages", kQliifax,
       Patched(QliifaxOf(std::vector<CodedPayload>(kQliifaxOffsetSlots, small), 60),
               kQliifaxPageCountAt, 500, 2),
       375, Outcome::Converts},
      {"BIT FAX announcing 200 pages", kBitFax,
       Patched(BitFaxOf(std::vector<CodedPayload>(kBitFaxEntrySlots, small)), kBitFaxPageCountAt,
               200, 2),
       127, Outcome::Converts},
      {"PC Research headers 17 bytes apart: pages without data", kPcResearch, signatures,
       FaxReader::kMaxPages, Outcome::NotFax},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const EngineRun run = RunEngine(c.file, c.format);
    EXPECT_EQ(run.pageCount, c.pageCount);
    ASSERT_EQ(run.outcome, c.outcome);
    if (c.outcome == Outcome::Converts) {
      ASSERT_EQ(run.pages.size(), c.pageCount);
      EXPECT_TRUE(run.pages.back() == TopRows(small.page, 60));
    }
  }
}

TEST(ProbedContainers, UnreadablePagesAndHostileHeaders) {
  using enum PayloadCoding;
  using enum PayloadBitOrder;
  const std::vector<CodedPayload> pages = {MakePayload(T4OneD, MsbFirst, 1728, kRows, 9),
                                           MakePayload(T6, LsbFirst, 2048, kRows, 10)};
  const CodedPayload noise{"noise", {}, RandomBytes(6000, 11)};
  auto damaged = [&](std::size_t page) {
    std::vector<CodedPayload> copy = pages;
    std::fill_n(copy[page].coded.begin() + std::ptrdiff_t(copy[page].coded.size() / 2), 40, 0x5A);
    return QliifaxOf(copy);
  };
  const std::vector<std::uint8_t> qliifax = QliifaxOf(pages);
  const std::vector<std::uint8_t> bitFax = BitFaxOf(pages);
  const auto qliifaxSize = std::uint32_t(qliifax.size());
  const std::vector<std::uint8_t> pcResearch = PcResearchOf({pages[0]});
  // A second signature 30 bytes into the first page's header.
  std::vector<std::uint8_t> overlapping = pcResearch;
  const std::string signature("\0PC Research, Inc", 17);
  overlapping.insert(overlapping.begin() + 30, signature.begin(), signature.end());
  struct Case {
    const char* what;
    FaxFormat format;
    std::vector<std::uint8_t> file;
    Outcome outcome;
  };
  const Case cases[] = {
      {"page 1 neither G3 nor G4", kQliifax, QliifaxOf({noise, pages[1]}), Outcome::NotFax},
      {"page 2 neither G3 nor G4", kBitFax, BitFaxOf({pages[0], noise}), Outcome::ErrorFax},
      {"page 2 Group 4, which PC Research never probes", kPcResearch, PcResearchOf(pages),
       Outcome::ErrorFax},
      {"T.4 page with damaged lines: its decoded rows", kQliifax, damaged(0), Outcome::Converts},
      {"T.6 page broken off in the middle", kQliifax, damaged(1), Outcome::ErrorFax},
      {"page 1 offset 0", kQliifax, Patched(qliifax, QliifaxOffsetSlot(0), 0), Outcome::NotFax},
      {"page 1 offset past the end", kQliifax, Patched(qliifax, QliifaxOffsetSlot(0), 0x7FFFFFF0),
       Outcome::NotFax},
      {"page 2 offset past the end: page 1 has no end", kQliifax,
       Patched(qliifax, QliifaxOffsetSlot(1), qliifaxSize + 1), Outcome::NotFax},
      {"page 2 offset before page 1", kQliifax, Patched(qliifax, QliifaxOffsetSlot(1), 100),
       Outcome::NotFax},
      {"page 2 offset 0: page 1 runs to the end", kQliifax,
       Patched(qliifax, QliifaxOffsetSlot(1), 0), Outcome::ErrorFax},
      {"65535 pages announced, two in the table", kQliifax,
       Patched(qliifax, kQliifaxPageCountAt, 0xFFFF, 2), Outcome::ErrorFax},
      {"no page announced", kQliifax, Patched(qliifax, kQliifaxPageCountAt, 0, 2), Outcome::NotFax},
      {"line counts of 4 billion", kQliifax, Patched(qliifax, 12, 0xFFFFFFFF), Outcome::Converts},
      {"QLIIFAX header cut short", kQliifax, std::vector(qliifax.begin(), qliifax.begin() + 1000),
       Outcome::NotFax},
      {"page 1 data offset 0", kBitFax,
       Patched(bitFax, BitFaxEntryField(0, kBitFaxDataOffsetAt), 0), Outcome::NotFax},
      {"page 1 data length of 4 GB", kBitFax,
       Patched(bitFax, BitFaxEntryField(0, kBitFaxDataLengthAt), 0xFFFFFFFF), Outcome::NotFax},
      {"page 2 data one byte past the end", kBitFax,
       Patched(bitFax, BitFaxEntryField(1, kBitFaxDataLengthAt),
               std::uint32_t(pages[1].coded.size()) + 1),
       Outcome::ErrorFax},
      {"no page announced", kBitFax, Patched(bitFax, kBitFaxPageCountAt, 0, 2), Outcome::NotFax},
      {"65535 lines in an entry", kBitFax, Patched(bitFax, BitFaxEntryField(0, 2), 0xFFFF, 2),
       Outcome::Converts},
      {"width 0 in an entry", kBitFax, Patched(bitFax, BitFaxEntryField(0, 0), 0, 2),
       Outcome::NotFax},
      {"one blank in the signature", kBitFax, Patched(bitFax, 4, 'F', 1), Outcome::NotFax},
      {"next header inside page 1's header", kPcResearch, overlapping, Outcome::NotFax},
      {"PC Research header cut short", kPcResearch,
       std::vector(pcResearch.begin(), pcResearch.begin() + 63), Outcome::NotFax},
  };
  for (const Case& c : cases) {
    const EngineRun run = RunEngine(c.file, c.format);
    EXPECT_EQ(run.outcome, c.outcome) << c.what;
    if (run.outcome == Outcome::ErrorFax) {
      EXPECT_EQ(run.write, kFaxPageUnreadable) << c.what;
    }
  }
}
