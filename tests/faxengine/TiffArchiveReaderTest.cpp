// Archives of whole TIFF files through the engine (FaxFormat 8): archives
// built around corpus fax TIFFs and TIFFs the TIFF library wrote. Every page
// of every entry reaches the engine's TIFF in order, as the TIFF library
// decodes the entries themselves; damaged archives fail, never crash, and
// leave no work file behind.
#include "faxengine/FaxEngine.h"
#include "faxengine/FaxTiffWriter.h"

#include "samples/writers/TiffArchiveFile.h"
#include "support/Scratch.h"
#include "support/TiffFixtures.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

constexpr FaxFormat kArchive = FaxFormat::TiffArchive;

// How the batch road would report the archive.
const std::string kFax = "fax", kNotFax = "Not Fax", kErrorFax = "Error Fax";

struct Outcome {
  std::string verdict = kNotFax;
  std::uint16_t pageCount = 0;
  std::vector<Raster> pages; // of the written TIFF
  bool workFilesLeft = false;
};

std::vector<std::uint8_t> Bytes(const std::string& path) {
  const std::string bytes = ReadFile(path);
  return {bytes.begin(), bytes.end()};
}

void PutU32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes.at(offset + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

class TiffArchiveReaderTest : public ::testing::Test {
protected:
  TiffArchiveReaderTest() { settings.engineTiffPath = scratch / "kvttif.tmp"; }

  Outcome Convert(const std::vector<std::uint8_t>& archive) {
    const std::string source = scratch / "faxes.ds1";
    const std::string output = scratch / "kvtintif.tmp";
    WriteFile(source, archive);
    std::remove(output.c_str());
    FaxEngine engine;
    engine.SetSettings(settings);
    Outcome outcome;
    const int identified = engine.Identify(source, kArchive);
    outcome.pageCount = engine.Settings().pageCount;
    outcome.workFilesLeft =
        Exists(settings.engineTiffPath) || Exists(settings.engineTiffPath + ".tiff");
    if (identified == kEngineWorkFileFailed)
      outcome.verdict = kErrorFax;
    else if (engine.IsFax())
      outcome.verdict = engine.WriteTiff(output, kArchive) == 0 ? kFax : kErrorFax;
    if (outcome.verdict == kFax)
      outcome.pages = ReadTiffPages(output);
    return outcome;
  }

  ScratchFolder scratch;
  ConversionSettings settings;
};

} // namespace

TEST_F(TiffArchiveReaderTest, EveryPageOfEveryEntryArrivesInOrder) {
  REQUIRE_CORPUS();
  auto corpus = [](const char* name) { return Bytes(CorpusFolder() + "/" + name); };
  const Raster a = TextLikePage(1728, 300, 21), b = CornerMarkPage(1728, 120),
               c = TextLikePage(2048, 90, 22);
  const std::vector<std::uint8_t> group4 = FaxTiffBytes({a}, COMPRESSION_CCITTFAX4);
  const std::vector<std::uint8_t> twoPages2d =
      FaxTiffBytes({b, c}, COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING);
  const std::vector<std::uint8_t> bigEndianG4 = corpus("apache_pdfbox/ccittg4.tif");
  const std::vector<std::uint8_t> threeCodings = corpus("haraldk_TwelveMonkeys/multipage.tif");
  const std::vector<std::uint8_t> fillOrder2 = corpus("python-pillow_Pillow/g4-fillorder-test.tif");
  const std::vector<std::uint8_t> threePagesG4 = corpus("apache_pdfbox/ccittg4multi.tif");
  const std::vector<std::uint8_t> prefix(100, 0x5A);

  std::vector<std::uint8_t> trailing = TiffArchiveFile("FAXES", {{"one", {}, group4}});
  trailing.insert(trailing.end(), group4.begin(), group4.end());
  struct Case {
    const char* what;
    std::vector<std::uint8_t> archive;
    std::vector<std::vector<std::uint8_t>> files; // the entries' TIFFs, in order
  };
  const Case cases[] = {
      {"one page the TIFF library wrote",
       TiffArchiveFile("FAXES", {{"one", {}, group4}}),
       {group4}},
      {"corpus files behind prefixes",
       TiffArchiveFile("FAXES", {{"be", {prefix.begin(), prefix.begin() + 16}, bigEndianG4},
                                 {"three codings", {}, threeCodings},
                                 {"lsb", prefix, fillOrder2}}),
       {bigEndianG4, threeCodings, fillOrder2}},
      {"multi-page entries, no closing entry",
       TiffArchiveFile(
           "FAXES", {{"a", {}, group4}, {"multi", {1, 2, 3}, threePagesG4}, {"2d", {}, twoPages2d}},
           TiffArchiveEnd::FileEnd),
       {group4, threePagesG4, twoPages2d}},
      {"bytes behind the closing entry are no entry", trailing, {group4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<Raster> expected;
    for (const auto& file : c.files) {
      WriteFile(scratch / "expected.tif", file);
      for (Raster& page : ReadTiffPages(scratch / "expected.tif"))
        expected.push_back(std::move(page));
    }
    const Outcome outcome = Convert(c.archive);
    ASSERT_EQ(outcome.verdict, kFax);
    EXPECT_EQ(outcome.pageCount, expected.size());
    ASSERT_EQ(outcome.pages.size(), expected.size());
    for (std::size_t page = 0; page < expected.size(); ++page)
      EXPECT_TRUE(outcome.pages[page] == expected[page]) << "page " << page + 1;
    EXPECT_FALSE(outcome.workFilesLeft);
  }
}

// A damaged entry never vanishes silently from a document that has other
// pages: the document fails. Without any page it is no fax. A TIFF an
// earlier document left in the work file never stands in for this one.
TEST_F(TiffArchiveReaderTest, DamagedArchivesFailWithoutLosingPagesSilently) {
  const std::vector<std::uint8_t> good =
      FaxTiffBytes({TextLikePage(1728, 80, 23)}, COMPRESSION_CCITTFAX4);
  const std::vector<std::uint8_t> twoEntries =
      TiffArchiveFile("FAXES", {{"one", {}, good}, {"two", {}, good}});
  const std::size_t first = kTiffArchiveHeaderBytes;
  const std::size_t second = first + kTiffArchiveRecordBytes + good.size();
  const std::size_t closing = second + kTiffArchiveRecordBytes + good.size();
  auto patched = [&](std::size_t record, std::size_t field, std::uint32_t value) {
    std::vector<std::uint8_t> bytes = twoEntries;
    PutU32(bytes, record + field, value);
    return bytes;
  };
  auto cut = [&](std::size_t size) {
    return std::vector<std::uint8_t>(twoEntries.begin(), twoEntries.begin() + size);
  };
  std::vector<std::uint8_t> unterminatedName = twoEntries;
  std::fill_n(unterminatedName.begin() + first, kTiffArchivePayloadLengthOffset, 'N');
  std::vector<std::uint8_t> unterminatedArchiveName = twoEntries;
  std::fill(unterminatedArchiveName.begin() + kTiffArchiveNameOffset,
            unterminatedArchiveName.begin() + kTiffArchiveHeaderBytes, 'N');
  const std::vector<std::uint8_t> text = {'n', 'o', ' ', 'T', 'I', 'F', 'F'};
  const std::vector<std::uint8_t> headerOnly = {'I', 'I', 42, 0, 0xF0, 0xFF, 0, 0};
  // One page more than a TIFF can number, each a whole fax.
  const std::vector<TiffArchiveEntry> tooMany(
      65536, TiffArchiveEntry{"tiny", {}, FaxTiffBytes({Raster(8, 1)}, COMPRESSION_CCITTFAX4)});

  struct Case {
    const char* what;
    std::vector<std::uint8_t> archive;
    std::string verdict;
  };
  const Case cases[] = {
      {"second payload runs past the end",
       patched(second, kTiffArchivePayloadLengthOffset, 0xFFFFFFF0), kErrorFax},
      {"first payload runs past the end",
       patched(first, kTiffArchivePayloadLengthOffset, 0xFFFFFFF0), kNotFax},
      {"second prefix longer than its payload",
       patched(second, kTiffArchivePrefixLengthOffset, std::uint32_t(good.size() + 1)), kErrorFax},
      {"first prefix past the end", patched(first, kTiffArchivePrefixLengthOffset, 0xFFFFFFFF),
       kErrorFax},
      {"first entry's name without its zero", unterminatedName, kErrorFax},
      {"cut inside the second payload", cut(second + kTiffArchiveRecordBytes + 10), kErrorFax},
      {"cut inside the second record", cut(second + 20), kErrorFax},
      {"cut inside the closing record", cut(closing + 20), kErrorFax},
      {"an entry that is no TIFF between two pages",
       TiffArchiveFile("FAXES", {{"one", {}, good}, {"text", {}, text}, {"two", {}, good}}),
       kErrorFax},
      {"a TIFF whose directory lies outside it first",
       TiffArchiveFile("FAXES", {{"bad", {}, headerOnly}, {"one", {}, good}}), kErrorFax},
      {"an empty entry last", TiffArchiveFile("FAXES", {{"one", {}, good}, {"empty", {}, {}}}),
       kErrorFax},
      {"more entries than a document may have pages", TiffArchiveFile("FAXES", tooMany), kErrorFax},
      {"the only entry is no TIFF", TiffArchiveFile("FAXES", {{"text", {}, text}}), kNotFax},
      {"no entries", TiffArchiveFile("FAXES", {}), kNotFax},
      {"archive name without its zero", unterminatedArchiveName, kNotFax},
      {"header cut short", cut(100), kNotFax},
      {"no archive signature", std::vector<std::uint8_t>(good), kNotFax},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile(settings.engineTiffPath, good); // left by an earlier document
    const Outcome outcome = Convert(c.archive);
    EXPECT_EQ(outcome.verdict, c.verdict);
    EXPECT_FALSE(outcome.workFilesLeft);
  }
}

TEST_F(TiffArchiveReaderTest, AWorkFileThatCannotBeWrittenIsAnError) {
  const std::vector<std::uint8_t> good =
      FaxTiffBytes({TextLikePage(1728, 40, 24)}, COMPRESSION_CCITTFAX4);
  settings.engineTiffPath = scratch / "no such folder/kvttif.tmp";
  EXPECT_EQ(Convert(TiffArchiveFile("FAXES", {{"one", {}, good}})).verdict, kErrorFax);
}
