// PC Research documents built from the TIFF library's codings of known
// pages: pages found by their headers' signature, Group 3 only, each at the
// width its data has.
#include "faxengine/FaxReader.h"
#include "samples/writers/PcResearchFile.h"

#include "ProbedContainerRun.h"
#include "support/ContainerPayloads.h"
#include "support/RawStreamFixtures.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

constexpr std::uint32_t kRows = 400;

std::vector<std::uint8_t> PcResearchOf(const std::vector<CodedPayload>& payloads) {
  std::vector<std::vector<std::uint8_t>> pages;
  for (const CodedPayload& payload : payloads)
    pages.push_back(payload.coded);
  return MakePcResearchFile(pages);
}

} // namespace

// Each page's data lies between its 64-byte header and the next header: the
// strips written are exactly the coded pages. The 2048 and 2432 pages keep
// the width their data has.
TEST(PcResearchReader, ThreeSignaturesAreThreePagesOfTheirOwnWidths) {
  using enum PayloadCoding;
  using enum PayloadBitOrder;
  const std::vector<CodedPayload> payloads = {MakePayload(T4OneD, MsbFirst, 2048, kRows, 1),
                                              MakePayload(T4TwoD, LsbFirst, 1728, kRows, 2),
                                              MakePayload(T4OneD, LsbFirst, 2432, kRows, 3)};
  const EngineRun run = RunEngine(PcResearchOf(payloads), FaxFormat::PcResearch);
  EXPECT_EQ(run.identify, 0);
  ASSERT_TRUE(run.isFax);
  EXPECT_EQ(run.pageCount, 3);
  ASSERT_EQ(run.write, 0);
  ASSERT_EQ(run.pages.size(), 3u);
  for (std::size_t page = 0; page < payloads.size(); ++page) {
    SCOPED_TRACE(payloads[page].what);
    EXPECT_TRUE(run.pages[page] == payloads[page].page);
    EXPECT_EQ(run.strips[page], payloads[page].coded);
    EXPECT_EQ(run.yResolutions[page], 200.0f);
  }
}

TEST(PcResearchReader, UnreadablePagesAndHostileLayouts) {
  const CodedPayload text =
      MakePayload(PayloadCoding::T4OneD, PayloadBitOrder::MsbFirst, 1728, kRows, 4);
  const CodedPayload group4 =
      MakePayload(PayloadCoding::T6, PayloadBitOrder::MsbFirst, 1728, kRows, 5);
  const CodedPayload noise{"noise", TextLikePage(1728, kRows), RandomBytes(6000, 6)};
  std::vector<std::uint8_t> cutHeader = PcResearchOf({text});
  cutHeader.resize(63);
  // A second signature 30 bytes into the first page's header.
  const std::string signature("\0PC Research, Inc", 17);
  std::vector<std::uint8_t> shortFirstPage = PcResearchOf({text});
  shortFirstPage.insert(shortFirstPage.begin() + 30, signature.begin(), signature.end());
  struct Case {
    const char* what;
    std::vector<std::uint8_t> file;
    Outcome outcome;
  };
  const Case cases[] = {
      {"Group 4 data: not probed here", PcResearchOf({group4}), Outcome::NotFax},
      {"page 1 noise", PcResearchOf({noise, text}), Outcome::NotFax},
      {"page 2 noise", PcResearchOf({text, noise}), Outcome::ErrorFax},
      {"page 2 empty", PcResearchOf({text, {"empty", {}, {}}}), Outcome::ErrorFax},
      {"next header inside page 1's header", shortFirstPage, Outcome::NotFax},
      {"header cut short", cutHeader, Outcome::NotFax},
  };
  for (const Case& c : cases)
    ExpectOutcome(RunEngine(c.file, FaxFormat::PcResearch), c.outcome, c.what);
}

TEST(PcResearchReader, SignaturesBeyondThePageLimitAreNotCounted) {
  std::vector<std::uint8_t> file;
  const std::string signature("\0PC Research, Inc", 17);
  for (std::size_t page = 0; page < FaxReader::kMaxPages + 100; ++page)
    file.insert(file.end(), signature.begin(), signature.end());
  file.resize(file.size() + 64);
  const EngineRun run = RunEngine(file, FaxFormat::PcResearch);
  EXPECT_EQ(run.pageCount, FaxReader::kMaxPages);
  EXPECT_FALSE(run.isFax) << "headers 17 bytes apart leave no page any data";
}
