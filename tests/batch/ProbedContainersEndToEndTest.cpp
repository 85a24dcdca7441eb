// Documents of the fax programs whose page coding is probed (QLIIFAX, PC
// Research, BIT FAX), converted by the program itself as a user runs it.
// The images poppler extracts equal the encoded pages.
#include "samples/writers/BitFaxFile.h"
#include "samples/writers/PcResearchFile.h"
#include "samples/writers/QliifaxFile.h"

#include "support/ContainerPayloads.h"
#include "support/PdfChecks.h"
#include "support/Scratch.h"
#include "support/Tools.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace testing_support;

TEST(ProbedContainersEndToEnd, EachContainerBecomesAnExactPdf) {
  ScratchFolder scratch;
  std::filesystem::create_directory(scratch / "tmp");
  using enum PayloadCoding;
  using enum PayloadBitOrder;
  const CodedPayload oneD = MakePayload(T4OneD, MsbFirst, 1728, 900, 51);
  const CodedPayload group4 = MakePayload(T6, LsbFirst, 2048, 700, 52);
  const CodedPayload twoD = MakePayload(T4TwoD, LsbFirst, 2048, 800, 53);
  const CodedPayload wide = MakePayload(T6, MsbFirst, 2432, 600, 54);
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::vector<Raster> pages;
  };
  const Case cases[] = {
      {"fax.qfx", QliifaxFile({oneD.coded, group4.coded}, {900, 700, 1}), {oneD.page, group4.page}},
      {"fax.g3f", PcResearchFile({twoD.coded}), {twoD.page}},
      {"fax.bfx",
       BitFaxFile({{wide.coded, 2432, 600}, {oneD.coded, 1728, 900}}, 1),
       {wide.page, oneD.page}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string source = scratch / c.name;
    const std::string pdf = scratch / "fax.pdf";
    WriteFile(source, c.bytes);
    auto run =
        RunTool({QuorrenPath(), "/q", "/f=" + source, "/sf=" + pdf, "/log=" + scratch / "log.txt"},
                {"TMPDIR=" + scratch / "tmp"});
    ASSERT_EQ(run.exitCode, 0) << run.output << run.errors;
    ExpectPdfShowsPages(pdf, c.pages);
  }
}
