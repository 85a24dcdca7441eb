// CALS Type 1 raster files through the engine (FaxFormat 6): files written by
// ImageMagick and by our own writer around T.6 data the TIFF library encoded.
// The page the engine decodes and the TIFF it writes (as the TIFF library
// decodes it) must equal the source raster; the coded data goes through
// unchanged.
#include "faxengine/CalsReader.h"
#include "faxengine/FaxEngine.h"
#include "faxengine/FaxTiffWriter.h"

#include "samples/writers/CalsFile.h"
#include "support/ImageMagick.h"
#include "support/Scratch.h"
#include "support/TiffFixtures.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

constexpr FaxFormat kCals = FaxFormat::Cals;
constexpr std::size_t kHeaderBytes = 2048;

std::vector<std::uint8_t> Group4(const Raster& page) {
  return EncodeWithLibTiff(page, COMPRESSION_CCITTFAX4);
}

std::vector<std::uint8_t> OurCals(const Raster& page, unsigned density) {
  return CalsFile(CalsRecords(page.width, page.height, density), Group4(page));
}

// Page 1 as the engine decoded it; its rows hold paper as set bits.
Raster EngineRaster(const FaxEngine& engine) {
  const PageRaster& page = engine.Raster();
  return Raster::FromPackedRows(page.rows.data(), page.width, page.height, false);
}

class CalsReaderTest : public ::testing::Test {
protected:
  // Identifies the file as CALS; true when the engine judged it a fax.
  bool Identify(const std::vector<std::uint8_t>& bytes) {
    WriteFile(source, bytes);
    engine = std::make_unique<FaxEngine>();
    EXPECT_EQ(engine->Identify(source, kCals), 0);
    return engine->IsFax();
  }

  ScratchFolder scratch;
  const std::string source = scratch / "drawing.cal";
  const std::string output = scratch / "kvtintif.tmp";
  std::unique_ptr<FaxEngine> engine;
};

} // namespace

TEST_F(CalsReaderTest, PagesOfEveryWriterDecodeAndCopyExactly) {
  const Raster text = TextLikePage(1728, 2200, 7);
  const Raster corner = CornerMarkPage(2432, 300);
  const Raster odd = NoisePage(153, 55, 0.2, 8);
  struct Case {
    const char* what;
    std::vector<std::uint8_t> file;
    Raster page;
    unsigned density;
  };
  const Case cases[] = {
      // rpelcnt: 001728,002200 and rdensty: 0200: 1728 x 2200 at 200 dpi.
      {"our writer, A4 at 200 dpi", OurCals(text, 200), text, 200},
      {"our writer, B4 at 400 dpi", OurCals(corner, 400), corner, 400},
      {"ImageMagick, A4 at 200 dpi", WriteWithImageMagick(text, "cals"), text, 200},
      {"ImageMagick, odd width at 300 dpi", WriteWithImageMagick(odd, "cals", 300), odd, 300},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(Identify(c.file));
    EXPECT_EQ(engine->Settings().pageCount, 1);
    EXPECT_TRUE(EngineRaster(*engine) == c.page) << "page 1 as our decoder sees it";
    EXPECT_EQ(engine->Raster().xResolution, c.density);
    EXPECT_EQ(engine->Raster().yResolution, c.density);
    ASSERT_EQ(engine->WriteTiff(output, kCals), 0);
    const std::vector<Raster> written = ReadTiffPages(output);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_TRUE(written[0] == c.page) << "the TIFF as the TIFF library decodes it";
    EXPECT_EQ(ResolutionsOf(output, TIFFTAG_XRESOLUTION), std::vector<float>{float(c.density)});
    EXPECT_EQ(ResolutionsOf(output, TIFFTAG_YRESOLUTION), std::vector<float>{float(c.density)});
    const std::vector<std::uint8_t> coded(c.file.begin() + kHeaderBytes, c.file.end());
    EXPECT_EQ(ReadRawStrips(output).at(0), coded) << "the coded page unchanged";
  }
}

// What ImageMagick writes: the records in their fixed order, the page upright
// ("rorient: 000,270"), which the page above shows unturned and unmirrored.
TEST_F(CalsReaderTest, ImageMagickHeadersAreTheRecordsWeRead) {
  const std::vector<std::uint8_t> file = WriteWithImageMagick(CornerMarkPage(100, 40), "cals");
  const std::string header(file.begin(), file.begin() + kHeaderBytes);
  EXPECT_EQ(header.substr(6 * 128, 8), "rtype: 1");
  EXPECT_EQ(header.substr(7 * 128, 16), "rorient: 000,270");
  EXPECT_EQ(header.substr(8 * 128, 22), "rpelcnt: 000100,000040");
  EXPECT_EQ(header.substr(9 * 128, 13), "rdensty: 0200");
}

// Every number of the header is checked: a hostile or damaged header is no
// fax, never a crash or an allocation it asks for.
TEST_F(CalsReaderTest, HostileHeadersAreNotFax) {
  const Raster page = TextLikePage(1728, 100, 9);
  const std::vector<std::uint8_t> coded = Group4(page);
  const std::vector<std::string> records = CalsRecords(1728, 100, 200);
  ASSERT_TRUE(Identify(CalsFile(records, coded))) << "the unchanged file is a fax";

  constexpr std::size_t kPelCount = 8, kDensity = 9;
  struct Case {
    std::size_t record;
    std::string text;
  };
  const Case cases[] = {
      {kPelCount, "rpelcnt: 000000,000100"},
      {kPelCount, "rpelcnt: 001728,000000"},
      {kDensity, "rdensty: 0000"},
      {kPelCount, "notes: the page size record is missing"},
      {kDensity, "notes: the density record is missing"},
      {kPelCount, "rpelcnt: 99999999,000100"},
      {kPelCount, "rpelcnt: 4294969024,000100"}, // 2^32 + 1728
      {kPelCount, "rpelcnt: 001728,4294967396"}, // 2^32 + 100
      {kPelCount, "rpelcnt: 001728,2000000"},
      {kPelCount, "rpelcnt: 032768,020000"}, // more pixels than any page
      {kPelCount, "rpelcnt: -01728,000100"},
      {kPelCount, "rpelcnt: 001728"},
      {kPelCount, "rpelcnt: 001728;000100"},
      {kPelCount, "rpelcnt: ,000100"},
      {kPelCount, "rpelcnt: 17x8,000100"},
      {kPelCount, "rpelcnt: 001728,100lines"},
      {kDensity, "rdensty: 0200dpi"},
      {kDensity, "rdensty: 70000"},
      {kDensity, "rdensty: 99999999999999999999999999"},
      {kDensity, "rdensty:"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::vector<std::string> hostile = records;
    hostile[c.record] = c.text;
    EXPECT_FALSE(Identify(CalsFile(hostile, coded)));
    EXPECT_EQ(engine->Settings().pageCount, 0);
    EXPECT_EQ(engine->WriteTiff(output, kCals), -1) << "nothing is open to write";
  }

  const std::vector<std::uint8_t> whole = CalsFile(records, coded);
  struct FileCase {
    const char* what;
    std::vector<std::uint8_t> bytes;
  };
  const FileCase files[] = {
      {"header cut short", {whole.begin(), whole.begin() + 1500}},
      {"header without data", {whole.begin(), whole.begin() + kHeaderBytes}},
      {"data of zero bytes", CalsFile(records, std::vector<std::uint8_t>(4000, 0))},
      {"empty file", {}},
  };
  for (const FileCase& c : files)
    EXPECT_FALSE(Identify(c.bytes)) << c.what;
}

// A header may promise more lines than the data hold (here more than the
// data's bits could code): the page is what the data decode to.
TEST_F(CalsReaderTest, APageEndingBeforeItsPromisedLinesKeepsItsLines) {
  const Raster page = TextLikePage(1728, 100, 10);
  ASSERT_TRUE(Identify(CalsFile(CalsRecords(1728, 300000, 200), Group4(page))));
  EXPECT_TRUE(EngineRaster(*engine) == page);
  ASSERT_EQ(engine->WriteTiff(output, kCals), 0);
  const std::vector<Raster> written = ReadTiffPages(output);
  ASSERT_EQ(written.size(), 1u);
  EXPECT_TRUE(written[0] == page);
}

// T.6 data that break off lose the rest of the page: the document fails
// instead of passing as whole.
TEST_F(CalsReaderTest, APageThatBreaksOffFailsToWrite) {
  const Raster page = TextLikePage(1728, 400, 11);
  const std::vector<std::uint8_t> coded = Group4(page);
  std::vector<std::uint8_t> cut(coded.begin(), coded.begin() + coded.size() / 2);
  std::vector<std::uint8_t> damaged = coded;
  for (std::size_t i = coded.size() / 2; i < coded.size() / 2 + 8; ++i)
    damaged[i] = 0x5A;
  for (const auto& data : {cut, damaged}) {
    ASSERT_TRUE(Identify(CalsFile(CalsRecords(1728, 400, 200), data)))
        << "the lines before the damage are a fax page";
    EXPECT_EQ(engine->WriteTiff(output, kCals), kFaxPageUnreadable);
  }
}
