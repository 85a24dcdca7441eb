// The plain-form check of Group 4 data against the gate it replaces: the TIFF
// library decodes the strip and its encoder codes the rows back into the
// same bits (ended by EOFB or zero fill). Both must agree on every strip:
// library codings of every decoder fixture and corpus page, and damaged or
// otherwise coded variants of them.
#include "faxformats/Group4Validator.h"

#include "DecodeHelpers.h"
#include "support/FaxCorpus.h"
#include "support/HandCodedFax.h"
#include "support/Scratch.h"
#include "support/TiffCopyChecks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using testing_support::EncodeWithLibTiff;
using testing_support::Raster;
using testing_support::ScratchFolder;
using Bytes = std::vector<std::uint8_t>;

namespace {

bool BitAt(const Bytes& bytes, std::size_t index) {
  return (bytes[index / 8] >> (7 - index % 8)) & 1;
}

std::size_t EndOfSetBits(const Bytes& bytes) {
  std::size_t end = bytes.size() * 8;
  while (end > 0 && !BitAt(bytes, end - 1))
    --end;
  return end;
}

bool SameBits(const Bytes& a, const Bytes& b, std::size_t from, std::size_t to) {
  for (std::size_t bit = from; bit < to; ++bit)
    if (BitAt(a, bit) != BitAt(b, bit))
      return false;
  return true;
}

// The strip (MSB first) decoded by the TIFF library as the one strip of a
// page of that size; nothing when the library reports an error.
std::optional<Raster> LibraryDecode(const Bytes& strip, std::uint32_t width, std::uint32_t rows) {
  ScratchFolder scratch;
  const std::string path = scratch / "strip.tif";
  const Bytes file = testing_support::FaxTiffBytes({Raster(width, rows)}, COMPRESSION_CCITTFAX4);
  testing_support::WriteFile(path, testing_support::WithStrip(file, strip));
  TIFF* tiff = TIFFOpen(path.c_str(), "r");
  if (tiff == nullptr)
    return std::nullopt;
  Bytes rowsOut(std::size_t{rows} * ((width + 7) / 8));
  const bool read = TIFFReadEncodedStrip(tiff, 0, rowsOut.data(), tmsize_t(rowsOut.size())) >= 0;
  TIFFClose(tiff);
  if (!read)
    return std::nullopt;
  return Raster::FromPackedRows(rowsOut.data(), width, rows);
}

// The gate the check replaces: the library decodes the strip, and its own
// coding of those rows is the strip's, followed by EOFB or zero fill alone.
bool LibraryGate(const Bytes& strip, std::uint32_t width, std::uint32_t rows) {
  const auto decoded = LibraryDecode(strip, width, rows);
  if (!decoded)
    return false;
  const Bytes canonical = EncodeWithLibTiff(*decoded, COMPRESSION_CCITTFAX4);
  const std::size_t canonicalEnd = EndOfSetBits(canonical);
  if (canonicalEnd < 24)
    return false;
  const std::size_t rowBits = canonicalEnd - 24;
  if (strip.size() * 8 < rowBits || !SameBits(strip, canonical, 0, rowBits))
    return false;
  const std::size_t stripEnd = EndOfSetBits(strip);
  return stripEnd <= rowBits ||
         (stripEnd == canonicalEnd && SameBits(strip, canonical, rowBits, stripEnd));
}

bool Plain(const Bytes& strip, std::uint32_t width, std::uint32_t rows,
           std::uint8_t bitOrder = kMsbFirst) {
  return CheckGroup4Form(strip, width, rows, bitOrder).form != Group4Form::Other;
}

// Inserts bits (given as a bit string) at a bit position.
Bytes InsertBits(const Bytes& data, std::size_t at, const std::string& bits) {
  BitWriter out;
  for (std::size_t i = 0; i < data.size() * 8; ++i) {
    if (i == at)
      for (char c : bits)
        out.PutBit(c == '1');
    out.PutBit(BitAt(data, i));
  }
  return out.Bytes();
}

struct Variant {
  std::string name;
  Bytes strip;
  std::uint32_t width, rows;
};

// The library's coding of a page and the ways fax data goes astray from it.
std::vector<Variant> VariantsOf(const Raster& page) {
  const Bytes coded = EncodeWithLibTiff(page, COMPRESSION_CCITTFAX4);
  const std::uint32_t w = page.width, h = page.height;
  const std::size_t rowBits = EndOfSetBits(coded) - 24;
  Bytes padded = coded, garbage = coded, cut = coded;
  padded.resize(coded.size() + 5, 0);
  garbage.push_back(0xA5);
  cut.resize(coded.size() - 4 > 0 ? coded.size() - 4 : 0);
  std::vector<Variant> variants = {
      {"as the library writes it", coded, w, h},
      {"without EOFB", testing_support::WithoutEofb(coded), w, h},
      {"zero fill after EOFB", padded, w, h},
      {"garbage after EOFB", garbage, w, h},
      {"cut short", cut, w, h},
      {"EOL before the first row", InsertBits(coded, 0, "000000000001"), w, h},
      {"EOL before EOFB", InsertBits(coded, rowBits, "000000000001"), w, h},
      {"one row too few", coded, w, h + 1},
      {"one row too many", coded, w, h - 1},
      {"wider", coded, w + 1, h},
  };
  if (w > 1)
    variants.push_back({"narrower", coded, w - 1, h});
  // Damage that may still decode, as other rows or in another form.
  for (std::size_t at = 1; at < 6; ++at) {
    Bytes flipped = coded;
    flipped[flipped.size() * at / 6] ^= std::uint8_t(1u << at);
    variants.push_back({"bit flipped at " + std::to_string(at) + "/6", flipped, w, h});
  }
  if (w <= 1728) {
    using testing_support::Group4Style;
    variants.push_back(
        {"horizontal mode only", HandCodedGroup4(page, Group4Style::HorizontalOnly), w, h});
    variants.push_back(
        {"zero-length runs", HandCodedGroup4(page, Group4Style::ZeroLengthRuns), w, h});
  }
  return variants;
}

TEST(Group4Validator, AgreesWithTheLibraryGateOnEveryFixtureAndItsVariants) {
  int plain = 0, refused = 0;
  for (const Page& page : DecoderFixturePages()) {
    for (const Variant& v : VariantsOf(page.raster)) {
      SCOPED_TRACE(page.name + ", " + v.name);
      const bool ours = Plain(v.strip, v.width, v.rows);
      EXPECT_EQ(ours, LibraryGate(v.strip, v.width, v.rows));
      EXPECT_EQ(Plain(testing_support::ReverseBits(v.strip), v.width, v.rows, kLsbFirst), ours);
      ++(ours ? plain : refused);
    }
    const Group4Verdict verdict =
        CheckGroup4Form(EncodeWithLibTiff(page.raster, COMPRESSION_CCITTFAX4), page.raster.width,
                        page.raster.height, kMsbFirst);
    EXPECT_EQ(verdict.form, Group4Form::PlainWithEofb) << page.name;
    EXPECT_EQ(verdict.usedBytes, EncodeWithLibTiff(page.raster, COMPRESSION_CCITTFAX4).size());
  }
  EXPECT_GT(plain, 0);
  EXPECT_GT(refused, plain);
}

// Hand-made streams: the library's coding beside legal codings it decodes
// but does not write (a row ended by a pass over the row end, horizontal or
// vertical mode where T.6 chooses another, a run coded with two short
// make-up codes).
TEST(Group4Validator, RefusesLegalCodingsTheLibraryDoesNotWrite) {
  using Codes = std::vector<std::pair<std::uint32_t, int>>;
  // A row of 16: white 4, black 12 (horizontal mode), over which ...
  const Codes firstRow = {{0b001, 3}, {0b1011, 4}, {0b0000111, 7}};
  const Codes thinRow = {{0b001, 3}, {0b1011, 4}, {0b010, 3}, {1, 1}};
  const Codes whiteMakeUp1792 = {{0b00000001000, 11}};
  const Codes whiteMakeUps1728And64 = {{0b010011011, 9}, {0b11011, 5}};
  struct Case {
    const char* name;
    bool plain;
    std::uint32_t width, rows;
    std::vector<Codes> codes;
  };
  const Case cases[] = {
      {"white row in horizontal mode",
       true,
       16,
       2,
       {firstRow, {{0b001, 3}, {0b101010, 6}, {0b0000110111, 10}}}},
      {"white row as a pass to the row end", false, 16, 2, {firstRow, {{0b0001, 4}}}},
      {"white 6, black 10 in vertical mode", true, 16, 2, {firstRow, {{0b000011, 6}, {1, 1}}}},
      {"white 6, black 10 in horizontal mode",
       false,
       16,
       2,
       {firstRow, {{0b001, 3}, {0b1110, 4}, {0b0000100, 7}}}},
      // ... or a row of 16: white 4, black 1, over which white 6, black 10.
      {"pass where b2 lies before a1",
       true,
       16,
       2,
       {thinRow, {{0b0001, 4}, {0b001, 3}, {0b000111, 6}, {0b0000100, 7}}}},
      {"vertical mode where a pass belongs", false, 16, 2, {thinRow, {{0b000011, 6}, {1, 1}}}},
      // ... and a row of 1800: white 1792, black 8.
      {"run of 1792 in one make-up",
       true,
       1800,
       1,
       {{{0b001, 3}}, whiteMakeUp1792, {{0b00110101, 8}, {0b000101, 6}}}},
      {"run of 1792 in two make-ups",
       false,
       1800,
       1,
       {{{0b001, 3}}, whiteMakeUps1728And64, {{0b00110101, 8}, {0b000101, 6}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BitWriter bits;
    for (const Codes& codes : c.codes)
      for (auto [code, count] : codes)
        bits.Put(code, count);
    bits.Eol();
    bits.Eol();
    const Bytes strip = bits.Bytes();
    ASSERT_TRUE(LibraryDecode(strip, c.width, c.rows)) << "the library decodes the fixture";
    EXPECT_EQ(LibraryGate(strip, c.width, c.rows), c.plain);
    EXPECT_EQ(Plain(strip, c.width, c.rows), c.plain);
  }
}

TEST(Group4Validator, AgreesWithTheLibraryGateOnCorpusStrips) {
  const std::filesystem::path corpus = TARVELO_CORPUS_DIR;
  std::vector<std::string> files(std::begin(testing_support::kWellFormedFaxTiffs),
                                 std::end(testing_support::kWellFormedFaxTiffs));
  files.push_back("haraldk_TwelveMonkeys/ccitt_tolessrows.tif");
  int strips = 0;
  for (const std::string& name : files) {
    TIFF* tiff = TIFFOpen((corpus / name).c_str(), "r");
    ASSERT_NE(tiff, nullptr) << name;
    int directory = 0;
    do {
      std::uint16_t compression = 0, fillOrder = FILLORDER_MSB2LSB;
      std::uint32_t width = 0, length = 0, rowsPerStrip = 0;
      TIFFGetField(tiff, TIFFTAG_COMPRESSION, &compression);
      TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
      TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &length);
      TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
      TIFFGetFieldDefaulted(tiff, TIFFTAG_FILLORDER, &fillOrder);
      if (compression != COMPRESSION_CCITTFAX4)
        continue;
      const auto raw = testing_support::ReadRawStrips((corpus / name).string(), directory);
      for (std::size_t s = 0; s < raw.size(); ++s) {
        SCOPED_TRACE(name + " page " + std::to_string(directory) + " strip " + std::to_string(s));
        const std::uint32_t rows =
            std::min<std::uint64_t>(rowsPerStrip, length - s * std::uint64_t{rowsPerStrip});
        const std::uint8_t order = fillOrder == FILLORDER_LSB2MSB ? kLsbFirst : kMsbFirst;
        const Bytes msbFirst = order == kLsbFirst ? testing_support::ReverseBits(raw[s]) : raw[s];
        EXPECT_EQ(Plain(raw[s], width, rows, order), LibraryGate(msbFirst, width, rows));
        ++strips;
      }
    } while (++directory, TIFFReadDirectory(tiff));
    TIFFClose(tiff);
  }
  EXPECT_GT(strips, 20);
}

} // namespace
