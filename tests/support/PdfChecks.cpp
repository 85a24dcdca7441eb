#include "support/PdfChecks.h"

#include "support/Scratch.h"
#include "support/Tools.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <stdexcept>

namespace testing_support {

namespace {

std::vector<std::string> FilesWithPrefix(const std::string& folder, const std::string& prefix) {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.path().filename().string().rfind(prefix, 0) == 0)
      files.push_back(entry.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

// Skips white space and comments between PNM header fields.
void SkipFiller(std::istringstream& in) {
  for (;;) {
    int c = in.peek();
    if (c == '#') {
      std::string ignored;
      std::getline(in, ignored);
    } else if (c == ' ' || c == '\n' || c == '\r' || c == '\t') {
      in.get();
    } else {
      return;
    }
  }
}

} // namespace

CheckResult QpdfCheck(const std::string& pdfPath) {
  auto run = RunTool({"qpdf", "--check", pdfPath});
  return {run.exitCode == 0, run.output + run.errors};
}

Raster PnmImage::ToRaster() const {
  Raster raster(width, height);
  for (std::size_t i = 0; i < raster.pixels.size(); ++i) {
    if (kind == '4')
      raster.pixels[i] = samples[i];
    else if (kind == '5')
      raster.pixels[i] = samples[i] < 128;
    else
      raster.pixels[i] = (samples[3 * i] + samples[3 * i + 1] + samples[3 * i + 2]) < 3 * 128;
  }
  return raster;
}

PnmImage ReadPnm(const std::string& path) {
  std::istringstream in(ReadFile(path));
  PnmImage image;
  std::string magic;
  in >> magic;
  if (magic.size() != 2 || magic[0] != 'P' ||
      (magic[1] != '4' && magic[1] != '5' && magic[1] != '6'))
    throw std::runtime_error("not a binary PNM file: " + path);
  image.kind = magic[1];
  SkipFiller(in);
  in >> image.width;
  SkipFiller(in);
  in >> image.height;
  int maxValue = 1;
  if (image.kind != '4') {
    SkipFiller(in);
    in >> maxValue;
  }
  in.get(); // the single white-space character before the data
  const std::size_t pixels = std::size_t(image.width) * image.height;
  if (image.kind == '4') {
    const std::size_t rowBytes = (image.width + 7) / 8;
    std::string packed(rowBytes * image.height, '\0');
    in.read(packed.data(), static_cast<std::streamsize>(packed.size()));
    image.samples.resize(pixels);
    for (std::uint32_t y = 0; y < image.height; ++y)
      for (std::uint32_t x = 0; x < image.width; ++x)
        image.samples[std::size_t(y) * image.width + x] =
            (static_cast<std::uint8_t>(packed[y * rowBytes + x / 8]) >> (7 - x % 8)) & 1;
  } else {
    std::string data(pixels * (image.kind == '6' ? 3 : 1), '\0');
    in.read(data.data(), static_cast<std::streamsize>(data.size()));
    image.samples.assign(data.begin(), data.end());
  }
  if (!in)
    throw std::runtime_error("truncated PNM file: " + path);
  return image;
}

std::vector<PnmImage> ExtractImages(const std::string& pdfPath) {
  ScratchFolder scratch;
  auto run = RunTool({"pdfimages", pdfPath, scratch / "img"});
  if (run.exitCode != 0)
    throw std::runtime_error("pdfimages failed: " + run.errors);
  std::vector<PnmImage> images;
  for (const auto& file : FilesWithPrefix(scratch.path(), "img"))
    images.push_back(ReadPnm(file));
  return images;
}

std::vector<double> RenderedMeanGrey(const std::string& pdfPath, int dpi, bool useMuPdf) {
  ScratchFolder scratch;
  ToolRun run;
  if (useMuPdf)
    run = RunTool({"mutool", "draw", "-q", "-r", std::to_string(dpi), "-c", "gray", "-o",
                   scratch / "page-%04d.pgm", pdfPath});
  else
    run = RunTool({"pdftoppm", "-gray", "-r", std::to_string(dpi), pdfPath, scratch / "page"});
  if (run.exitCode != 0)
    throw std::runtime_error("rendering failed: " + run.errors);
  std::vector<double> means;
  for (const auto& file : FilesWithPrefix(scratch.path(), "page")) {
    PnmImage page = ReadPnm(file);
    double sum = 0;
    for (auto s : page.samples)
      sum += s;
    means.push_back(page.samples.empty() ? 0 : sum / double(page.samples.size()));
  }
  return means;
}

double ExpectedMeanGrey(const Raster& raster) { return 255.0 * (1.0 - raster.BlackFraction()); }

void ExpectPdfShowsPages(const std::string& pdfPath, const std::vector<Raster>& pages) {
  const CheckResult check = QpdfCheck(pdfPath);
  EXPECT_TRUE(check.ok) << check.output;
  const std::vector<PnmImage> images = ExtractImages(pdfPath);
  ASSERT_EQ(images.size(), pages.size());
  for (std::size_t page = 0; page < pages.size(); ++page)
    EXPECT_TRUE(images[page].ToRaster() == pages[page]) << "page " << page + 1;
  const std::vector<double> grey = RenderedMeanGrey(pdfPath);
  ASSERT_EQ(grey.size(), pages.size());
  for (std::size_t page = 0; page < pages.size(); ++page)
    EXPECT_NEAR(grey[page], ExpectedMeanGrey(pages[page]), 20.0) << "page " << page + 1;
}

} // namespace testing_support
