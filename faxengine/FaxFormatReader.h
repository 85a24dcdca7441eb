// What the engine asks of the reader of one fax format. Every reader of the
// format table (FaxFormat.cpp) implements it; readers never see the engine.
#pragma once

#include "faxengine/ConversionSettings.h"
#include "faxengine/FaxDocInfo.h"
#include "faxformats/PageRaster.h"

#include <cstdint>
#include <string>

// Identify's result when a work file could not be written: the document
// could not be examined, which is an error, not a verdict of "not a fax".
inline constexpr int kEngineWorkFileFailed = -2;

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
  // Writes every page into one TIFF at outputPath: 0 when every page was
  // written whole; -1 when the document is not open; another negative value
  // when a page could not be read or written (nothing may go missing
  // silently, so the document is then an error).
  virtual int WriteTiff(const std::string& outputPath, const ConversionSettings& settings,
                        const PageRaster& firstPage) = 0;
  // Document texts some formats carry in the file itself, asked for after
  // each page is decoded.
  virtual void ReadDocInfo(std::uint16_t /*page*/, FaxDocInfo& /*info*/) {}
  virtual void Close() = 0;
};
