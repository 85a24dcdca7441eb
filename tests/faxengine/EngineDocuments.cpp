#include "EngineDocuments.h"

#include "support/Scratch.h"
#include "support/Tools.h"

#include <algorithm>
#include <stdexcept>

namespace testing_support {

std::uint32_t TiffTag(const std::string& path, int directory, std::uint32_t tag) {
  TIFF* tif = TIFFOpen(path.c_str(), "r");
  if (!tif)
    throw std::runtime_error("cannot open " + path);
  std::uint32_t value = 0;
  if (TIFFSetDirectory(tif, static_cast<tdir_t>(directory))) {
    std::uint16_t shortValue = 0;
    float floatValue = 0;
    if (tag == TIFFTAG_XRESOLUTION || tag == TIFFTAG_YRESOLUTION) {
      TIFFGetField(tif, tag, &floatValue);
      value = static_cast<std::uint32_t>(floatValue + 0.5f);
    } else if (tag == TIFFTAG_IMAGEWIDTH || tag == TIFFTAG_IMAGELENGTH) {
      TIFFGetField(tif, tag, &value);
    } else {
      TIFFGetFieldDefaulted(tif, tag, &shortValue);
      value = shortValue;
    }
  }
  TIFFClose(tif);
  return value;
}

Raster TwoColourPicture(const PnmImage& image) {
  if (image.kind != '6')
    return image.ToRaster();
  auto luma = [&](std::size_t pixel) {
    return 299 * image.samples[3 * pixel] + 587 * image.samples[3 * pixel + 1] +
           114 * image.samples[3 * pixel + 2];
  };
  Raster raster(image.width, image.height);
  int darkest = 255000, lightest = 0;
  for (std::size_t i = 0; i < raster.pixels.size(); ++i) {
    darkest = std::min(darkest, luma(i));
    lightest = std::max(lightest, luma(i));
  }
  // One colour alone is paper.
  for (std::size_t i = 0; i < raster.pixels.size(); ++i)
    raster.pixels[i] = darkest != lightest && luma(i) == darkest;
  return raster;
}

void WritePbm(const std::string& path, const Raster& picture) {
  std::string pbm =
      "P4\n" + std::to_string(picture.width) + " " + std::to_string(picture.height) + "\n";
  for (std::uint8_t byte : picture.PackedRows(true))
    pbm.push_back(static_cast<char>(byte));
  WriteFile(path, pbm);
}

Raster PictureByImageMagick(const std::string& imagePath, const std::string& scratchFile) {
  auto run = RunTool({"/usr/bin/convert", imagePath, "ppm:" + scratchFile});
  if (run.exitCode != 0)
    throw std::runtime_error("convert failed on " + imagePath + ": " + run.errors);
  return TwoColourPicture(ReadPnm(scratchFile));
}

} // namespace testing_support
