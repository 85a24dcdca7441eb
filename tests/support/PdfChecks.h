// Checks of produced PDF files with tools nobody here wrote: qpdf for the
// structure, poppler's pdfimages for the embedded images (each decoded with
// its own parameters), pdftoppm and MuPDF for low-resolution renders.
#pragma once

#include "support/TiffFixtures.h"

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

struct CheckResult {
  bool ok = false;
  std::string output;
};

// qpdf --check: the cross-reference table, objects and streams are sound.
CheckResult QpdfCheck(const std::string& pdfPath);

// A decoded picture from a PNM file: P4 (bilevel), P5 (gray) or P6 (RGB).
struct PnmImage {
  char kind = 0; // '4', '5' or '6'
  std::uint32_t width = 0, height = 0;
  std::vector<std::uint8_t> samples; // P4: one byte per pixel, 1 = black; P5: gray; P6: RGB triples
  // The bilevel content as a Raster (P4, or P5 thresholded at 128).
  Raster ToRaster() const;
};

PnmImage ReadPnm(const std::string& path);

// Every image of the PDF in document order, as pdfimages decodes them.
std::vector<PnmImage> ExtractImages(const std::string& pdfPath);

// Mean grey (0 black .. 255 white) of each page rendered at a low resolution
// by pdftoppm (MuPDF's mutool when useMuPdf).
std::vector<double> RenderedMeanGrey(const std::string& pdfPath, int dpi = 24,
                                     bool useMuPdf = false);

// The mean grey the page of a raster should show (255 for all white).
double ExpectedMeanGrey(const Raster& raster);

// Expects a sound PDF (qpdf) whose images are the pages pixel for pixel
// (pdfimages) and whose pages render with the pages' own grey (not inverted).
void ExpectPdfShowsPages(const std::string& pdfPath, const std::vector<Raster>& pages);

} // namespace testing_support
