// Pages of fax-program containers that do not say how their data is coded:
// the coding, bit order and width are found by trial decoding (a Group 3
// probe, then for some containers a Group 4 probe), and the page is decoded
// and written the way the probe found it.
#pragma once

#include "faxengine/ConversionSettings.h"
#include "faxengine/FaxTiffWriter.h"
#include "faxengine/FormatFileReader.h"
#include "faxformats/FaxDecoder.h"
#include "faxformats/PageRaster.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

enum class ProbedCodings { Group3Only, Group3ThenGroup4 };

// One page as its container locates and describes it.
struct ProbedPageSource {
  std::span<const std::uint8_t> data;
  ProbedCodings codings = ProbedCodings::Group3ThenGroup4;
  // The width the container states; without one, the width the probe found.
  std::optional<std::int32_t> width;
  std::uint32_t maxRows = 0;
  std::uint16_t xResolution = 200;
  std::uint16_t yResolution = 200;
};

class ProbedPageDecoder {
public:
  // Probes the page's coding with the Threshold and FlagNum settings and
  // decodes it into raster. False when no probe recognises the data or no
  // line decodes; raster is then empty or holds no line.
  bool Decode(const ProbedPageSource& source, const ConversionSettings& settings,
              PageRaster& raster);
  // The page of the last Decode, as the TIFF takes it (see PageFromDecoding).
  bool TiffPage(const PageRaster& raster, FaxTiffPage& page) const;

private:
  // Decodes coded as the probe found it, at the container's width if it
  // states one.
  bool DecodeFound(FaxDecoder& decoder, std::span<const std::uint8_t> coded,
                   std::int32_t probedWidth, const ProbedPageSource& source, PageRaster& raster);

  FaxDecoder group3_;
  FaxG4Decoder group4_;
  const FaxDecoder* used_ = nullptr;
  std::span<const std::uint8_t> coded_;
};

// Where page index lies and what its container says of it; nothing when the
// page cannot be located inside the file.
using ProbedPageLocator = std::function<std::optional<ProbedPageSource>(std::uint16_t index)>;

// Decodes page index into raster; raster is left as it was when the page
// cannot be located.
void DecodeProbedPage(const ProbedPageLocator& locate, std::uint16_t index,
                      const ConversionSettings& settings, PageRaster& raster);

// Writes pageCount pages into one TIFF (see WriteFaxPages): 0, or
// kFaxPageUnreadable as soon as a page cannot be located, probed or written
// whole, kFaxOutputUnwritable when the output fails.
int WriteProbedPages(const std::string& outputPath, std::uint16_t pageCount,
                     const ConversionSettings& settings, const ProbedPageLocator& locate);

// The containers whose pages are probed: each says only where a page lies
// and what it states of it; decoding and writing are the same for all.
class ProbedContainerReader : public FormatFileReader {
public:
  void DecodePage(std::uint16_t index, PageRaster& raster,
                  const ConversionSettings& settings) final;

private:
  int WritePages(const std::string& outputPath, const ConversionSettings& settings) final;
  // Where page index lies and what the container says of it; nothing when
  // it cannot be located inside the file.
  virtual std::optional<ProbedPageSource> LocatePage(std::uint16_t index) const = 0;
};
