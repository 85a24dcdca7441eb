// Single Group 4 pages around T.6 data the TIFF library coded, and the
// header values a damaged or hostile file may hold.
#include "faxengine/SingleGroup4Reader.h"

#include "EngineRun.h"
#include "samples/writers/SingleGroup4File.h"
#include "support/Scratch.h"

#include <gtest/gtest.h>

using namespace testing_support;
using engine_run::Outcome;

namespace {

engine_run::EngineRun Convert(const std::vector<std::uint8_t>& bytes) {
  ScratchFolder scratch;
  WriteFile(scratch / "fax.ed1", bytes);
  return engine_run::Run(scratch / "fax.ed1", FaxFormat::SingleGroup4, scratch / "out.tif");
}

} // namespace

TEST(SingleGroup4Reader, PagesOfEveryFaxWidthConvertExactly) {
  for (std::uint32_t width : {1728u, 2048u, 2432u}) {
    SCOPED_TRACE(width);
    const Raster page = TextLikePage(width, 130, width);
    engine_run::ExpectOutcome(
        Convert(single_group4::File(engine_run::Group4LsbFirst(page), width, 130, 200)),
        Outcome{1, true, 0, {page}});
  }
}

TEST(SingleGroup4Reader, DamagedAndHostileHeaders) {
  const Raster page = TextLikePage(1728, 120, 3);
  const std::vector<std::uint8_t> data = engine_run::Group4LsbFirst(page);
  std::vector<std::uint8_t> broken = data;
  for (std::size_t i = broken.size() / 2; i < broken.size() / 2 + 8; ++i)
    broken[i] = 0;
  std::vector<std::uint8_t> otherSignature = single_group4::File(data, 1728, 120, 200);
  otherSignature[3] = 0x02;
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
    Outcome want;
  };
  const Case cases[] = {
      {"another signature", otherSignature, {0, false, 1, {}}},
      {"a header cut short",
       std::vector<std::uint8_t>(otherSignature.begin(), otherSignature.begin() + 700),
       {0, false, 1, {}}},
      {"more lines than the data holds",
       single_group4::File(data, 1728, 121, 200),
       {1, true, kFaxPageUnreadable, {}}},
      {"more lines than any data holds",
       single_group4::File(data, 1728, 0xFFFFFFFFu, 200),
       {1, true, kFaxPageUnreadable, {}}},
      {"T.6 data that breaks off",
       single_group4::File(broken, 1728, 120, 200),
       {1, true, kFaxPageUnreadable, {}}},
      {"no lines", single_group4::File(data, 1728, 0, 200), {1, false, 1, {}}},
      {"a width no fax has", single_group4::File(data, 0xFFFFFFFFu, 120, 200), {1, false, 1, {}}},
      {"no data", single_group4::File({}, 1728, 120, 200), {1, false, 1, {}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    engine_run::ExpectOutcome(Convert(c.bytes), c.want);
  }
}
