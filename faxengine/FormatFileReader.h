// The readers that find a document's pages in the file of their own format:
// opening, recognising and counting happen in one order for all of them,
// each reader supplying the steps.
#pragma once

#include "faxengine/FaxFormatReader.h"
#include "faxengine/FaxReader.h"
#include "faxformats/ByteReader.h"

#include <cstdint>
#include <functional>

class FormatFileReader : public FaxReader, public FaxFormatReader {
public:
  // -1 when the file cannot be opened; else 0, with the page count in
  // settings.pageCount when the file is of this format (the file is closed
  // when it is not).
  int Identify(const std::string& path, ConversionSettings& settings, bool& recognised) final;
  // -1 when the document is not open; else as WritePages.
  int WriteTiff(const std::string& outputPath, const ConversionSettings& settings,
                const PageRaster& firstPage) final;
  void Close() final { FaxReader::Close(); }

protected:
  // Records the pages of a chain of headers of headerSize bytes that starts
  // the file: a page at every offset where isHeader holds, the next header
  // where nextHeader says. A chain that does not move forward (a loop) ends
  // there, and the page table's limit ends an endless one. A header the file
  // ends in is a page too, one that cannot be read.
  using HeaderTest = std::function<bool(const ByteReader& file, std::uint64_t offset)>;
  using NextHeader = std::function<std::uint64_t(const ByteReader& file, std::uint64_t offset)>;
  void RecordHeaderChain(std::size_t headerSize, const HeaderTest& isHeader,
                         const NextHeader& nextHeader);

private:
  // 0 when the open file is of this format, a negative code when not.
  // Formats whose pages are found by walking the file are recognised by
  // the walk: the default takes every file.
  virtual int Detect() { return 0; }
  // Records the offset of every page; the page count.
  virtual std::uint16_t CountPages() = 0;
  // Writes every page into one TIFF (see FaxFormatReader::WriteTiff).
  virtual int WritePages(const std::string& outputPath, const ConversionSettings& settings) = 0;
};
