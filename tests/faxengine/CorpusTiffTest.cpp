// The corpus's TIFF files read as "fmf" documents: every well-formed fax
// TIFF converts, and both the page the engine decodes and the TIFF it
// writes equal the TIFF library's own decoding of the source, pixel for
// pixel. Damaged, mislabelled and non-fax files give what is stated below.
#include "faxengine/FaxEngine.h"

#include "support/FaxCorpus.h"
#include "support/Scratch.h"
#include "support/TiffFixtures.h"

#include <gtest/gtest.h>

using testing_support::Raster;
using testing_support::ReadTiffPages;
using testing_support::ScratchFolder;

namespace {

constexpr FaxFormat kFmf = FaxFormat::Fmf;

std::string Corpus(const std::string& name) { return testing_support::CorpusFolder() + "/" + name; }

Raster EngineRaster(const FaxEngine& engine) {
  const PageRaster& page = engine.Raster();
  return Raster::FromPackedRows(page.rows.data(), page.width, page.height, false);
}

} // namespace

TEST(CorpusTiff, EveryWellFormedFaxTiffConvertsPixelForPixel) {
  REQUIRE_CORPUS();
  ScratchFolder folder;
  for (const char* name : testing_support::kWellFormedFaxTiffs) {
    SCOPED_TRACE(name);
    std::string source = Corpus(name);
    std::vector<Raster> expected = ReadTiffPages(source);
    FaxEngine engine;
    ASSERT_EQ(engine.Identify(source, kFmf), 0);
    ASSERT_TRUE(engine.IsFax());
    EXPECT_EQ(engine.Settings().pageCount, expected.size());
    EXPECT_TRUE(EngineRaster(engine) == expected[0]) << "page 1 as our decoder sees it";
    ASSERT_EQ(engine.WriteTiff(folder / "kvtintif.tmp", kFmf), 0);
    std::vector<Raster> written = ReadTiffPages(folder / "kvtintif.tmp");
    ASSERT_EQ(written.size(), expected.size());
    for (std::size_t page = 0; page < expected.size(); ++page)
      EXPECT_TRUE(written[page] == expected[page]) << "page " << page + 1 << " of the written TIFF";
    engine.CloseAll();
  }
}

// Files the MANIFEST marks as damaged or mislabelled, and why each gives
// what it gives.
TEST(CorpusTiff, DamagedAndMislabelledFiles) {
  REQUIRE_CORPUS();
  ScratchFolder folder;
  {
    // StripByteCounts is 0: the strip has no bytes to decode or copy (the
    // TIFF library guesses a length; we do not invent data), so "Not Fax".
    FaxEngine engine;
    ASSERT_EQ(
        engine.Identify(Corpus("haraldk_TwelveMonkeys/CCITT-G4-300dpi-StripByteCounts0.tif"), kFmf),
        0);
    EXPECT_FALSE(engine.IsFax());
  }
  {
    // Tagged Compression 3 but holding Modified Huffman rows without EOLs:
    // read as T.4, no EOL is ever found, page 1 has no line, so "Not Fax"
    // (the TIFF library fails at row 0 as well).
    FaxEngine engine;
    ASSERT_EQ(
        engine.Identify(Corpus("haraldk_TwelveMonkeys/incorrect-compression-rle-as-g3.tif"), kFmf),
        0);
    EXPECT_FALSE(engine.IsFax());
  }
  {
    // The tags say 6 rows, the Group 4 data holds 4: page 1 has the 4 good
    // rows, and the copy keeps the data and tags, so the library decodes the
    // copy exactly as it decodes the source.
    std::string source = Corpus("haraldk_TwelveMonkeys/ccitt_tolessrows.tif");
    FaxEngine engine;
    ASSERT_EQ(engine.Identify(source, kFmf), 0);
    ASSERT_TRUE(engine.IsFax());
    EXPECT_EQ(engine.Raster().height, 4u);
    ASSERT_EQ(engine.WriteTiff(folder / "out.tif", kFmf), 0);
    EXPECT_TRUE(ReadTiffPages(folder / "out.tif") == ReadTiffPages(source));
  }
  {
    // A fine-resolution page with transmission errors: our decoder counts
    // only the good lines (fewer than the 2328 of the tags), the copy keeps
    // every coded line.
    std::string source = Corpus("haraldk_TwelveMonkeys/g3aoe.tif");
    FaxEngine engine;
    ASSERT_EQ(engine.Identify(source, kFmf), 0);
    ASSERT_TRUE(engine.IsFax());
    EXPECT_LT(engine.Raster().height, 2328u);
    EXPECT_GT(engine.Raster().height, 2300u);
    ASSERT_EQ(engine.WriteTiff(folder / "out.tif", kFmf), 0);
    EXPECT_TRUE(ReadTiffPages(folder / "out.tif") == ReadTiffPages(source));
  }
  {
    // 1 x 65537 in two Group 4 strips of 65536 rows: RowsPerStrip needs more
    // than 16 bits, and the strips are kept apart (Group 4 strips cannot be
    // joined).
    std::string source = Corpus("image-rs_image-tiff/big_g4.tif");
    FaxEngine engine;
    ASSERT_EQ(engine.Identify(source, kFmf), 0);
    ASSERT_TRUE(engine.IsFax());
    EXPECT_TRUE(EngineRaster(engine) == ReadTiffPages(source)[0]);
    ASSERT_EQ(engine.WriteTiff(folder / "out.tif", kFmf), 0);
    EXPECT_TRUE(ReadTiffPages(folder / "out.tif") == ReadTiffPages(source));
  }
}

// TIFFs that are no fax: tiled pages (no strips), pages of more than one bit
// per sample, and non-TIFF files given the "fmf" name.
TEST(CorpusTiff, FilesThatAreNoFaxPages) {
  REQUIRE_CORPUS();
  for (const char* name :
       {"image-rs_image-tiff/tiled-gray-i1.tif", "SerenityOS_serenity/grayscale.tiff",
        "SerenityOS_serenity/tiled.tiff", "SerenityOS_serenity/icc.tiff",
        "chai2010_tiff/multipage-gopher.tif", "golang_image/bw-gopher.ccitt_group4",
        "python-pillow_Pillow/hopper.dcx"}) {
    FaxEngine engine;
    EXPECT_EQ(engine.Identify(Corpus(name), kFmf), 0) << name;
    EXPECT_FALSE(engine.IsFax()) << name;
  }
}
