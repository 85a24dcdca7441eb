// Hostile and damaged sources: truncated files, absurd sizes, directory
// loops, strip counts in the millions, unknown codecs, unreadable strips.
// Never a crash, a hang or an unbounded allocation; what can be read is
// copied, what cannot is zero-filled.
#include "CopyTestHelpers.h"

#include "support/Scratch.h"

namespace copytest {
namespace {

std::vector<std::uint8_t> FaxFile(const ScratchFolder& scratch, int pages = 2,
                                  std::uint32_t rowsPerStrip = 0) {
  std::vector<TiffPageSpec> specs;
  for (int page = 0; page < pages; ++page) {
    TiffPageSpec spec = BilevelSpec(COMPRESSION_CCITTFAX4);
    spec.rowsPerStrip = rowsPerStrip;
    spec.software = "scanner";
    specs.push_back(spec);
  }
  WriteTiffFile(scratch / "fax.tif", specs);
  return ReadBytes(scratch / "fax.tif");
}

int CopyBytes(const ScratchFolder& scratch, const std::vector<std::uint8_t>& file,
              int selector = 6) {
  WriteFile(scratch / "damaged.tif", file);
  return CopyTiffImages(scratch / "damaged.tif", scratch / "out.tif", WithSelector(selector));
}

TEST(DamagedInput, TruncatedFilesNeverCrash) {
  ScratchFolder scratch;
  const std::vector<std::uint8_t> file = FaxFile(scratch, 3, 64);
  for (std::size_t length = 0; length < file.size(); length += 5) {
    SCOPED_TRACE(length);
    const int result = CopyBytes(scratch, {file.begin(), file.begin() + length});
    EXPECT_TRUE(result == 0 || result == 1 || result == -3) << result;
  }
}

TEST(DamagedInput, AbsurdSizesAreRefusedBeforeDecoding) {
  ScratchFolder scratch;
  const std::vector<std::uint8_t> file = FaxFile(scratch);
  struct Case {
    const char* name;
    std::uint32_t width, length;
  };
  for (const Case& c :
       {Case{"width 200 million", 200000000, 203}, Case{"both sides at the limit", 262144, 262144},
        Case{"product overflows 32 bits", 0xFFFFFFFF, 0xFFFFFFFF}, Case{"zero width", 0, 203},
        Case{"zero length", 301, 0}}) {
    SCOPED_TRACE(c.name);
    std::vector<std::uint8_t> patched = file;
    PatchTagValue(patched, 0, TIFFTAG_IMAGEWIDTH, c.width);
    PatchTagValue(patched, 0, TIFFTAG_IMAGELENGTH, c.length);
    const int result = CopyBytes(scratch, patched);
    EXPECT_TRUE(result == 1 || result == -3) << result;
  }
}

TEST(DamagedInput, AbsurdSampleLayoutsAreRefused) {
  ScratchFolder scratch;
  const std::vector<std::uint8_t> file = FaxFile(scratch, 1);
  for (const auto& [tag, value] :
       {std::pair<std::uint16_t, std::uint32_t>{TIFFTAG_SAMPLESPERPIXEL, 48867},
        {TIFFTAG_BITSPERSAMPLE, 12033}}) {
    SCOPED_TRACE(tag);
    std::vector<std::uint8_t> patched = file;
    PatchTagValue(patched, 0, tag, value);
    for (int selector : {-1, 9}) {
      const int result = CopyBytes(scratch, patched, selector);
      EXPECT_TRUE(result == 1 || result == -3) << result;
    }
  }
}

TEST(DamagedInput, MillionsOfStripsAreRefused) {
  ScratchFolder scratch;
  std::vector<std::uint8_t> file = FaxFile(scratch, 1);
  PatchTagValue(file, 0, TIFFTAG_IMAGEWIDTH, 8);
  PatchTagValue(file, 0, TIFFTAG_IMAGELENGTH, 4000000);
  PatchTagValue(file, 0, TIFFTAG_ROWSPERSTRIP, 1);
  const int result = CopyBytes(scratch, file);
  EXPECT_TRUE(result == 1 || result == -3) << result;
}

TEST(DamagedInput, DirectoryLoopsEndTheCopy) {
  ScratchFolder scratch;
  const std::vector<std::uint8_t> file = FaxFile(scratch, 2);
  const std::uint32_t first = static_cast<std::uint32_t>(DirectoryOffset(file, 0));
  const std::uint32_t second = static_cast<std::uint32_t>(DirectoryOffset(file, 1));

  std::vector<std::uint8_t> selfLoop = file;
  PatchNextDirectory(selfLoop, 0, first);
  EXPECT_EQ(CopyBytes(scratch, selfLoop), 0);
  EXPECT_EQ(CountDirectories(scratch / "out.tif"), 1);

  std::vector<std::uint8_t> twoStep = file;
  PatchNextDirectory(twoStep, 1, first);
  EXPECT_EQ(CopyBytes(scratch, twoStep), 0);
  EXPECT_EQ(CountDirectories(scratch / "out.tif"), 2);

  std::vector<std::uint8_t> secondToItself = file;
  PatchNextDirectory(secondToItself, 1, second);
  EXPECT_EQ(CopyBytes(scratch, secondToItself), 0);
  EXPECT_EQ(CountDirectories(scratch / "out.tif"), 2);

  // A link beyond the file loses the images behind it: the copy fails.
  std::vector<std::uint8_t> outside = file;
  PatchNextDirectory(outside, 0, 0x7FFFFFF0);
  EXPECT_EQ(CopyBytes(scratch, outside), 1);
  EXPECT_EQ(CountDirectories(scratch / "out.tif"), 1);
}

TEST(DamagedInput, UndecodableDataFailsTheImage) {
  ScratchFolder scratch;
  std::vector<std::uint8_t> file = FaxFile(scratch, 1);
  std::vector<std::uint8_t> eightBitFax = file;
  PatchTagValue(file, 0, TIFFTAG_COMPRESSION, 12345);
  EXPECT_EQ(CopyBytes(scratch, file, -1), 1);
  EXPECT_EQ(CopyBytes(scratch, file, 6), 1);
  // Group 4 decodes one bit per pixel only: such data cannot be read at all.
  PatchTagValue(eightBitFax, 0, TIFFTAG_BITSPERSAMPLE, 8);
  EXPECT_EQ(CopyBytes(scratch, eightBitFax, 9), 1);
}

TEST(DamagedInput, UnreadableStripIsWrittenBlank) {
  ScratchFolder scratch;
  TiffPageSpec spec = BilevelSpec(COMPRESSION_NONE);
  spec.raster = NoisePage(64, 40, 0.4);
  spec.rowsPerStrip = 10;
  WriteTiffFile(scratch / "in.tif", {spec});
  std::vector<std::uint8_t> file = ReadBytes(scratch / "in.tif");
  // Strip 1's offset is read from the array the entry points at.
  const std::size_t directory = DirectoryOffset(file, 0);
  std::size_t array = 0;
  for (std::size_t entry = directory + 2; entry < directory + 2 + 12 * file[directory]; entry += 12)
    if (file[entry] == (TIFFTAG_STRIPOFFSETS & 0xFF) &&
        file[entry + 1] == TIFFTAG_STRIPOFFSETS >> 8)
      array = file[entry + 8] | file[entry + 9] << 8 | file[entry + 10] << 16;
  ASSERT_NE(array, 0u);
  for (int i = 0; i < 4; ++i)
    file[array + 4 + i] = 0x7F; // far beyond the end of the file

  for (int selector : {-1, 6}) {
    SCOPED_TRACE(selector);
    EXPECT_EQ(CopyBytes(scratch, file, selector), 0);
    const std::vector<Raster> pages = ReadTiffPages(scratch / "out.tif");
    ASSERT_EQ(pages.size(), 1u);
    for (std::uint32_t y = 0; y < 40; ++y)
      for (std::uint32_t x = 0; x < 64; ++x)
        ASSERT_EQ(pages[0].black(x, y), y >= 10 && y < 20 ? false : spec.raster.black(x, y))
            << x << "," << y;
  }
}

TEST(DamagedInput, CorruptGroup4StripStillGivesAFullPage) {
  ScratchFolder scratch;
  std::vector<std::uint8_t> file = FaxFile(scratch, 1);
  const std::size_t strip = DirectoryOffset(file, 0) > 200 ? 8 : 0;
  ASSERT_NE(strip, 0u) << "the fixture writes its strip before the directory";
  for (std::size_t i = strip + 40; i < strip + 60; ++i)
    file[i] = 0;
  EXPECT_EQ(CopyBytes(scratch, file), 0);
  const std::vector<Raster> pages = ReadTiffPages(scratch / "out.tif");
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0].width, 301u);
  EXPECT_EQ(pages[0].height, 203u);
}

} // namespace
} // namespace copytest
