// The sweep: every corpus file and every kind of fixture the other tests make,
// converted by the real program as a user's file request would. A run that
// claims success (exit code 0 or "Success !") must have written exactly the
// document: every page, each image equal pixel for pixel to the page the file
// holds, none inverted, none too large for viewers. A run that fails visibly
// or says "Not Fax" passes; a crash, a hang or a wrong page under success
// does not.
#include "support/PdfChecks.h"
#include "support/RawStreamFixtures.h"
#include "support/Scratch.h"
#include "support/TiffCopyChecks.h"
#include "support/TiffFixtures.h"
#include "support/Tools.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <set>
#include <sstream>

using namespace testing_support;

namespace {

// A page as RGB triples, the one form every decoder's output is compared in.
struct Picture {
  std::uint32_t width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
  bool operator==(const Picture&) const = default;
};

Picture FromPnm(const PnmImage& image) {
  Picture picture{image.width, image.height, {}};
  picture.rgb.reserve(image.samples.size() * (image.kind == '6' ? 1 : 3));
  for (std::size_t i = 0; i < std::size_t(image.width) * image.height; ++i)
    for (int channel = 0; channel < 3; ++channel)
      picture.rgb.push_back(image.kind == '4'   ? (image.samples[i] ? 0 : 255)
                            : image.kind == '5' ? image.samples[i]
                                                : image.samples[3 * i + channel]);
  return picture;
}

Picture FromRaster(const Raster& raster) {
  PnmImage image;
  image.kind = '4';
  image.width = raster.width;
  image.height = raster.height;
  image.samples = raster.pixels;
  return FromPnm(image);
}

Picture FirstRows(const Picture& picture, std::uint32_t rows) {
  Picture part{picture.width, std::min(rows, picture.height), picture.rgb};
  part.rgb.resize(std::size_t(part.width) * part.height * 3);
  return part;
}

Picture Stacked(const std::vector<Picture>& pages) {
  Picture all;
  for (const Picture& page : pages) {
    all.width = page.width;
    all.height += page.height;
    all.rgb.insert(all.rgb.end(), page.rgb.begin(), page.rgb.end());
  }
  return all;
}

// How far two pictures of one size are apart: pixels that differ, and the
// largest difference of a sample.
std::string Difference(const Picture& got, const Picture& want) {
  if (got.width != want.width || got.height != want.height)
    return "got " + std::to_string(got.width) + "x" + std::to_string(got.height) + ", want " +
           std::to_string(want.width) + "x" + std::to_string(want.height);
  std::size_t pixels = 0;
  int largest = 0;
  for (std::size_t i = 0; i < got.rgb.size(); i += 3) {
    int apart = 0;
    for (std::size_t c = i; c < i + 3; ++c)
      apart = std::max(apart, std::abs(int(got.rgb[c]) - int(want.rgb[c])));
    pixels += apart > 0;
    largest = std::max(largest, apart);
  }
  return std::to_string(pixels) + " pixels differ, by up to " + std::to_string(largest);
}

// Copies the given rows of one picture into another of the same size.
void TakeRows(Picture& into, const Picture& from, const std::set<std::uint32_t>& rows) {
  const std::size_t rowBytes = std::size_t(into.width) * 3;
  for (std::uint32_t row : rows)
    if (into.width == from.width && row < into.height && row < from.height)
      std::copy_n(from.rgb.begin() + row * rowBytes, rowBytes, into.rgb.begin() + row * rowBytes);
}

std::string Sizes(const std::vector<Picture>& pages) {
  std::string sizes;
  for (const Picture& page : pages)
    sizes +=
        (sizes.empty() ? "" : " ") + std::to_string(page.width) + "x" + std::to_string(page.height);
  return sizes;
}

double MeanGrey(const Picture& picture) {
  double sum = 0;
  for (std::size_t i = 0; i + 2 < picture.rgb.size(); i += 3)
    sum += 0.299 * picture.rgb[i] + 0.587 * picture.rgb[i + 1] + 0.114 * picture.rgb[i + 2];
  return picture.rgb.empty() ? 255 : sum / double(picture.rgb.size() / 3);
}

// What exactly right means for one input.
struct Expected {
  std::vector<Picture> pages; // empty: no page is right, the file must fail visibly
  std::string reason;         // why, where the right pages are not simply the file's
  // Rows the file does not hold: a page may end early, after this many rows.
  std::uint32_t rowsHeld = UINT32_MAX;
  // The stream does not mark where pages end: any cut into pages is right
  // as long as the rows, one under the other, are the document's.
  bool pageEndsUnmarked = false;
  // Rows of each page the file's decoder reported damaged: a fax reader may
  // show such a row as it likes (its readable start, or the row above).
  std::vector<std::set<std::uint32_t>> damagedRows;
  // Where no decoder here gives the right rows exactly: what a page must pass
  // instead of equality ("" when it does).
  std::function<std::string(const Picture&)> judgePage;
};

std::uint16_t Tag16(TIFF* tiff, ttag_t tag) {
  std::uint16_t value = 0;
  TIFFGetFieldDefaulted(tiff, tag, &value);
  return value;
}

// Whether the page's extra sample is one no reader may take for alpha.
bool ExtraSampleUnspecified(TIFF* tiff) {
  std::uint16_t count = 0;
  std::uint16_t* kinds = nullptr;
  return TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &count, &kinds) && count > 0 &&
         kinds[0] == EXTRASAMPLE_UNSPECIFIED;
}

// The rows of the page being decoded that the TIFF library reports damaged
// ("... at line N ..."), gathered by its message handlers.
std::set<std::uint32_t>* rowsBeingNoted = nullptr;

void NoteDamagedRow(const char*, const char* format, va_list arguments) {
  char text[512];
  std::vsnprintf(text, sizeof text, format, arguments);
  const char* line = std::strstr(text, " at line ");
  if (rowsBeingNoted && line)
    rowsBeingNoted->insert(static_cast<std::uint32_t>(std::strtoul(line + 9, nullptr, 10)));
}

class DamagedRowsNoted {
public:
  DamagedRowsNoted()
      : warnings_(TIFFSetWarningHandler(NoteDamagedRow)),
        errors_(TIFFSetErrorHandler(NoteDamagedRow)) {}
  ~DamagedRowsNoted() {
    rowsBeingNoted = nullptr;
    TIFFSetWarningHandler(warnings_);
    TIFFSetErrorHandler(errors_);
  }
  DamagedRowsNoted(const DamagedRowsNoted&) = delete;
  DamagedRowsNoted& operator=(const DamagedRowsNoted&) = delete;

private:
  TIFFErrorHandler warnings_, errors_;
};

// Every full-resolution page of a TIFF as the TIFF library decodes it, rows in
// stored order (the PDF page turns them, not the image), associated alpha on
// white paper, with the rows it reports damaged. Opened without memory
// mapping, whose read path loses pages.
Expected TiffLibraryPages(const std::string& path, std::string reason = "") {
  DamagedRowsNoted noted;
  std::unique_ptr<TIFF, void (*)(TIFF*)> tiff(TIFFOpen(path.c_str(), "rm"), TIFFClose);
  if (!tiff)
    throw std::runtime_error("the TIFF library cannot open " + path);
  Expected expected;
  expected.reason = std::move(reason);
  do {
    std::uint32_t subfileType = 0, width = 0, height = 0;
    TIFFGetField(tiff.get(), TIFFTAG_SUBFILETYPE, &subfileType);
    if (subfileType & FILETYPE_REDUCEDIMAGE)
      continue;
    TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
    std::vector<std::uint32_t> abgr(std::size_t(width) * height);
    rowsBeingNoted = &expected.damagedRows.emplace_back();
    if (!TIFFReadRGBAImageOriented(tiff.get(), width, height, abgr.data(),
                                   Tag16(tiff.get(), TIFFTAG_ORIENTATION), 0)) {
      // The RGBA reader refuses some bilevel tile layouts its tile reads accept.
      expected.pages.push_back(
          FromRaster(ReadTiffPages(path).at(TIFFCurrentDirectory(tiff.get()))));
      continue;
    }
    const bool dropAlpha = ExtraSampleUnspecified(tiff.get());
    Picture page{width, height, {}};
    page.rgb.reserve(abgr.size() * 3);
    for (std::uint32_t pixel : abgr) {
      const int paper = dropAlpha ? 0 : 255 - static_cast<int>(TIFFGetA(pixel));
      for (std::uint32_t sample : {TIFFGetR(pixel), TIFFGetG(pixel), TIFFGetB(pixel)})
        page.rgb.push_back(static_cast<std::uint8_t>(std::min(255, int(sample) + paper)));
    }
    expected.pages.push_back(std::move(page));
  } while (TIFFReadDirectory(tiff.get()));
  return expected;
}

std::vector<Picture> NetpbmPages(const std::string& path);

// A DCX file is a table of page offsets ahead of one PCX picture per page.
std::vector<Picture> DcxPages(const std::string& path) {
  const std::vector<std::uint8_t> file = ReadBytes(path);
  auto offsetAt = [&](std::size_t at) {
    return at + 4 <= file.size()
               ? std::size_t(file[at]) | std::size_t(file[at + 1]) << 8 |
                     std::size_t(file[at + 2]) << 16 | std::size_t(file[at + 3]) << 24
               : 0;
  };
  std::vector<Picture> pages;
  ScratchFolder scratch;
  for (std::size_t entry = 4; offsetAt(entry) != 0 && offsetAt(entry) < file.size(); entry += 4) {
    const std::size_t end = offsetAt(entry + 4) ? offsetAt(entry + 4) : file.size();
    WriteFile(scratch / "page.pcx",
              std::vector<std::uint8_t>(file.begin() + offsetAt(entry),
                                        file.begin() + std::min(end, file.size())));
    auto pagesOfPcx = NetpbmPages(scratch / "page.pcx");
    pages.insert(pages.end(), pagesOfPcx.begin(), pagesOfPcx.end());
  }
  return pages;
}

// A picture file decoded by netpbm (ground truths, BMP, PCX; DCX page by page).
std::vector<Picture> NetpbmPages(const std::string& path) {
  std::string lower = path.substr(path.rfind('.') + 1);
  std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
  if (lower == "pbm")
    return {FromPnm(ReadPnm(path))};
  if (lower == "dcx")
    return DcxPages(path);
  const std::map<std::string, std::string> decoders = {
      {"png", "pngtopnm"}, {"bmp", "bmptopnm"}, {"pcx", "pcxtoppm"}};
  const auto decoder = decoders.find(lower);
  if (decoder == decoders.end())
    throw std::runtime_error("no picture decoder for " + path);
  auto run = RunTool({decoder->second, path});
  if (run.exitCode != 0)
    throw std::runtime_error(decoder->second + " failed on " + path + ": " + run.errors);
  ScratchFolder scratch;
  WriteFile(scratch / "page.pnm", run.output);
  return {FromPnm(ReadPnm(scratch / "page.pnm"))};
}

Picture FlippedRows(Picture picture) {
  const std::size_t rowBytes = std::size_t(picture.width) * 3;
  for (std::uint32_t y = 0; y < picture.height / 2; ++y)
    std::swap_ranges(picture.rgb.begin() + y * rowBytes, picture.rgb.begin() + (y + 1) * rowBytes,
                     picture.rgb.end() - (y + 1) * rowBytes);
  return picture;
}

Picture Inverted(Picture picture) {
  for (auto& sample : picture.rgb)
    sample = static_cast<std::uint8_t>(255 - sample);
  return picture;
}

// A bare fax stream as the TIFF library decodes it, handed over as the one
// strip of a TIFF page of the given size.
Expected TiffLibraryStreamPages(const std::vector<std::uint8_t>& stream, std::uint32_t width,
                                std::uint32_t rows, std::uint16_t compression,
                                std::uint32_t options, std::string reason) {
  ScratchFolder scratch;
  const std::string path = scratch / "stream.tif";
  std::unique_ptr<TIFF, void (*)(TIFF*)> tiff(TIFFOpen(path.c_str(), "w"), TIFFClose);
  TIFFSetField(tiff.get(), TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tiff.get(), TIFFTAG_IMAGELENGTH, rows);
  TIFFSetField(tiff.get(), TIFFTAG_ROWSPERSTRIP, rows);
  TIFFSetField(tiff.get(), TIFFTAG_BITSPERSAMPLE, 1);
  TIFFSetField(tiff.get(), TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
  TIFFSetField(tiff.get(), TIFFTAG_COMPRESSION, compression);
  if (compression == COMPRESSION_CCITTFAX3)
    TIFFSetField(tiff.get(), TIFFTAG_GROUP3OPTIONS, options);
  if (TIFFWriteRawStrip(tiff.get(), 0, const_cast<std::uint8_t*>(stream.data()),
                        static_cast<tmsize_t>(stream.size())) < 0)
    throw std::runtime_error("cannot wrap the stream in a TIFF");
  tiff.reset();
  return TiffLibraryPages(path, std::move(reason));
}

// One-dimensional fax rows with no EOL and no byte alignment, decoded by
// ghostscript's CCITTFaxDecode filter: the TIFF library knows no such coding.
Picture GhostscriptRowsWithoutEol(const std::vector<std::uint8_t>& stream, std::uint32_t columns,
                                  std::uint32_t rows) {
  ScratchFolder scratch;
  WriteFile(scratch / "in.bin", stream);
  const std::string program =
      "/in (" + scratch / "in.bin" + ") (r) file << /K 0 /Columns " + std::to_string(columns) +
      " /Rows " + std::to_string(rows) + " /BlackIs1 true >> /CCITTFaxDecode filter def\n" +
      "/out (" + scratch / "out.bin" + ") (w) file def /buf 4096 string def\n" +
      "{ in buf readstring exch out exch writestring not { exit } if } loop out closefile\n";
  WriteFile(scratch / "decode.ps", program);
  auto run = RunTool(
      {"gs", "-q", "-dNOSAFER", "-dNODISPLAY", "-dBATCH", "-dNOPAUSE", scratch / "decode.ps"});
  const std::string decoded = ReadFile(scratch / "out.bin");
  if (run.exitCode != 0 || decoded.size() != (columns + 7) / 8 * rows)
    throw std::runtime_error("ghostscript could not decode the rows: " + run.output);
  return FromRaster(
      Raster::FromPackedRows(reinterpret_cast<const std::uint8_t*>(decoded.data()), columns, rows));
}

// What pdfimages lists of each image of the PDF, in order.
struct ListedImage {
  int page = 0;
  std::string colour;
  int ppi = 0;
};

std::vector<ListedImage> ListImages(const std::string& pdf) {
  auto run = RunTool({"pdfimages", "-list", pdf});
  std::istringstream lines(run.output);
  std::vector<ListedImage> images;
  std::string line;
  for (int header = 0; header < 2 && std::getline(lines, line); ++header) {
  }
  while (std::getline(lines, line)) {
    // page num type width height color comp bpc enc interp object ID x-ppi
    std::istringstream fields(line);
    ListedImage image;
    std::string skip;
    fields >> image.page >> skip >> skip >> skip >> skip >> image.colour;
    for (int field = 0; field < 6; ++field)
      fields >> skip;
    fields >> image.ppi;
    if (fields)
      images.push_back(image);
  }
  return images;
}

// One page rendered by MuPDF at the resolution of its image: pixel for pixel
// what a reader shows, palette applied (pdfimages gives palette images as
// indexes; poppler smooths them even at this resolution).
Picture RenderedAtImageResolution(const std::string& pdf, int page, int ppi) {
  ScratchFolder scratch;
  auto run = RunTool({"mutool", "draw", "-q", "-r", std::to_string(ppi), "-c", "rgb", "-o",
                      scratch / "page.ppm", pdf, std::to_string(page)});
  if (run.exitCode != 0)
    throw std::runtime_error("mutool failed: " + run.errors);
  return FromPnm(ReadPnm(scratch / "page.ppm"));
}

// A tiled page is drawn as one image per tile, row by row: put them together
// at the size the page should have (edge tiles may carry padding).
Picture Assembled(const std::vector<Picture>& tiles, std::uint32_t width, std::uint32_t height) {
  if (tiles.size() == 1)
    return tiles[0];
  Picture page{width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 3, 255)};
  const std::uint32_t tileWidth = tiles[0].width, tileHeight = tiles[0].height;
  const std::uint32_t across = (width + tileWidth - 1) / std::max(1u, tileWidth);
  for (std::size_t t = 0; t < tiles.size(); ++t) {
    const std::uint32_t left = std::uint32_t(t % across) * tileWidth;
    const std::uint32_t top = std::uint32_t(t / across) * tileHeight;
    for (std::uint32_t y = 0; y < tiles[t].height && top + y < height; ++y)
      for (std::uint32_t x = 0; x < tiles[t].width && left + x < width; ++x)
        std::copy_n(tiles[t].rgb.begin() + (std::size_t(y) * tiles[t].width + x) * 3, 3,
                    page.rgb.begin() + (std::size_t(top + y) * width + left + x) * 3);
  }
  return page;
}

// What each page of the PDF shows: its image, its tiles put together, or
// for a palette image the page rendered at the image's resolution (pdfimages
// gives palette images as indexes). The sizes expected place the tiles.
std::vector<Picture> PagesOfPdf(const std::string& pdf, std::size_t pageCount,
                                const std::vector<Picture>& expected) {
  const std::vector<PnmImage> extracted = ExtractImages(pdf);
  const std::vector<ListedImage> listed = ListImages(pdf);
  if (listed.size() != extracted.size())
    throw std::runtime_error("pdfimages lists and extracts different images");
  std::vector<std::vector<Picture>> imagesOfPage(pageCount);
  std::vector<int> paletteAt(pageCount, 0);
  for (std::size_t i = 0; i < extracted.size(); ++i) {
    const std::size_t page = std::size_t(listed[i].page - 1);
    imagesOfPage.at(page).push_back(FromPnm(extracted[i]));
    if (listed[i].colour == "index")
      paletteAt[page] = listed[i].ppi;
  }
  std::vector<Picture> pages;
  for (std::size_t page = 0; page < pageCount; ++page) {
    if (imagesOfPage[page].empty())
      throw std::runtime_error("page " + std::to_string(page + 1) + " shows no image");
    const Picture want = page < expected.size() ? expected[page] : Picture{};
    pages.push_back(paletteAt[page] ? RenderedAtImageResolution(pdf, int(page) + 1, paletteAt[page])
                                    : Assembled(imagesOfPage[page], want.width, want.height));
  }
  return pages;
}

// Pages whose MediaBox has a side longer than 14,400 units, the PDF 1.7
// implementation limit beyond which viewers refuse to show a page.
std::string PagesTooLarge(const std::string& pdf) {
  auto run = RunTool({"pdfinfo", "-box", "-f", "1", "-l", "100000", pdf});
  std::istringstream lines(run.output);
  std::string line, tooLarge;
  while (std::getline(lines, line)) {
    const std::size_t box = line.find("MediaBox:");
    double left = 0, bottom = 0, right = 0, top = 0;
    if (box != std::string::npos &&
        std::istringstream(line.substr(box + 9)) >> left >> bottom >> right >> top &&
        (right - left > 14400 || top - bottom > 14400))
      tooLarge += line + "\n";
  }
  return tooLarge;
}

class Sweep {
public:
  Sweep() { std::filesystem::create_directory(scratch_ / "tmp"); }

  // Converts the file (its name picks the road) and checks the outcome.
  void Check(const std::string& label, const std::string& source, const Expected& expected,
             const std::vector<std::string>& options = {}) {
    SCOPED_TRACE(label + (expected.reason.empty() ? "" : " (" + expected.reason + ")"));
    const std::string pdf = scratch_ / "sweep.pdf";
    std::filesystem::remove(pdf);
    std::vector<std::string> command = {"timeout",     "120",
                                        QuorrenPath(), "/f=" + source,
                                        "/sf=" + pdf,  "/log=" + scratch_ / "kvtlog.txt"};
    command.insert(command.end(), options.begin(), options.end());
    auto run = RunTool(command, {"TMPDIR=" + scratch_ / "tmp"});
    ASSERT_NE(run.exitCode, 124) << "the conversion hung";
    // timeout passes on 128 + the signal that killed the program.
    ASSERT_TRUE(run.exitCode >= 0 && run.exitCode < 128)
        << "the program crashed (exit " << run.exitCode << "): " << run.errors;
    const bool claimsSuccess =
        run.exitCode == 0 || run.output.find("Success !") != std::string::npos;
    std::printf("[ sweep    ] %-70s exit %d%s\n", label.c_str(), run.exitCode,
                claimsSuccess ? ", success" : "");
    if (!claimsSuccess)
      return;
    try { // a PDF the tools cannot take apart fails this case, not the sweep
      ExpectExactly(expected, pdf, run.output);
    } catch (const std::exception& error) {
      ADD_FAILURE() << error.what();
    }
  }

private:
  static void ExpectExactly(const Expected& expected, const std::string& pdf,
                            const std::string& resultText) {
    ASSERT_FALSE(expected.pages.empty()) << "no page is right, yet: " << resultText;
    auto check = QpdfCheck(pdf);
    ASSERT_TRUE(check.ok) << check.output;
    EXPECT_EQ(PagesTooLarge(pdf), "");
    const std::vector<double> grey = RenderedMeanGrey(pdf);
    const std::vector<Picture> images = PagesOfPdf(pdf, grey.size(), expected.pages);
    if (expected.pageEndsUnmarked) {
      EXPECT_TRUE(Stacked(images) == Stacked(expected.pages))
          << "rows lost, added or wrong: " << Difference(Stacked(images), Stacked(expected.pages));
      return;
    }
    ASSERT_EQ(images.size(), expected.pages.size())
        << "pages lost or added: got " << Sizes(images) << ", want " << Sizes(expected.pages);
    for (std::size_t page = 0; page < images.size(); ++page) {
      const Picture& want = expected.pages[page];
      const Picture& got = images[page];
      if (expected.judgePage) {
        EXPECT_EQ(expected.judgePage(got), "") << "page " << page + 1;
        continue;
      }
      const bool endsEarly = got.height < want.height && got.height >= expected.rowsHeld;
      Picture right = endsEarly ? FirstRows(want, got.height) : want;
      if (page < expected.damagedRows.size())
        TakeRows(right, got, expected.damagedRows[page]);
      EXPECT_TRUE(got == right) << "page " << page + 1 << ": " << Difference(got, right);
      // Inversion shows on pages clearly light or dark; large pages resample
      // to near white at this resolution either way.
      const double mean = MeanGrey(want);
      if (std::size_t(want.width) * want.height < 4000000 && std::abs(mean - 127.5) > 25) {
        EXPECT_NEAR(grey[page], mean, 20.0) << "page " << page + 1 << " inverted?";
      }
    }
  }

  ScratchFolder scratch_;
};

Expected Pages(std::vector<Picture> pages, std::string reason = "") {
  Expected expected;
  expected.pages = std::move(pages);
  expected.reason = std::move(reason);
  return expected;
}

Expected RasterPages(const std::vector<Raster>& rasters, std::string reason = "") {
  std::vector<Picture> pages;
  for (const Raster& raster : rasters)
    pages.push_back(FromRaster(raster));
  return Pages(std::move(pages), std::move(reason));
}

std::string Corpus(const std::string& name) { return CorpusFolder() + "/" + name; }

// The corpus files whose right pages are not the TIFF library's (or, for
// picture files, netpbm's) decoding of the file itself.
std::map<std::string, std::function<Expected()>> CorpusSpecialCases() {
  auto gopher = [] { return NetpbmPages(Corpus("golang_image/bw-gopher.png")); };
  auto groundTruth = [](const char* truth) {
    return [truth] { return Pages(NetpbmPages(Corpus(truth)), "ground truth"); };
  };
  auto storedBottomUp = [] {
    return FlippedRows(NetpbmPages(Corpus("jsummers_bmpsuite/pal1.png"))[0]);
  };
  std::map<std::string, std::function<Expected()>> cases = {
      {"MANIFEST.md", [] { return Pages({}, "text, not a fax"); }},
      {"README.md", [] { return Pages({}, "text, not a fax"); }},
      {"golang_image/bw-gopher.ccitt_group3", [=] { return Pages(gopher(), "ground truth"); }},
      {"golang_image/bw-gopher.ccitt_group4", [=] { return Pages(gopher(), "ground truth"); }},
      {"golang_image/bw-gopher-aligned.ccitt_group3",
       [=] { return Pages(gopher(), "rows byte-aligned after each EOL; the picture is intact"); }},
      {"golang_image/bw-gopher-aligned.ccitt_group4",
       [=] { return Pages(gopher(), "rows byte-aligned; the picture is intact"); }},
      {"golang_image/bw-gopher-truncated0.ccitt_group4",
       [=] { return Pages(gopher(), "only the EOFB is missing: all 55 rows are there"); }},
      {"golang_image/bw-gopher-inverted.ccitt_group3",
       [=] { return Pages({Inverted(gopher()[0])}, "the stream codes the negative"); }},
      {"golang_image/bw-gopher_ccittGroup3.tiff", [=] { return Pages(gopher(), "ground truth"); }},
      {"golang_image/bw-gopher_ccittGroup4.tiff", [=] { return Pages(gopher(), "ground truth"); }},
      {"jsummers_bmpsuite/pal1huff.g3",
       [=] {
         return Pages({storedBottomUp()}, "rows as stored, bottom-up: only the TIFF says so");
       }},
      {"jsummers_bmpsuite/pal1huff.tif",
       [=] { return Pages({storedBottomUp()}, "ground truth; the page, not the image, turns"); }},
      {"golang_image/bmp_1bpp.bmp", groundTruth("golang_image/bmp_1bpp.png")},
      {"python-pillow_Pillow/pal1.bmp", groundTruth("jsummers_bmpsuite/pal1.png")},
      {"python-pillow_Pillow/pal1wb.bmp", groundTruth("jsummers_bmpsuite/pal1.png")},
      // Blue on green: a fax page shows the darker colour as ink.
      {"python-pillow_Pillow/pal1bg.bmp", groundTruth("jsummers_bmpsuite/pal1.png")},
      {"python-pillow_Pillow/g4-fillorder-test.tif",
       groundTruth("python-pillow_Pillow/g4-fillorder-test.png")},
      {"python-pillow_Pillow/hopper_g4_500.tif",
       groundTruth("python-pillow_Pillow/hopper_bw_500.png")},
      {"rgwan_mgetty/test-ref.g3",
       [] {
         auto bytes = ReadBytes(Corpus("rgwan_mgetty/test-ref.g3"));
         return TiffLibraryStreamPages(bytes, 1728, 1728, COMPRESSION_CCITTFAX3, 0,
                                       "the TIFF library's decoding");
       }},
      {"image-rs_image-tiff/g3test.g3",
       [] {
         // The TIFF library runs some bad lines into the next one, so its
         // decoding drifts ahead: the page must hold the 1100 coded lines,
         // all but the 11 with a bad code in step with that decoding.
         Expected expected =
             Pages({Picture{1728, 1100, {}}}, "a received fax with lines damaged in transmission");
         expected.judgePage = [](const Picture& got) -> std::string {
           Raster page(got.width, got.height);
           for (std::size_t i = 0; i < page.pixels.size() && 3 * i < got.rgb.size(); ++i)
             page.pixels[i] = got.rgb[3 * i] < 128;
           const std::uint32_t inPlace = ReceivedFaxRowsInPlace(page);
           if (got.height != 1100 || inPlace < 1085)
             return std::to_string(got.height) + " rows, " + std::to_string(inPlace) + " in place";
           return "";
         };
         return expected;
       }},
      {"haraldk_TwelveMonkeys/645.ccitt",
       [] { return Pages({}, "corrupt from its first rows, no width can be proved"); }},
      {"haraldk_TwelveMonkeys/ccitt_tolessrows.tif",
       [] {
         Expected expected = TiffLibraryPages(Corpus("haraldk_TwelveMonkeys/ccitt_tolessrows.tif"),
                                              "the data holds 4 of the 6 rows: the rest is paper");
         expected.rowsHeld = 4;
         return expected;
       }},
      {"haraldk_TwelveMonkeys/incorrect-compression-rle-as-g3.tif",
       [] {
         auto strip = ReadRawStrips(Corpus("haraldk_TwelveMonkeys/"
                                           "incorrect-compression-rle-as-g3.tif"))[0];
         return Pages({GhostscriptRowsWithoutEol(strip, 1700, 32)},
                      "tagged Group 3 but coded as rows with no EOL: ghostscript's decoding");
       }},
  };
  for (const char* coding : {"fax3", "fax3-fillbits", "fax3-lsb"})
    cases["image-rs_image-tiff/seq-1c-1b-" + std::string(coding) + "-71f6a21a.tiff"] = [] {
      return TiffLibraryPages(Corpus("image-rs_image-tiff/seq-1c-1b-71f6a21a.tiff"),
                              "ground truth");
    };
  for (int chart = 1; chart <= 8; ++chart) {
    const std::string n = std::to_string(chart);
    cases["chai2010_tiff/CCITT_" + n + ".TIF"] = [n] {
      return Pages(NetpbmPages(Corpus("freeswitch_spandsp/itu" + n + ".pbm")), "ground truth");
    };
  }
  return cases;
}

bool IsTiffName(const std::string& name) {
  std::string lower = name;
  std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
  return lower.ends_with(".tif") || lower.ends_with(".tiff");
}

// Group 4 pages one after another with no EOFB between them, as a device
// that writes page after page does: the bits of each page's coded rows,
// then a single EOFB at the end.
std::vector<std::uint8_t> Group4WithoutPageEnds(const std::vector<Raster>& pages) {
  std::vector<std::uint8_t> out;
  std::size_t bits = 0;
  auto put = [&](bool bit) {
    if (bits % 8 == 0)
      out.push_back(0);
    if (bit)
      out.back() = static_cast<std::uint8_t>(out.back() | (0x80 >> (bits % 8)));
    ++bits;
  };
  auto bitAt = [](const std::vector<std::uint8_t>& bytes, std::size_t i) {
    return (bytes[i / 8] >> (7 - i % 8)) & 1;
  };
  for (const Raster& page : pages) {
    const auto coded = LibTiffStream(page, 7);
    std::size_t end = coded.size() * 8; // just past the EOFB's last bit
    while (end > 0 && !bitAt(coded, end - 1))
      --end;
    for (std::size_t i = 0; i + 24 < end; ++i)
      put(bitAt(coded, i));
  }
  for (int eol = 0; eol < 2; ++eol)
    for (int i = 0; i < 12; ++i)
      put(i == 11);
  return out;
}

std::vector<std::uint8_t> Concatenated(const std::vector<std::vector<std::uint8_t>>& parts) {
  std::vector<std::uint8_t> all;
  for (const auto& part : parts)
    Append(all, part);
  return all;
}

std::vector<std::uint8_t> EndedByRtc(const std::vector<Raster>& pages, int coding) {
  std::vector<std::uint8_t> stream;
  for (const Raster& page : pages) {
    Append(stream, LibTiffStream(page, coding));
    Append(stream, ReturnToControl(coding == 6));
  }
  return stream;
}

// A page inked across its whole width except for a top band that has no ink
// right of 1728: the width must come from the rows that reach it.
Raster InkOnlyLeftOf1728AtTheTop(std::uint32_t width) {
  Raster page = NoisePage(width, 400, 0.03, 51);
  for (std::uint32_t y = 0; y < 150; ++y)
    for (std::uint32_t x = 1728; x < width; ++x)
      page.set(x, y, false);
  page.set(0, 0);
  return page;
}

TiffPageSpec Bilevel(Raster raster, std::uint16_t compression, std::uint32_t options = 0) {
  TiffPageSpec page;
  page.raster = std::move(raster);
  page.compression = compression;
  page.group3Options = options;
  return page;
}

struct RawCase {
  std::string label, fileName;
  std::vector<std::uint8_t> bytes;
  Expected expected;
  std::vector<std::string> options = {};
};

std::vector<RawCase> RawStreamCases() {
  const Raster a = TextLikePage(1728, 1000, 61), b = TextLikePage(1728, 1000, 62),
               c = TextLikePage(1728, 1500, 63);
  const Raster wideA = TextLikePage(2048, 700, 64), wideB = TextLikePage(2048, 600, 65);
  const Raster widest = TextLikePage(2432, 500, 66);
  const Raster inked[] = {InkedPage(1728, 400, 67), InkedPage(1728, 500, 68),
                          InkedPage(1728, 450, 69)};
  // Multi-page Group 4 streams carry the start marker of fax files, so that
  // they try what follows the start rather than finding it.
  const std::vector<std::uint8_t> marker = {0xFF, 0xFF};
  std::vector<std::uint8_t> extension = Concatenated({marker, LibTiffStream(inked[0], 7)});
  extension.push_back(0x02); // 0000001 0: an extension code between two pages
  Append(extension, LibTiffStream(inked[1], 7));
  Append(extension, LibTiffStream(inked[2], 7));
  std::vector<std::uint8_t> damaged = LibTiffStream(inked[1], 7);
  for (std::size_t i = damaged.size() / 2; i < damaged.size() / 2 + 4; ++i)
    damaged[i] = static_cast<std::uint8_t>(~damaged[i]);
  const Raster odd1840 = InkedPage(1840, 300, 70), odd2453 = InkedPage(2453, 300, 71);
  const Raster topLeft2048 = InkOnlyLeftOf1728AtTheTop(2048),
               topLeft2432 = InkOnlyLeftOf1728AtTheTop(2432);
  // The first page is inked from its first row: white rows right behind the
  // start marker are 0xFF bytes too, and no reader can tell them from it.
  Expected unmarked = RasterPages({inked[0], b}, "no EOFB between the pages");
  unmarked.pageEndsUnmarked = true;
  const TiffPageSpec bigEndianPage = Bilevel(TextLikePage(1728, 500, 72), COMPRESSION_CCITTFAX3);
  ScratchFolder scratch;
  WriteTiffFile(scratch / "be.tif", {bigEndianPage, bigEndianPage}, true);

  return {
      {"G3 1-D: pages of 1000, 1000 and 1500 rows, each ended by RTC", "pages.g3",
       EndedByRtc({a, b, c}, 5), RasterPages({a, b, c})},
      {"the same at 400 lines per inch (/v=4)",
       "pages.g3",
       EndedByRtc({a, b, c}, 5),
       RasterPages({a, b, c}),
       {"/v=4"}},
      {"G3 2-D at 2048: two pages ended by RTC", "wide.g3", EndedByRtc({wideA, wideB}, 6),
       RasterPages({wideA, wideB})},
      {"G3 1-D at 2432: one page ended by RTC", "widest.g3", EndedByRtc({widest}, 5),
       RasterPages({widest})},
      {"G3 1-D: two 1728 pages, then two 2048 pages, each ended by RTC", "widths.g3",
       EndedByRtc({a, b, wideA, wideB}, 5), RasterPages({a, b, wideA, wideB})},
      {"G4: three pages, each ended by EOFB", "eofb.g3",
       Concatenated({marker, LibTiffStream(inked[0], 7), LibTiffStream(inked[1], 7),
                     LibTiffStream(inked[2], 7)}),
       RasterPages({inked[0], inked[1], inked[2]})},
      {"G4: three pages with EOFB, an extension code after page 1", "extension.g3", extension,
       RasterPages({inked[0], inked[1], inked[2]})},
      {"G4: FF FF 02 before a page", "marked.g3",
       Concatenated({{0xFF, 0xFF, 0x02}, LibTiffStream(inked[0], 7)}), RasterPages({inked[0]})},
      {"G4: three pages, page 2 damaged in the middle", "damaged.g3",
       Concatenated({marker, LibTiffStream(inked[0], 7), damaged, LibTiffStream(inked[2], 7)}),
       RasterPages({inked[0], inked[1], inked[2]}, "page 2's rows after the damage are lost")},
      {"G4: pages without EOFB between them", "unmarked.g3",
       Concatenated({marker, Group4WithoutPageEnds({inked[0], b})}), unmarked},
      {"G4 from the first byte, width 1840", "first1840.g3", LibTiffStream(odd1840, 7),
       RasterPages({odd1840})},
      {"G4 from the first byte, width 2453", "first2453.g3", LibTiffStream(odd2453, 7),
       RasterPages({odd2453})},
      {"G4 at 2048 behind FF FF, no ink past 1728 in the top rows", "top2048.g3",
       Concatenated({marker, LibTiffStream(topLeft2048, 7)}), RasterPages({topLeft2048})},
      {"G4 at 2432 from the first byte, no ink past 1728 in the top rows", "top2432.g3",
       LibTiffStream(topLeft2432, 7), RasterPages({topLeft2432})},
      {"netpbm's pbmtog3, two pages one after the other", "pbmtog3.g3",
       Concatenated({PbmToG3(a, false), PbmToG3(b, false)}), RasterPages({a, b})},
      {"G3 1-D, least significant bit first, two pages", "reversed.g3",
       ReverseBits(EndedByRtc({a, b}, 5)), RasterPages({a, b})},
      {"big-endian two-page Group 3 TIFF named .g3f", "bigendian.g3f",
       ReadBytes(scratch / "be.tif"), TiffLibraryPages(scratch / "be.tif")},
  };
}

// Gives a tag of the first directory of a little-endian TIFF another number,
// which takes the tag out of the file; the new number must keep the order.
void RenameTag(std::vector<std::uint8_t>& file, std::uint16_t tag, std::uint16_t newTag) {
  const std::size_t directory = DirectoryOffset(file, 0);
  const std::size_t entries = file.at(directory) | file.at(directory + 1) << 8;
  for (std::size_t entry = directory + 2; entry < directory + 2 + 12 * entries; entry += 12)
    if ((file.at(entry) | file.at(entry + 1) << 8) == tag) {
      file[entry] = static_cast<std::uint8_t>(newTag & 0xFF);
      file[entry + 1] = static_cast<std::uint8_t>(newTag >> 8);
      return;
    }
  throw std::runtime_error("no such tag to rename");
}

using Damage = std::function<void(std::vector<std::uint8_t>&)>;

struct TiffCase {
  TiffCase(std::string label, std::vector<TiffPageSpec> pages, bool bigEndian = false,
           Damage damage = nullptr)
      : label(std::move(label)), pages(std::move(pages)), bigEndian(bigEndian),
        damage(std::move(damage)) {}
  std::string label;
  std::vector<TiffPageSpec> pages;
  bool bigEndian;
  Damage damage; // done to the written file; the right pages are still those written
};

TiffPageSpec Samples(std::uint32_t width, std::uint32_t height, std::uint16_t samplesPerPixel,
                     std::uint16_t photometric, std::uint16_t extraSamples = 0) {
  TiffPageSpec page;
  page.compression = COMPRESSION_LZW;
  page.photometric = photometric;
  page.sampleWidth = width;
  page.sampleHeight = height;
  page.bitsPerSample = 8;
  page.samplesPerPixel = samplesPerPixel;
  page.extraSamples = extraSamples;
  page.samples = PatternBytes(std::size_t(width) * height * samplesPerPixel, samplesPerPixel);
  return page;
}

// The fourth sample means nothing: the page is its RGB samples as they stand.
TiffPageSpec RgbWithUnspecifiedExtra(std::uint32_t width, std::uint32_t height) {
  TiffPageSpec page = Samples(width, height, 4, PHOTOMETRIC_RGB, 1);
  page.moreTags = [](TIFF* tif) {
    const std::uint16_t kind = EXTRASAMPLE_UNSPECIFIED;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &kind);
  };
  return page;
}

// Grey samples premultiplied by their alpha, as associated alpha requires.
TiffPageSpec PremultipliedGreyAlpha(std::uint32_t width, std::uint32_t height) {
  TiffPageSpec page = Samples(width, height, 2, PHOTOMETRIC_MINISBLACK, 1);
  for (std::size_t i = 0; i + 1 < page.samples.size(); i += 2)
    page.samples[i] = static_cast<std::uint8_t>(page.samples[i] * page.samples[i + 1] / 255);
  return page;
}

std::vector<TiffCase> TiffCases() {
  const Raster odd = TextLikePage(1001, 300, 81), second = TextLikePage(1001, 280, 82);
  const Raster fax = TextLikePage(1728, 600, 83);
  TiffPageSpec stripped = Bilevel(second, COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING);
  stripped.rowsPerStrip = 64;
  TiffPageSpec lsbFirst = Bilevel(fax, COMPRESSION_NONE);
  lsbFirst.fillOrder = FILLORDER_LSB2MSB;
  TiffPageSpec thumbnail = Bilevel(TextLikePage(200, 100, 84), COMPRESSION_CCITTFAX4);
  thumbnail.subfileType = FILETYPE_REDUCEDIMAGE;
  const std::vector<TiffPageSpec> threeG4 = {Bilevel(fax, COMPRESSION_CCITTFAX4),
                                             Bilevel(odd, COMPRESSION_CCITTFAX4),
                                             Bilevel(second, COMPRESSION_CCITTFAX4)};
  return {
      {"G3 1-D, G3 2-D in strips and G4 pages, width 1001",
       {Bilevel(odd, COMPRESSION_CCITTFAX3), stripped, Bilevel(odd, COMPRESSION_CCITTFAX4)}},
      {"big-endian G4 pages", threeG4, true},
      {"the last directory lies past the end of the file", threeG4, false,
       [](auto& file) { file.resize(DirectoryOffset(file, 2)); }},
      {"cut in the middle of the last directory", threeG4, false,
       [](auto& file) { file.resize(DirectoryOffset(file, 2) + 40); }},
      {"only the final next-directory field is missing", threeG4, false,
       [](auto& file) { file.resize(file.size() - 4); }},
      {"a G4 page, then an 8-bit LZW grey page",
       {Bilevel(fax, COMPRESSION_CCITTFAX4), Samples(300, 200, 1, PHOTOMETRIC_MINISBLACK)}},
      {"a G4 page, then an uncompressed FillOrder 2 page",
       {Bilevel(odd, COMPRESSION_CCITTFAX4), lsbFirst}},
      {"every directory a thumbnail", {thumbnail, thumbnail}},
      {"a G4 page without PhotometricInterpretation",
       {Bilevel(fax, COMPRESSION_CCITTFAX4)},
       false,
       [](auto& file) { RenameTag(file, TIFFTAG_PHOTOMETRIC, TIFFTAG_CELLWIDTH); }},
      {"grey with associated alpha", {PremultipliedGreyAlpha(200, 150)}},
      {"RGB with an unspecified extra sample", {RgbWithUnspecifiedExtra(200, 150)}},
  };
}

} // namespace

TEST(Sweep, EveryCorpusFileIsRightOrVisiblyFailed) {
  REQUIRE_CORPUS();
  Sweep sweep;
  ScratchFolder scratch;
  const auto special = CorpusSpecialCases();
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(CorpusFolder()))
    if (entry.is_regular_file())
      names.push_back(std::filesystem::relative(entry.path(), CorpusFolder()).string());
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    const auto found = special.find(name);
    const bool tiff = IsTiffName(name);
    Expected expected;
    if (found != special.end())
      expected = found->second();
    else if (tiff)
      expected = TiffLibraryPages(Corpus(name));
    else
      expected = Pages(NetpbmPages(Corpus(name)), "a picture file: netpbm's decoding");
    sweep.Check(name, Corpus(name), expected);
    if (tiff) { // the same file on the fax road, as a fax program's TIFF document
      std::filesystem::copy_file(Corpus(name), scratch / "document.fmf",
                                 std::filesystem::copy_options::overwrite_existing);
      sweep.Check(name + " as .fmf", scratch / "document.fmf", expected);
    }
  }
}

TEST(Sweep, EveryGeneratedFixtureIsRightOrVisiblyFailed) {
  Sweep sweep;
  ScratchFolder scratch;
  for (const RawCase& c : RawStreamCases()) {
    WriteFile(scratch / c.fileName, c.bytes);
    sweep.Check(c.label, scratch / c.fileName, c.expected, c.options);
  }
  for (const TiffCase& c : TiffCases()) {
    WriteTiffFile(scratch / "written.tif", c.pages, c.bigEndian);
    const Expected expected = TiffLibraryPages(scratch / "written.tif");
    std::vector<std::uint8_t> file = ReadBytes(scratch / "written.tif");
    if (c.damage)
      c.damage(file);
    for (const char* name : {"fixture.tif", "fixture.fmf"}) {
      WriteFile(scratch / name, file);
      sweep.Check(c.label + " (" + name + ")", scratch / name, expected);
    }
  }
}
