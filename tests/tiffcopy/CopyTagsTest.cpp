// What the copy carries over besides pixels: descriptive tags, resolution,
// fax tags, page numbers, thumbnails between pages, and every orientation
// exactly as the source has it.
#include "CopyTestHelpers.h"

#include "support/Scratch.h"

namespace copytest {
namespace {

TiffPageSpec TaggedPage(std::uint16_t page) {
  TiffPageSpec spec = BilevelSpec(COMPRESSION_CCITTFAX3);
  spec.software = "Kelvor Studio";
  spec.dateTime = "2009:05:20 12:51:27";
  spec.artist = "Front desk";
  spec.imageDescription = "page " + std::to_string(page);
  spec.pageNumber = page;
  spec.xResolution = 204;
  spec.yResolution = 98;
  return spec;
}

TEST(CopyTags, ThreePageGroup3BecomesGroup4WithItsTags) {
  ScratchFolder scratch;
  WriteTiffFile(scratch / "in.tif", {TaggedPage(0), TaggedPage(1), TaggedPage(2)});
  ASSERT_EQ(CopyTiffImages(scratch / "in.tif", scratch / "out.tif", WithSelector(6)), 0);
  ASSERT_EQ(CountDirectories(scratch / "out.tif"), 3);
  EXPECT_EQ(ReadTiffPages(scratch / "out.tif"), ReadTiffPages(scratch / "in.tif"));
  for (int page = 0; page < 3; ++page) {
    SCOPED_TRACE(page);
    OpenTiff copy(scratch / "out.tif", page);
    EXPECT_EQ(copy.u16(TIFFTAG_COMPRESSION), COMPRESSION_CCITTFAX4);
    EXPECT_EQ(TIFFNumberOfStrips(copy.get()), 1u);
    EXPECT_EQ(copy.text(TIFFTAG_SOFTWARE), "Kelvor Studio");
    EXPECT_EQ(copy.text(TIFFTAG_DATETIME), "2009:05:20 12:51:27");
    EXPECT_EQ(copy.text(TIFFTAG_ARTIST), "Front desk");
    EXPECT_EQ(copy.text(TIFFTAG_IMAGEDESCRIPTION), "page " + std::to_string(page));
    float x = 0, y = 0;
    ASSERT_TRUE(TIFFGetField(copy.get(), TIFFTAG_XRESOLUTION, &x));
    ASSERT_TRUE(TIFFGetField(copy.get(), TIFFTAG_YRESOLUTION, &y));
    EXPECT_EQ(x, 204.0f);
    EXPECT_EQ(y, 98.0f);
    EXPECT_EQ(copy.u16(TIFFTAG_RESOLUTIONUNIT), RESUNIT_INCH);
    std::uint16_t number = 0, total = 0;
    ASSERT_TRUE(TIFFGetField(copy.get(), TIFFTAG_PAGENUMBER, &number, &total));
    EXPECT_EQ(number, page);
  }
}

TEST(CopyTags, CentimetreUnitsAndMissingResolutionStayAsTheyAre) {
  ScratchFolder scratch;
  TiffPageSpec metric = BilevelSpec(COMPRESSION_CCITTFAX4);
  metric.resolutionUnit = RESUNIT_CENTIMETER;
  metric.xResolution = 80.5f;
  metric.yResolution = 77.25f;
  TiffPageSpec bare = BilevelSpec(COMPRESSION_CCITTFAX4);
  bare.writeResolution = false;
  WriteTiffFile(scratch / "in.tif", {metric, bare});
  ASSERT_EQ(CopyTiffImages(scratch / "in.tif", scratch / "out.tif", WithSelector(-1)), 0);
  OpenTiff first(scratch / "out.tif", 0);
  float x = 0;
  ASSERT_TRUE(TIFFGetField(first.get(), TIFFTAG_XRESOLUTION, &x));
  EXPECT_EQ(x, 80.5f);
  EXPECT_EQ(first.u16(TIFFTAG_RESOLUTIONUNIT), RESUNIT_CENTIMETER);
  OpenTiff second(scratch / "out.tif", 1);
  EXPECT_FALSE(TIFFGetField(second.get(), TIFFTAG_XRESOLUTION, &x));
}

TEST(CopyTags, EveryOrientationIsKeptWithThePixelsUnmoved) {
  ScratchFolder scratch;
  std::vector<TiffPageSpec> pages;
  for (std::uint16_t orientation = 1; orientation <= 8; ++orientation) {
    TiffPageSpec spec = BilevelSpec(COMPRESSION_CCITTFAX4);
    spec.raster = CornerMarkPage(64, 48);
    spec.orientation = orientation;
    pages.push_back(spec);
  }
  WriteTiffFile(scratch / "in.tif", pages);
  for (int selector : {-1, 6}) {
    const std::string out = scratch / ("out" + std::to_string(selector) + ".tif");
    ASSERT_EQ(CopyTiffImages(scratch / "in.tif", out, WithSelector(selector)), 0);
    const std::vector<Raster> copied = ReadTiffPages(out);
    ASSERT_EQ(copied.size(), 8u);
    for (int page = 0; page < 8; ++page) {
      EXPECT_EQ(OpenTiff(out, page).u16(TIFFTAG_ORIENTATION), page + 1);
      EXPECT_EQ(copied[page], pages[page].raster);
    }
  }
}

TEST(CopyTags, ThumbnailsBetweenPagesAreCopiedInPlace) {
  ScratchFolder scratch;
  TiffPageSpec thumbnail = BilevelSpec(COMPRESSION_PACKBITS);
  thumbnail.raster = NoisePage(40, 30, 0.3);
  thumbnail.subfileType = FILETYPE_REDUCEDIMAGE;
  WriteTiffFile(scratch / "in.tif", {TaggedPage(0), thumbnail, TaggedPage(1), thumbnail});
  ASSERT_EQ(CopyTiffImages(scratch / "in.tif", scratch / "out.tif", WithSelector(6)), 0);
  ASSERT_EQ(CountDirectories(scratch / "out.tif"), 4);
  EXPECT_EQ(ReadTiffPages(scratch / "out.tif"), ReadTiffPages(scratch / "in.tif"));
  for (int directory : {1, 3})
    EXPECT_EQ(OpenTiff(scratch / "out.tif", directory).u32(TIFFTAG_SUBFILETYPE),
              std::uint32_t{FILETYPE_REDUCEDIMAGE});
  EXPECT_EQ(OpenTiff(scratch / "out.tif", 2).u32(TIFFTAG_SUBFILETYPE), 0u);
}

TEST(CopyTags, Group4OptionsAndFaxTagsFollowIntoFaxOutput) {
  ScratchFolder scratch;
  {
    TIFF* tif = TIFFOpen((scratch / "in.tif").c_str(), "w");
    ASSERT_NE(tif, nullptr);
    const Raster page = SamplePage(120, 40);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, page.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, page.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(tif, TIFFTAG_GROUP4OPTIONS, GROUP4OPT_UNCOMPRESSED);
    TIFFSetField(tif, TIFFTAG_BADFAXLINES, 3u);
    TIFFSetField(tif, TIFFTAG_CLEANFAXDATA, CLEANFAXDATA_REGENERATED);
    TIFFSetField(tif, TIFFTAG_CONSECUTIVEBADFAXLINES, 2u);
    TIFFSetField(tif, TIFFTAG_FAXSUBADDRESS, "4711");
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, page.height);
    const auto rows = page.PackedRows();
    ASSERT_GE(TIFFWriteEncodedStrip(tif, 0, const_cast<std::uint8_t*>(rows.data()),
                                    static_cast<tmsize_t>(rows.size())),
              0);
    TIFFClose(tif);
  }
  for (int selector : {-1, 6, 3}) {
    SCOPED_TRACE(selector);
    const std::string out = scratch / ("out" + std::to_string(selector) + ".tif");
    ASSERT_EQ(CopyTiffImages(scratch / "in.tif", out, WithSelector(selector)), 0);
    OpenTiff copy(out);
    std::uint32_t badLines = 0, consecutive = 0;
    ASSERT_TRUE(TIFFGetField(copy.get(), TIFFTAG_BADFAXLINES, &badLines));
    ASSERT_TRUE(TIFFGetField(copy.get(), TIFFTAG_CONSECUTIVEBADFAXLINES, &consecutive));
    EXPECT_EQ(badLines, 3u);
    EXPECT_EQ(consecutive, 2u);
    EXPECT_EQ(copy.u16(TIFFTAG_CLEANFAXDATA), CLEANFAXDATA_REGENERATED);
    EXPECT_EQ(copy.text(TIFFTAG_FAXSUBADDRESS), "4711");
    if (selector != 3) {
      EXPECT_EQ(copy.u32(TIFFTAG_GROUP4OPTIONS), std::uint32_t{GROUP4OPT_UNCOMPRESSED});
    }
  }
}

TEST(CopyTags, AppendAddsImagesToAnExistingOutput) {
  ScratchFolder scratch;
  WriteTiffFile(scratch / "a.tif", {TaggedPage(0)});
  WriteTiffFile(scratch / "b.tif", {TaggedPage(1), TaggedPage(2)});
  ASSERT_EQ(CopyTiffImages(scratch / "a.tif", scratch / "out.tif", WithSelector(6)), 0);
  CopyOptions append = WithSelector(6);
  append.append = 1;
  ASSERT_EQ(CopyTiffImages(scratch / "b.tif", scratch / "out.tif", append), 0);
  ASSERT_EQ(CountDirectories(scratch / "out.tif"), 3);
  EXPECT_EQ(OpenTiff(scratch / "out.tif", 2).text(TIFFTAG_IMAGEDESCRIPTION), "page 2");
}

} // namespace
} // namespace copytest

namespace copytest {
namespace {

// Writes a CMYK page carrying every descriptive tag the copier knows, with
// values of each type the library hands out (texts, SHORT pairs, float
// arrays, doubles, counted arrays).
void WriteCmykWithEveryTag(const std::string& path) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tif, nullptr);
  const std::uint32_t width = 20, height = 6;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 4);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_SEPARATED);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, height);
  TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK);
  TIFFSetField(tif, TIFFTAG_NUMBEROFINKS, 4);
  static const char kInks[] = "Cyan\0Magenta\0Yellow\0Black";
  TIFFSetField(tif, TIFFTAG_INKNAMES, static_cast<int>(sizeof kInks), kInks);
  static const std::uint8_t kProfile[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<std::uint32_t>(sizeof kProfile), kProfile);
  static float white[] = {0.3127f, 0.329f};
  static float primaries[] = {0.64f, 0.33f, 0.3f, 0.6f, 0.15f, 0.06f};
  static float blackWhite[] = {0, 255, 128, 255, 128, 255};
  static float coefficients[] = {0.299f, 0.587f, 0.114f};
  TIFFSetField(tif, TIFFTAG_WHITEPOINT, white);
  TIFFSetField(tif, TIFFTAG_PRIMARYCHROMATICITIES, primaries);
  TIFFSetField(tif, TIFFTAG_REFERENCEBLACKWHITE, blackWhite);
  TIFFSetField(tif, TIFFTAG_YCBCRCOEFFICIENTS, coefficients);
  TIFFSetField(tif, TIFFTAG_HALFTONEHINTS, 10, 240);
  TIFFSetField(tif, TIFFTAG_DOTRANGE, 5, 250);
  TIFFSetField(tif, TIFFTAG_SMINSAMPLEVALUE, 1.5);
  TIFFSetField(tif, TIFFTAG_SMAXSAMPLEVALUE, 254.5);
  TIFFSetField(tif, TIFFTAG_MAXSAMPLEVALUE, 250);
  TIFFSetField(tif, TIFFTAG_THRESHHOLDING, THRESHHOLD_HALFTONE);
  TIFFSetField(tif, TIFFTAG_XPOSITION, 1.25);
  TIFFSetField(tif, TIFFTAG_DOCUMENTNAME, "invoice.tif");
  TIFFSetField(tif, TIFFTAG_MAKE, "Maker");
  TIFFSetField(tif, TIFFTAG_MODEL, "Model 7");
  TIFFSetField(tif, TIFFTAG_PAGENAME, "first");
  TIFFSetField(tif, TIFFTAG_HOSTCOMPUTER, "host");
  TIFFSetField(tif, TIFFTAG_TARGETPRINTER, "printer");
  std::vector<std::uint16_t> ramp(256);
  for (int i = 0; i < 256; ++i)
    ramp[i] = static_cast<std::uint16_t>(i * 257);
  TIFFSetField(tif, TIFFTAG_TRANSFERFUNCTION, ramp.data(), ramp.data(), ramp.data());
  std::vector<std::uint8_t> samples = PatternBytes(std::size_t{width} * height * 4);
  ASSERT_GE(TIFFWriteEncodedStrip(tif, 0, samples.data(), static_cast<tmsize_t>(samples.size())),
            0);
  TIFFClose(tif);
}

TEST(CopyTags, EveryDescriptiveTagKeepsItsValue) {
  ScratchFolder scratch;
  WriteCmykWithEveryTag(scratch / "cmyk.tif");
  ASSERT_EQ(CopyTiffImages(scratch / "cmyk.tif", scratch / "out.tif", WithSelector(9)), 0);
  EXPECT_EQ(ReadDecodedSamples(scratch / "out.tif").bytes,
            ReadDecodedSamples(scratch / "cmyk.tif").bytes);
  OpenTiff copy(scratch / "out.tif");
  TIFF* tif = copy.get();
  EXPECT_EQ(copy.u16(TIFFTAG_PREDICTOR), PREDICTOR_HORIZONTAL);
  EXPECT_EQ(copy.u16(TIFFTAG_INKSET), INKSET_CMYK);
  EXPECT_EQ(copy.u16(TIFFTAG_NUMBEROFINKS), 4);
  const char* inks = nullptr;
  ASSERT_TRUE(TIFFGetField(tif, TIFFTAG_INKNAMES, &inks));
  EXPECT_EQ(std::string(inks, 26), std::string("Cyan\0Magenta\0Yellow\0Black", 26));
  std::uint32_t profileLength = 0;
  std::uint8_t* profile = nullptr;
  ASSERT_TRUE(TIFFGetField(tif, TIFFTAG_ICCPROFILE, &profileLength, &profile));
  EXPECT_EQ(std::vector<std::uint8_t>(profile, profile + profileLength),
            (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
  float* values = nullptr;
  ASSERT_TRUE(TIFFGetField(tif, TIFFTAG_PRIMARYCHROMATICITIES, &values));
  EXPECT_FLOAT_EQ(values[5], 0.06f);
  ASSERT_TRUE(TIFFGetField(tif, TIFFTAG_WHITEPOINT, &values));
  EXPECT_FLOAT_EQ(values[1], 0.329f);
  ASSERT_TRUE(TIFFGetField(tif, TIFFTAG_REFERENCEBLACKWHITE, &values));
  EXPECT_FLOAT_EQ(values[2], 128.0f);
  ASSERT_TRUE(TIFFGetField(tif, TIFFTAG_YCBCRCOEFFICIENTS, &values));
  EXPECT_FLOAT_EQ(values[2], 0.114f);
  std::uint16_t low = 0, high = 0;
  ASSERT_TRUE(TIFFGetField(tif, TIFFTAG_HALFTONEHINTS, &low, &high));
  EXPECT_EQ(low, 10);
  EXPECT_EQ(high, 240);
  ASSERT_TRUE(TIFFGetField(tif, TIFFTAG_DOTRANGE, &low, &high));
  EXPECT_EQ(low, 5);
  EXPECT_EQ(high, 250);
  // Stored in the sample format (bytes here), as the source holds them.
  double sampleValue = 0;
  ASSERT_TRUE(TIFFGetField(tif, TIFFTAG_SMINSAMPLEVALUE, &sampleValue));
  EXPECT_EQ(sampleValue, 1);
  ASSERT_TRUE(TIFFGetField(tif, TIFFTAG_SMAXSAMPLEVALUE, &sampleValue));
  EXPECT_EQ(sampleValue, 254);
  EXPECT_EQ(copy.u16(TIFFTAG_MAXSAMPLEVALUE), 250);
  EXPECT_EQ(copy.u16(TIFFTAG_THRESHHOLDING), THRESHHOLD_HALFTONE);
  float position = 0;
  ASSERT_TRUE(TIFFGetField(tif, TIFFTAG_XPOSITION, &position));
  EXPECT_EQ(position, 1.25f);
  for (const auto& [tag, text] :
       {std::pair<ttag_t, const char*>{TIFFTAG_DOCUMENTNAME, "invoice.tif"},
        {TIFFTAG_MAKE, "Maker"},
        {TIFFTAG_MODEL, "Model 7"},
        {TIFFTAG_PAGENAME, "first"},
        {TIFFTAG_HOSTCOMPUTER, "host"},
        {TIFFTAG_TARGETPRINTER, "printer"}})
    EXPECT_EQ(copy.text(tag), text);
  std::uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
  ASSERT_TRUE(TIFFGetField(tif, TIFFTAG_TRANSFERFUNCTION, &red, &green, &blue));
  ASSERT_NE(blue, nullptr);
  EXPECT_EQ(red[255], 65535);
  EXPECT_EQ(blue[128], 128 * 257);
}

} // namespace
} // namespace copytest
