// Turns one fax document of any supported kind into a normalised bilevel
// TIFF. One engine per document; the single-file conversion drives it.
#pragma once

#include "faxengine/ConversionSettings.h"
#include "faxengine/FaxDocInfo.h"
#include "faxengine/FaxFormat.h"
#include "faxengine/FaxFormatReader.h"
#include "faxformats/PageRaster.h"

#include <cstdint>
#include <memory>
#include <string>

class FaxEngine {
public:
  FaxEngine();
  ~FaxEngine();
  FaxEngine(const FaxEngine&) = delete;
  FaxEngine& operator=(const FaxEngine&) = delete;

  void SetSettings(const ConversionSettings& settings);
  const ConversionSettings& Settings() const;

  // Opens and examines the document; -1 when it cannot be opened,
  // kEngineWorkFileFailed when a work file cannot be written, else 0.
  int Identify(const std::string& path, FaxFormat faxFormat);
  // True when page 1 decoded to at least one pixel and one line.
  bool IsFax() const;
  // Picks up the document's optional texts (sidecar file for some formats).
  void ReadDocInfo(const std::string& path, FaxFormat faxFormat);
  // Writes every page; 0 on success.
  int WriteTiff(const std::string& outputPath, FaxFormat faxFormat);
  void CloseAll();

  // Decodes page index (0-based) of the identified document into Raster().
  int DecodePage(std::uint16_t index);
  const PageRaster& Raster() const { return raster_; }
  const FaxDocInfo& DocInfo() const;

private:
  ConversionSettings settings_;
  FaxDocInfo docInfo_;
  bool recognised_ = false;
  FaxFormat faxFormat_ = FaxFormat::Raw;
  std::unique_ptr<FaxFormatReader> reader_;
  PageRaster raster_;
};
