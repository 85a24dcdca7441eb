// Fax-coded strips read by our own decoder instead of the TIFF library's:
// whatever it takes, it decodes to exactly the library's rows, and the copy
// comes out as the library's decoding of the source, pixel for pixel, for
// clean and damaged strips alike. Clean strips must take the fast road.
#include "CopyTestHelpers.h"

#include "support/HandCodedFax.h"
#include "support/Scratch.h"
#include "tiffcopy/FaxStrip.h"

namespace copytest {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Each strip of a directory as the library decodes it, zero-filled where it
// fails (the rows the copy wrote before our decoder read any strip), and
// whether it failed anywhere.
struct LibraryDecode {
  std::vector<Bytes> strips;
  bool failed = false;
};

LibraryDecode LibraryStrips(const std::string& path) {
  OpenTiff file(path);
  const std::uint32_t length = file.u32(TIFFTAG_IMAGELENGTH);
  const std::uint32_t rowsPerStrip = std::min(file.u32(TIFFTAG_ROWSPERSTRIP), length);
  LibraryDecode decode;
  for (std::uint32_t strip = 0; strip < TIFFNumberOfStrips(file.get()); ++strip) {
    const std::uint32_t rows = std::min(rowsPerStrip, length - strip * rowsPerStrip);
    Bytes decoded(static_cast<std::size_t>(TIFFVStripSize64(file.get(), rows)), 0);
    decode.failed |= TIFFReadEncodedStrip(file.get(), strip, decoded.data(),
                                          static_cast<tmsize_t>(decoded.size())) < 0;
    decode.strips.push_back(decoded);
  }
  return decode;
}

// The strips our decoder takes (empty for those it leaves to the library).
std::vector<Bytes> OurStrips(const std::string& path, const std::vector<Bytes>& sizes) {
  OpenTiff file(path);
  std::vector<Bytes> strips;
  for (std::uint32_t strip = 0; strip < sizes.size(); ++strip) {
    Bytes rows(sizes[strip].size(), 0xA5);
    strips.push_back(tiffcopy::DecodeWholeFaxStrip(file.get(), strip, rows) ? rows : Bytes{});
  }
  return strips;
}

// Splits Group 3 data written with fill bits into its lines, each starting
// right behind its EOL (which ends on a byte boundary there).
std::vector<Bytes> LinesBehindEols(const Bytes& coded) {
  std::vector<Bytes> lines{{}};
  for (std::size_t i = 0; i < coded.size(); ++i) {
    lines.back().push_back(coded[i]);
    if (coded[i] == 0x01 && i > 0 && (coded[i - 1] & 0x0F) == 0)
      lines.emplace_back();
  }
  return lines;
}

Bytes Joined(const std::vector<Bytes>& parts) {
  Bytes joined;
  for (const Bytes& part : parts)
    joined.insert(joined.end(), part.begin(), part.end());
  return joined;
}

struct Coding {
  const char* name;
  std::uint16_t compression;
  std::uint32_t group3Options = 0;
};

const Coding kCodings[] = {
    {"Group 3 1-D", COMPRESSION_CCITTFAX3},
    {"Group 3 1-D, fill bits", COMPRESSION_CCITTFAX3, GROUP3OPT_FILLBITS},
    {"Group 3 2-D", COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING},
    {"Group 3 2-D, fill bits", COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING | GROUP3OPT_FILLBITS},
    {"CCITT RLE", COMPRESSION_CCITTRLE},
    {"Group 4", COMPRESSION_CCITTFAX4},
};

// Damaged or unusually coded variants of a page's one strip, MSB first; the
// empty line and the early EOFB would leave a lenient decoder the right
// number of good lines in the wrong places, and zero-length runs are where
// decoders part ways on damaged data.
std::vector<std::pair<std::string, Bytes>> Damaged(const Raster& page, const Coding& coding) {
  const Bytes clean = EncodeWithLibTiff(page, coding.compression, coding.group3Options);
  Bytes flipped = clean, zeroed = clean;
  flipped[clean.size() / 3] ^= 0x5A;
  std::fill(zeroed.begin() + static_cast<std::ptrdiff_t>(clean.size() / 2),
            zeroed.begin() + static_cast<std::ptrdiff_t>(clean.size() / 2 + 12), 0);
  std::vector<std::pair<std::string, Bytes>> variants = {
      {"truncated", Bytes(clean.begin(), clean.begin() + clean.size() / 2)},
      {"flipped byte", flipped},
      {"zeroed bytes", zeroed},
      {"one row short", EncodeWithLibTiff(TextLikePage(page.width, page.height - 1, 4),
                                          coding.compression, coding.group3Options)},
      {"other width", EncodeWithLibTiff(TextLikePage(page.width - 9, page.height, 4),
                                        coding.compression, coding.group3Options)},
  };
  Raster taller = TextLikePage(page.width, page.height + 1, 5);
  if (coding.group3Options & GROUP3OPT_FILLBITS) {
    std::vector<Bytes> lines =
        LinesBehindEols(EncodeWithLibTiff(taller, coding.compression, coding.group3Options));
    lines.insert(lines.begin() + 4, Bytes{0x00, 0x01}); // an empty line
    variants.emplace_back("empty line among surplus lines", Joined(lines));
  }
  if (coding.compression == COMPRESSION_CCITTFAX4) {
    Raster top(page.width, 7), rest(page.width, page.height - 6);
    std::copy_n(taller.pixels.begin(), top.pixels.size(), top.pixels.begin());
    std::copy(taller.pixels.begin() + std::ptrdiff_t(top.pixels.size()), taller.pixels.end(),
              rest.pixels.begin());
    variants.emplace_back("zero-length runs", HandCodedGroup4(page, Group4Style::ZeroLengthRuns));
    variants.emplace_back("EOFB before the last row",
                          Joined({EncodeWithLibTiff(top, COMPRESSION_CCITTFAX4),
                                  EncodeWithLibTiff(rest, COMPRESSION_CCITTFAX4)}));
  }
  return variants;
}

// A clean source (its rows given) must be read by our decoder, to its rows;
// of a damaged one, our decoder takes only strips the library decodes, and
// to the library's rows. The copy keeps what was read: the source's rows, or
// the library's decoding of what our decoder left to it.
void ExpectCopiedRows(const std::string& source, const ScratchFolder& scratch,
                      const std::optional<Bytes>& sourceRows) {
  const LibraryDecode library = LibraryStrips(source);
  const std::vector<Bytes> ours = OurStrips(source, library.strips);
  for (std::size_t strip = 0; strip < ours.size(); ++strip) {
    SCOPED_TRACE(::testing::Message() << "strip " << strip);
    EXPECT_TRUE(!sourceRows || !ours[strip].empty()) << "a clean strip left to the library";
    EXPECT_TRUE(ours[strip].empty() || sourceRows || ours[strip] == library.strips[strip]);
  }
  const Bytes expected = sourceRows ? *sourceRows : Joined(library.strips);
  if (sourceRows) {
    EXPECT_EQ(Joined(ours), expected);
    // Where the library reads the page at all, it agrees.
    EXPECT_TRUE(library.failed || Joined(library.strips) == expected);
  }
  // Into Group 4, which the library always reads back: the rows the copy
  // read are the rows any output is coded from.
  const std::string out = scratch / "out.tif";
  ASSERT_EQ(CopyTiffImages(source, out, WithSelector(6)), 0);
  EXPECT_EQ(Joined(LibraryStrips(out).strips), expected);
}

TEST(FaxStripDecode, StripsDecodeToTheLibrarysRowsAndDamageStaysOnItsRoad) {
  const Raster pages[] = {SamplePage(), RunBoundaryPage(1728), NoisePage(97, 40, 0.5, 2),
                          Raster(64, 9)};
  for (const Coding& coding : kCodings) {
    for (std::uint16_t fillOrder : {FILLORDER_MSB2LSB, FILLORDER_LSB2MSB}) {
      for (std::uint16_t photometric : {PHOTOMETRIC_MINISWHITE, PHOTOMETRIC_MINISBLACK}) {
        SCOPED_TRACE(::testing::Message() << coding.name << ", fill order " << fillOrder
                                          << ", photometric " << photometric);
        ScratchFolder scratch;
        for (const Raster& page : pages) {
          SCOPED_TRACE(::testing::Message() << page.width << " x " << page.height);
          TiffPageSpec spec = BilevelSpec(coding.compression, coding.group3Options);
          spec.raster = page;
          spec.fillOrder = fillOrder;
          spec.photometric = photometric;
          spec.rowsPerStrip = page.height > 100 ? 50 : 0;
          WriteTiffFile(scratch / "in.tif", {spec});
          ExpectCopiedRows(scratch / "in.tif", scratch,
                           page.PackedRows(photometric == PHOTOMETRIC_MINISWHITE));
        }
        TiffPageSpec spec = BilevelSpec(coding.compression, coding.group3Options);
        spec.fillOrder = fillOrder;
        spec.photometric = photometric;
        WriteTiffFile(scratch / "in.tif", {spec});
        const Bytes file = ReadBytes(scratch / "in.tif");
        for (auto [name, strip] : Damaged(spec.raster, coding)) {
          SCOPED_TRACE(name);
          if (fillOrder == FILLORDER_LSB2MSB)
            strip = ReverseBits(strip);
          WriteFile(scratch / "damaged.tif", WithStrip(file, strip));
          ExpectCopiedRows(scratch / "damaged.tif", scratch, std::nullopt);
        }
      }
    }
  }
}

// The library's reading of a damaged strip depends on the strips it decoded
// before; read by our decoder, those are decoded by the library too, so
// that the damaged one comes out as it always has.
TEST(FaxStripDecode, DamagedStripReadsAsAfterTheStripsBeforeIt) {
  ScratchFolder scratch;
  TiffPageSpec spec = BilevelSpec(COMPRESSION_CCITTFAX4);
  spec.rowsPerStrip = 9;
  WriteTiffFile(scratch / "in.tif", {spec});
  Bytes file = ReadBytes(scratch / "in.tif");
  const std::uint32_t damaged = 20;
  const Bytes strip = ReadRawStrips(scratch / "in.tif").at(damaged);
  const auto at = std::search(file.begin(), file.end(), strip.begin(), strip.end());
  ASSERT_NE(at, file.end());
  at[std::ptrdiff_t(strip.size() / 3)] ^= 0x10;
  WriteFile(scratch / "damaged.tif", file);

  auto readAlone = [&](bool afterPredecessor) {
    OpenTiff source(scratch / "damaged.tif");
    Bytes rows(static_cast<std::size_t>(TIFFStripSize(source.get())), 0);
    if (afterPredecessor)
      TIFFReadEncodedStrip(source.get(), damaged - 1, rows.data(), tmsize_t(rows.size()));
    std::fill(rows.begin(), rows.end(), 0);
    TIFFReadEncodedStrip(source.get(), damaged, rows.data(), tmsize_t(rows.size()));
    return rows;
  };
  ASSERT_NE(readAlone(false), readAlone(true)) << "the fixture no longer shows the dependence";
  // Group 3 output: every strip is decoded (none is copied as it is coded).
  ASSERT_EQ(CopyTiffImages(scratch / "damaged.tif", scratch / "out.tif", WithSelector(5)), 0);
  EXPECT_EQ(LibraryStrips(scratch / "out.tif").strips,
            LibraryStrips(scratch / "damaged.tif").strips);
}

} // namespace
} // namespace copytest
