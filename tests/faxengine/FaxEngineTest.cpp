// The engine on TIFF-structured fax documents made by the TIFF library: the
// page it decodes and the TIFF it writes, both checked against the library's
// own decoding of the source.
#include "faxengine/FaxEngine.h"
#include "faxengine/TiffFaxReader.h"

#include "TiffBytes.h"
#include "support/Scratch.h"
#include "support/TiffFixtures.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>

using testing_support::Raster;
using testing_support::ReadTiffPages;
using testing_support::ScratchFolder;
using testing_support::TiffPageSpec;

namespace {

constexpr FaxFormat kFmf = FaxFormat::Fmf;
constexpr FaxFormat kAwd = FaxFormat::Awd;
constexpr FaxFormat kG3n = FaxFormat::TiffLike;

// Page 1 as the engine decoded it; its rows hold paper as set bits.
Raster EngineRaster(const FaxEngine& engine) {
  const PageRaster& page = engine.Raster();
  return Raster::FromPackedRows(page.rows.data(), page.width, page.height, false);
}

// Where two rasters differ, in a line a failure message can show.
std::string Difference(const Raster& got, const Raster& want) {
  if (got.width != want.width || got.height != want.height)
    return "size " + std::to_string(got.width) + "x" + std::to_string(got.height) + " instead of " +
           std::to_string(want.width) + "x" + std::to_string(want.height);
  std::size_t differ = 0, first = 0;
  for (std::size_t i = 0; i < got.pixels.size(); ++i)
    if (got.pixels[i] != want.pixels[i] && differ++ == 0)
      first = i;
  if (differ == 0)
    return "equal";
  return std::to_string(differ) + " pixels differ, the first at row " +
         std::to_string(first / got.width) + ", column " + std::to_string(first % got.width);
}

TiffPageSpec Page(Raster raster, std::uint16_t compression, std::uint32_t options = 0) {
  TiffPageSpec spec;
  spec.raster = std::move(raster);
  spec.compression = compression;
  spec.group3Options = options;
  return spec;
}

struct Layout {
  const char* what;
  TiffPageSpec spec;
  bool bigEndian = false;
};

std::vector<Layout> Layouts() {
  Raster text = testing_support::TextLikePage(1728, 120, 3);
  std::vector<Layout> layouts = {
      {"Group 4", Page(text, COMPRESSION_CCITTFAX4)},
      {"Group 3 1-D", Page(text, COMPRESSION_CCITTFAX3)},
      {"Group 3 1-D with fill bits", Page(text, COMPRESSION_CCITTFAX3, GROUP3OPT_FILLBITS)},
      {"Group 3 2-D", Page(text, COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING)},
      {"CCITT RLE", Page(text, COMPRESSION_CCITTRLE)},
      {"CCITT RLE/W", Page(text, COMPRESSION_CCITTRLEW)},
      {"uncompressed", Page(testing_support::NoisePage(333, 40, 0.3), COMPRESSION_NONE)},
      {"PackBits", Page(testing_support::CornerMarkPage(2432, 50), COMPRESSION_PACKBITS)},
      {"Group 4, big-endian", Page(text, COMPRESSION_CCITTFAX4), true},
      {"Group 3 2-D, big-endian", Page(text, COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING), true},
  };
  Layout lsb{"Group 4, fill order 2", Page(text, COMPRESSION_CCITTFAX4)};
  lsb.spec.fillOrder = FILLORDER_LSB2MSB;
  layouts.push_back(lsb);
  Layout minIsBlack{"Group 4, MinIsBlack", Page(text, COMPRESSION_CCITTFAX4)};
  minIsBlack.spec.photometric = PHOTOMETRIC_MINISBLACK;
  layouts.push_back(minIsBlack);
  Layout strips{"Group 4 in strips of 16 rows", Page(text, COMPRESSION_CCITTFAX4)};
  strips.spec.rowsPerStrip = 16;
  layouts.push_back(strips);
  Layout strips2d{"Group 3 2-D in strips of 7 rows",
                  Page(text, COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING)};
  strips2d.spec.rowsPerStrip = 7;
  layouts.push_back(strips2d);
  return layouts;
}

std::uint32_t TagOf(const std::string& path, ttag_t tag, int directory = 0) {
  TIFF* tif = TIFFOpen(path.c_str(), "r");
  EXPECT_NE(tif, nullptr);
  if (!tif)
    return 0;
  TIFFSetDirectory(tif, static_cast<tdir_t>(directory));
  std::uint32_t value32 = 0;
  std::uint16_t value16 = 0;
  float valueFloat = 0;
  std::uint32_t result = 0;
  if (tag == TIFFTAG_ROWSPERSTRIP || tag == TIFFTAG_IMAGELENGTH) {
    TIFFGetField(tif, tag, &value32);
    result = value32;
  } else if (tag == TIFFTAG_XRESOLUTION || tag == TIFFTAG_YRESOLUTION) {
    TIFFGetField(tif, tag, &valueFloat);
    result = static_cast<std::uint32_t>(valueFloat);
  } else if (tag == 0) {
    result = TIFFNumberOfStrips(tif);
  } else {
    TIFFGetFieldDefaulted(tif, tag, &value16);
    result = value16;
  }
  TIFFClose(tif);
  return result;
}

// Runs a document through the engine up to its TIFF; returns WriteTiff's result.
int Convert(FaxEngine& engine, const std::string& path, FaxFormat format, const std::string& output) {
  EXPECT_EQ(engine.Identify(path, format), 0);
  if (!engine.IsFax())
    return -100;
  return engine.WriteTiff(output, format);
}

// Sets PATH for one test and puts the old value back afterwards.
class PathOverride {
public:
  explicit PathOverride(const std::string& value)
      : old_(std::getenv("PATH") ? std::getenv("PATH") : "") {
    ::setenv("PATH", value.c_str(), 1);
  }
  ~PathOverride() { ::setenv("PATH", old_.c_str(), 1); }

private:
  std::string old_;
};

} // namespace

TEST(FaxEngineTiff, EveryCodingAndLayoutDecodesAndCopiesExactly) {
  ScratchFolder folder;
  for (const Layout& layout : Layouts()) {
    SCOPED_TRACE(layout.what);
    std::string source = folder / "doc.fmf";
    std::string output = folder / "kvtintif.tmp";
    testing_support::WriteTiffFile(source, {layout.spec}, layout.bigEndian);
    FaxEngine engine;
    ASSERT_EQ(Convert(engine, source, kFmf, output), 0);
    EXPECT_EQ(engine.Settings().pageCount, 1);
    EXPECT_EQ(Difference(EngineRaster(engine), layout.spec.raster), "equal")
        << "page 1 as our decoder sees it";
    EXPECT_EQ(engine.Raster().xResolution, 204);
    EXPECT_EQ(engine.Raster().yResolution, 196);
    // The library's decoding of the source is the oracle for the copy (its
    // own RLE/W encoding does not decode back to the raster).
    auto written = ReadTiffPages(output);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(Difference(written[0], ReadTiffPages(source)[0]), "equal")
        << "the copy as the TIFF library decodes it";
    EXPECT_EQ(TagOf(output, TIFFTAG_PHOTOMETRIC), layout.spec.photometric);
    EXPECT_EQ(TagOf(output, TIFFTAG_FILLORDER), layout.spec.fillOrder);
    EXPECT_EQ(TagOf(output, TIFFTAG_XRESOLUTION), 204u);
    EXPECT_EQ(TagOf(output, TIFFTAG_YRESOLUTION), 196u);
    if (layout.spec.rowsPerStrip) {
      EXPECT_EQ(TagOf(output, TIFFTAG_ROWSPERSTRIP), layout.spec.rowsPerStrip) << "strips are kept";
      EXPECT_EQ(TagOf(output, 0), (120 + layout.spec.rowsPerStrip - 1) / layout.spec.rowsPerStrip);
    }
    engine.CloseAll();
  }
}

TEST(FaxEngineTiff, MultiPageDocumentsKeepEveryPageInOrder) {
  ScratchFolder folder;
  std::vector<TiffPageSpec> pages;
  for (unsigned i = 0; i < 3; ++i)
    pages.push_back(Page(testing_support::TextLikePage(1728, 60 + 10 * i, 10 + i),
                         i == 1 ? COMPRESSION_CCITTFAX3 : COMPRESSION_CCITTFAX4));
  pages[0].rowsPerStrip = 16; // a page in strips between pages of one strip
  std::string source = folder / "doc.fmf";
  testing_support::WriteTiffFile(source, pages);
  FaxEngine engine;
  ASSERT_EQ(Convert(engine, source, kFmf, folder / "out.tif"), 0);
  EXPECT_EQ(engine.Settings().pageCount, 3);
  EXPECT_EQ(TagOf(folder / "out.tif", TIFFTAG_ROWSPERSTRIP, 0), 16u);
  EXPECT_EQ(TagOf(folder / "out.tif", TIFFTAG_ROWSPERSTRIP, 1), 70u);
  auto written = ReadTiffPages(folder / "out.tif");
  ASSERT_EQ(written.size(), 3u);
  for (unsigned i = 0; i < 3; ++i)
    EXPECT_EQ(written[i], pages[i].raster) << "page " << i + 1;
  EXPECT_EQ(TagOf(folder / "out.tif", TIFFTAG_COMPRESSION, 1), COMPRESSION_CCITTFAX3);
  EXPECT_EQ(engine.DecodePage(2), 0);
  EXPECT_EQ(EngineRaster(engine), pages[2].raster);
}

TEST(FaxEngineTiff, FilesThatAreNoFaxOrCannotBeOpened) {
  ScratchFolder folder;
  testing_support::WriteFile(folder / "text.fmf", std::string("plain text, not a TIFF at all"));
  FaxEngine engine;
  EXPECT_EQ(engine.Identify(folder / "text.fmf", kFmf), 0);
  EXPECT_FALSE(engine.IsFax());

  FaxEngine missing;
  EXPECT_EQ(missing.Identify(folder / "absent.fmf", kFmf), -1);
  EXPECT_FALSE(missing.IsFax());

  // An 8-bit page is no fax page, whatever its name says.
  TiffPageSpec gray;
  gray.compression = COMPRESSION_NONE;
  gray.samples.assign(16 * 8, 0x80);
  gray.sampleWidth = 16;
  gray.sampleHeight = 8;
  gray.bitsPerSample = 8;
  gray.photometric = PHOTOMETRIC_MINISBLACK;
  testing_support::WriteTiffFile(folder / "gray.fmf", {gray});
  FaxEngine grayEngine;
  EXPECT_EQ(grayEngine.Identify(folder / "gray.fmf", kFmf), 0);
  EXPECT_FALSE(grayEngine.IsFax());
}

TEST(FaxEngineTiff, NumbersWithoutAReaderAreNoFax) {
  ScratchFolder folder;
  testing_support::WriteTiffFile(folder / "doc.fmf",
                                 {Page(testing_support::TextLikePage(1728, 20), 4)});
  // The reserved numbers, and ordinary TIFFs, which never reach the engine.
  for (FaxFormat format : {FaxFormat{2}, FaxFormat{15}, FaxFormat::OrdinaryTiff}) {
    FaxEngine engine;
    EXPECT_EQ(engine.Identify(folder / "doc.fmf", format), -1) << int(format);
    EXPECT_FALSE(engine.IsFax());
    EXPECT_NE(engine.WriteTiff(folder / "out.tif", format), 0);
  }
}

TEST(FaxEngineTiff, WriteFailuresAreReportedNotHidden) {
  ScratchFolder folder;
  testing_support::WriteTiffFile(folder / "doc.fmf",
                                 {Page(testing_support::TextLikePage(1728, 200), 4)});
  FaxEngine engine;
  ASSERT_EQ(engine.Identify(folder / "doc.fmf", kFmf), 0);
  ASSERT_TRUE(engine.IsFax());
  EXPECT_NE(engine.WriteTiff(folder / "no-such-folder/out.tif", kFmf), 0);
  EXPECT_NE(engine.WriteTiff("/dev/full", kFmf), 0) << "a full disk must not pass as written";
}

// A document whose last directory the file cuts short, or with a page the
// bilevel output cannot hold, fails instead of losing or garbling pages; a
// file that lacks only the final next-directory link keeps every page.
TEST(FaxEngineTiff, DamagedOrMixedMultiPageDocumentsFailVisibly) {
  ScratchFolder folder;
  std::vector<TiffPageSpec> pages;
  for (unsigned i = 0; i < 3; ++i) {
    pages.push_back(Page(testing_support::TextLikePage(1728, 40, 20 + i), COMPRESSION_CCITTFAX4));
    pages.back().writeResolution = false; // no values behind the last directory
  }
  testing_support::WriteTiffFile(folder / "whole.fmf", pages);
  const std::string whole = testing_support::ReadFile(folder / "whole.fmf");
  TiffFaxReader layout;
  layout.Open(folder / "whole.fmf");
  ASSERT_EQ(layout.Detect(), 0);
  ASSERT_EQ(layout.CountPages(), 3);
  const std::uint32_t lastDirectory = layout.PageOffset(2);
  ASSERT_EQ(lastDirectory + 2 + 12 * layout.ReadDirectory(lastDirectory) + 4, whole.size())
      << "the fixture's last directory ends the file";

  TiffPageSpec gray = pages[1];
  gray.compression = COMPRESSION_LZW;
  gray.samples.assign(1728 * 40, 0x80);
  gray.sampleWidth = 1728;
  gray.sampleHeight = 40;
  gray.bitsPerSample = 8;
  gray.photometric = PHOTOMETRIC_MINISBLACK;
  testing_support::WriteTiffFile(folder / "mixed.fmf", {pages[0], gray, pages[2]});
  TiffPageSpec palette = pages[1];
  palette.photometric = PHOTOMETRIC_PALETTE;
  palette.colorMap = {0x4040, 0x4040, 0x4040, 0x4040, 0xFFFF, 0xFFFF}; // blue, green
  testing_support::WriteTiffFile(folder / "palette.fmf", {pages[0], palette, pages[2]});
  TiffPageSpec thumbnail = pages[1];
  thumbnail.subfileType = FILETYPE_REDUCEDIMAGE;
  testing_support::WriteTiffFile(folder / "thumbnail.fmf", {pages[0], thumbnail, pages[2]});

  struct Case {
    const char* what;
    std::string bytes;
    int result;
    std::vector<unsigned> kept = {0, 1, 2}; // the fixture pages the document holds
  };
  const Case cases[] = {
      {"last directory past the end", whole.substr(0, lastDirectory),
       TiffFaxReader::kPageUnreadable},
      {"last directory cut in its entries", whole.substr(0, lastDirectory + 20),
       TiffFaxReader::kPageUnreadable},
      {"only the final link missing", whole.substr(0, whole.size() - 4), 0},
      {"page 2 of 8 bits", testing_support::ReadFile(folder / "mixed.fmf"),
       TiffFaxReader::kPageNotBilevel},
      {"page 2 of two palette colours", testing_support::ReadFile(folder / "palette.fmf"),
       TiffFaxReader::kPageNotBilevel},
      {"a thumbnail between the pages",
       testing_support::ReadFile(folder / "thumbnail.fmf"),
       0,
       {0, 2}},
  };
  for (const Case& c : cases) {
    testing_support::WriteFile(folder / "doc.fmf", c.bytes);
    FaxEngine engine;
    EXPECT_EQ(Convert(engine, folder / "doc.fmf", kFmf, folder / "out.tif"), c.result) << c.what;
    EXPECT_EQ(engine.Settings().pageCount, c.kept.size()) << c.what;
    if (c.result != 0)
      continue;
    auto written = ReadTiffPages(folder / "out.tif");
    ASSERT_EQ(written.size(), c.kept.size()) << c.what;
    for (unsigned i = 0; i < c.kept.size(); ++i)
      EXPECT_EQ(written[i], pages[c.kept[i]].raster) << c.what << ", page " << i + 1;
  }
}

TEST(FaxEngineTiff, ADocumentWithMorePagesThanTheTiffCanNumberFailsVisibly) {
  ScratchFolder folder;
  const std::vector<std::uint8_t> bytes = tiff_bytes::EmptyDirectoryChain(65536);
  testing_support::WriteFile(folder / "many.fmf", bytes);
  TiffFaxReader reader;
  reader.Open(folder / "many.fmf");
  ASSERT_EQ(reader.Detect(), 0);
  EXPECT_EQ(reader.WriteTiff(folder / "out.tif"), -4);
}

TEST(FaxEngineAwd, AMissingConverterMeansNotAFax) {
  ScratchFolder folder;
  testing_support::WriteFile(folder / "doc.awd", std::string("AWD bytes"));
  // A fax TIFF left by an earlier document must not be taken for this one's.
  testing_support::WriteTiffFile(folder / "kvttif.tmp",
                                 {Page(testing_support::TextLikePage(1728, 20), 4)});
  PathOverride path(folder.path());
  FaxEngine engine;
  ConversionSettings settings;
  settings.engineTiffPath = folder / "kvttif.tmp";
  engine.SetSettings(settings);
  EXPECT_EQ(engine.Identify(folder / "doc.awd", kAwd), 0);
  EXPECT_FALSE(engine.IsFax());
}

TEST(FaxEngineAwd, TheConvertersTiffIsJudgedAndCopied) {
  ScratchFolder folder;
  ScratchFolder bin;
  // A stand-in converter: "/c input output" copies the input, which here is
  // already a TIFF, and records its arguments.
  std::string stub = bin / "AWDVSTUB.EXE";
  testing_support::WriteFile(stub, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + folder / "args" +
                                       "\"\n/bin/cp \"$2\" \"$3\"\n");
  ::chmod(stub.c_str(), 0755);
  Raster text = testing_support::TextLikePage(1728, 80, 5);
  testing_support::WriteTiffFile(folder / "doc one.awd", {Page(text, COMPRESSION_CCITTFAX4)});
  testing_support::WriteFile(folder / "kvttif.tmp", std::string("left by an earlier document"));
  PathOverride path(bin.path());
  FaxEngine engine;
  ConversionSettings settings;
  settings.engineTiffPath = folder / "kvttif.tmp";
  engine.SetSettings(settings);
  ASSERT_EQ(Convert(engine, folder / "doc one.awd", kAwd, folder / "out.tif"), 0);
  EXPECT_EQ(testing_support::ReadFile(folder / "args"),
            "/c\n" + folder / "doc one.awd" + "\n" + folder / "kvttif.tmp" + "\n");
  auto written = ReadTiffPages(folder / "out.tif");
  ASSERT_EQ(written.size(), 1u);
  EXPECT_EQ(written[0], text);
}

TEST(FaxEngineDocInfo, SidecarTextsInAnyCaseAndWithCrLf) {
  ScratchFolder folder;
  testing_support::WriteTiffFile(folder / "0001.g3n",
                                 {Page(testing_support::TextLikePage(1728, 20), 4)});
  testing_support::WriteFile(folder / "0001.ctl",
                             std::string("Header\r\nComment: From: +49 30 1234\r\n"
                                         "Pages: 1\r\nAccepted: 2026-12-08 03:00\r\n"
                                         "User: alice\r\n"));
  FaxEngine engine;
  engine.ReadDocInfo(folder / "0001.g3n", kG3n);
  EXPECT_EQ(engine.DocInfo().senderComment, "From: +49 30 1234");
  EXPECT_EQ(engine.DocInfo().acceptanceLine, "Accepted: 2026-12-08 03:00");
  EXPECT_EQ(engine.DocInfo().user, "alice");

  FaxEngine otherFormat;
  otherFormat.ReadDocInfo(folder / "0001.g3n", kFmf);
  EXPECT_FALSE(otherFormat.DocInfo().senderComment.has_value()) << "only FaxFormat 17 has sidecars";
}

TEST(FaxEngineDocInfo, MissingOrPartialSidecars) {
  ScratchFolder folder;
  FaxEngine none;
  none.ReadDocInfo(folder / "0002.G3F", kG3n);
  EXPECT_FALSE(none.DocInfo().senderComment || none.DocInfo().acceptanceLine ||
               none.DocInfo().user);

  testing_support::WriteFile(folder / "0003.CTL",
                             std::string("Comment: From: bob\nAccepted: yes, at noon\n"));
  FaxEngine partial;
  partial.ReadDocInfo(folder / "0003.g3f", kG3n);
  EXPECT_EQ(partial.DocInfo().senderComment, "From: bob");
  EXPECT_EQ(partial.DocInfo().acceptanceLine, "Accepted: yes, at noon");
  EXPECT_FALSE(partial.DocInfo().user.has_value());

  // The texts are found in order: a "User: " line before the comment is not the user.
  testing_support::WriteFile(folder / "0004.CTL",
                             std::string("User: early\nComment: From: carol\n"));
  FaxEngine order;
  order.ReadDocInfo(folder / "0004.g3n", kG3n);
  EXPECT_EQ(order.DocInfo().senderComment, "From: carol");
  EXPECT_FALSE(order.DocInfo().user.has_value());
}

// The length tests count the line's newline: labels with nothing after them
// still give their texts, but not on a last line without a newline.
TEST(FaxEngineDocInfo, EmptyTextsAfterTheLabelsCountTheirNewline) {
  ScratchFolder folder;
  testing_support::WriteFile(folder / "0005.CTL",
                             std::string("Comment: From: \r\nAccepted: \nUser: \n"));
  FaxEngine labelsOnly;
  labelsOnly.ReadDocInfo(folder / "0005.g3n", kG3n);
  EXPECT_EQ(labelsOnly.DocInfo().senderComment, "From: ");
  EXPECT_EQ(labelsOnly.DocInfo().acceptanceLine, "Accepted: ");
  EXPECT_EQ(labelsOnly.DocInfo().user, "");

  testing_support::WriteFile(folder / "0006.CTL", std::string("Comment: From: "));
  FaxEngine unterminated;
  unterminated.ReadDocInfo(folder / "0006.g3n", kG3n);
  EXPECT_FALSE(unterminated.DocInfo().senderComment.has_value());
}

TEST(FaxEngineTiff, ALoopingDirectoryChainConvertsItsDistinctPages) {
  ScratchFolder folder;
  std::vector<TiffPageSpec> pages = {Page(testing_support::TextLikePage(1728, 40, 1), 4),
                                     Page(testing_support::TextLikePage(1728, 50, 2), 4)};
  std::string source = folder / "loop.fmf";
  testing_support::WriteTiffFile(source, pages);
  // Point the last directory's next field back at the first directory.
  std::string bytes = testing_support::ReadFile(source);
  auto u32 = [&](std::size_t at) {
    return std::uint32_t(std::uint8_t(bytes[at])) |
           std::uint32_t(std::uint8_t(bytes[at + 1])) << 8 |
           std::uint32_t(std::uint8_t(bytes[at + 2])) << 16 |
           std::uint32_t(std::uint8_t(bytes[at + 3])) << 24;
  };
  std::uint32_t first = u32(4);
  std::uint32_t directory = first;
  std::size_t nextField = 0;
  while (directory != 0) {
    std::size_t count = std::uint8_t(bytes[directory]) | std::uint8_t(bytes[directory + 1]) << 8;
    nextField = directory + 2 + 12 * count;
    directory = u32(nextField);
  }
  for (int i = 0; i < 4; ++i)
    bytes[nextField + i] = char(first >> (8 * i));
  testing_support::WriteFile(source, bytes);

  FaxEngine engine;
  ASSERT_EQ(Convert(engine, source, kFmf, folder / "out.tif"), 0);
  EXPECT_EQ(engine.Settings().pageCount, 2);
  auto written = ReadTiffPages(folder / "out.tif");
  ASSERT_EQ(written.size(), 2u);
  EXPECT_EQ(written[0], pages[0].raster);
  EXPECT_EQ(written[1], pages[1].raster);
}

TEST(TiffCopy, AppendsToAFileOfTheWriterAndRefusesWhatIsNoTiff) {
  ScratchFolder folder;
  TiffPageSpec first = Page(testing_support::TextLikePage(1728, 30, 1), COMPRESSION_CCITTFAX4);
  TiffPageSpec second = Page(testing_support::TextLikePage(2048, 40, 2), COMPRESSION_CCITTFAX3);
  testing_support::WriteTiffFile(folder / "a.tif", {first});
  testing_support::WriteTiffFile(folder / "b.tif", {second}, true);
  ASSERT_EQ(TiffFaxReader::CopyTiff(folder / "a.tif", folder / "out.tif", "wb"), 0);
  ASSERT_EQ(TiffFaxReader::CopyTiff(folder / "b.tif", folder / "out.tif", "r+b"), 0);
  auto written = ReadTiffPages(folder / "out.tif");
  ASSERT_EQ(written.size(), 2u);
  EXPECT_EQ(written[0], first.raster);
  EXPECT_EQ(written[1], second.raster);

  EXPECT_EQ(TiffFaxReader::CopyTiff(folder / "absent.tif", folder / "out2.tif", "wb"), -1);
  testing_support::WriteFile(folder / "text.tif", std::string("no TIFF"));
  EXPECT_EQ(TiffFaxReader::CopyTiff(folder / "text.tif", folder / "out2.tif", "wb"), -2);
}
