// QLIIFAX documents built from the TIFF library's codings of known pages:
// what the engine writes is checked against those pages, and against the
// coded bytes it must pass on unchanged.
#include "samples/writers/QliifaxFile.h"

#include "ProbedContainerRun.h"
#include "support/ContainerPayloads.h"
#include "support/RawStreamFixtures.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

constexpr std::uint32_t kRows = 400;

std::vector<std::vector<std::uint8_t>> CodedOf(const std::vector<CodedPayload>& payloads) {
  std::vector<std::vector<std::uint8_t>> coded;
  for (const CodedPayload& payload : payloads)
    coded.push_back(payload.coded);
  return coded;
}

std::vector<std::uint8_t> QliifaxOf(const std::vector<CodedPayload>& payloads,
                                    std::uint16_t resolutionCode = 1) {
  return MakeQliifaxFile(CodedOf(payloads), {kRows, kRows, resolutionCode});
}

std::size_t OffsetSlot(std::size_t page) { return kQliifaxOffsetsAt + 4 * page; }

} // namespace

TEST(QliifaxReader, EveryCodingBitOrderAndWidthIsProbedAndPassedOnUnchanged) {
  const std::vector<CodedPayload> payloads = EveryCodingPayloads(kRows);
  const EngineRun run = RunEngine(QliifaxOf(payloads), FaxFormat::Qliifax);
  EXPECT_EQ(run.identify, 0);
  ASSERT_TRUE(run.isFax);
  EXPECT_EQ(run.pageCount, payloads.size());
  ASSERT_EQ(run.write, 0);
  ASSERT_EQ(run.pages.size(), payloads.size());
  for (std::size_t page = 0; page < payloads.size(); ++page) {
    SCOPED_TRACE(payloads[page].what);
    EXPECT_TRUE(run.pages[page] == payloads[page].page);
    EXPECT_EQ(run.strips[page], payloads[page].coded) << "the coded bytes, unchanged";
    EXPECT_EQ(run.yResolutions[page], 200.0f);
  }
}

TEST(QliifaxReader, HeaderFieldsGiveResolutionAndTheLastPageItsOwnLineCount) {
  const CodedPayload payload =
      MakePayload(PayloadCoding::T4OneD, PayloadBitOrder::MsbFirst, 1728, kRows, 7);
  for (auto [code, dpi] : {std::pair{1, 200.0f}, {2, 100.0f}, {0, 400.0f}}) {
    const EngineRun run = RunEngine(QliifaxOf({payload}, std::uint16_t(code)), FaxFormat::Qliifax);
    ASSERT_EQ(run.yResolutions.size(), 1u);
    EXPECT_EQ(run.yResolutions[0], dpi) << "resolution code " << code;
  }
  // Lines of the last page at offset 10, of the others at 12.
  const EngineRun run = RunEngine(MakeQliifaxFile({payload.coded, payload.coded}, {kRows, 300, 1}),
                                  FaxFormat::Qliifax);
  ASSERT_EQ(run.pages.size(), 2u);
  EXPECT_EQ(run.pages[0].height, kRows);
  EXPECT_EQ(run.pages[1].height, 300u);
}

TEST(QliifaxReader, AnnouncedPagesBeyondTheOffsetTableCountAsItsSize) {
  const CodedPayload payload =
      MakePayload(PayloadCoding::T4OneD, PayloadBitOrder::MsbFirst, 1728, 60, 8);
  std::vector<std::uint8_t> file = MakeQliifaxFile(
      std::vector<std::vector<std::uint8_t>>(kQliifaxOffsetSlots, payload.coded), {60, 60, 1});
  Patch(file, kQliifaxPageCountAt, 500, 2);
  const EngineRun run = RunEngine(file, FaxFormat::Qliifax);
  EXPECT_EQ(run.pageCount, 375);
  ASSERT_EQ(run.write, 0);
  ASSERT_EQ(run.pages.size(), 375u);
  EXPECT_TRUE(run.pages.back() == payload.page);
}

// A page that cannot be read never vanishes: page 1 makes the file no fax,
// a later page fails the document.
TEST(QliifaxReader, UnreadablePagesAndHostileHeaders) {
  const std::vector<CodedPayload> payloads = {
      MakePayload(PayloadCoding::T4OneD, PayloadBitOrder::MsbFirst, 1728, kRows, 9),
      MakePayload(PayloadCoding::T6, PayloadBitOrder::MsbFirst, 1728, kRows, 10)};
  const std::vector<std::uint8_t> good = QliifaxOf(payloads);
  auto patched = [&](std::size_t at, std::uint32_t value, int width = 4) {
    std::vector<std::uint8_t> file = good;
    Patch(file, at, value, width);
    return file;
  };
  auto damaged = [&](std::size_t page) {
    std::vector<CodedPayload> copy = payloads;
    std::vector<std::uint8_t>& coded = copy[page].coded;
    std::fill_n(coded.begin() + std::ptrdiff_t(coded.size() / 2), 40, 0x5A);
    return QliifaxOf(copy);
  };
  const std::vector<std::uint8_t> noise = RandomBytes(6000, 11);
  struct Case {
    const char* what;
    std::vector<std::uint8_t> file;
    Outcome outcome;
  };
  const Case cases[] = {
      {"intact", good, Outcome::Converts},
      {"page 1 neither G3 nor G4", QliifaxOf({{"noise", {}, noise}, payloads[1]}), Outcome::NotFax},
      {"page 2 neither G3 nor G4", QliifaxOf({payloads[0], {"noise", {}, noise}}),
       Outcome::ErrorFax},
      {"T.4 page with damaged lines: its decoded rows", damaged(0), Outcome::Converts},
      {"T.6 page broken off in the middle", damaged(1), Outcome::ErrorFax},
      {"page 1 offset 0", patched(OffsetSlot(0), 0), Outcome::NotFax},
      {"page 1 offset past the end", patched(OffsetSlot(0), 0x7FFFFFF0), Outcome::NotFax},
      {"page 2 offset past the end: page 1 has no end",
       patched(OffsetSlot(1), std::uint32_t(good.size()) + 1), Outcome::NotFax},
      {"page 2 offset before page 1", patched(OffsetSlot(1), 100), Outcome::NotFax},
      {"page 2 offset equal to page 1", patched(OffsetSlot(1), kQliifaxHeaderSize),
       Outcome::NotFax},
      {"page 2 offset 0: page 1 runs to the end", patched(OffsetSlot(1), 0), Outcome::ErrorFax},
      {"65535 pages announced, two in the table", patched(kQliifaxPageCountAt, 0xFFFF, 2),
       Outcome::ErrorFax},
      {"no page announced", patched(kQliifaxPageCountAt, 0, 2), Outcome::NotFax},
      {"line counts of 4 billion", patched(12, 0xFFFFFFFF), Outcome::Converts},
      {"signature without its zero byte", patched(7, 'X', 1), Outcome::NotFax},
      {"header cut short", std::vector<std::uint8_t>(good.begin(), good.begin() + 1000),
       Outcome::NotFax},
  };
  for (const Case& c : cases)
    ExpectOutcome(RunEngine(c.file, FaxFormat::Qliifax), c.outcome, c.what);
}
