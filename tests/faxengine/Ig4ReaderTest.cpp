// IG4 images around T.6 strips the TIFF library coded: the strips copied
// unchanged with the orientation of the image's byte order mark, the page
// the engine decodes (turned for "MM"), and strip tables a damaged or
// hostile file may hold.
#include "faxengine/Ig4Reader.h"

#include "EngineRun.h"
#include "samples/writers/Ig4File.h"
#include "support/Scratch.h"

#include <gtest/gtest.h>

using namespace testing_support;
using engine_run::Outcome;

namespace {

ig4::Image ImageOf(const Raster& page, std::uint16_t rowsPerStrip, const std::string& byteOrder) {
  ig4::Image image;
  image.width = std::uint16_t(page.width);
  image.height = std::uint16_t(page.height);
  image.rowsPerStrip = rowsPerStrip;
  image.byteOrder = byteOrder;
  for (std::uint32_t top = 0; top < page.height; top += rowsPerStrip) {
    Raster band(page.width, std::min<std::uint32_t>(rowsPerStrip, page.height - top));
    std::copy_n(page.pixels.begin() + std::ptrdiff_t(top) * page.width, band.pixels.size(),
                band.pixels.begin());
    image.strips.push_back(engine_run::Group4LsbFirst(band));
  }
  return image;
}

Raster TurnedHalfway(const Raster& page) {
  Raster turned = page;
  std::reverse(turned.pixels.begin(), turned.pixels.end());
  return turned;
}

struct Written {
  engine_run::EngineRun run;
  std::uint16_t orientation = 0;
  std::uint32_t strips = 0;
};

Written Convert(const std::vector<std::uint8_t>& bytes) {
  ScratchFolder scratch;
  WriteFile(scratch / "image.ig4", bytes);
  Written written{engine_run::Run(scratch / "image.ig4", FaxFormat::Ig4, scratch / "out.tif")};
  if (written.run.written != 0)
    return written;
  TIFF* tiff = TIFFOpen((scratch / "out.tif").c_str(), "r");
  if (!tiff)
    return written;
  TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &written.orientation);
  written.strips = TIFFNumberOfStrips(tiff);
  TIFFClose(tiff);
  return written;
}

void PatchU32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes.at(offset + i) = std::uint8_t(value >> (8 * i));
}

std::uint32_t U32At(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  return bytes.at(offset) | bytes.at(offset + 1) << 8 | bytes.at(offset + 2) << 16 |
         std::uint32_t(bytes.at(offset + 3)) << 24;
}

} // namespace

// An "II" image is shown turned a quarter clockwise (Orientation 6), an "MM"
// image with Orientation 7; the engine's own page of an "MM" image is the
// stored one turned by 180 degrees.
TEST(Ig4Reader, StripsAreCopiedWithTheOrientationOfTheByteOrderMark) {
  struct Case {
    std::uint32_t width;
    std::uint16_t rowsPerStrip;
  };
  for (const Case c : {Case{1728, 130}, Case{1728, 50}, Case{2432, 16}, Case{1723, 64}})
    for (const std::string byteOrder : {"II", "MM"}) {
      SCOPED_TRACE(byteOrder + ", width " + std::to_string(c.width) + ", " +
                   std::to_string(c.rowsPerStrip) + " rows per strip");
      const Raster page = TextLikePage(c.width, 130, c.rowsPerStrip);
      const Written written = Convert(ig4::File(ImageOf(page, c.rowsPerStrip, byteOrder)));
      const bool mm = byteOrder == "MM";
      engine_run::ExpectOutcome(written.run,
                                Outcome{1, true, 0, {page}, mm ? TurnedHalfway(page) : page});
      EXPECT_EQ(written.orientation, mm ? 7 : 6);
      EXPECT_EQ(written.strips, (130u + c.rowsPerStrip - 1) / c.rowsPerStrip);
    }
}

TEST(Ig4Reader, DamagedAndHostileStripTables) {
  const Raster page = TextLikePage(1728, 120, 4);
  const ig4::Image image = ImageOf(page, 40, "II");
  const std::vector<std::uint8_t> file = ig4::File(image);
  const std::size_t trailer = file.size() - ig4::kTrailerSize;
  const std::size_t table = U32At(file, trailer + ig4::kStripTableField);
  const std::size_t offsets = table + ig4::kStripOffsetsField;
  auto patched = [&](std::size_t at, std::uint32_t value) {
    std::vector<std::uint8_t> bytes = file;
    PatchU32(bytes, at, value);
    return bytes;
  };
  std::vector<std::uint8_t> swapped = patched(offsets, U32At(file, offsets + 4));
  PatchU32(swapped, offsets + 4, U32At(file, offsets));
  ig4::Image cutStrip = image;
  Raster shortBand(1728, 30);
  cutStrip.strips[1] = engine_run::Group4LsbFirst(shortBand);
  std::vector<std::uint8_t> otherSignature = file;
  otherSignature[trailer + 2] = 'X';
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
    Outcome want;
  };
  const Outcome notFax{0, false, 1, {}};
  const Case cases[] = {
      {"another signature", otherSignature, notFax},
      {"shorter than a trailer", std::vector<std::uint8_t>(300, 0x1A), notFax},
      {"no strips", patched(table + ig4::kStripCountField, 0x00280000), notFax},
      {"67 strips", patched(table + ig4::kStripCountField, 0x00280043), notFax},
      {"fewer strips than the rows need", patched(table + ig4::kStripCountField, 0x00280002),
       notFax},
      {"strips out of order", swapped, notFax},
      {"a strip offset of 0", patched(offsets + 8, 0), notFax},
      {"a strip beyond the image header", patched(offsets + 8, std::uint32_t(file.size())), notFax},
      {"the image header past the end", patched(trailer + ig4::kImageHeaderField, 0xFFFFFF00u),
       notFax},
      {"the strip table past the end", patched(trailer + ig4::kStripTableField, 0xFFFFFF00u),
       notFax},
      {"a data length short of the strips", patched(trailer + ig4::kDataLengthField, 100), notFax},
      {"a data length past the end", patched(trailer + ig4::kDataLengthField, 0xFFFFFFFFu), notFax},
      {"a strip that holds fewer rows than its share",
       ig4::File(cutStrip),
       {1, true, kFaxPageUnreadable, {}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    engine_run::ExpectOutcome(Convert(c.bytes).run, c.want);
  }
}
