#include "faxengine/ProbedPage.h"

#include "faxengine/CodedPage.h"
#include "faxformats/FaxStreamDetector.h"

#include <algorithm>
#include <climits>

namespace {

// The rows a page is given room for: what its container allows, but never
// more than its data can code (every coded line takes at least one bit: a
// white T.6 line under a white one is a single V0 code) or a raster holds.
std::int32_t RowLimit(std::uint32_t maxRows, std::size_t dataBytes, std::int32_t width) {
  const std::uint64_t bytesPerRow = width > 0 ? (std::uint64_t(width) + 7) / 8 : 1;
  return std::int32_t(std::min<std::uint64_t>(
      {maxRows, std::uint64_t(dataBytes) * 8, kMaxRasterBytes / bytesPerRow, INT32_MAX}));
}

} // namespace

bool ProbedPageDecoder::Decode(const ProbedPageSource& source, const ConversionSettings& settings,
                               PageRaster& raster) {
  used_ = nullptr;
  coded_ = {};
  const std::span<const std::uint8_t> data = source.data;
  if (data.empty())
    return false;
  StreamCoding found;
  group3_.Initialise(data.data(), std::uint32_t(data.size()), kMsbFirst, kCodingT4OneD, 0);
  if (ProbeCoding(group3_, settings.Threshold, found) == 0) {
    group3_.SetBitOrder(found.bitOrder);
    group3_.SetCodingCode(found.codingCode);
    return DecodeFound(group3_, data, found.width, source, raster);
  }
  if (source.codings == ProbedCodings::Group3Only)
    return false;
  group4_.Initialise(data.data(), std::uint32_t(data.size()), kMsbFirst, kCodingT6, 0);
  group4_.SetOptions(0);
  group4_.SetStartMarkerCount(settings.FlagNum);
  if (ProbeGroup4(group4_, settings.Threshold, found) != 0)
    return false;
  // Decoded from the first byte of its marker run, the marker's 0xFF bytes
  // are white lines (V0 codes), for this decoder and for any reader of the
  // TIFF alike: the page keeps every row and its coded bytes stay unchanged.
  const std::span<const std::uint8_t> coded = data.subspan(found.start);
  group4_.Initialise(coded.data(), std::uint32_t(coded.size()), found.bitOrder, kCodingT6, 0);
  return DecodeFound(group4_, coded, found.width, source, raster);
}

bool ProbedPageDecoder::DecodeFound(FaxDecoder& decoder, std::span<const std::uint8_t> coded,
                                    std::int32_t probedWidth, const ProbedPageSource& source,
                                    PageRaster& raster) {
  const std::int32_t width = source.width.value_or(probedWidth);
  decoder.SetSize(width, RowLimit(source.maxRows, coded.size(), width));
  decoder.DecodePage(raster);
  if (raster.height == 0)
    return false;
  raster.xResolution = source.xResolution;
  raster.yResolution = source.yResolution;
  raster.resolutionUnit = 2;
  used_ = &decoder;
  coded_ = coded;
  return true;
}

bool ProbedPageDecoder::TiffPage(const PageRaster& raster, FaxTiffPage& page) const {
  if (!used_ || !PageFromDecoding(*used_, raster, coded_, page))
    return false;
  page.xResolution = raster.xResolution;
  page.yResolution = raster.yResolution;
  page.resolutionUnit = raster.resolutionUnit;
  return true;
}

void DecodeProbedPage(const ProbedPageLocator& locate, std::uint16_t index,
                      const ConversionSettings& settings, PageRaster& raster) {
  if (std::optional<ProbedPageSource> source = locate(index))
    ProbedPageDecoder().Decode(*source, settings, raster);
}

int WriteProbedPages(const std::string& outputPath, std::uint16_t pageCount,
                     const ConversionSettings& settings, const ProbedPageLocator& locate) {
  ProbedPageDecoder decoder;
  PageRaster raster;
  return WriteFaxPages(outputPath, pageCount, [&](std::uint16_t index, FaxTiffPage& page) {
    std::optional<ProbedPageSource> source = locate(index);
    raster = PageRaster();
    return source && decoder.Decode(*source, settings, raster) && decoder.TiffPage(raster, page);
  });
}

void ProbedContainerReader::DecodePage(std::uint16_t index, PageRaster& raster,
                                       const ConversionSettings& settings) {
  DecodeProbedPage([this](std::uint16_t page) { return LocatePage(page); }, index, settings,
                   raster);
}

int ProbedContainerReader::WritePages(const std::string& outputPath,
                                      const ConversionSettings& settings) {
  return WriteProbedPages(outputPath, PageCount(), settings,
                          [this](std::uint16_t page) { return LocatePage(page); });
}
