// BIT FAX documents built from the TIFF library's codings of known pages:
// what the engine writes is checked against those pages, and against the
// coded bytes it must pass on unchanged.
#include "samples/writers/BitFaxFile.h"

#include "ProbedContainerRun.h"
#include "support/ContainerPayloads.h"
#include "support/RawStreamFixtures.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

constexpr std::uint32_t kRows = 400;

BitFaxPage EntryOf(const CodedPayload& payload) {
  return {payload.coded, std::uint16_t(payload.page.width), std::uint16_t(payload.page.height)};
}

std::vector<std::uint8_t> BitFaxOf(const std::vector<CodedPayload>& payloads,
                                   std::uint8_t resolutionCode = 1) {
  std::vector<BitFaxPage> pages;
  for (const CodedPayload& payload : payloads)
    pages.push_back(EntryOf(payload));
  return MakeBitFaxFile(pages, resolutionCode);
}

std::size_t EntryField(std::size_t page, std::size_t field) {
  return kBitFaxEntriesAt + page * kBitFaxEntrySize + field;
}

} // namespace

TEST(BitFaxReader, EveryCodingBitOrderAndWidthIsProbedAndPassedOnUnchanged) {
  const std::vector<CodedPayload> payloads = EveryCodingPayloads(kRows);
  const EngineRun run = RunEngine(BitFaxOf(payloads), FaxFormat::BitFax);
  EXPECT_EQ(run.identify, 0);
  ASSERT_TRUE(run.isFax);
  EXPECT_EQ(run.pageCount, payloads.size());
  ASSERT_EQ(run.write, 0);
  ASSERT_EQ(run.pages.size(), payloads.size());
  for (std::size_t page = 0; page < payloads.size(); ++page) {
    SCOPED_TRACE(payloads[page].what);
    EXPECT_TRUE(run.pages[page] == payloads[page].page);
    EXPECT_EQ(run.strips[page], payloads[page].coded) << "the coded bytes, unchanged";
  }
  for (auto [code, dpi] : {std::pair{0, 100.0f}, {1, 200.0f}, {2, 400.0f}}) {
    const EngineRun one = RunEngine(BitFaxOf({payloads[0]}, std::uint8_t(code)), FaxFormat::BitFax);
    ASSERT_EQ(one.yResolutions.size(), 1u);
    EXPECT_EQ(one.yResolutions[0], dpi) << "resolution code " << code;
  }
}

TEST(BitFaxReader, AnnouncedPagesBeyondTheEntryTableCountAsItsSize) {
  const CodedPayload payload =
      MakePayload(PayloadCoding::T4OneD, PayloadBitOrder::LsbFirst, 1728, 60, 8);
  std::vector<std::uint8_t> file =
      MakeBitFaxFile(std::vector<BitFaxPage>(kBitFaxEntrySlots, EntryOf(payload)), 1);
  Patch(file, kBitFaxPageCountAt, 200, 2);
  const EngineRun run = RunEngine(file, FaxFormat::BitFax);
  EXPECT_EQ(run.pageCount, 127);
  ASSERT_EQ(run.write, 0);
  ASSERT_EQ(run.pages.size(), 127u);
  EXPECT_TRUE(run.pages.back() == payload.page);
}

// A page that cannot be read never vanishes: page 1 makes the file no fax,
// a later page fails the document.
TEST(BitFaxReader, UnreadablePagesAndHostileEntries) {
  const std::vector<CodedPayload> payloads = {
      MakePayload(PayloadCoding::T4TwoD, PayloadBitOrder::MsbFirst, 1728, kRows, 9),
      MakePayload(PayloadCoding::T6, PayloadBitOrder::LsbFirst, 2048, kRows, 10)};
  const std::vector<std::uint8_t> good = BitFaxOf(payloads);
  auto patched = [&](std::size_t at, std::uint32_t value, int width = 4) {
    std::vector<std::uint8_t> file = good;
    Patch(file, at, value, width);
    return file;
  };
  const CodedPayload noise{"noise", TextLikePage(1728, kRows), RandomBytes(6000, 11)};
  const auto size = std::uint32_t(good.size());
  struct Case {
    const char* what;
    std::vector<std::uint8_t> file;
    Outcome outcome;
  };
  const Case cases[] = {
      {"intact", good, Outcome::Converts},
      {"page 1 neither G3 nor G4", BitFaxOf({noise, payloads[1]}), Outcome::NotFax},
      {"page 2 neither G3 nor G4", BitFaxOf({payloads[0], noise}), Outcome::ErrorFax},
      {"page 1 data offset 0", patched(EntryField(0, kBitFaxDataOffsetAt), 0), Outcome::NotFax},
      {"page 1 data offset past the end", patched(EntryField(0, kBitFaxDataOffsetAt), size + 1),
       Outcome::NotFax},
      {"page 1 data length past the end", patched(EntryField(0, kBitFaxDataLengthAt), size),
       Outcome::NotFax},
      {"page 1 data length of 4 GB", patched(EntryField(0, kBitFaxDataLengthAt), 0xFFFFFFFF),
       Outcome::NotFax},
      {"page 2 data offset 0", patched(EntryField(1, kBitFaxDataOffsetAt), 0), Outcome::ErrorFax},
      {"page 2 data reaching past the end by one byte",
       patched(EntryField(1, kBitFaxDataLengthAt), std::uint32_t(payloads[1].coded.size()) + 1),
       Outcome::ErrorFax},
      {"65535 pages announced, two entries", patched(kBitFaxPageCountAt, 0xFFFF, 2),
       Outcome::ErrorFax},
      {"no page announced", patched(kBitFaxPageCountAt, 0, 2), Outcome::NotFax},
      {"65535 lines in the entries", patched(EntryField(0, 2), 0xFFFF, 2), Outcome::Converts},
      {"width 0 in the entry", patched(EntryField(0, 0), 0, 2), Outcome::NotFax},
      {"one blank in the signature", patched(4, 'F', 1), Outcome::NotFax},
      {"header cut short", std::vector<std::uint8_t>(good.begin(), good.begin() + 2047),
       Outcome::NotFax},
  };
  for (const Case& c : cases)
    ExpectOutcome(RunEngine(c.file, FaxFormat::BitFax), c.outcome, c.what);
}
