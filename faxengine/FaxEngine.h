// Turns one fax document of any supported kind into a normalised bilevel
// TIFF. One engine per document; the single-file conversion drives it.
#pragma once

#include "faxengine/ConversionSettings.h"
#include "faxengine/FaxDocInfo.h"
#include "faxformats/PageRaster.h"

#include <cstdint>
#include <memory>
#include <string>

// Identify's result when a work file could not be written: the document
// could not be examined, which is an error, not a verdict of "not a fax".
inline constexpr int kEngineWorkFileFailed = -2;

// What the engine asks of the reader of one FaxFormat. Each format gets one
// entry in the engine's dispatch (FaxEngine.cpp) that makes its reader.
class FaxFormatReader {
public:
  virtual ~FaxFormatReader() = default;
  // Opens and recognises the document: -1 when the file cannot be opened,
  // kEngineWorkFileFailed when a work file cannot be written, else 0, with
  // the page count in settings.pageCount and recognised set from the
  // reader's own verdict.
  virtual int Identify(const std::string& path, ConversionSettings& settings, bool& recognised) = 0;
  // Fills raster with page index; leaves it empty when the page cannot be
  // decoded.
  virtual void DecodePage(std::uint16_t index, PageRaster& raster,
                          const ConversionSettings& settings) = 0;
  // Writes every page into one TIFF at outputPath; 0 when all were written.
  virtual int WriteTiff(const std::string& outputPath, const ConversionSettings& settings,
                        const PageRaster& firstPage) = 0;
  // Readers that can also write one TIFF per page (tiffOutputMode 1) say so
  // and write them, named by PerPageTiffPath.
  virtual bool WritesPerPage() const { return false; }
  virtual int WriteTiffPerPage(const std::string&, const ConversionSettings&) { return -1; }
  // Document texts some formats carry in the file itself.
  virtual void ReadDocInfo(std::uint16_t /*page*/, FaxDocInfo& /*info*/) {}
  virtual void Close() = 0;
};

// Name of the per-page TIFF for page index (0-based) of outputPath: the
// extension of the file name (never a dot in a folder name) replaced by the
// page number in at least three digits and ".tif" ("fax.tmp" -> "fax001.tif").
std::string PerPageTiffPath(const std::string& outputPath, std::uint16_t index);

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
  int Identify(const std::string& path, int faxFormat);
  // True when page 1 decoded to at least one pixel and one line.
  bool IsFax() const;
  // Picks up the document's optional texts (sidecar file for some formats).
  void ReadDocInfo(const std::string& path, int faxFormat);
  // Writes every page; 0 on success.
  int WriteTiff(const std::string& outputPath, int faxFormat);
  void CloseAll();

  // Decodes page index (0-based) of the identified document into Raster().
  int DecodePage(std::uint16_t index);
  const PageRaster& Raster() const { return raster_; }
  const FaxDocInfo& DocInfo() const;

private:
  ConversionSettings settings_;
  FaxDocInfo docInfo_;
  bool recognised_ = false;
  int faxFormat_ = 0;
  std::unique_ptr<FaxFormatReader> reader_;
  PageRaster raster_;
};
